#pragma once
// A small pool of helper threads for the song mix. Between two ticks the channels do not depend on each
// other, so the mix hands them out one at a time to the calling thread and the helpers. The threads are made
// when the pool is sized (at a playback or render start), never per piece of work; an idle helper spins a
// moment in case more work follows at once, then sleeps.
#include <atomic>
#include <condition_variable>
#include <cstdint>
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

  // Keeps `helpers` threads beside the caller (fewer when the system refuses more). Only here are threads
  // made or ended. With highPriority the helpers ask for the highest priority, as the song's worker does.
  void Resize(int32_t helpers, bool highPriority);
  int32_t Helpers() const { return static_cast<int32_t>(threads_.size()); }

  // Runs task(job, i) for every i in 0..count-1, on the calling thread and the helpers, and returns once all
  // are done. Items are taken in order but may finish in any order. count is at most 65535.
  void Run(Task task, void* job, int32_t count);

private:
  void Serve(uint32_t seen);
  void WakeSleepers();
  bool Claim(uint32_t generation, int32_t& item);
  void Work(uint32_t generation);

  std::vector<std::thread> threads_;
  // generation << 32 | count << 16 | next item: one word, so a helper that wakes late can never take an
  // item of a later round with the task of an earlier one.
  std::atomic<uint64_t> ticket_{0};
  std::atomic<uint32_t> signal_{0};    // moves on whenever the helpers are to look for work
  std::atomic<int32_t> sleepers_{0};   // helpers asleep on wake_, or about to be
  std::mutex sleep_;
  std::condition_variable wake_;
  std::atomic<int32_t> done_{0};       // items of the current round finished
  std::atomic<bool> quit_{false};
  uint32_t generation_ = 0;
  Task task_ = nullptr;
  void* job_ = nullptr;
};

// The number of threads "all cores" means here (at least 1).
int32_t CoreCount();

}  // namespace tonforge
