#pragma once
// The song mix in stretches. Between two points where the song's state can change (a tick, where events
// act; the End) no channel depends on another within a frame, so each channel runs over the whole stretch
// before the next one does, on whichever thread takes it, and the frames are then added in channel order,
// exactly as the frame-by-frame mix adds them, so the output is the same to the bit. The song chain then
// runs frame by frame on the calling thread.
//
// A stretch is one frame long where that does not hold: with the frame-by-frame method, and when the song
// holds an engine that moves the tempo every frame.
#include <algorithm>
#include <cstdint>

#include "audio/lane_mix.h"
#include "audio/voice.h"
#include "sequencer/song_clock.h"

namespace tonforge {

struct Stretch {
  uint32_t frames = 0;
  ClockStep first = ClockStep::Sample;  // what the clock did on the first frame
};

// Sizes the mixer for the ChannelTable just built and finds whether anything moves the tempo. The only
// place the mixer allocates or starts threads; called by PrepareSongStart.
void PrepareSongMixer(Studio& studio);

// Runs the song clock for the next stretch of at most `limit` frames (limit >= 1): the first frame's step,
// which may process a tick, then every frame on which no tick falls. With stopAtEnd a first frame whose tick
// reached the End is a stretch of its own, for callers that end there.
Stretch StepStretchClock(Studio& studio, uint32_t limit, bool stopAtEnd);

// The frames channel `channel` adds to the sum over a stretch, in one of the two sets (by default the one the
// channels are being mixed into).
inline MixBus* ChannelFrames(Studio& studio, int32_t channel, uint32_t set) {
  SongMixer& m = studio.mixer;
  return m.channelFrames.data() + set * (m.channelFrames.size() / 2) + static_cast<size_t>(channel) * kMaxStretch;
}
inline MixBus* ChannelFrames(Studio& studio, int32_t channel) {
  return ChannelFrames(studio, channel, studio.mixer.frameSet);
}

template <class Routines>
struct StretchJob {
  Studio* studio;
  const SampleContext* base;
  uint32_t frames;
};

// Whether a channel may run engine after engine over the stretch instead of frame after frame: no engine of
// its program reaches into the voice (a pitch controller or the synchronisation changes what the engines after
// it do within the same frame), at most one of its engines draws from the track's random sequence (so the
// draws come in the same order), and its chain cannot fall asleep within the stretch (the silence counter
// decides frame by frame whether the track chain runs).
bool RunsEngineByEngine(const Studio& studio, int32_t channel, uint32_t frames);

// The stretch of one channel engine by engine: each engine's working state and delay lines stay at hand over
// the whole stretch, and the frames of one engine do not wait on the whole chain of the frame before. The
// same operations in the same order per frame as MixChannel, so the same values.
template <class Routines>
void MixChannelByEngine(Studio& studio, int32_t index, SampleContext& ctx, MixBus* out, uint32_t n, Routines& run) {
  ChannelEntry& channel = studio.channels.entries[index];
  Track& track = *channel.track;
  ctx.engineRandom = track.runningRandom;
  std::fill_n(out, n, MixBus{});
  if (track.gate == 1) {
    Program& voice = track.playingProgram;
    const VoiceRef ref{voice.engines.data(), &voice.transpose};
    const int32_t pitch = VoicePitch(voice.transpose, track.notePitch + voice.pitchOffset + track.pitchOffset);
    const uint32_t positions = std::min<uint32_t>(voice.engineCount, kChainLength);
    for (uint32_t p = 0; p < positions; ++p) run.Over(voice.engines[p], ref, pitch, out, n, ctx);
    // Levels and pans are read once for the stretch: the panels may change them while the song plays, and
    // a change then takes effect at the next stretch instead of the next frame.
    const float gain = voice.level * voice.volume;
    const PanGains pan = PanGainsAt(studio.tables, voice.pan);
    for (uint32_t f = 0; f < n; ++f) {
      ScaleBus(out[f], gain);
      MixBus voiceSum{};
      AddInto(voiceSum, Panned(pan, out[f]));
      out[f] = voiceSum;
    }
  }
  const PanGains pan = PanGainsAt(studio.tables, track.pan);
  if (index == 0) {
    for (uint32_t f = 0; f < n; ++f) out[f] = Panned(pan, out[f]);
  } else {
    const int32_t positions = std::clamp(track.chainLength, 0, kChainLength);
    for (int32_t p = 0; p < positions; ++p) run.Over(track.chain[p], VoiceRef{}, 0, out, n, ctx);
    const float gain = track.level * track.volume;
    // The silence counter counts the silent frames since the last loud one.
    int64_t lastLoud = -1;
    for (uint32_t f = 0; f < n; ++f) {
      ScaleBus(out[f], gain);
      if (!IsSilentSample(out[f].left) || !IsSilentSample(out[f].right)) lastLoud = f;
      out[f] = Panned(pan, out[f]);
    }
    channel.silenceCounter =
        lastLoud < 0 ? channel.silenceCounter + n : static_cast<uint32_t>(n - 1 - lastLoud);
  }
  track.runningRandom = ctx.engineRandom;
}

// One channel over the stretch, with a context of the thread's own (the same tables, rate and tempo).
template <class Routines>
void MixChannelStretch(void* job, int32_t channel) {
  const auto& j = *static_cast<const StretchJob<Routines>*>(job);
  SampleContext ctx = *j.base;
  Routines run;
  MixBus* out = ChannelFrames(*j.studio, channel);
  if (RunsEngineByEngine(*j.studio, channel, j.frames)) {
    MixChannelByEngine(*j.studio, channel, ctx, out, j.frames, run);
    return;
  }
  for (uint32_t f = 0; f < j.frames; ++f) out[f] = MixChannel(*j.studio, channel, ctx, run);
}

// One item of the stretch's work: a lone channel as above, or channels of a group in lanes.
template <class Routines>
void MixItemStretch(void* job, int32_t item) {
  const auto& j = *static_cast<const StretchJob<Routines>*>(job);
  const SongMixer& m = j.studio->mixer;
  const MixItem& it = m.items[item];
  const int32_t* channels = m.laneOrder.data() + it.first;
  if (it.width == 0) return MixChannelStretch<Routines>(job, channels[0]);
  SampleContext ctx = *j.base;
  Routines run;
  MixBus* outs[kMostLanes];
  for (int l = 0; l < it.count; ++l) outs[l] = ChannelFrames(*j.studio, channels[l]);
  MixLanesByEngine(*j.studio, channels, it.count, it.width, ctx, outs, j.frames, run);
}

// Whether the song chain may run engine after engine over the stretch: at most one of its engines draws from
// the song's random sequence, so the draws come in the same order.
bool SongChainRunsEngineByEngine(const Studio& studio);

// Fewer frames than this are not worth waking the helpers for.
inline constexpr uint32_t kMinSharedStretch = 16;

// Whether the stretch is mixed channel by channel over its whole length; else frame by frame.
inline bool MixesInStretches(Studio& studio, uint32_t frames) {
  const int32_t channels = studio.channels.count;
  return frames > 1 && studio.playback.songEndReached.load(std::memory_order_acquire) == 0 && channels > 0 &&
         studio.mixer.channelFrames.size() >= 2 * static_cast<size_t>(channels) * kMaxStretch;
}

// The channels of the stretch into the current set of channel frames, on the helpers too when it is long
// enough; the calling thread runs meanwhile(meanwhileJob, 0) first, beside them.
template <class Routines>
void MixStretchChannels(Studio& studio, SampleContext& ctx, uint32_t frames, MixWorkers::Task meanwhile = nullptr,
                        void* meanwhileJob = nullptr) {
  StretchJob<Routines> job{&studio, &ctx, frames};
  MixWorkers::Task task = &MixChannelStretch<Routines>;
  int32_t items = studio.channels.count;
  if constexpr (kRunsInLanes<Routines>) {
    if (studio.mixer.method == MixMethod::Lanes) {
      BuildMixItems(studio, frames);
      task = &MixItemStretch<Routines>;
      items = static_cast<int32_t>(studio.mixer.items.size());
    }
  }
  if (frames >= kMinSharedStretch) return studio.mixer.workers.Run(task, &job, items, meanwhile, meanwhileJob);
  if (meanwhile) meanwhile(meanwhileJob, 0);
  for (int32_t i = 0; i < items; ++i) task(&job, i);
}

// The channels' frames of a stretch from one set, added in channel order as the frame-by-frame mix adds them.
void SumChannels(Studio& studio, uint32_t set, uint32_t frames, MixBus* sums);

// The song chain engine by engine over a stretch whose channels are mixed: their frames summed in channel
// order, the chain, the song's gain, into out. Its context is its own, with the held rate.
template <class Routines>
void RunStretchSongChain(Studio& studio, const SampleContext& base, const HeldStretch& held, Frame16* out,
                         uint32_t* clipped) {
  Routines run;
  SampleContext ctx = base;
  OutputRate rate = held.rate;
  ctx.rate = &rate;
  const uint32_t frames = held.frames;
  MixBus sums[kMaxStretch];
  SumChannels(studio, held.frameSet, frames, sums);
  ctx.engineRandom = studio.song.runningRandom;
  if (Track* global = studio.song.tracks.At(0)) {
    const int32_t positions = std::clamp(global->chainLength, 0, kChainLength);
    for (int32_t p = 0; p < positions; ++p) run.Over(global->chain[p], VoiceRef{}, 0, sums, frames, ctx);
  }
  studio.song.runningRandom = ctx.engineRandom;
  for (uint32_t f = 0; f < frames; ++f) {
    ScaleBus(sums[f], held.gain);
    out[f] = {ToSample16(sums[f].left, clipped), ToSample16(sums[f].right, clipped)};
  }
}

// What the song chain of the stretch just mixed reads that the ticks after it may change.
inline HeldStretch HoldStretch(Studio& studio, uint32_t frames) {
  return {frames, studio.mixer.frameSet, studio.song.songLevel * studio.song.volume, studio.rate};
}

// Mixes the `frames` frames whose clock steps StepStretchClock has just made into out, counting clipped
// values into *clipped when given.
template <class Routines>
void MixStretchWith(Studio& studio, SampleContext& ctx, uint32_t frames, Frame16* out, uint32_t* clipped) {
  if (!MixesInStretches(studio, frames)) {
    Routines run;
    for (uint32_t f = 0; f < frames; ++f) out[f] = MixSongSampleWith(studio, ctx, clipped, run);
    return;
  }
  MixStretchChannels<Routines>(studio, ctx, frames);
  if (SongChainRunsEngineByEngine(studio))
    return RunStretchSongChain<Routines>(studio, ctx, HoldStretch(studio, frames), out, clipped);
  Routines run;
  MixBus sums[kMaxStretch];
  SumChannels(studio, studio.mixer.frameSet, frames, sums);
  for (uint32_t f = 0; f < frames; ++f) out[f] = FinishSongFrame(studio, ctx, sums[f], clipped, run);
}

// The song mix for callers that take the frames as they come (the render and its bench), one stretch late:
// the song chain of a stretch runs on the calling thread while the helpers mix the channels of the next, instead
// of keeping them waiting. The same bytes as MixStretchWith, in the same order, provided the caller finishes
// the held stretch before anything but the clock changes the song (FinishHeldStretchWith) and before a tick
// at which the song track acts (FinishBeforeSongTrackActsWith), since that may change the song chain.
// Writes what is finished to out (room for 2 * kMaxStretch frames) and returns its frame count.
template <class Routines>
uint32_t FinishHeldStretchWith(Studio& studio, SampleContext& ctx, Frame16* out, uint32_t* clipped) {
  HeldStretch& held = studio.mixer.held;
  const uint32_t frames = held.frames;
  if (frames == 0) return 0;
  RunStretchSongChain<Routines>(studio, ctx, held, out, clipped);
  held.frames = 0;
  return frames;
}

// Whether the clock's next frame processes a tick at which the song track has an event or a Phrase event due.
bool SongTrackActsNext(const Studio& studio);

template <class Routines>
uint32_t FinishBeforeSongTrackActsWith(Studio& studio, SampleContext& ctx, Frame16* out, uint32_t* clipped) {
  return SongTrackActsNext(studio) ? FinishHeldStretchWith<Routines>(studio, ctx, out, clipped) : 0;
}

struct HeldChainJob {
  Studio* studio;
  const SampleContext* base;
  Frame16* out;
  uint32_t* clipped;
};

template <class Routines>
void RunHeldChain(void* job, int32_t) {
  const auto& j = *static_cast<const HeldChainJob*>(job);
  RunStretchSongChain<Routines>(*j.studio, *j.base, j.studio->mixer.held, j.out, j.clipped);
}

template <class Routines>
uint32_t MixStretchAheadWith(Studio& studio, SampleContext& ctx, uint32_t frames, Frame16* out, uint32_t* clipped) {
  SongMixer& m = studio.mixer;
  if (!MixesInStretches(studio, frames) || !SongChainRunsEngineByEngine(studio)) {
    const uint32_t finished = FinishHeldStretchWith<Routines>(studio, ctx, out, clipped);
    MixStretchWith<Routines>(studio, ctx, frames, out + finished, clipped);
    return finished + frames;
  }
  const uint32_t finished = m.held.frames;
  HeldChainJob chain{&studio, &ctx, out, clipped};
  MixStretchChannels<Routines>(studio, ctx, frames, finished > 0 ? &RunHeldChain<Routines> : nullptr, &chain);
  m.held = HoldStretch(studio, frames);
  m.frameSet ^= 1u;
  return finished;
}

// The standard and the interpolating engine routines.
void MixStretch(Studio& studio, SampleContext& ctx, uint32_t frames, Frame16* out, uint32_t* clipped = nullptr);
void MixStretchQuality(Studio& studio, SampleContext& ctx, uint32_t frames, Frame16* out, uint32_t* clipped);
// The mix one stretch late with either set of routines (the interpolating one with `quality`).
uint32_t MixStretchAhead(Studio& studio, SampleContext& ctx, uint32_t frames, Frame16* out, bool quality);
uint32_t FinishBeforeSongTrackActs(Studio& studio, SampleContext& ctx, Frame16* out, bool quality);
uint32_t FinishHeldStretch(Studio& studio, SampleContext& ctx, Frame16* out, bool quality);

}  // namespace tonforge
