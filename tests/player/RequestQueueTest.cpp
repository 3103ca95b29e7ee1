// Host requests wait for the page in order, bounded; a new movie does not inherit old ones.
#include <gtest/gtest.h>

#include "lobby/player/RequestQueue.h"

namespace lobby::player {
namespace {

struct Sent {
  std::vector<std::string> all;
  std::function<void(const std::string&)> Sink() {
    return [this](const std::string& r) { all.push_back(r); };
  }
};

TEST(PlayerRequestQueueTest, QueuedUntilReadyThenInOrderThenDirect) {
  RequestQueue queue;
  Sent sent;
  queue.Send("1", sent.Sink());
  queue.Send("2", sent.Sink());
  EXPECT_TRUE(sent.all.empty());
  queue.SetReady(sent.Sink());
  queue.Send("3", sent.Sink());
  EXPECT_EQ(sent.all, (std::vector<std::string>{"1", "2", "3"}));
}

TEST(PlayerRequestQueueTest, ANewDocumentQueuesAgainAndANewMovieDropsWhatWaits) {
  RequestQueue queue;
  Sent sent;
  queue.SetReady(sent.Sink());
  queue.SetNotReady();
  queue.Send("kept", sent.Sink());
  queue.SetReady(sent.Sink());
  queue.SetNotReady();
  queue.Send("dropped", sent.Sink());
  queue.Reset();
  queue.SetReady(sent.Sink());
  EXPECT_EQ(sent.all, std::vector<std::string>{"kept"});
}

TEST(PlayerRequestQueueTest, AFullQueueRefusesMore) {
  RequestQueue queue;
  Sent sent;
  for (size_t i = 0; i < RequestQueue::kMaxQueued; ++i) EXPECT_TRUE(queue.Send("r", sent.Sink()));
  EXPECT_FALSE(queue.Send("one too many", sent.Sink()));
  queue.SetReady(sent.Sink());
  EXPECT_EQ(sent.all.size(), RequestQueue::kMaxQueued);
}

}  // namespace
}  // namespace lobby::player
