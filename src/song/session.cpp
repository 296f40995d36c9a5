#include "song/session.h"

#include <chrono>

#include "song/voice_loading.h"

namespace tonforge {

namespace {

void JoinWorker(PlaybackState& p) {
  while (p.workerRunning.load(std::memory_order_acquire) != 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (p.worker.joinable()) p.worker.join();
}

}  // namespace

void StartCore(Session& session, std::string_view programFolder, std::string_view workspace) {
  SetOutputRate(session.rate, 44100, 120.0f, 48);
  SeedRandom(session.random);
  BuildTables(session.tables);
  SetUpFolders(session.folders, programFolder, workspace);
}

void StopPlayback(Session& session) {
  PlaybackState& p = session.playback;
  const PlaybackMode mode = p.mode.load(std::memory_order_acquire);
  if (mode == PlaybackMode::Idle) {
    SilenceLiveVoices(session);
    // A worker that ended by itself (a wave file that ran out) is still to be joined.
    if (p.worker.joinable()) p.worker.join();
    return;
  }
  p.playButtonPressed = 0;
  p.mode.store(PlaybackMode::Idle, std::memory_order_release);
  // The worker is gone before the song is reset or a file finished: nothing is computed or written after.
  JoinWorker(p);
  SilenceLiveVoices(session);  // a song worker played them along until now
  if (session.soundSide.putAtRest) session.soundSide.putAtRest(session, mode);
}

Session::~Session() {
  playback.mode.store(PlaybackMode::Idle, std::memory_order_release);
  if (playback.worker.joinable()) playback.worker.join();
}

}  // namespace tonforge
