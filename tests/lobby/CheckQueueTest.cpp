// Version checks off the main loop: answers come back through the main loop in asking order,
// and without a worker thread they still come, at once.
#include "lobby/games/CheckQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "LobbyTestSupport.h"

namespace {

using lobby::CheckQueue;

// A check that takes `ms` on the worker and answers with `n`.
CheckQueue::Work Check(std::vector<int>& answers, int n, int ms) {
  return [&answers, n, ms] {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return std::function<void()>([&answers, n] { answers.push_back(n); });
  };
}

TEST(CheckQueueTest, AnswersComeThroughTheMainLoopInAskingOrder) {
  lobbytest::RecordingHost frame;
  std::vector<int> answers;
  CheckQueue queue(frame);
  queue.Run(Check(answers, 1, 80));
  queue.Run(Check(answers, 2, 0));
  EXPECT_TRUE(answers.empty());  // nothing runs inside Run
  EXPECT_TRUE(frame.PumpUntil([&] { return queue.Unanswered() == 0; }));
  EXPECT_EQ(answers, (std::vector<int>{1, 2}));
}

// Checks that hold each other up: each waits (at most 10 s) until `gate` says it may finish.
struct Gate {
  std::mutex mutex;
  std::condition_variable changed;
  int running = 0;
  int mostAtOnce = 0;
  int finished = 0;

  // Runs one check: true when `mayFinish` came true before the time-out.
  template <typename Pred>
  bool Hold(Pred mayFinish) {
    std::unique_lock lock(mutex);
    ++running;
    mostAtOnce = std::max(mostAtOnce, running);
    changed.notify_all();
    bool ok = changed.wait_for(lock, std::chrono::seconds(10), [&] { return mayFinish(*this); });
    --running;
    ++finished;
    changed.notify_all();
    return ok;
  }
};

TEST(CheckQueueTest, UpToFourChecksRunAtOnceAndNoMore) {
  lobbytest::RecordingHost frame;
  Gate gate;
  std::vector<int> answers;
  CheckQueue queue(frame);
  for (int n = 0; n < 8; ++n) {
    // The first four finish only once all four run together; the rest at once.
    queue.Run([&gate, &answers, n] {
      bool together = gate.Hold([n](Gate& g) { return n >= 4 || g.mostAtOnce >= 4; });
      return std::function<void()>([&answers, n, together] { answers.push_back(together ? n : -n); });
    });
  }
  EXPECT_TRUE(frame.PumpUntil([&] { return queue.Unanswered() == 0; }));
  EXPECT_EQ(answers, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(gate.mostAtOnce, static_cast<int>(CheckQueue::kWorkers));
}

TEST(CheckQueueTest, ALaterCheckThatFinishesFirstWaitsForTheEarlierAnswers) {
  lobbytest::RecordingHost frame;
  Gate gate;
  std::vector<int> answers;
  CheckQueue queue(frame);
  // The first check finishes only after the two behind it have finished; the pause lets
  // their answers reach the main loop first.
  queue.Run([&] {
    gate.Hold([](Gate& g) { return g.finished >= 2; });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return std::function<void()>([&] { answers.push_back(1); });
  });
  for (int n : {2, 3}) {
    queue.Run([&, n] {
      gate.Hold([](Gate&) { return true; });
      return std::function<void()>([&, n] { answers.push_back(n); });
    });
  }
  EXPECT_TRUE(frame.PumpUntil([&] { return queue.Unanswered() == 0; }));
  EXPECT_EQ(answers, (std::vector<int>{1, 2, 3}));
}

TEST(CheckQueueTest, WithoutAWorkerThreadChecksRunAtOnceAndStillAnswer) {
  lobbytest::RecordingHost frame;
  std::vector<int> answers;
  int tries = 0;
  CheckQueue queue(frame, [&](std::function<void()>) {
    ++tries;
    return false;
  });
  queue.Run(Check(answers, 1, 0));
  queue.Run(Check(answers, 2, 0));
  EXPECT_EQ(answers, (std::vector<int>{1, 2}));
  EXPECT_EQ(tries, 2);  // a thread is asked for again each time
  EXPECT_EQ(frame.RunPosted(), 0u);
  EXPECT_EQ(queue.Unanswered(), 0u);
}

// Both ways an answer can outlive its queue: posted to the main loop before the queue went, and
// still being checked when it went.
TEST(CheckQueueTest, AnswersOfAQueueThatIsGoneAreDropped) {
  lobbytest::RecordingHost frame;
  Gate gate;
  std::atomic<bool> queueGone{false};
  std::vector<int> answers;
  {
    CheckQueue queue(frame);
    queue.Run(Check(answers, 1, 0));
    queue.Run([&] {
      gate.Hold([&](Gate&) { return queueGone.load(); });
      return std::function<void()>([&] { answers.push_back(2); });
    });
    for (int i = 0; i < 1000 && frame.Posted() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(frame.Posted(), 1u);  // the first answer waits on the main loop
    std::unique_lock lock(gate.mutex);
    ASSERT_TRUE(gate.changed.wait_for(lock, std::chrono::seconds(10), [&] { return gate.running == 1; }));
  }
  {
    std::lock_guard lock(gate.mutex);
    queueGone = true;
    gate.changed.notify_all();
  }
  {
    std::unique_lock lock(gate.mutex);
    ASSERT_TRUE(gate.changed.wait_for(lock, std::chrono::seconds(10), [&] { return gate.finished == 1; }));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // room for a wrongful post
  EXPECT_EQ(frame.RunPosted(), 1u);  // only the first answer was ever posted
  EXPECT_TRUE(answers.empty());
}

}  // namespace
