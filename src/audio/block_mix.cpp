#include "audio/block_mix.h"

namespace tonforge {

namespace {

bool MovesTempo(const Engine& e) { return e.type == static_cast<uint32_t>(EngineTypeId::SongSpeedModulator); }

template <class Engines>
bool AnyMovesTempo(const Engines& chain, int64_t positions) {
  const auto n = static_cast<size_t>(std::clamp<int64_t>(positions, 0, kChainLength));
  return std::any_of(chain.begin(), chain.begin() + n, MovesTempo);
}

// Whether any engine the song mix can run writes the song's tempo. Only the song chain may hold one, but
// the mix does not rely on it.
bool SongMovesTempo(const Studio& studio) {
  for (int32_t c = 0; c < studio.channels.count; ++c) {
    const Track& t = *studio.channels.entries[c].track;
    if (AnyMovesTempo(t.chain, t.chainLength)) return true;
    if (AnyMovesTempo(t.playingProgram.engines, kChainLength)) return true;
  }
  for (const auto& p : studio.song.programs)
    if (AnyMovesTempo(p->engines, kChainLength)) return true;
  return false;
}

}  // namespace

void PrepareSongMixer(Studio& studio) {
  SongMixer& m = studio.mixer;
  m.tempoMoves = SongMovesTempo(studio);
  const int32_t channels = studio.channels.count;
  if (m.method == MixMethod::Frame) return;
  m.channelFrames.resize(static_cast<size_t>(channels) * kMaxStretch);
  const int32_t threads = m.threads > 0 ? m.threads : CoreCount();
  m.workers.Resize(std::min(threads, channels) - 1, studio.playback.highPriority != 0);
}

Stretch StepStretchClock(Studio& studio, uint32_t limit, bool stopAtEnd) {
  Stretch s;
  s.first = SongClockStep(studio);
  s.frames = 1;
  if (studio.mixer.method == MixMethod::Frame || studio.mixer.tempoMoves || limit <= 1) return s;
  if (stopAtEnd && studio.playback.songEndReached.load(std::memory_order_acquire) != 0) return s;
  s.frames += SongClockRunToTick(studio, limit - 1);
  return s;
}

void MixStretch(Studio& studio, SampleContext& ctx, uint32_t frames, Frame16* out, uint32_t* clipped) {
  MixStretchWith<StandardRoutines>(studio, ctx, frames, out, clipped);
}

void MixStretchQuality(Studio& studio, SampleContext& ctx, uint32_t frames, Frame16* out, uint32_t* clipped) {
  MixStretchWith<QualityRoutines>(studio, ctx, frames, out, clipped);
}

}  // namespace tonforge
