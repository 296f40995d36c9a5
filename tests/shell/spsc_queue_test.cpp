#include "shell/spsc_queue.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace tonforge {
namespace {

// A full ring refuses, wrapping keeps the order, and a value crossing threads arrives whole and in order.
TEST(SpscQueue, KeepsOrderRefusesWhenFullAndCrossesThreads) {
  SpscQueue<int, 4> q;
  int out = 0;
  EXPECT_FALSE(q.Pop(out)) << "empty";
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(q.Push(i));
  EXPECT_FALSE(q.Push(4)) << "full";
  for (int round = 0; round < 10; ++round) {  // the counters wrap round the four slots
    ASSERT_TRUE(q.Pop(out));
    EXPECT_EQ(out, round);
    EXPECT_TRUE(q.Push(round + 4));
  }
  q.Drain();
  EXPECT_FALSE(q.Pop(out)) << "drained";

  struct Pair {
    int a, b;
  };
  SpscQueue<Pair, 64> shared;
  constexpr int kCount = 100000;
  std::thread producer([&shared] {
    for (int i = 0; i < kCount;)
      if (shared.Push({i, -i})) ++i;
  });
  int expected = 0;
  bool whole = true;
  for (Pair p{}; expected < kCount;)
    if (shared.Pop(p)) {
      whole = whole && p.a == expected && p.b == -expected;
      ++expected;
    }
  producer.join();
  EXPECT_TRUE(whole);
}

}  // namespace
}  // namespace tonforge
