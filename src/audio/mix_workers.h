#pragma once
// A small pool of helper threads for the song mix. Between two ticks the channels do not depend on each
// other, so the mix hands them out one at a time to the calling thread and the helpers. The threads are made
// when the pool is sized (at a playback or render start), never per piece of work; an idle helper spins a
// moment in case more work follows at once, then sleeps.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tonforge {

class MixWorkers {
public:
  using Task = void (*)(void* job, int32_t item);

  MixWorkers() = default;
  ~MixWorkers();
  MixWorkers(const MixWorkers&) = delete;
  MixWorkers& operator=(const MixWorkers&) = delete;

  // Keeps `helpers` threads beside the caller (fewer when the system refuses more), for rounds of up to
  // `items` items (a larger round runs on the calling thread alone). Only here are threads made or ended and
  // memory taken. With highPriority the helpers ask for the highest priority, as the song's worker does.
  void Resize(int32_t helpers, bool highPriority, int32_t items);
  int32_t Helpers() const { return static_cast<int32_t>(threads_.size()); }

  // Runs task(job, i) for every i in 0..count-1, on the calling thread and the helpers, and returns once all
  // are done. Every thread has a share of the items it takes first, the same share in every round of the same
  // count, so an item's working state stays in one processor's cache from round to round; a thread that has
  // finished its share then takes what is left of the others', from their ends. count is at most 65535.
  // With `meanwhile`, the calling thread first runs meanwhile(meanwhileJob, 0), work the items do not touch,
  // while the helpers start on theirs; what the caller then leaves of its share they take too.
  void Run(Task task, void* job, int32_t count, Task meanwhile = nullptr, void* meanwhileJob = nullptr);

private:
  // A claim on its own cache line, so that threads working through their own shares do not disturb each other.
  struct alignas(64) Claim {
    std::atomic<uint64_t> round{0};  // the last round that took the item
  };

  void Serve(uint32_t seen, int32_t index);
  void WakeSleepers();
  void StopHelpers();
  bool TryClaim(int32_t item, uint64_t round);
  void Work(int32_t index);

  std::vector<std::thread> threads_;
  // round << 24 | threads << 16 | count of the current round, published after task_ and job_.
  std::atomic<uint64_t> current_{0};
  std::atomic<uint32_t> signal_{0};    // moves on whenever the helpers are to look for work
  std::atomic<int32_t> sleepers_{0};   // helpers asleep on wake_, or about to be
  std::mutex sleep_;
  std::condition_variable wake_;
  std::atomic<int32_t> done_{0};       // items of the current round finished
  std::atomic<bool> quit_{false};
  std::unique_ptr<Claim[]> claims_;
  int32_t capacity_ = 0;
  uint64_t round_ = 0;
  Task task_ = nullptr;
  void* job_ = nullptr;
};

// The number of threads "all cores" means here (at least 1).
int32_t CoreCount();

}  // namespace tonforge
