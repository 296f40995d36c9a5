#pragma once
// A single value that the main thread changes while the playback thread reads it: a level, a pan, an event's
// type or values. Loads and stores are relaxed atomics: the same plain moves on this hardware, but defined
// behaviour, so ThreadSanitizer stays quiet about them and shows the races that matter. Nothing orders other
// memory around them; a reader sees the old value or the new one, never a torn one.
#include <atomic>

namespace tonforge {

template <class T>
class Shared {
public:
  Shared(T value = T{}) : value_(value) {}  // NOLINT(google-explicit-constructor): used as the plain value
  Shared(const Shared& other) : value_(other.Load()) {}
  Shared& operator=(const Shared& other) {
    Store(other.Load());
    return *this;
  }
  Shared& operator=(T value) {
    Store(value);
    return *this;
  }
  operator T() const { return Load(); }  // NOLINT(google-explicit-constructor)

  T Load() const { return value_.load(std::memory_order_relaxed); }
  void Store(T value) { value_.store(value, std::memory_order_relaxed); }

private:
  std::atomic<T> value_;
};

static_assert(sizeof(Shared<int>) == sizeof(int) && sizeof(Shared<float>) == sizeof(float));

}  // namespace tonforge
