#pragma once
// A fixed ring of values handed from one thread to one other without locks: the producer alone writes the
// tail, the consumer alone the head. A value is fully written before the release store that publishes it, and
// its slot is reused only after the consumer's release store says it was read. Nothing allocates after
// construction, so the sound thread may take from it (or put into it) on its block path.
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace tonforge {

template <class T, size_t Capacity>
class SpscQueue {
  static_assert(Capacity >= 2 && (Capacity & (Capacity - 1)) == 0, "a power of two, so the counters may wrap");

public:
  // Producer only. False when the ring is full; the value is then dropped.
  bool Push(const T& value) {
    const size_t tail = tail_.load(std::memory_order_relaxed);
    if (tail - head_.load(std::memory_order_acquire) == Capacity) return false;
    slots_[tail % Capacity] = value;
    tail_.store(tail + 1, std::memory_order_release);
    return true;
  }

  // Consumer only. False when nothing waits.
  bool Pop(T& value) {
    const size_t head = head_.load(std::memory_order_relaxed);
    if (head == tail_.load(std::memory_order_acquire)) return false;
    value = slots_[head % Capacity];
    head_.store(head + 1, std::memory_order_release);
    return true;
  }

  // Either side: nothing waits, as of the moment of the call.
  bool Empty() const { return head_.load(std::memory_order_acquire) == tail_.load(std::memory_order_acquire); }

  // Consumer only: drops whatever waits.
  void Drain() { head_.store(tail_.load(std::memory_order_acquire), std::memory_order_release); }

private:
  std::array<T, Capacity> slots_{};
  alignas(64) std::atomic<size_t> head_{0};
  alignas(64) std::atomic<size_t> tail_{0};
};

}  // namespace tonforge
