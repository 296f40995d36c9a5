#pragma once
// Channels in lanes. Channels that may run engine by engine and whose voice and track chains hold the same
// types, the voice's first engine (its source) aside, make a group; a group runs each chain position over the stretch for up to 8 of its channels at once,
// one channel in each lane of a vector register (engines/lanes.h), where the type has a lane run, and
// channel by channel where it has none. Levels, pans and the silence count are worked out per channel as
// MixChannelByEngine does, and each channel's frames end up where that would leave them, so the sum in
// channel order, and the bytes, are the same.
#include <algorithm>
#include <cstdint>

#include "audio/voice.h"
#include "engines/lanes.h"

namespace tonforge {

// Engine routines that say which set of lane runs matches them (the standard or the interpolating one).
template <class Routines>
inline constexpr bool kRunsInLanes = requires { Routines::kQuality; };

// Whether two channels' chains hold the same types at the same positions, with the voice's gate; the
// voices' first engines may differ.
bool SameChains(const Track& a, const Track& b);

// Fills the mixer's items for the stretch: a lane item for each 2 to 8 channels of a group, a lone item for
// every other channel.
void BuildMixItems(Studio& studio, uint32_t frames);

// The gains of a group's channels: a level, then the four pan gains.
struct LaneLevels {
  alignas(32) float gain[kMostLanes];
  alignas(32) float a[kMostLanes];
  alignas(32) float b[kMostLanes];
  alignas(32) float c[kMostLanes];
  alignas(32) float d[kMostLanes];
  void Set(int l, float level, PanGains pan) { gain[l] = level, a[l] = pan.a, b[l] = pan.b, c[l] = pan.c, d[l] = pan.d; }
};

// The voice's level and pan into a cleared sum, in every lane.
void VoiceLevelLanes(const LaneLevels& levels, int width, float* left, float* right, uint32_t n);
// The track's level, the silence test and the pan in every lane, into outs[l] for the first count lanes;
// lastLoud[l] is lane l's last loud frame or -1.
void TrackLevelLanes(const LaneLevels& levels, int width, const float* left, const float* right, uint32_t n,
                     MixBus* const* outs, int count, int32_t* lastLoud);

// Copies the values of the lanes marked in `take` from `from` to `to`, both `values` long, lane after lane.
void TakeLanes(const bool* take, int width, const float* from, float* to, size_t values);

// The frames of a lane group, frame after frame, lane after lane within a frame.
struct LaneFrames {
  alignas(32) float left[kMaxStretch * kMostLanes];
  alignas(32) float right[kMaxStretch * kMostLanes];
};

// MixChannelByEngine for `count` channels of a group in `width` lanes; outs[l] receives channel l's frames.
template <class Routines>
void MixLanesByEngine(Studio& studio, const int32_t* channels, int count, int width, SampleContext& ctx,
                      MixBus* const* outs, uint32_t n, Routines& run) {
  LaneFrames frames;
  Track* tracks[kMostLanes];
  uint32_t random[kMostLanes];
  LaneSet lanes;
  lanes.count = count;
  for (int l = 0; l < width; ++l) {
    tracks[l] = studio.channels.entries[channels[l < count ? l : 0]].track;
    random[l] = tracks[l]->runningRandom;
    lanes.writes[l] = l < count;
  }
  const size_t values = static_cast<size_t>(n) * static_cast<size_t>(width);
  std::fill_n(frames.left, values, 0.0f);
  std::fill_n(frames.right, values, 0.0f);
  bool inLanes = true;  // whether the frames are in `frames` or in the channels' own
  const auto toChannels = [&] {
    if (!inLanes) return;
    for (int l = 0; l < count; ++l)
      for (uint32_t f = 0; f < n; ++f) outs[l][f] = {frames.left[f * width + l], frames.right[f * width + l]};
    inLanes = false;
  };
  const auto toLanes = [&] {
    if (inLanes) return;
    for (uint32_t f = 0; f < n; ++f)
      for (int l = 0; l < width; ++l) {
        const MixBus b = outs[l < count ? l : 0][f];
        frames.left[f * width + l] = b.left, frames.right[f * width + l] = b.right;
      }
    inLanes = true;
  };
  // One chain position: engine(l) and pitch(l) of each lane, the voice of lane l or none.
  const auto runPosition = [&](auto engine, auto pitch, auto voice) {
    if (const LaneRun laneRun = LaneRoutine(engine(0).type, Routines::kQuality, width)) {
      toLanes();
      for (int l = 0; l < width; ++l) lanes.engine[l] = &engine(l), lanes.pitch[l] = pitch(l);
      laneRun(lanes, frames.left, frames.right, n, ctx);
      return;
    }
    toChannels();
    for (int l = 0; l < count; ++l) {
      ctx.engineRandom = random[l];
      run.Over(engine(l), voice(l), pitch(l), outs[l], n, ctx);
      random[l] = ctx.engineRandom;
    }
  };
  if (tracks[0]->gate == 1) {
    const uint32_t positions = std::min<uint32_t>(tracks[0]->playingProgram.engineCount, kChainLength);
    int32_t pitches[kMostLanes];
    for (int l = 0; l < width; ++l) {
      const Program& voice = tracks[l]->playingProgram;
      pitches[l] = VoicePitch(voice.transpose, tracks[l]->notePitch + voice.pitchOffset + tracks[l]->pitchOffset);
    }
    const auto engine = [&](int l, uint32_t p) -> Engine& { return tracks[l]->playingProgram.engines[p]; };
    const auto voice = [&](int l) {
      return VoiceRef{tracks[l]->playingProgram.engines.data(), &tracks[l]->playingProgram.transpose};
    };
    const bool sameSources = std::all_of(tracks, tracks + count, [&](const Track* t) {
      return t->playingProgram.engines[0].type == engine(0, 0).type;
    });
    if (positions > 0 && !sameSources) {
      // The sources differ: each type runs from the cleared bus in the lanes of its channels, in frames of its
      // own, and hands those lanes over.
      LaneFrames own;
      bool done[kMostLanes] = {};
      for (int first = 0; first < count; ++first) {
        if (done[first]) continue;
        const uint32_t type = engine(first, 0).type;
        LaneSet sources;
        sources.count = count;
        for (int l = 0; l < width; ++l) {
          const bool member = l < count && engine(l, 0).type == type;
          done[l] = done[l] || member;
          sources.engine[l] = &engine(member ? l : first, 0);
          sources.pitch[l] = pitches[member ? l : first];
          sources.writes[l] = member;
        }
        const LaneRun laneRun = LaneRoutine(type, Routines::kQuality, width);
        if (laneRun && first == 0) {
          // The first source runs straight into the cleared frames: a lane it does not own belongs to a source
          // after it, whose values replace what it put there, or is a spare lane, whose values nothing keeps.
          laneRun(sources, frames.left, frames.right, n, ctx);
          continue;
        }
        if (laneRun) {
          std::fill_n(own.left, values, 0.0f);
          std::fill_n(own.right, values, 0.0f);
          laneRun(sources, own.left, own.right, n, ctx);
        }
        if (laneRun) {
          TakeLanes(sources.writes.data(), width, own.left, frames.left, values);
          TakeLanes(sources.writes.data(), width, own.right, frames.right, values);
          continue;
        }
        for (int l = 0; l < count; ++l) {
          if (!sources.writes[l]) continue;
          std::fill_n(outs[l], n, MixBus{});
          ctx.engineRandom = random[l];
          run.Over(engine(l, 0), voice(l), pitches[l], outs[l], n, ctx);
          random[l] = ctx.engineRandom;
          for (uint32_t f = 0; f < n; ++f) {
            const size_t at = f * static_cast<size_t>(width) + static_cast<size_t>(l);
            frames.left[at] = outs[l][f].left, frames.right[at] = outs[l][f].right;
          }
        }
      }
    }
    for (uint32_t p = positions > 0 && !sameSources ? 1 : 0; p < positions; ++p)
      runPosition([&](int l) -> Engine& { return engine(l, p); }, [&](int l) { return pitches[l]; }, voice);
    LaneLevels levels;
    for (int l = 0; l < width; ++l) {
      const Program& voice = tracks[l]->playingProgram;
      levels.Set(l, voice.level * voice.volume, PanGainsAt(studio.tables, voice.pan));
    }
    if (inLanes) {
      VoiceLevelLanes(levels, width, frames.left, frames.right, n);
    } else {
      for (int l = 0; l < count; ++l)
        for (uint32_t f = 0; f < n; ++f) {
          MixBus& bus = outs[l][f];
          ScaleBus(bus, levels.gain[l]);
          MixBus voiceSum{};
          AddInto(voiceSum, Panned({levels.a[l], levels.b[l], levels.c[l], levels.d[l]}, bus));
          bus = voiceSum;
        }
    }
  }
  const int32_t positions = std::clamp(tracks[0]->chainLength, 0, kChainLength);
  for (int32_t p = 0; p < positions; ++p)
    runPosition([&](int l) -> Engine& { return tracks[l]->chain[p]; }, [](int) { return 0; },
                [](int) { return VoiceRef{}; });
  LaneLevels levels;
  for (int l = 0; l < width; ++l) levels.Set(l, tracks[l]->level * tracks[l]->volume, PanGainsAt(studio.tables, tracks[l]->pan));
  int32_t lastLoud[kMostLanes];  // the silence counter counts the silent frames since the last loud one
  if (inLanes) {
    TrackLevelLanes(levels, width, frames.left, frames.right, n, outs, count, lastLoud);
    inLanes = false;  // the frames are in the channels' own now
  } else {
    for (int l = 0; l < count; ++l) {
      lastLoud[l] = -1;
      for (uint32_t f = 0; f < n; ++f) {
        MixBus& bus = outs[l][f];
        ScaleBus(bus, levels.gain[l]);
        if (!IsSilentSample(bus.left) || !IsSilentSample(bus.right)) lastLoud[l] = static_cast<int32_t>(f);
        bus = Panned({levels.a[l], levels.b[l], levels.c[l], levels.d[l]}, bus);
      }
    }
  }
  for (int l = 0; l < count; ++l) {
    ChannelEntry& channel = studio.channels.entries[channels[l]];
    channel.silenceCounter =
        lastLoud[l] < 0 ? channel.silenceCounter + n : static_cast<uint32_t>(static_cast<int64_t>(n) - 1 - lastLoud[l]);
    tracks[l]->runningRandom = random[l];
  }
  toChannels();
}

}  // namespace tonforge
