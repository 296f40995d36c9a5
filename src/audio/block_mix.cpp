#include "audio/block_mix.h"

#include "engines/lanes.h"

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

bool ReachesIntoVoice(uint32_t type) {
  using T = EngineTypeId;
  switch (static_cast<T>(type)) {
    case T::PitchModulation:
    case T::PitchShift:
    case T::Arpeggiator:
    case T::OscillatorSynchronisation:
      return true;
    default:
      return false;
  }
}

bool DrawsRandom(uint32_t type) {
  return type == static_cast<uint32_t>(EngineTypeId::WhiteNoiseGenerator) ||
         type == static_cast<uint32_t>(EngineTypeId::RandomPanning);
}

// How many engines of a track or song chain draw from its random sequence.
int ChainDraws(const Track& track) {
  const int32_t positions = std::clamp(track.chainLength, 0, kChainLength);
  return static_cast<int>(std::count_if(track.chain.begin(), track.chain.begin() + positions,
                                        [](const Engine& e) { return DrawsRandom(e.type); }));
}

// Four channels a pass, each value still added channel after channel, so that the sum is read and written
// once for four channels; with AVX2, eight values an instruction.
TONFORGE_LANE_INLINE void AddChannels(const float* const* in, int32_t count, float* __restrict sum, uint32_t values) {
  int32_t c = 0;
  for (; c + 4 <= count; c += 4) {
    const float *a = in[c], *b = in[c + 1], *d = in[c + 2], *e = in[c + 3];
    for (uint32_t i = 0; i < values; ++i) sum[i] = (((sum[i] + a[i]) + b[i]) + d[i]) + e[i];
  }
  for (; c < count; ++c)
    for (uint32_t i = 0; i < values; ++i) sum[i] += in[c][i];
}

void AddChannels4(const float* const* in, int32_t count, float* sum, uint32_t values) {
  AddChannels(in, count, sum, values);
}
[[gnu::target("avx2")]] void AddChannels8(const float* const* in, int32_t count, float* sum, uint32_t values) {
  AddChannels(in, count, sum, values);
}

}  // namespace

void SumChannels(Studio& studio, uint32_t set, uint32_t frames, MixBus* sums) {
  static const auto add = WidestLanes() == 8 ? AddChannels8 : AddChannels4;
  const int32_t count = studio.channels.count;
  const float* in[kMaxTracks];
  for (int32_t c = 0; c < count; ++c) in[c] = &ChannelFrames(studio, c, set)->left;
  std::fill_n(sums, frames, MixBus{});
  add(in, count, &sums->left, 2 * frames);
}

bool RunsEngineByEngine(const Studio& studio, int32_t channel, uint32_t frames) {
  const ChannelEntry& entry = studio.channels.entries[channel];
  const Track& track = *entry.track;
  int draws = 0;
  if (channel != 0) {
    if (static_cast<uint64_t>(entry.silenceCounter) + frames >= static_cast<uint64_t>(studio.rate.sampleRate))
      return false;
    draws += ChainDraws(track);
  }
  if (track.gate == 1) {
    const Program& voice = track.playingProgram;
    const uint32_t positions = std::min<uint32_t>(voice.engineCount, kChainLength);
    for (uint32_t p = 0; p < positions; ++p) {
      if (ReachesIntoVoice(voice.engines[p].type)) return false;
      draws += DrawsRandom(voice.engines[p].type);
    }
  }
  return draws <= 1;
}

bool SameChains(const Track& a, const Track& b) {
  const auto sameTypes = [](const auto& x, const auto& y, size_t from, size_t to) {
    return std::equal(x.begin() + from, x.begin() + to, y.begin() + from,
                      [](const Engine& e, const Engine& f) { return e.type == f.type; });
  };
  if (a.gate != b.gate) return false;
  if (a.gate == 1) {
    const Program &va = a.playingProgram, &vb = b.playingProgram;
    const uint32_t positions = std::min<uint32_t>(va.engineCount, kChainLength);
    // Programs differ most in their sources, which the group runs type by type.
    if (positions != std::min<uint32_t>(vb.engineCount, kChainLength) ||
        (positions > 1 && !sameTypes(va.engines, vb.engines, 1, positions)))
      return false;
  }
  const auto positions = static_cast<size_t>(std::clamp(a.chainLength, 0, kChainLength));
  return positions == static_cast<size_t>(std::clamp(b.chainLength, 0, kChainLength)) &&
         sameTypes(a.chain, b.chain, 0, positions);
}

void BuildMixItems(Studio& studio, uint32_t frames) {
  SongMixer& m = studio.mixer;
  const int32_t channels = studio.channels.count;
  m.items.clear();
  m.laneOrder.clear();
  m.laneLeads.clear();
  m.laneGroup.assign(static_cast<size_t>(channels), -1);
  // Each channel that may run engine by engine joins the first earlier group whose chains match its own.
  for (int32_t c = 1; c < channels; ++c) {
    if (!RunsEngineByEngine(studio, c, frames)) continue;
    const Track& track = *studio.channels.entries[c].track;
    for (const int32_t lead : m.laneLeads)
      if (SameChains(*studio.channels.entries[lead].track, track)) {
        m.laneGroup[c] = lead;
        break;
      }
    if (m.laneGroup[c] < 0) m.laneGroup[c] = c, m.laneLeads.push_back(c);
  }
  const auto add = [&m](int32_t first, int32_t count, int32_t width) {
    m.items.push_back({first, static_cast<int16_t>(count), static_cast<int16_t>(width)});
  };
  // A group goes out in items of the widest lanes; what remains takes lanes of its own too when it is more
  // than half of them (or on SSE2, where 4 lanes are all there is), and else runs channel by channel.
  const int32_t widest = m.laneWidth;
  for (const int32_t lead : m.laneLeads) {
    auto first = static_cast<int32_t>(m.laneOrder.size());
    for (int32_t c = lead; c < channels; ++c)
      if (m.laneGroup[c] == lead) m.laneOrder.push_back(c);
    // Channels of the same source side by side, so that most items hold one source type.
    const auto source = [&studio](int32_t c) {
      const Track& t = *studio.channels.entries[c].track;
      return t.gate == 1 && t.playingProgram.engineCount > 0 ? t.playingProgram.engines[0].type : 0u;
    };
    std::sort(m.laneOrder.begin() + first, m.laneOrder.end(),
              [&](int32_t a, int32_t b) { return std::pair(source(a), a) < std::pair(source(b), b); });
    int32_t left = static_cast<int32_t>(m.laneOrder.size()) - first;
    for (; left >= widest; left -= widest, first += widest) add(first, widest, widest);
    // Where 8 lanes are at hand, 4 or fewer channels gain nothing worth the lanes' own work (measured with the
    // 4-track song of bench/render_bench.cpp): they run alone.
    if (left > 4 || (left > 1 && widest == 4)) {
      add(first, left, widest);
    } else {
      for (; left > 0; --left, ++first) add(first, 1, 0);
    }
  }
  for (int32_t c = 0; c < channels; ++c)
    if (m.laneGroup[c] < 0) {
      add(static_cast<int32_t>(m.laneOrder.size()), 1, 0);
      m.laneOrder.push_back(c);
    }
}

bool SongTrackActsNext(const Studio& studio) {
  // The clock's own test of whether the next frame ticks.
  if (studio.channels.count == 0 || studio.song.tickAccumulator + 1.0f < studio.rate.samplesPerTick) return false;
  const Track& song = *studio.channels.entries[0].track;
  const int64_t tick = studio.currentTick;
  return (song.playCursor != nullptr && song.playCursor->tick == tick) ||
         (song.phraseCursor != nullptr && static_cast<int64_t>(song.phraseCursor->tick) + song.phraseStartTick == tick);
}

bool SongChainRunsEngineByEngine(const Studio& studio) {
  const Track* global = studio.song.tracks.At(0);
  return !global || ChainDraws(*global) <= 1;
}

void PrepareSongMixer(Studio& studio) {
  SongMixer& m = studio.mixer;
  m.tempoMoves = SongMovesTempo(studio);
  m.held.frames = 0;
  const int32_t channels = studio.channels.count;
  if (m.method == MixMethod::Frame) return;
  m.channelFrames.resize(2 * static_cast<size_t>(channels) * kMaxStretch);
  m.frameSet = 0;
  // Every channel is in at most one item; the lists are filled anew for each stretch without allocating.
  m.laneWidth = std::min(WidestLanes(), m.widestLanes);
  m.laneOrder.reserve(static_cast<size_t>(channels));
  m.items.reserve(static_cast<size_t>(channels));
  m.laneLeads.reserve(static_cast<size_t>(channels));
  m.laneGroup.reserve(static_cast<size_t>(channels));
  const int32_t threads = m.threads > 0 ? m.threads : CoreCount();
  // Channel 0, the song track, seldom plays a voice: a song of one track is not worth waking a helper for.
  const int32_t tracks = channels - 1;
  m.workers.Resize(std::min(threads, tracks) - 1, studio.playback.highPriority != 0, channels);
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

uint32_t MixStretchAhead(Studio& studio, SampleContext& ctx, uint32_t frames, Frame16* out, bool quality) {
  return quality ? MixStretchAheadWith<QualityRoutines>(studio, ctx, frames, out, nullptr)
                 : MixStretchAheadWith<StandardRoutines>(studio, ctx, frames, out, nullptr);
}

uint32_t FinishBeforeSongTrackActs(Studio& studio, SampleContext& ctx, Frame16* out, bool quality) {
  return quality ? FinishBeforeSongTrackActsWith<QualityRoutines>(studio, ctx, out, nullptr)
                 : FinishBeforeSongTrackActsWith<StandardRoutines>(studio, ctx, out, nullptr);
}

uint32_t FinishHeldStretch(Studio& studio, SampleContext& ctx, Frame16* out, bool quality) {
  return quality ? FinishHeldStretchWith<QualityRoutines>(studio, ctx, out, nullptr)
                 : FinishHeldStretchWith<StandardRoutines>(studio, ctx, out, nullptr);
}

}  // namespace tonforge
