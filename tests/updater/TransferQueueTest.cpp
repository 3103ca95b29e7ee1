// Files are handed out in list order, each once; one whose names collide with another's runs
// with nothing else in flight; after a failure nothing more starts.
#include "updater/TransferQueue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace updater {
namespace {

TEST(TransferQueue, HandsOutEveryItemOnceInOrder) {
  TransferQueue queue(3, [](size_t) { return false; });
  std::vector<size_t> started;
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(queue.Take([&](size_t item) { started.push_back(item); }));
  EXPECT_EQ(started, (std::vector<size_t>{0, 1, 2}));
  EXPECT_FALSE(queue.Take(nullptr));
}

TEST(TransferQueue, ItemThatMustRunAloneWaitsForTheOthersToEnd) {
  TransferQueue queue(2, [](size_t item) { return item == 1; });
  std::vector<std::string> order;
  std::mutex mutex;
  auto note = [&](const std::string& what) {
    std::lock_guard<std::mutex> lock(mutex);
    order.push_back(what);
  };
  ASSERT_EQ(queue.Take(nullptr), 0u);
  std::thread second([&] { queue.Take([&](size_t item) { note("took " + std::to_string(item)); }); });
  // Long enough for the second taker to start if it were allowed to.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  queue.Finish([&] { note("0 ended"); });
  second.join();
  EXPECT_EQ(order, (std::vector<std::string>{"0 ended", "took 1"}));
}

TEST(TransferQueue, NothingStartsAfterAStop) {
  TransferQueue queue(3, [](size_t) { return false; });
  ASSERT_TRUE(queue.Take(nullptr));
  queue.Stop();
  EXPECT_FALSE(queue.Take(nullptr));
}

}  // namespace
}  // namespace updater
