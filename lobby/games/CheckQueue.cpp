#include "lobby/games/CheckQueue.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

#include "lobby/core/IFrameWindow.h"

namespace lobby {

namespace {

struct Job {
  uint64_t turn = 0;
  CheckQueue::Work work;
};

}  // namespace

// Shared by the queue and its detached workers; a worker may outlive the queue.
struct CheckQueue::State {
  std::mutex mutex;
  std::condition_variable wake;
  std::deque<Job> jobs;
  IFrameWindow* frame = nullptr;  // null once the queue is gone
  size_t workers = 0;
  size_t idle = 0;  // workers waiting for a job

  // Main loop only.
  size_t unanswered = 0;
  uint64_t nextTurn = 0;      // given to the next queued check
  uint64_t turnToAnswer = 0;  // the check whose answer runs next
  std::map<uint64_t, std::function<void()>> finished;  // answers that wait for earlier ones
};

namespace {

// Runs every answer whose earlier checks have all been answered.
void AnswerInOrder(CheckQueue::State& state, uint64_t turn, std::function<void()> answer) {
  state.finished.emplace(turn, std::move(answer));
  for (auto it = state.finished.begin();
       it != state.finished.end() && it->first == state.turnToAnswer;
       it = state.finished.begin()) {
    std::function<void()> next = std::move(it->second);
    state.finished.erase(it);
    ++state.turnToAnswer;
    --state.unanswered;
    if (next) next();
  }
}

// Hands the answer to the main loop unless the queue has gone meanwhile. Posting happens under
// the lock, so the frame cannot disappear halfway through.
void PostAnswer(const std::shared_ptr<CheckQueue::State>& state, uint64_t turn,
                std::function<void()> answer, const std::shared_ptr<bool>& alive) {
  std::lock_guard lock(state->mutex);
  if (!state->frame) return;
  state->frame->PostToMainLoop([state, alive, turn, answer = std::move(answer)]() mutable {
    if (*alive) AnswerInOrder(*state, turn, std::move(answer));
  });
}

void WorkerLoop(std::shared_ptr<CheckQueue::State> state, std::shared_ptr<bool> alive) {
  for (;;) {
    Job job;
    {
      std::unique_lock lock(state->mutex);
      ++state->idle;
      state->wake.wait(lock, [&] { return !state->jobs.empty() || !state->frame; });
      --state->idle;
      if (!state->frame) return;
      job = std::move(state->jobs.front());
      state->jobs.pop_front();
    }
    PostAnswer(state, job.turn, job.work(), alive);
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

// One more worker while every running one is busy and there is room; true when at least one
// worker runs afterwards.
bool CheckQueue::StartWorkerIfNeeded() {
  {
    std::lock_guard lock(state_->mutex);
    if (state_->workers >= kWorkers || state_->idle > state_->jobs.size()) {
      return state_->workers > 0;
    }
  }
  const bool started = starter_([state = state_, alive = alive_] { WorkerLoop(state, alive); });
  std::lock_guard lock(state_->mutex);
  if (started) ++state_->workers;
  return state_->workers > 0;
}

bool CheckQueue::Run(Work work) {
  if (state_->unanswered >= kMaxUnanswered) return false;
  if (!StartWorkerIfNeeded()) {
    // No worker has ever run, so no earlier answer is outstanding: answering now keeps the order.
    if (auto answer = work()) answer();
    return true;
  }
  ++state_->unanswered;
  std::lock_guard lock(state_->mutex);
  state_->jobs.push_back({state_->nextTurn++, std::move(work)});
  state_->wake.notify_one();
  return true;
}

size_t CheckQueue::Unanswered() const { return state_->unanswered; }

}  // namespace lobby
