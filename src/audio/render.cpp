#include "audio/render.h"

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdint>

#include "audio/block_mix.h"
#include "audio/playback.h"
#include "audio/voice.h"
#include "sequencer/song_clock.h"
#include "shell/folders.h"
#include "shell/show_error.h"
#include "shell/wave_file.h"

namespace tonforge {

namespace {


int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::string TrackName(const Track& t) {
  size_t n = 0;
  while (n < t.name.size() && t.name[n] != '\0') ++n;
  return std::string(t.name.data(), n);
}

int32_t FindEndTick(const Studio& studio) {
  const Track* global = studio.song.tracks.At(0);
  if (!global) return -1;
  int32_t walked = 0;
  const int32_t count = global->events.Count();
  for (const Event* e = global->events.First(); e && walked < count; e = EventList::Next(e), ++walked)
    if (e->type == static_cast<int32_t>(EventType::End) && e->tick >= studio.editCursor) return e->tick;
  return -1;
}

std::string DialogTitle(int32_t sampleRate) { return std::to_string(sampleRate) + "hz Render"; }

// Finishes the file and reports: "Rendering Complete" only when every byte reached the file.
void FinishAndReport(Studio& studio, int64_t elapsedMs) {
  if (FinishWaveFile(studio.render.wave)) {
    studio.dialogs.Beep();
    ShowInformation(studio.dialogs, ElapsedTimeText(elapsedMs), "Rendering Complete");
  } else {
    ShowError(studio.dialogs, FailureText(kWaveWriteFailed, studio.render.wave.file.Failure()));
  }
  studio.changes.Report(Change::Output);
}

int64_t PercentComplete(const Studio& studio) {
  const int64_t span = static_cast<int64_t>(studio.render.endTick) - studio.editCursor;
  const int64_t done = static_cast<int64_t>(studio.currentTick) - studio.editCursor;
  return span > 0 ? done * 100 / span : 100;
}

// The render's frame loop, shared by the worker and the synchronous entries: at most `frames` frames, ending
// early when PlaybackMode falls to 0 or, when `untilEnd`, once an End has been processed.
template <class Routines>
void RenderFrames(Studio& studio, uint64_t frames, bool untilEnd, const RenderBeatHook& onBeat) {
  PlaybackState& p = studio.playback;
  RenderState& r = studio.render;
  SampleContext ctx = MakeSampleContext(studio);
  uint32_t rendered = r.samplesRendered.load(std::memory_order_relaxed);
  uint32_t clipped = r.samplesClipped.load(std::memory_order_relaxed);
  // The mix hands each stretch over one stretch late, so the file takes what is finished, as it comes.
  Frame16 out[2 * kMaxStretch];
  const auto write = [&](uint32_t count) {
    r.samplesClipped.store(clipped, std::memory_order_relaxed);
    for (uint32_t i = 0; i < count; ++i) {
      rendered += 2;
      r.samplesRendered.store(rendered, std::memory_order_relaxed);
      if (!AppendWaveFrame(r.wave, out[i].left, out[i].right)) {
        // Nothing more can reach the file: end the render as an End would, and say so when it is stopped.
        p.songEndReached.store(1, std::memory_order_release);
        studio.mixer.held.frames = 0;
        return false;
      }
    }
    return true;
  };
  for (uint64_t f = 0; f < frames && !IsPlaybackIdle(studio);) {
    if (untilEnd && p.songEndReached.load(std::memory_order_acquire) != 0) break;
    const int32_t ticksPerBeat = studio.song.ticksPerBeat;
    const auto limit = static_cast<uint32_t>(std::min<uint64_t>(frames - f, kMaxStretch));
    uint32_t finished = FinishBeforeSongTrackActsWith<Routines>(studio, ctx, out, &clipped);
    const Stretch s = StepStretchClock(studio, limit, untilEnd);
    if (s.first == ClockStep::Tick && ticksPerBeat > 0 && studio.currentTick % ticksPerBeat == 0) {
      ShowRenderProgress(studio);
      if (onBeat) onBeat(untilEnd ? PercentComplete(studio) : static_cast<int64_t>(f * 100 / frames));
    }
    finished += MixStretchAheadWith<Routines>(studio, ctx, s.frames, out + finished, &clipped);
    f += s.frames;
    if (!write(finished)) return;
  }
  write(FinishHeldStretchWith<Routines>(studio, ctx, out, &clipped));
}

template <class Routines>
void RunRender(Studio& studio) {
  PlaybackState& p = studio.playback;
  p.workerRunning.store(1, std::memory_order_release);
  RenderFrames<Routines>(studio, UINT64_MAX, true, {});
  p.workerRunning.store(0, std::memory_order_release);
}

// Steps 6 and 7 of the render button: the file and the song at its start, the statistics at zero.
bool OpenRender(Studio& studio, const std::string& path) {
  RenderState& r = studio.render;
  r.fileName = path;
  if (!CreateWaveFile(r.wave, r.fileName, studio.rate.sampleRate)) {
    ShowError(studio.dialogs, FailureText(kWaveCreateFailed, r.wave.file.Failure()));
    return false;
  }
  PrepareSongStart(studio);
  r.samplesRendered.store(0);
  r.samplesClipped.store(0);
  return true;
}

enum class SongRenderStart { Render, NothingToRender, StoppedBeforeCursor, CannotCreateFile };

// Steps 6 to 9 of the render button, the end tick found: the file, the song at its start, and the silent
// advance to the EditCursor. Only Render leaves the file open.
SongRenderStart OpenSongRender(Studio& studio, const std::string& path) {
  if (!OpenRender(studio, path)) return SongRenderStart::CannotCreateFile;
  if (studio.render.endTick == studio.editCursor) return SongRenderStart::NothingToRender;
  if (!AdvanceToTick(studio, studio.editCursor)) {
    ShowError(studio.dialogs, "Song Stopped Before Cursor Position");
    FinishWaveFile(studio.render.wave);
    return SongRenderStart::StoppedBeforeCursor;
  }
  return SongRenderStart::Render;
}

RenderResult FinishRenderFile(Studio& studio) {
  if (FinishWaveFile(studio.render.wave)) return RenderResult::Done;
  ShowError(studio.dialogs, FailureText(kWaveWriteFailed, studio.render.wave.file.Failure()));
  return RenderResult::WriteFailed;
}

// Runs the frame loop on the calling thread with PlaybackMode held at 2, then finishes the file.
RenderResult RenderHere(Studio& studio, uint64_t frames, bool untilEnd, const RenderBeatHook& onBeat) {
  PlaybackState& p = studio.playback;
  p.songEndReached.store(0, std::memory_order_release);
  p.mode.store(PlaybackMode::Render, std::memory_order_release);
  if (studio.render.quality != 0)
    RenderFrames<QualityRoutines>(studio, frames, untilEnd, onBeat);
  else
    RenderFrames<StandardRoutines>(studio, frames, untilEnd, onBeat);
  p.mode.store(PlaybackMode::Idle, std::memory_order_release);
  return FinishRenderFile(studio);
}

}  // namespace

void RenderPanelText::Format(int line, const char* format, ...) {
  if (line < 0 || line > 2) return;
  std::lock_guard<std::mutex> guard(lock_);
  va_list args;
  va_start(args, format);
  std::vsnprintf(lines_[line].data(), lines_[line].size(), format, args);
  va_end(args);
}

std::array<RenderPanelText::Line, 3> RenderPanelText::Lines() const {
  std::lock_guard<std::mutex> guard(lock_);
  return lines_;
}

std::string RenderPanelText::LineText(int line) const {
  if (line < 0 || line > 2) return {};
  const Line l = Lines()[line];
  return std::string(l.data());
}

std::string WithWaveExtension(std::string name) {
  ApplyExtensionRule(name, ".wav");
  return name;
}

std::string ElapsedTimeText(int64_t t) {
  char text[96];
  const int64_t seconds = t / 1000 % 3600;
  std::snprintf(text, sizeof text, "Time %lld Hours %lld Minutes %lld Seconds", static_cast<long long>(t / 3600000),
                static_cast<long long>(seconds / 60), static_cast<long long>(seconds % 60));
  return text;
}

void StartRender(Studio& studio) {
  StopPlayback(studio);
  RenderState& r = studio.render;
  r.endTick = FindEndTick(studio);
  if (r.endTick < 0) {
    ShowError(studio.dialogs, "You Must Insert An End Event At The End Of The Song");
    return;
  }
  FileDialogRequest request;
  request.title = DialogTitle(studio.rate.sampleRate);
  request.startFolder = studio.folders.tracks;
  request.defaultName = WithWaveExtension(TrackName(*studio.song.tracks.At(0)));
  request.filters = WaveFileFilters();
  const std::optional<std::string> chosen = studio.dialogs.SaveFile(request);
  if (!chosen) return;
  RememberFolder(studio.folders, *chosen);
  StoreFolder(studio.folders, studio.folders.tracks);
  switch (OpenSongRender(studio, WithWaveExtension(*chosen))) {
    case SongRenderStart::Render:
      break;
    case SongRenderStart::NothingToRender:
      FinishAndReport(studio, 0);
      return;
    case SongRenderStart::StoppedBeforeCursor:
    case SongRenderStart::CannotCreateFile:
      return;
  }
  PlaybackState& p = studio.playback;
  p.playButtonPressed = 1;
  ShowRenderProgress(studio);
  r.startTimeMs = NowMs();
  if (!StartWorker(studio, PlaybackMode::Render, r.quality != 0 ? RenderThreadQuality : RenderThread)) {
    p.playButtonPressed = 0;
    FinishWaveFile(r.wave);
    ShowError(studio.dialogs, "Could Not Start Playback");
  }
}

RenderResult RenderSongToFile(Studio& studio, const std::string& path, const RenderBeatHook& onBeat) {
  StopPlayback(studio);
  RenderState& r = studio.render;
  r.endTick = FindEndTick(studio);
  if (r.endTick < 0) {
    ShowError(studio.dialogs, "You Must Insert An End Event At The End Of The Song");
    return RenderResult::NoEnd;
  }
  switch (OpenSongRender(studio, path)) {
    case SongRenderStart::Render:
      return RenderHere(studio, UINT64_MAX, true, onBeat);
    case SongRenderStart::NothingToRender:
      return FinishRenderFile(studio);
    case SongRenderStart::StoppedBeforeCursor:
      return RenderResult::StoppedBeforeCursor;
    case SongRenderStart::CannotCreateFile:
      break;
  }
  return RenderResult::CannotCreateFile;
}

RenderResult RenderFramesToFile(Studio& studio, const std::string& path, uint64_t frames, const RenderBeatHook& onBeat) {
  StopPlayback(studio);
  studio.render.endTick = -1;
  if (!OpenRender(studio, path)) return RenderResult::CannotCreateFile;
  return RenderHere(studio, frames, false, onBeat);
}

void RenderThread(Studio& studio) { RunRender<StandardRoutines>(studio); }
void RenderThreadQuality(Studio& studio) { RunRender<QualityRoutines>(studio); }

void EndRender(Studio& studio) { FinishAndReport(studio, NowMs() - studio.render.startTimeMs); }

void ShowRenderStatistics(Studio& studio) {
  RenderState& r = studio.render;
  const uint32_t rendered = r.samplesRendered.load(std::memory_order_relaxed);
  const uint32_t clipped = r.samplesClipped.load(std::memory_order_relaxed);
  // Hundredths of a percent, to the nearest: a few thousand clipped samples in a long render are not "0".
  const uint64_t hundredths =
      rendered == 0 ? 0 : (static_cast<uint64_t>(clipped) * 20000 + rendered) / (2 * static_cast<uint64_t>(rendered));
  r.text.Format(0, "Samples Rendered %u", rendered);
  r.text.Format(1, "Samples Clipped %u", clipped);
  r.text.Format(2, "Percent Clipped %llu.%02llu", static_cast<unsigned long long>(hundredths / 100),
                static_cast<unsigned long long>(hundredths % 100));
}

void ShowRenderProgress(Studio& studio) {
  const Song& song = studio.song;
  RenderState& r = studio.render;
  const int64_t beats = song.ticksPerBeat > 0 ? studio.currentTick / song.ticksPerBeat : 0;
  const int64_t perBar = song.beatsPerBar > 0 ? song.beatsPerBar : 1;
  r.text.Format(0, "Last Beat Rendered %lld:%lld", static_cast<long long>(beats / perBar),
                static_cast<long long>(beats % perBar));
  r.text.Format(2, "Percent Complete %lld", static_cast<long long>(PercentComplete(studio)));
  studio.changes.Report(Change::Output);
}

}  // namespace tonforge
