#include "audio/wave_playback.h"

#include <algorithm>
#include <memory>

#include "audio/live_output.h"
#include "audio/output_rate.h"
#include "audio/playback.h"
#include "shell/files.h"
#include "shell/folders.h"
#include "shell/show_error.h"
#include "shell/sound_file.h"

namespace tonforge {

namespace {

// Fills the StagingBlock with the next block of frames, silence after the last one, and returns the frames
// read. Fewer than a block means the file has ended or could not be read any further.
uint32_t ReadWaveBlock(WavePlaybackState& w, OutputRing& ring) {
  const uint32_t got = w.stream ? w.stream->ReadStereo(ring.staging.data(), ring.blockFrames) : 0;
  std::fill(ring.staging.begin() + 2 * got, ring.staging.begin() + 2 * ring.blockFrames, int16_t{0});
  return got;
}

}  // namespace

bool SelectWave(Studio& studio) {
  StopPlayback(studio);
  FileDialogRequest request;
  request.title = "Select Wave";
  request.startFolder = studio.folders.tracks;  // shared with the render's save dialog
  request.filters = SoundFileFilters();
  const auto path = studio.dialogs.OpenFile(request);
  if (!path) return false;
  RememberFolder(studio.folders, *path);
  StoreFolder(studio.folders, studio.folders.tracks);
  return StartWavePlayback(studio, *path);
}

bool StartWavePlayback(Studio& studio, const std::string& path) {
  StopPlayback(studio);
  std::string reason;
  std::unique_ptr<SoundStream> stream = SoundStream::Open(path, studio.ring.blockFrames, reason);
  // A file at one of the output rates is played at its own rate, as the renders are; any other is converted to
  // the rate the output has.
  const int32_t rate = stream && IsOutputRate(stream->Facts().rate) ? stream->Facts().rate : studio.rate.sampleRate;
  if (!stream || !stream->PlayAt(rate, reason)) {
    ShowError(studio.dialogs, FailureText(kInvalidFile, {path, reason}));
    return false;
  }
  if (rate != studio.rate.sampleRate) SwitchOutputRate(studio, rate);
  WavePlaybackState& w = studio.wavePlayback;
  w.stream = std::move(stream);
  studio.ring.blockPending = 0;
  studio.ring.writeBlock = 0;
  PlaybackState& p = studio.playback;
  p.playButtonPressed = 1;
  studio.changes.Report(Change::Transport);
  if (!StartWorker(studio, PlaybackMode::WaveFile, WavePlaybackThread)) {
    p.playButtonPressed = 0;
    w.stream.reset();
    ShowError(studio.dialogs, "Could Not Start Playback");
    return false;
  }
  return true;
}

void WavePlaybackThread(Studio& studio) {
  PlaybackState& p = studio.playback;
  WavePlaybackState& w = studio.wavePlayback;
  p.workerRunning.store(1, std::memory_order_release);
  while (p.mode.load(std::memory_order_acquire) != PlaybackMode::Idle) {
    if (studio.ring.blockPending != 0) {
      if (!WritePendingBlock(studio)) WaitForPlayCursor();
      continue;
    }
    // Once a short block has been written the data has ended, and the next read finds nothing.
    if (ReadWaveBlock(w, studio.ring) == 0) break;
    WriteStagingBlock(studio);
  }
  // From here on the ring is the idle step's again: it may resume the live output as soon as the mode is 0.
  w.stream.reset();
  p.playButtonPressed = 0;
  studio.changes.Report(Change::Transport);
  p.mode.store(PlaybackMode::Idle, std::memory_order_release);
  p.workerRunning.store(0, std::memory_order_release);
}

}  // namespace tonforge
