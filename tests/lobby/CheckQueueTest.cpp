// Version checks off the main loop: answers come back through the main loop in asking order,
// and without a worker thread they still come, at once.
#include "lobby/games/CheckQueue.h"

#include <gtest/gtest.h>

#include <chrono>
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

TEST(CheckQueueTest, AnswersOfAQueueThatIsGoneAreDropped) {
  lobbytest::RecordingHost frame;
  std::vector<int> answers;
  {
    CheckQueue queue(frame);
    queue.Run(Check(answers, 1, 0));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  frame.RunPosted();
  EXPECT_TRUE(answers.empty());
}

}  // namespace
