// Work posted to the main loop for an owner: in order, later, and never after the owner is gone.
#include "skin/cairo/MainLoopQueue.h"

#include <gtest/gtest.h>
#include <glib.h>

#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace {

// Runs everything the default main context has ready, as the main loop would.
void RunMainLoopUntilIdle() {
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
}

TEST(MainLoopQueue, WorkRunsLaterOnTheMainLoopInPostingOrder) {
  skin::MainLoopQueue queue;
  std::string ran;
  queue.Post([&] { ran += "a"; });
  queue.Post([&] { ran += "b"; });
  std::thread worker([&] { queue.Post([&] { ran += "c"; }); });
  worker.join();
  EXPECT_EQ(ran, "");  // never inside Post itself
  RunMainLoopUntilIdle();
  EXPECT_EQ(ran, "abc");
}

TEST(MainLoopQueue, WorkPostedForAnOwnerThatIsGoneIsDroppedNotRun) {
  std::optional<skin::MainLoopQueue> gone(std::in_place);
  skin::MainLoopQueue alive;
  std::string ran;
  auto payload = std::make_shared<int>(7);
  std::weak_ptr<int> payloadFreed = payload;
  gone->Post([&, payload] { ran += "gone"; });
  alive.Post([&] { ran += "alive"; });
  payload.reset();
  gone.reset();
  RunMainLoopUntilIdle();
  EXPECT_EQ(ran, "alive");
  EXPECT_TRUE(payloadFreed.expired());  // dropped work frees what it carried
}

}  // namespace
