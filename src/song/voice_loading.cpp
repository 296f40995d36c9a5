#include "song/voice_loading.h"

#include <algorithm>

namespace tonforge {

namespace {

void PrepareChain(Chain& chain, const OutputRate& rate) {
  for (Engine& e : chain) PrepareEngine(e, rate);
}

}  // namespace

void LoadVoice(Program& voice, const PositionBuffers& buffers, const std::array<uint32_t, kChainLength>& bufferSize,
               const Program& program) {
  voice.level = program.level;
  voice.volume = program.volume;
  voice.volumeSlide = program.volumeSlide;
  voice.transpose = program.transpose;
  voice.pitchOffset = program.pitchOffset;
  voice.pitchSlide = program.pitchSlide;
  voice.pan = program.pan;
  voice.panSlide = program.panSlide;
  voice.engineCount = program.engineCount;
  for (int p = 0; p < kChainLength; ++p) {
    Engine& e = voice.engines[p];
    e = program.engines[p];
    e.left = buffers.left[p];
    e.right = buffers.right[p];
    if (!IsKnownType(e.type)) continue;
    const uint32_t needed = BuildEngineCatalog()[e.type].delayBufferLength;
    if (BuildEngineCatalog()[e.type].delayLineCount == 0) continue;
    if (!e.left || !e.right || bufferSize[p] < needed) {
      e.type = 0;
      continue;
    }
    std::fill_n(e.left.get(), needed, 0.0f);
    std::fill_n(e.right.get(), needed, 0.0f);
  }
}

void StartLiveNote(Session& session, int32_t pitch, int32_t programIndex) {
  Song& song = session.song;
  if (pitch > kHighestPitch || programIndex < 0 || programIndex >= static_cast<int32_t>(song.programs.size()))
    return;
  LiveVoiceState& live = session.live;
  live.livePitch = pitch;
  live.liveFlag = 1;
  live.noteStarted = 1;
  if (Track* global = song.tracks.At(0)) PrepareChain(global->chain, session.rate);
  if (Track* current = song.tracks.At(song.currentTrack)) PrepareChain(current->chain, session.rate);
  Program& program = *song.programs[programIndex];
  PrepareChain(program.engines, session.rate);
  LoadVoice(live.voice, live.buffers, song.positionBufferSize, program);
}

}  // namespace tonforge
