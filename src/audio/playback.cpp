#include "audio/playback.h"

#include <atomic>
#include <chrono>
#include <system_error>

#include "audio/block_mix.h"
#include "audio/live_output.h"
#include "audio/play_along_voices.h"
#include "audio/render.h"
#include "audio/voice.h"
#include "shell/devices/thread_priority.h"
#include "sequencer/play_along.h"
#include "sequencer/song_clock.h"
#include "shell/show_error.h"

namespace tonforge {

namespace {

std::atomic<int> failingWorkerStarts{0};

// Tempo and beat figures from the GlobalTrack's first event, the song's opening Tempo.
void TempoFromSong(Studio& studio) {
  const Track* global = studio.song.tracks.At(0);
  const Event* first = global ? global->events.First() : nullptr;
  SetSongTempo(studio, first ? static_cast<float>(first->valueA) : studio.song.tempo);
}

void PutSongAtRest(Studio& studio) {
  TempoFromSong(studio);
  for (int32_t i = 0; i < studio.song.tracks.Count(); ++i) {
    Track& t = *studio.song.tracks.At(i);
    for (Engine& e : t.chain) ClearEngineBuffers(e);
    t.volume = 1.0f;
    t.gate = 0;
    t.notePitch = 0;
    t.pitchOffset = 0;
    t.runningRandom = t.seed;
  }
}

void PrepareTrack(Studio& studio, Track& t) {
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
    PrepareEngine(e, studio.rate);
    for (DataSlot& s : e.slots)
      if (s.loaded != 0) s.playPosition = 0.0f;
  }
  t.chainLength = UsedChainLength(t.chain);
}

}  // namespace

void PutAtRest(Studio& studio, PlaybackMode ended) {
  PutSongAtRest(studio);
  if (ended == PlaybackMode::Song) FinishRealTimeRecording(studio);
  if (ended == PlaybackMode::Render) EndRender(studio);
  // The play button goes dark again; the main loop draws it, whoever ended the worker.
  studio.changes.Report(Change::Transport);
}

void PrepareSongStart(Studio& studio) {
  Song& song = studio.song;
  ChannelTable& channels = studio.channels;
  channels.count = 0;
  TempoFromSong(studio);
  const auto silent = static_cast<uint32_t>(studio.rate.sampleRate);  // every channel starts out silent
  for (int32_t i = 0; i < song.tracks.Count(); ++i) {
    Track& t = *song.tracks.At(i);
    PrepareTrack(studio, t);
    // The GlobalTrack cannot be muted: it is always channel 0, whose chain is the song chain.
    if (i == 0 || t.muteState == 0) channels.entries[channels.count++] = ChannelEntry{&t, silent};
  }
  for (auto& program : song.programs) {
    for (Engine& e : program->engines) PrepareEngine(e, studio.rate);
    program->engineCount = static_cast<uint32_t>(UsedChainLength(program->engines));
  }
  studio.currentTick = 0;
  song.tickAccumulator = studio.rate.samplesPerTick;  // tick 0 falls on the very first sample
  studio.clockTicksPerBeat = song.ticksPerBeat;
  song.runningRandom = song.seed;
  song.volume = 1.0f;
  song.volumeSlide = 0.0f;
  song.tempoSlide = 0.0f;
  PrepareSongMixer(studio);
}

bool AdvanceToTick(Studio& studio, int32_t target) {
  while (studio.currentTick < target)
    if (SilentSongClockStep(studio) == ClockStep::End) return false;
  return true;
}

bool StartWorker(Studio& studio, PlaybackMode mode, WorkerEntry entry) {
  PlaybackState& p = studio.playback;
  StopPlayback(studio);  // a worker that ended by itself (a wave file that ran out) is still to be joined
  p.songEndReached.store(0, std::memory_order_release);
  p.mode.store(mode, std::memory_order_release);
  try {
    if (failingWorkerStarts.load() > 0) {
      failingWorkerStarts.fetch_sub(1);
      throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    }
    p.worker = std::thread(entry, std::ref(studio));
  } catch (const std::system_error&) {
    p.mode.store(PlaybackMode::Idle, std::memory_order_release);
    return false;
  }
  if (p.highPriority != 0) RaiseToHighestPriority(p.worker);
  return true;
}

void WaitForPlayCursor() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

void FailWorkerStartsForTesting(int count) { failingWorkerStarts.store(count); }

void StartSongPlayback(Studio& studio) {
  PlaybackState& p = studio.playback;
  if (!IsPlaybackIdle(studio)) {
    StopPlayback(studio);
    return;
  }
  p.playButtonPressed = 1;
  SilenceLiveVoices(studio);
  PrepareSongStart(studio);
  studio.ring.blockPending = 0;
  studio.ring.writeBlock = 0;
  if (!AdvanceToTick(studio, studio.editCursor)) {
    p.playButtonPressed = 0;
    ShowError(studio.dialogs, "Song Stopped Before Cursor Position");
    return;
  }
  PreparePlayAlong(studio);
  FollowLoopSwitch(studio);
  if (!StartWorker(studio, PlaybackMode::Song, SongPlaybackThread)) {
    p.playButtonPressed = 0;
    ShowError(studio.dialogs, "Could Not Start Playback");
  }
}

void SongPlaybackThread(Studio& studio) {
  PlaybackState& p = studio.playback;
  p.workerRunning.store(1, std::memory_order_release);
  SampleContext ctx = MakeSampleContext(studio);
  SampleContext alongCtx = MakeSampleContext(studio);
  while (p.mode.load(std::memory_order_acquire) != PlaybackMode::Idle) {
    if (studio.ring.blockPending != 0) {
      if (!WritePendingBlock(studio)) WaitForPlayCursor();
      continue;
    }
    TakePlayedNotes(studio);
    bool complete = true;
    for (uint32_t f = 0; f < studio.ring.blockFrames;) {
      if (p.mode.load(std::memory_order_relaxed) == PlaybackMode::Idle) {
        complete = false;
        break;
      }
      const Stretch s = StepStretchClock(studio, std::min(studio.ring.blockFrames - f, kMaxStretch), false);
      Frame16 frames[kMaxStretch];
      MixStretch(studio, ctx, s.frames, frames);
      AddPlayAlong(studio, alongCtx, frames, s.frames);
      for (uint32_t i = 0; i < s.frames; ++i, ++f) {
        studio.ring.staging[2 * f] = frames[i].left;
        studio.ring.staging[2 * f + 1] = frames[i].right;
      }
    }
    if (complete) WriteStagingBlock(studio);
  }
  p.workerRunning.store(0, std::memory_order_release);
}

}  // namespace tonforge
