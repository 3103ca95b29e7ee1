#include "lobby/games/CheckQueue.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

#include "lobby/flash/IFrameWindow.h"

namespace lobby {

// Shared by the queue and its detached worker; the worker may outlive the queue.
struct CheckQueue::State {
  std::mutex mutex;
  std::condition_variable wake;
  std::deque<Work> jobs;
  IFrameWindow* frame = nullptr;  // null once the queue is gone
  bool workerRunning = false;
  size_t unanswered = 0;  // main loop only
};

namespace {

// Hands the answer to the main loop unless the queue has gone meanwhile. Posting happens under
// the lock, so the frame cannot disappear halfway through.
void PostAnswer(const std::shared_ptr<CheckQueue::State>& state, std::function<void()> answer,
                const std::shared_ptr<bool>& alive) {
  std::lock_guard lock(state->mutex);
  if (!state->frame) return;
  state->frame->PostToMainLoop([state, alive, answer = std::move(answer)] {
    if (!*alive) return;
    --state->unanswered;
    if (answer) answer();
  });
}

void WorkerLoop(std::shared_ptr<CheckQueue::State> state, std::shared_ptr<bool> alive) {
  for (;;) {
    CheckQueue::Work job;
    {
      std::unique_lock lock(state->mutex);
      state->wake.wait(lock, [&] { return !state->jobs.empty() || !state->frame; });
      if (!state->frame) return;
      job = std::move(state->jobs.front());
      state->jobs.pop_front();
    }
    PostAnswer(state, job(), alive);
  }
}

bool StartStdThread(std::function<void()> body) {
  try {
    std::thread(std::move(body)).detach();
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

}  // namespace

CheckQueue::CheckQueue(IFrameWindow& frame, ThreadStarter starter)
    : state_(std::make_shared<State>()),
      alive_(std::make_shared<bool>(true)),
      starter_(starter ? std::move(starter) : ThreadStarter(StartStdThread)) {
  state_->frame = &frame;
}

CheckQueue::~CheckQueue() {
  *alive_ = false;
  std::lock_guard lock(state_->mutex);
  state_->frame = nullptr;
  state_->jobs.clear();
  state_->wake.notify_all();
}

bool CheckQueue::StartWorker() {
  if (state_->workerRunning) return true;
  if (!starter_([state = state_, alive = alive_] { WorkerLoop(state, alive); })) return false;
  state_->workerRunning = true;
  return true;
}

bool CheckQueue::Run(Work work) {
  if (state_->unanswered >= kMaxUnanswered) return false;
  if (!StartWorker()) {
    if (auto answer = work()) answer();
    return true;
  }
  ++state_->unanswered;
  std::lock_guard lock(state_->mutex);
  state_->jobs.push_back(std::move(work));
  state_->wake.notify_one();
  return true;
}

size_t CheckQueue::Unanswered() const { return state_->unanswered; }

}  // namespace lobby
