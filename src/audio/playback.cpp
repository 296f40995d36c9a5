#include "audio/playback.h"

#include <atomic>
#include <chrono>
#include <system_error>

#include "audio/live_output.h"
#include "audio/render.h"
#include "audio/voice.h"
#include "platform/thread_priority.h"
#include "sequencer/song_clock.h"
#include "shell/show_error.h"

namespace tonforge {

namespace {

std::atomic<int> failingWorkerStarts{0};

// Tempo and beat figures from the GlobalTrack's first event, the song's opening Tempo.
void TempoFromSong(AppState& app) {
  const Track* global = app.song.tracks.At(0);
  const Event* first = global ? global->events.First() : nullptr;
  SetSongTempo(app, first ? static_cast<float>(first->valueA) : app.song.tempo);
}

void JoinWorker(PlaybackState& p) {
  while (p.workerRunning.load(std::memory_order_acquire) != 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (p.worker.joinable()) p.worker.join();
}

void PutSongAtRest(AppState& app) {
  TempoFromSong(app);
  for (int32_t i = 0; i < app.song.tracks.Count(); ++i) {
    Track& t = *app.song.tracks.At(i);
    for (Engine& e : t.chain) ClearEngineBuffers(e);
    t.volume = 1.0f;
    t.gate = 0;
    t.notePitch = 0;
    t.pitchOffset = 0;
    t.runningRandom = t.seed;
  }
}

void PrepareTrack(AppState& app, Track& t) {
  t.runningRandom = t.seed;
  t.phraseStartTick = 0;
  t.phraseCursor = nullptr;
  t.playCursor = t.events.First();
  t.volume = 1.0f;
  t.volumeSlide = 0.0f;
  t.pitchOffset = 0;
  t.pitchSlide = 0;
  t.panSlide = 0;
  t.gate = 0;
  t.notePitch = 0;
  t.playingProgram.volumeSlide = 0.0f;
  t.playingProgram.pitchSlide = 0;
  t.playingProgram.panSlide = 0;
  for (Engine& e : t.chain) {
    ClearEngineBuffers(e);
    PrepareEngine(e, app.rate);
    for (DataSlot& s : e.slots)
      if (s.loaded != 0) s.playPosition = 0.0f;
  }
  t.chainLength = UsedChainLength(t.chain);
}

}  // namespace

void PrepareSongStart(AppState& app) {
  Song& song = app.song;
  ChannelTable& channels = app.channels;
  channels.count = 0;
  TempoFromSong(app);
  const auto silent = static_cast<uint32_t>(app.rate.sampleRate);  // every channel starts out silent
  for (int32_t i = 0; i < song.tracks.Count(); ++i) {
    Track& t = *song.tracks.At(i);
    PrepareTrack(app, t);
    // The GlobalTrack cannot be muted: it is always channel 0, whose chain is the song chain.
    if (i == 0 || t.muteState == 0) channels.entries[channels.count++] = ChannelEntry{&t, silent};
  }
  for (auto& program : song.programs) {
    for (Engine& e : program->engines) PrepareEngine(e, app.rate);
    program->engineCount = static_cast<uint32_t>(UsedChainLength(program->engines));
  }
  app.currentTick = 0;
  song.tickAccumulator = app.rate.samplesPerTick;  // tick 0 falls on the very first sample
  song.runningRandom = song.seed;
  song.volume = 1.0f;
  song.volumeSlide = 0.0f;
  song.tempoSlide = 0.0f;
}

bool AdvanceToTick(AppState& app, int32_t target) {
  while (app.currentTick < target)
    if (SilentSongClockStep(app) == ClockStep::End) return false;
  return true;
}

bool StartWorker(AppState& app, PlaybackMode mode, WorkerEntry entry) {
  PlaybackState& p = app.playback;
  JoinWorker(p);  // a worker that ended by itself (a wave file that ran out) is still to be joined
  p.songEndReached.store(0, std::memory_order_release);
  p.mode.store(static_cast<uint32_t>(mode), std::memory_order_release);
  try {
    if (failingWorkerStarts.load() > 0) {
      failingWorkerStarts.fetch_sub(1);
      throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    }
    p.worker = std::thread(entry, std::ref(app));
  } catch (const std::system_error&) {
    p.mode.store(0, std::memory_order_release);
    return false;
  }
  if (p.highPriority != 0) RaiseToHighestPriority(p.worker);
  return true;
}

void WaitForPlayCursor() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

void FailWorkerStartsForTesting(int count) { failingWorkerStarts.store(count); }

void StartSongPlayback(AppState& app) {
  PlaybackState& p = app.playback;
  if (p.mode.load(std::memory_order_acquire) != 0) {
    StopPlayback(app);
    return;
  }
  p.playButtonPressed = 1;
  app.live.liveFlag = 0;
  PrepareSongStart(app);
  app.ring.blockPending = 0;
  app.ring.writeBlock = 0;
  if (!AdvanceToTick(app, app.editCursor)) {
    p.playButtonPressed = 0;
    ShowError(app.dialogs, "Song Stopped Before Cursor Position");
    return;
  }
  if (!StartWorker(app, PlaybackMode::Song, SongPlaybackThread)) {
    p.playButtonPressed = 0;
    ShowError(app.dialogs, "Could Not Start Playback");
  }
}

void SongPlaybackThread(AppState& app) {
  PlaybackState& p = app.playback;
  p.workerRunning.store(1, std::memory_order_release);
  SampleContext ctx = MakeSampleContext(app);
  while (p.mode.load(std::memory_order_acquire) != 0) {
    if (app.ring.blockPending != 0) {
      if (!WritePendingBlock(app)) WaitForPlayCursor();
      continue;
    }
    bool complete = true;
    for (uint32_t f = 0; f < kBlockFrames; ++f) {
      if (p.mode.load(std::memory_order_relaxed) == 0) {
        complete = false;
        break;
      }
      SongClockStep(app);
      const Frame16 frame = MixSongSample(app, ctx);
      app.ring.staging[2 * f] = frame.left;
      app.ring.staging[2 * f + 1] = frame.right;
    }
    if (complete) WriteStagingBlock(app);
  }
  p.workerRunning.store(0, std::memory_order_release);
}

void StopPlayback(AppState& app) {
  PlaybackState& p = app.playback;
  const auto mode = static_cast<PlaybackMode>(p.mode.load(std::memory_order_acquire));
  app.live.liveFlag = 0;
  if (mode == PlaybackMode::Idle) {
    if (p.worker.joinable()) p.worker.join();
    return;
  }
  p.playButtonPressed = 0;
  p.mode.store(0, std::memory_order_release);
  // The worker is gone before the song is reset or the WAV file finished: nothing is computed or written after.
  JoinWorker(p);
  PutSongAtRest(app);
  if (mode == PlaybackMode::Render) EndRender(app);
  if (mode == PlaybackMode::WaveFile) app.redraw.Request(Panel::RenderOutput);
}

}  // namespace tonforge
