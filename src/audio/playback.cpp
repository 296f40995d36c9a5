#include "audio/playback.h"

#include <chrono>

namespace tonforge {

void StopPlayback(AppState& app) {
  PlaybackState& p = app.playback;
  const uint32_t mode = p.mode.load(std::memory_order_acquire);
  app.live.liveFlag = 0;
  if (mode == 0) return;
  p.mode.store(0, std::memory_order_release);
  while (p.workerRunning.load(std::memory_order_acquire) != 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (p.worker.joinable()) p.worker.join();
}

}  // namespace tonforge
