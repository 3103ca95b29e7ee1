#include "skin/cairo/MainLoopQueue.h"

#include <glib.h>

namespace skin {
namespace {

// A piece of work on its way to the main loop; owns its payload until run or dropped.
struct Queued {
  std::shared_ptr<bool> alive;
  std::function<void()> work;
};

gboolean RunQueued(gpointer data) {
  auto* queued = static_cast<Queued*>(data);
  if (*queued->alive) queued->work();
  return G_SOURCE_REMOVE;
}

void FreeQueued(gpointer data) { delete static_cast<Queued*>(data); }

}  // namespace

MainLoopQueue::MainLoopQueue() : alive_(std::make_shared<bool>(true)) {}

MainLoopQueue::~MainLoopQueue() { *alive_ = false; }

void MainLoopQueue::Post(std::function<void()> work) const {
  // An idle source at default priority: sources of equal priority run in the order added.
  g_idle_add_full(G_PRIORITY_DEFAULT, RunQueued, new Queued{alive_, std::move(work)}, FreeQueued);
}

}  // namespace skin
