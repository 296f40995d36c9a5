#include "audio/render.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdint>

#include "audio/playback.h"
#include "audio/voice.h"
#include "sequencer/song_clock.h"
#include "shell/show_error.h"

namespace tonforge {

namespace {

constexpr size_t kLongNameLimit = 250;

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::string TrackName(const Track& t) {
  size_t n = 0;
  while (n < t.name.size() && t.name[n] != '\0') ++n;
  return std::string(t.name.data(), n);
}

int32_t FindEndTick(const AppState& app) {
  const Track* global = app.song.tracks.At(0);
  if (!global) return -1;
  int32_t walked = 0;
  const int32_t count = global->events.Count();
  for (const Event* e = global->events.First(); e && walked < count; e = EventList::Next(e), ++walked)
    if (e->type == static_cast<int32_t>(EventType::End) && e->tick >= app.editCursor) return e->tick;
  return -1;
}

std::string DialogTitle(int32_t sampleRate) { return std::to_string(sampleRate) + "hz Render"; }

// Finishes the file and reports: "Rendering Complete" only when every byte reached the file.
void FinishAndReport(AppState& app, int64_t elapsedMs) {
  if (FinishWaveFile(app.render.wave)) {
    app.dialogs.Beep();
    ShowInformation(app.dialogs, ElapsedTimeText(elapsedMs), "Rendering Complete");
  } else {
    ShowError(app.dialogs, "Could Not Write Wave File");
  }
  app.redraw.Request(Panel::RenderOutput);
}

int64_t PercentComplete(const AppState& app) {
  const int64_t span = static_cast<int64_t>(app.render.endTick) - app.editCursor;
  const int64_t done = static_cast<int64_t>(app.currentTick) - app.editCursor;
  return span > 0 ? done * 100 / span : 100;
}

// The render's frame loop, shared by the worker and the synchronous entries: at most `frames` frames, ending
// early when PlaybackMode falls to 0 or, when `untilEnd`, once an End has been processed.
template <class Routines>
void RenderFrames(AppState& app, uint64_t frames, bool untilEnd, const RenderBeatHook& onBeat) {
  PlaybackState& p = app.playback;
  RenderState& r = app.render;
  SampleContext ctx = MakeSampleContext(app);
  Routines run;
  uint32_t rendered = r.samplesRendered.load(std::memory_order_relaxed);
  uint32_t clipped = r.samplesClipped.load(std::memory_order_relaxed);
  for (uint64_t f = 0; f < frames && p.mode.load(std::memory_order_acquire) != 0; ++f) {
    if (untilEnd && p.songEndReached.load(std::memory_order_acquire) != 0) break;
    const int32_t ticksPerBeat = app.song.ticksPerBeat;
    if (SongClockStep(app) == ClockStep::Tick && ticksPerBeat > 0 && app.currentTick % ticksPerBeat == 0) {
      ShowRenderProgress(app);
      if (onBeat) onBeat(untilEnd ? PercentComplete(app) : static_cast<int64_t>(f * 100 / frames));
    }
    const Frame16 frame = MixSongSampleWith(app, ctx, &clipped, run);
    rendered += 2;
    r.samplesRendered.store(rendered, std::memory_order_relaxed);
    r.samplesClipped.store(clipped, std::memory_order_relaxed);
    if (!AppendWaveFrame(r.wave, frame.left, frame.right)) {
      // Nothing more can reach the file: end the render as an End would, and say so when it is stopped.
      p.songEndReached.store(1, std::memory_order_release);
      break;
    }
  }
}

template <class Routines>
void RunRender(AppState& app) {
  PlaybackState& p = app.playback;
  p.workerRunning.store(1, std::memory_order_release);
  RenderFrames<Routines>(app, UINT64_MAX, true, {});
  p.workerRunning.store(0, std::memory_order_release);
}

// Steps 6 and 7 of the render button: the file and the song at its start, the statistics at zero.
bool OpenRender(AppState& app, const std::string& path) {
  RenderState& r = app.render;
  r.fileName = path;
  if (!CreateWaveFile(r.wave, r.fileName, app.rate.sampleRate)) {
    ShowError(app.dialogs, "Could Not Create Wave File");
    return false;
  }
  PrepareSongStart(app);
  r.samplesRendered.store(0);
  r.samplesClipped.store(0);
  return true;
}

enum class SongRenderStart { Render, NothingToRender, StoppedBeforeCursor, CannotCreateFile };

// Steps 6 to 9 of the render button, the end tick found: the file, the song at its start, and the silent
// advance to the EditCursor. Only Render leaves the file open.
SongRenderStart OpenSongRender(AppState& app, const std::string& path) {
  if (!OpenRender(app, path)) return SongRenderStart::CannotCreateFile;
  if (app.render.endTick == app.editCursor) return SongRenderStart::NothingToRender;
  if (!AdvanceToTick(app, app.editCursor)) {
    ShowError(app.dialogs, "Song Stopped Before Cursor Position");
    FinishWaveFile(app.render.wave);
    return SongRenderStart::StoppedBeforeCursor;
  }
  return SongRenderStart::Render;
}

RenderResult FinishRenderFile(AppState& app) {
  if (FinishWaveFile(app.render.wave)) return RenderResult::Done;
  ShowError(app.dialogs, "Could Not Write Wave File");
  return RenderResult::WriteFailed;
}

// Runs the frame loop on the calling thread with PlaybackMode held at 2, then finishes the file.
RenderResult RenderHere(AppState& app, uint64_t frames, bool untilEnd, const RenderBeatHook& onBeat) {
  PlaybackState& p = app.playback;
  p.songEndReached.store(0, std::memory_order_release);
  p.mode.store(static_cast<uint32_t>(PlaybackMode::Render), std::memory_order_release);
  if (app.render.quality != 0)
    RenderFrames<QualityRoutines>(app, frames, untilEnd, onBeat);
  else
    RenderFrames<StandardRoutines>(app, frames, untilEnd, onBeat);
  p.mode.store(0, std::memory_order_release);
  return FinishRenderFile(app);
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
  if (name.size() >= kLongNameLimit) return name;
  if (name.size() >= 4 && name[name.size() - 4] == '.') name.resize(name.size() - 4);
  return name + ".wav";
}

std::string ElapsedTimeText(int64_t t) {
  char text[96];
  const int64_t seconds = t / 1000 % 3600;
  std::snprintf(text, sizeof text, "Time %lld Hours %lld Minutes %lld Seconds", static_cast<long long>(t / 3600000),
                static_cast<long long>(seconds / 60), static_cast<long long>(seconds % 60));
  return text;
}

void StartRender(AppState& app) {
  StopPlayback(app);
  RenderState& r = app.render;
  r.endTick = FindEndTick(app);
  if (r.endTick < 0) {
    ShowError(app.dialogs, "You Must Insert An End Event At The End Of The Song");
    return;
  }
  FileDialogRequest request;
  request.title = DialogTitle(app.rate.sampleRate);
  request.startFolder = app.folders.tracks;
  request.defaultName = WithWaveExtension(TrackName(*app.song.tracks.At(0)));
  request.filters = {{"Wave Files (*.wav)", "*.wav"}, {"All Files (*.*)", "*.*"}};
  const std::optional<std::string> chosen = app.dialogs.SaveFile(request);
  if (!chosen) return;
  RememberFolder(app.folders, *chosen);
  StoreFolder(app.folders, app.folders.tracks);
  switch (OpenSongRender(app, WithWaveExtension(*chosen))) {
    case SongRenderStart::Render:
      break;
    case SongRenderStart::NothingToRender:
      FinishAndReport(app, 0);
      return;
    case SongRenderStart::StoppedBeforeCursor:
    case SongRenderStart::CannotCreateFile:
      return;
  }
  PlaybackState& p = app.playback;
  p.playButtonPressed = 1;
  ShowRenderProgress(app);
  r.startTimeMs = NowMs();
  if (!StartWorker(app, PlaybackMode::Render, r.quality != 0 ? RenderThreadQuality : RenderThread)) {
    p.playButtonPressed = 0;
    FinishWaveFile(r.wave);
    ShowError(app.dialogs, "Could Not Start Playback");
  }
}

RenderResult RenderSongToFile(AppState& app, const std::string& path, const RenderBeatHook& onBeat) {
  StopPlayback(app);
  RenderState& r = app.render;
  r.endTick = FindEndTick(app);
  if (r.endTick < 0) {
    ShowError(app.dialogs, "You Must Insert An End Event At The End Of The Song");
    return RenderResult::NoEnd;
  }
  switch (OpenSongRender(app, path)) {
    case SongRenderStart::Render:
      return RenderHere(app, UINT64_MAX, true, onBeat);
    case SongRenderStart::NothingToRender:
      return FinishRenderFile(app);
    case SongRenderStart::StoppedBeforeCursor:
      return RenderResult::StoppedBeforeCursor;
    case SongRenderStart::CannotCreateFile:
      break;
  }
  return RenderResult::CannotCreateFile;
}

RenderResult RenderFramesToFile(AppState& app, const std::string& path, uint64_t frames, const RenderBeatHook& onBeat) {
  StopPlayback(app);
  app.render.endTick = -1;
  if (!OpenRender(app, path)) return RenderResult::CannotCreateFile;
  return RenderHere(app, frames, false, onBeat);
}

void RenderThread(AppState& app) { RunRender<StandardRoutines>(app); }
void RenderThreadQuality(AppState& app) { RunRender<QualityRoutines>(app); }

void EndRender(AppState& app) { FinishAndReport(app, NowMs() - app.render.startTimeMs); }

void ShowRenderStatistics(AppState& app) {
  RenderState& r = app.render;
  const uint32_t rendered = r.samplesRendered.load(std::memory_order_relaxed);
  const uint32_t clipped = r.samplesClipped.load(std::memory_order_relaxed);
  const uint64_t percent = rendered == 0 ? 0 : static_cast<uint64_t>(clipped) * 100 / rendered;
  r.text.Format(0, "Samples Rendered %u", rendered);
  r.text.Format(1, "Samples Clipped %u", clipped);
  r.text.Format(2, "Percent Clipped %llu", static_cast<unsigned long long>(percent));
  app.redraw.Request(Panel::RenderOutput);
}

void ShowRenderProgress(AppState& app) {
  const Song& song = app.song;
  RenderState& r = app.render;
  const int64_t beats = song.ticksPerBeat > 0 ? app.currentTick / song.ticksPerBeat : 0;
  const int64_t perBar = song.beatsPerBar > 0 ? song.beatsPerBar : 1;
  r.text.Format(0, "Last Beat Rendered %lld:%lld", static_cast<long long>(beats / perBar),
                static_cast<long long>(beats % perBar));
  r.text.Format(2, "Percent Complete %lld", static_cast<long long>(PercentComplete(app)));
  app.redraw.Request(Panel::RenderOutput);
}

}  // namespace tonforge
