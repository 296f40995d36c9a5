#pragma once
// Commands say which panels they changed; the user interface listens and repaints them. The core never
// draws, so a command only raises bits here.
#include <atomic>
#include <cstdint>

namespace tonforge {

enum class Panel : uint32_t {
  ControlCentre = 0,
  ProgramList = 1,
  RenderOutput = 2,
  TrackChain = 3,
  ProgramEditor = 4,
  EventList = 5,
  SongChain = 6,
  TrackList = 7,
  EngineEditor = 8,
  EngineTypeList = 9,
};
inline constexpr int kPanelCount = 10;

class RedrawRequests {
public:
  void Request(Panel p) { pending_.fetch_or(1u << static_cast<uint32_t>(p), std::memory_order_relaxed); }
  template <typename... P>
  void Request(Panel first, P... rest) {
    Request(first);
    (Request(rest), ...);
  }
  void RequestAll() { pending_.store((1u << kPanelCount) - 1u, std::memory_order_relaxed); }
  bool IsPending(Panel p) const { return (pending_.load(std::memory_order_relaxed) >> static_cast<uint32_t>(p)) & 1u; }
  // Hands the pending set to the listener and clears it.
  uint32_t Take() { return pending_.exchange(0, std::memory_order_relaxed); }

private:
  std::atomic<uint32_t> pending_{0};
};

}  // namespace tonforge
