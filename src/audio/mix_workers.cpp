#include "audio/mix_workers.h"

#include <system_error>

#include "platform/thread_priority.h"

namespace tonforge {

namespace {

// About 100 microseconds of spinning on a current processor: longer than the song chain of one tick takes,
// so helpers stay awake from one stretch of the mix to the next, and short enough not to keep a core busy
// while the output waits for the sound card.
constexpr int kIdleSpins = 4000;

inline void Pause() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#else
  std::this_thread::yield();
#endif
}

}  // namespace

int32_t CoreCount() {
  const unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : static_cast<int32_t>(n);
}

MixWorkers::~MixWorkers() { Resize(0, false); }

void MixWorkers::Resize(int32_t helpers, bool highPriority) {
  if (helpers < 0) helpers = 0;
  if (static_cast<int32_t>(threads_.size()) > helpers) {
    quit_.store(true, std::memory_order_seq_cst);
    signal_.fetch_add(1, std::memory_order_seq_cst);
    WakeSleepers();
    for (std::thread& t : threads_) t.join();
    threads_.clear();
    quit_.store(false, std::memory_order_seq_cst);
  }
  while (static_cast<int32_t>(threads_.size()) < helpers) {
    try {
      // The helper starts from the signal as it stands now, so that an end asked before it first runs is
      // still seen as news.
      threads_.emplace_back(&MixWorkers::Serve, this, signal_.load(std::memory_order_seq_cst));
    } catch (const std::system_error&) {
      break;  // the mix runs on the threads it has
    }
  }
  if (highPriority)
    for (std::thread& t : threads_) RaiseToHighestPriority(t);
}

bool MixWorkers::Claim(uint32_t generation, int32_t& item) {
  uint64_t t = ticket_.load(std::memory_order_acquire);
  for (;;) {
    if (static_cast<uint32_t>(t >> 32) != generation) return false;
    const auto count = static_cast<uint32_t>(t >> 16) & 0xffff;
    const auto next = static_cast<uint32_t>(t) & 0xffff;
    if (next >= count) return false;
    if (ticket_.compare_exchange_weak(t, t + 1, std::memory_order_acq_rel, std::memory_order_acquire)) {
      item = static_cast<int32_t>(next);
      return true;
    }
  }
}

// The round cannot move on while an item taken here is unfinished, so task_ and job_ are those of the
// round the item belongs to.
void MixWorkers::Work(uint32_t generation) {
  int32_t item = 0;
  while (Claim(generation, item)) {
    task_(job_, item);
    done_.fetch_add(1, std::memory_order_release);
  }
}

void MixWorkers::Serve(uint32_t seen) {
  for (;;) {
    uint32_t now = signal_.load(std::memory_order_acquire);
    for (int spin = 0; now == seen && spin < kIdleSpins; ++spin) {
      Pause();
      now = signal_.load(std::memory_order_acquire);
    }
    if (now == seen) {
      std::unique_lock<std::mutex> lock(sleep_);
      sleepers_.fetch_add(1, std::memory_order_seq_cst);
      wake_.wait(lock, [&] { return signal_.load(std::memory_order_seq_cst) != seen; });
      sleepers_.fetch_sub(1, std::memory_order_seq_cst);
      continue;
    }
    seen = now;
    if (quit_.load(std::memory_order_acquire)) return;
    Work(seen);
  }
}

void MixWorkers::WakeSleepers() {
  std::lock_guard<std::mutex> lock(sleep_);
  wake_.notify_all();
}

void MixWorkers::Run(Task task, void* job, int32_t count) {
  if (count <= 0) return;
  if (threads_.empty() || count == 1) {
    for (int32_t i = 0; i < count; ++i) task(job, i);
    return;
  }
  task_ = task;
  job_ = job;
  done_.store(0, std::memory_order_relaxed);
  const uint32_t generation = ++generation_;
  ticket_.store(static_cast<uint64_t>(generation) << 32 | static_cast<uint64_t>(count & 0xffff) << 16,
                std::memory_order_release);
  signal_.fetch_add(1, std::memory_order_seq_cst);
  // A helper counts itself asleep before it looks at signal_ a last time, so either it sees the new round
  // or it is counted here.
  if (sleepers_.load(std::memory_order_seq_cst) > 0) WakeSleepers();
  Work(generation);
  for (int spin = 0; done_.load(std::memory_order_acquire) < count; ++spin) {
    if (spin < kIdleSpins)
      Pause();
    else
      std::this_thread::yield();  // a helper holding the last item has lost its core
  }
}

}  // namespace tonforge
