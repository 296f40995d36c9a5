#pragma once
// Voices and the walk of the three chain levels that makes one output frame: each track's voice runs its
// program chain, is levelled and panned, runs through the track chain, is levelled and panned again into the
// sum; the song chain runs on the sum, the song level is applied and the frame is clipped to 16 bits.
//
// The per-sample walk is written once as templates over the engine routines: playback and live output use
// the standard routines, the high-quality render the interpolating ones, and tests their own stand-ins.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "audio/studio.h"
#include "engines/engine.h"
#include "song/voice_loading.h"

namespace tonforge {

struct Frame16 {
  int16_t left = 0;
  int16_t right = 0;
};

struct StandardRoutines {
  static constexpr bool kQuality = false;
  void operator()(Engine& e, VoiceRef v, int32_t pitch, SampleContext& c) const { ProcessEngine(e, v, pitch, c); }
  void Over(Engine& e, VoiceRef v, int32_t pitch, MixBus* frames, uint32_t n, SampleContext& c) const {
    ProcessEngineOver(e, v, pitch, frames, n, c);
  }
};

struct QualityRoutines {
  static constexpr bool kQuality = true;
  void operator()(Engine& e, VoiceRef v, int32_t pitch, SampleContext& c) const {
    ProcessEngineQuality(e, v, pitch, c);
  }
  void Over(Engine& e, VoiceRef v, int32_t pitch, MixBus* frames, uint32_t n, SampleContext& c) const {
    ProcessEngineOverQuality(e, v, pitch, frames, n, c);
  }
};

inline constexpr float kFullScale = 32767.0f;
inline constexpr int32_t kPanCentre = 100;

// The per-sample context of an audio thread, bound to the studio's tables, rate and song tempo.
SampleContext MakeSampleContext(Studio& studio);

// Clips to -1..1 (counting each clipped value when asked) and truncates v * 32767 towards zero. A NaN, which
// has no sign to clip to, becomes silence.
inline int16_t ToSample16(float v, uint32_t* clipped) {
  if (std::isnan(v)) return 0;
  if (v > 1.0f || v < -1.0f) {
    v = v > 1.0f ? 1.0f : -1.0f;
    if (clipped) ++*clipped;
  }
  return static_cast<int16_t>(v * kFullScale);
}

// True when the value would come out of the converter as 0.
inline bool IsSilentSample(float v) { return std::fabs(v * kFullScale) < 1.0f; }

// The four gains of one pan position, looked up once for a run of frames. Pans from damaged files are held
// to the table's 0..200.
struct PanGains {
  float a, b, c, d;
};

inline PanGains PanGainsAt(const Tables& tables, int32_t pan) {
  const auto p = static_cast<size_t>(std::clamp(pan, 0, 2 * kPanCentre));
  return {tables.panA[p], tables.panB[p], tables.panC[p], tables.panD[p]};
}

// PanStereo with the gains at hand.
inline MixBus Panned(PanGains g, MixBus bus) {
  return {bus.left * g.a + bus.right * g.c, bus.left * g.b + bus.right * g.d};
}

inline MixBus Panned(const Tables& tables, MixBus bus, int32_t pan) { return Panned(PanGainsAt(tables, pan), bus); }

inline void AddInto(MixBus& sum, MixBus bus) {
  sum.left += bus.left;
  sum.right += bus.right;
}

// Adds bus, panned to pan, to sum.
inline void PanInto(const Tables& tables, MixBus& sum, MixBus bus, int32_t pan) {
  AddInto(sum, Panned(tables, bus, pan));
}

inline void ScaleBus(MixBus& bus, float gain) {
  bus.left *= gain;
  bus.right *= gain;
}

// Steps the loaded modulator slots of a silent track's chain so they keep their timing while the chain sleeps.
void StepSilentModulators(Track& track, const OutputRate& rate);

// The pitch handed to an engine: the voice's transpose (which a pitch controller earlier in the chain may
// have just changed) plus the rest of the voice's pitch, held inside the PitchTable's reach of any offset.
inline int32_t VoicePitch(int32_t transpose, int32_t rest) {
  const int64_t p = static_cast<int64_t>(transpose) + rest;
  return static_cast<int32_t>(std::clamp<int64_t>(p, -100000, 100000));
}

// Runs positions 0..positions-1 of a voice's program chain on ctx.bus; the pitch is recomputed before every
// engine so a Pitch Shift changes the engines after it within the same sample.
template <class Routines>
void RunProgramChain(Program& voice, uint32_t positions, int32_t pitchRest, SampleContext& ctx, Routines& run) {
  const VoiceRef ref{voice.engines.data(), &voice.transpose};
  const uint32_t n = std::min<uint32_t>(positions, kChainLength);
  for (uint32_t p = 0; p < n; ++p) run(voice.engines[p], ref, VoicePitch(voice.transpose, pitchRest), ctx);
}

// Runs positions 0..positions-1 of a track or song chain on ctx.bus at pitch 0. The pitch controllers and the
// synchronisation engine, the only types that reach into a voice, stand in program chains alone, so these
// chains belong to no voice.
template <class Routines>
void RunEffectChain(std::array<Engine, kChainLength>& chain, int32_t positions, SampleContext& ctx, Routines& run) {
  const int32_t n = std::clamp(positions, 0, kChainLength);
  for (int32_t p = 0; p < n; ++p) run(chain[p], VoiceRef{}, 0, ctx);
}

// A track's voice: when its gate is open, its program chain from a cleared bus, levelled by the program's
// level times volume and panned into voiceSum.
template <class Routines>
void MixTrackVoice(Studio& studio, Track& track, SampleContext& ctx, MixBus& voiceSum, Routines& run) {
  if (track.gate != 1) return;
  Program& voice = track.playingProgram;
  ctx.bus = {};
  RunProgramChain(voice, voice.engineCount, track.notePitch + voice.pitchOffset + track.pitchOffset, ctx, run);
  ScaleBus(ctx.bus, voice.level * voice.volume);
  PanInto(studio.tables, voiceSum, ctx.bus, voice.pan);
}

// The track chain of a normal channel on ctx.bus, with silence detection. A channel that has been silent for
// a whole second closes its gate and contributes exactly nothing until its next NoteOn; its modulators keep
// moving meanwhile.
template <class Routines>
void RunTrackStage(Studio& studio, ChannelEntry& channel, SampleContext& ctx, Routines& run) {
  Track& track = *channel.track;
  if (channel.silenceCounter >= static_cast<uint32_t>(studio.rate.sampleRate)) {
    track.gate = 0;
    StepSilentModulators(track, studio.rate);
    ctx.bus = {};
    return;
  }
  RunEffectChain(track.chain, track.chainLength, ctx, run);
  ScaleBus(ctx.bus, track.level * track.volume);
  if (IsSilentSample(ctx.bus.left) && IsSilentSample(ctx.bus.right))
    ++channel.silenceCounter;
  else
    channel.silenceCounter = 0;
}

// One frame of one channel of the song mix, panned, ready to be added into the sum; with the track's own
// engine random sequence. A channel touches only its own track, so channels may run apart from each other.
template <class Routines>
MixBus MixChannel(Studio& studio, int32_t index, SampleContext& ctx, Routines& run) {
  ChannelEntry& channel = studio.channels.entries[index];
  Track& track = *channel.track;
  ctx.engineRandom = track.runningRandom;
  MixBus voiceSum{};
  MixTrackVoice(studio, track, ctx, voiceSum, run);
  ctx.bus = voiceSum;
  if (index != 0) RunTrackStage(studio, channel, ctx, run);  // the GlobalTrack's chain is the song chain
  const MixBus out = Panned(studio.tables, ctx.bus, track.pan);
  track.runningRandom = ctx.engineRandom;
  return out;
}

// Runs the song chain over `positions` engines on sum with the song's random sequence; returns the bus.
template <class Routines>
MixBus RunSongChain(Studio& studio, SampleContext& ctx, MixBus sum, int32_t positions, Routines& run) {
  ctx.engineRandom = studio.song.runningRandom;
  ctx.bus = sum;
  if (Track* global = studio.song.tracks.At(0)) RunEffectChain(global->chain, positions, ctx, run);
  studio.song.runningRandom = ctx.engineRandom;
  return ctx.bus;
}

// The song chain, song level and volume, clipping and conversion of one song frame.
template <class Routines>
Frame16 FinishSongFrame(Studio& studio, SampleContext& ctx, MixBus sum, uint32_t* clipped, Routines& run) {
  const Track* global = studio.song.tracks.At(0);
  MixBus out = RunSongChain(studio, ctx, sum, global ? global->chainLength : 0, run);
  ScaleBus(out, studio.song.songLevel * studio.song.volume);
  return {ToSample16(out.left, clipped), ToSample16(out.right, clipped)};
}

// One frame of song playback or rendering. Once the song's End has been reached only the song chain runs,
// so its tails ring on. Counts clipped values into *clipped when given.
template <class Routines>
Frame16 MixSongSampleWith(Studio& studio, SampleContext& ctx, uint32_t* clipped, Routines& run) {
  MixBus sum{};
  if (studio.playback.songEndReached.load(std::memory_order_acquire) == 0)
    for (int32_t i = 0; i < studio.channels.count; ++i) AddInto(sum, MixChannel(studio, i, ctx, run));
  return FinishSongFrame(studio, ctx, sum, clipped, run);
}

// One live voice, levelled and panned into voiceSum; a released voice fades out linearly and then falls silent.
template <class Routines>
void MixLiveVoice(Studio& studio, LiveVoice& v, SampleContext& ctx, MixBus& voiceSum, Routines& run) {
  if (v.liveFlag == 0 && v.fadeLeft == 0) return;
  ctx.bus = {};
  RunProgramChain(v.voice, kChainLength, v.voice.pitchOffset + v.livePitch, ctx, run);
  float gain = v.voice.level;
  if (v.liveFlag == 0) gain *= static_cast<float>(v.fadeLeft--) / static_cast<float>(v.fadeLength);
  ScaleBus(ctx.bus, gain);
  PanInto(studio.tables, voiceSum, ctx.bus, v.voice.pan);
}

// One frame of the live output: the live voices summed through the current track's chain and the song chain, every
// chain over all nine positions, no song level and no clip counting.
template <class Routines>
Frame16 MixLiveSampleWith(Studio& studio, SampleContext& ctx, Routines& run) {
  const int32_t current = studio.song.currentTrack;
  Track* track = studio.song.tracks.At(current);
  MixBus sum{};
  if (track) {
    ctx.engineRandom = track->runningRandom;
    MixBus voiceSum{};
    for (LiveVoice& v : studio.live.voices) MixLiveVoice(studio, v, ctx, voiceSum, run);
    ctx.bus = voiceSum;
    if (current != 0) {
      RunEffectChain(track->chain, kChainLength, ctx, run);
      ScaleBus(ctx.bus, track->level * track->volume);
    }
    PanInto(studio.tables, sum, ctx.bus, track->pan);
    track->runningRandom = ctx.engineRandom;
  }
  const MixBus out = RunSongChain(studio, ctx, sum, kChainLength, run);
  return {ToSample16(out.left, nullptr), ToSample16(out.right, nullptr)};
}

Frame16 MixSongSample(Studio& studio, SampleContext& ctx, uint32_t* clipped = nullptr);
Frame16 MixSongSampleQuality(Studio& studio, SampleContext& ctx, uint32_t* clipped);
Frame16 MixLiveSample(Studio& studio, SampleContext& ctx);

inline constexpr int32_t kAutoLevelSamples = 44100;
inline constexpr int32_t kAutoLevelSteps = 100;  // levels 1.00 down to 0.01 in steps of 0.01

// Finds the highest level (in hundredths, at most 1.0, at least 0.01) at which the program plays a second at
// pitch 0 without clipping, and leaves it as the program's level. Stops any playback first.
template <class Routines>
void AutoLevelProgramWith(Studio& studio, Program& program, Routines& run) {
  StopPlayback(studio);
  for (Engine& e : program.engines) PrepareEngine(e, studio.rate);
  SampleContext ctx = MakeSampleContext(studio);
  ctx.engineRandom = studio.random.engine;
  LiveVoice& live = studio.live.voices.front();  // borrowed for the measurement
  for (int32_t steps = kAutoLevelSteps;; --steps) {
    program.level = static_cast<float>(steps / 100.0);
    LoadVoice(live.voice, live.buffers, studio.song.positionBufferSize, program);
    bool clips = false;
    for (int32_t n = 0; n < kAutoLevelSamples && !clips; ++n) {
      ctx.bus = {};
      RunProgramChain(live.voice, kChainLength, live.voice.pitchOffset, ctx, run);
      ScaleBus(ctx.bus, program.level);
      clips = std::fabs(ctx.bus.left) > 1.0f || std::fabs(ctx.bus.right) > 1.0f;
    }
    if (!clips || steps == 1) break;
  }
  studio.random.engine = ctx.engineRandom;
}

// The program editor's auto-level command on the current program; does nothing without programs.
void AutoLevelProgram(Studio& studio);

}  // namespace tonforge
