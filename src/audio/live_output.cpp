#include "audio/live_output.h"

#include "shell/show_error.h"

namespace tonforge {

namespace {

void WriteAt(AppState& app, uint32_t target) {
  app.ring.writeBlock = target;
  app.ring.blockPending = 0;
  // A block that cannot be written is lost; the device plays what the ring held.
  (void)app.sound->WriteBlock(target * kBlockBytes, app.ring.staging.data(), kBlockBytes);
}

void PrepareChain(std::array<Engine, kChainLength>& chain, const OutputRate& rate) {
  for (Engine& e : chain) PrepareEngine(e, rate);
}

}  // namespace

bool WriteStagingBlock(AppState& app) {
  if (!app.sound) {
    app.ring.blockPending = 1;
    return false;
  }
  const uint32_t target = TargetBlock(app.sound->PlayCursor());
  if (target == app.ring.writeBlock) {
    app.ring.blockPending = 1;
    return false;
  }
  WriteAt(app, target);
  return true;
}

bool WritePendingBlock(AppState& app) {
  if (!app.sound) return false;
  const uint32_t target = TargetBlock(app.sound->PlayCursor());
  if (target == app.ring.writeBlock) return false;
  WriteAt(app, target);
  return true;
}

LiveOutputStep ServeLiveOutput(AppState& app) {
  StandardRoutines run;
  return ServeLiveOutputWith(app, run);
}

void StartLiveNote(AppState& app, int32_t pitch, int32_t programIndex) {
  Song& song = app.song;
  if (pitch > kHighestPitch || programIndex < 0 || programIndex >= static_cast<int32_t>(song.programs.size()))
    return;
  LiveVoiceState& live = app.live;
  live.livePitch = pitch;
  live.liveFlag = 1;
  app.ring.blockPending = 0;
  if (Track* global = song.tracks.At(0)) PrepareChain(global->chain, app.rate);
  if (Track* current = song.tracks.At(song.currentTrack)) PrepareChain(current->chain, app.rate);
  Program& program = *song.programs[programIndex];
  PrepareChain(program.engines, app.rate);
  LoadVoice(live.voice, live.buffers, song.positionBufferSize, program);
}

bool CreateMixBuffer(AppState& app, int32_t sampleRate) {
  if (app.sound && app.sound->Recreate(sampleRate)) return true;
  ShowError(app.dialogs, "Could Not Create Mix Sound Buffer");
  return false;
}

}  // namespace tonforge
