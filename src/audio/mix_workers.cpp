#include "audio/mix_workers.h"

#include <algorithm>
#include <system_error>

#include "shell/devices/thread_priority.h"

namespace tonforge {

namespace {

// About 100 microseconds of spinning on a current processor: longer than the song chain of one tick takes,
// so helpers stay awake from one stretch of the mix to the next, and short enough not to keep a core busy
// while the output waits for the sound card.
constexpr int kIdleSpins = 4000;

// The thread count of a round travels in eight bits.
constexpr int32_t kMostHelpers = 254;

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

MixWorkers::~MixWorkers() { StopHelpers(); }

void MixWorkers::StopHelpers() {
  if (threads_.empty()) return;
  quit_.store(true, std::memory_order_seq_cst);
  signal_.fetch_add(1, std::memory_order_seq_cst);
  WakeSleepers();
  for (std::thread& t : threads_) t.join();
  threads_.clear();
  quit_.store(false, std::memory_order_seq_cst);
}

void MixWorkers::Resize(int32_t helpers, bool highPriority, int32_t items) {
  helpers = std::clamp(helpers, 0, kMostHelpers);
  // The claims are read by the helpers, so they change only while none runs.
  if (static_cast<int32_t>(threads_.size()) > helpers || items > capacity_) StopHelpers();
  if (items > capacity_) {
    claims_ = std::make_unique<Claim[]>(static_cast<size_t>(items));
    capacity_ = items;
    round_ = 0;
    current_.store(0, std::memory_order_relaxed);
  }
  while (static_cast<int32_t>(threads_.size()) < helpers) {
    try {
      // The helper starts from the signal as it stands now, so that an end asked before it first runs is
      // still seen as news.
      const auto index = static_cast<int32_t>(threads_.size()) + 1;
      threads_.emplace_back(&MixWorkers::Serve, this, signal_.load(std::memory_order_seq_cst), index);
    } catch (const std::system_error&) {
      break;  // the mix runs on the threads it has
    }
  }
  if (highPriority)
    for (std::thread& t : threads_) RaiseToHighestPriority(t);
}

// An item is taken once per round: only a thread whose round is newer than the item's last one may take it,
// so a helper that wakes late, with a round already over, takes nothing.
bool MixWorkers::TryClaim(int32_t item, uint64_t round) {
  uint64_t last = claims_[item].round.load(std::memory_order_relaxed);
  while (last < round)
    if (claims_[item].round.compare_exchange_weak(last, round, std::memory_order_acq_rel, std::memory_order_relaxed))
      return true;
  return false;
}

// The round cannot move on while an item taken here is unfinished, so task_ and job_ are those of the
// round the item belongs to.
void MixWorkers::Work(int32_t index) {
  const uint64_t current = current_.load(std::memory_order_acquire);
  const uint64_t round = current >> 24;
  const auto threads = static_cast<int32_t>(current >> 16 & 0xff);
  const auto count = static_cast<int32_t>(current & 0xffff);
  if (round == 0) return;
  const int32_t first = index * count / threads, end = (index + 1) * count / threads;
  const auto take = [&](int32_t item) {
    if (!TryClaim(item, round)) return;
    task_(job_, item);
    done_.fetch_add(1, std::memory_order_release);
  };
  for (int32_t item = first; item < end; ++item) take(item);
  for (int32_t item = count - 1; item >= 0; --item)
    if (item < first || item >= end) take(item);
}

void MixWorkers::Serve(uint32_t seen, int32_t index) {
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
    Work(index);
  }
}

void MixWorkers::WakeSleepers() {
  std::lock_guard<std::mutex> lock(sleep_);
  wake_.notify_all();
}

void MixWorkers::Run(Task task, void* job, int32_t count, Task meanwhile, void* meanwhileJob) {
  if (count <= 0 || threads_.empty() || count == 1 || count > capacity_) {
    if (meanwhile) meanwhile(meanwhileJob, 0);
    for (int32_t i = 0; i < count; ++i) task(job, i);
    return;
  }
  task_ = task;
  job_ = job;
  done_.store(0, std::memory_order_relaxed);
  const auto threads = static_cast<uint64_t>(threads_.size()) + 1;
  current_.store(++round_ << 24 | threads << 16 | static_cast<uint64_t>(count & 0xffff), std::memory_order_release);
  signal_.fetch_add(1, std::memory_order_seq_cst);
  // A helper counts itself asleep before it looks at signal_ a last time, so either it sees the new round
  // or it is counted here.
  if (sleepers_.load(std::memory_order_seq_cst) > 0) WakeSleepers();
  if (meanwhile) meanwhile(meanwhileJob, 0);
  Work(0);
  for (int spin = 0; done_.load(std::memory_order_acquire) < count; ++spin) {
    if (spin < kIdleSpins)
      Pause();
    else
      std::this_thread::yield();  // a helper holding the last item has lost its core
  }
}

}  // namespace tonforge
