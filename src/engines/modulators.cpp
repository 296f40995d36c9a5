// Modulation and utility engines: level and panning modulators, the pitch controllers that write the
// voice's transpose, simple signal shapers and the song tempo controller.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "engines/contract.h"
#include "engines/families.h"
#include "shell/random.h"

namespace tonforge {

namespace {

constexpr int kPanRightmost = 200;
constexpr float kArpeggioStepLength = 441.0f;  // phase units per step without "Ticks"
constexpr uint32_t kFewestArpeggioTones = 2;
constexpr uint32_t kMostArpeggioTones = 5;

// Truncation toward zero that stays defined for any float: a damaged modulator gain can make a product
// that no int32 holds, and a NaN gives 0.
int32_t TruncateToInt(float v) {
  constexpr float kLargest = 2147483520.0f;  // the largest float below 2^31
  if (std::isnan(v)) return 0;
  return static_cast<int32_t>(std::clamp(v, -kLargest, kLargest));
}

// Pan position from a control value in -1..1: trunc((m + 1) * 100), kept within 0..200.
int PanPosition(float m) {
  const float x = (m + 1.0f) * 100.0f;
  if (!(x >= 0.0f)) return 0;
  if (x >= static_cast<float>(kPanRightmost)) return kPanRightmost;
  return static_cast<int>(x);
}

void Pan(const SampleContext& ctx, int position, MixBus& bus) {
  PanStereo(*ctx.tables, std::clamp(position, 0, kPanRightmost), bus.left, bus.right);
}

float Clip(float v, float limit) {
  if (v > limit) return limit;
  if (v < -limit) return -limit;
  return v;
}

void WriteTranspose(VoiceRef voice, int32_t cents) {
  if (voice.transpose != nullptr) *voice.transpose = cents;
}

// A hold period of W0 samples counted down in W1; true when a new period starts. With W0 = 0 the unsigned
// countdown wraps to its largest value, so the first period never ends.
bool StartsHoldPeriod(Engine& e) {
  const bool starts = e.W[1].u == 0;
  if (starts) e.W[1].u = e.W[0].u;
  e.W[1].u -= 1;
  return starts;
}

// "2 Tones" .. "5 Tones" from option 0; a stored choice beyond "5 Tones" plays five.
uint32_t ArpeggioTones(const Engine& e) {
  return std::min(e.options[0].Load(), kMostArpeggioTones - kFewestArpeggioTones) + kFewestArpeggioTones;
}

}  // namespace

void SettleArpeggioStep(Engine& e) {
  if (e.options[kArpeggioStepOption] >= ArpeggioTones(e)) e.options[kArpeggioStepOption] = 0;
}

void ProcessAmplitudeModulation(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  const MixBus in = ctx.bus;
  const float g = ModulatorSum(e, e.F[0], *ctx.rate);
  if (g < 0.0f) {
    ctx.bus = MixBus{};  // below zero is silence, never a phase inversion
  } else {
    ctx.bus.left = in.left * g;
    ctx.bus.right = in.right * g;
  }
  WetDryMix(ctx.bus, in, e, 1);
}

void ProcessAmplifier(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  ctx.bus.left *= e.F[0];
  ctx.bus.right *= e.F[1];
}

// Transpose = "Wet" x range x (base plus modulators) cents.
void ProcessPitchModulation(Engine& e, VoiceRef voice, int32_t, SampleContext& ctx) {
  const float m = ModulatorSum(e, e.F[0], *ctx.rate);
  WriteTranspose(voice, TruncateToInt(e.F[1] * e.W[0].f * m));
}

void ProcessPitchShift(Engine& e, VoiceRef voice, int32_t, SampleContext&) { WriteTranspose(voice, e.W[0].i); }

// W6 is the step phase; option 2 holds the step index, which a voice takes over from its Program. An index
// at or beyond the number of tones (fewer tones chosen since) restarts at the first tone.
void ProcessArpeggiator(Engine& e, VoiceRef voice, int32_t, SampleContext& ctx) {
  const uint32_t tones = ArpeggioTones(e);
  uint32_t step = e.options[kArpeggioStepOption];
  if (step >= tones) step = 0;
  const float rateFactor = ctx.rate->rateFactor;
  e.W[6].f += rateFactor * e.F[5];
  const float limit = e.options[1] != 0 ? ctx.rate->samplesPerTick * rateFactor : kArpeggioStepLength;
  if (e.W[6].f >= limit) {
    e.W[6].f = 0.0f;
    if (++step == tones) step = 0;
  }
  e.options[kArpeggioStepOption] = step;
  WriteTranspose(voice, e.W[step].i * 100);
}

void ProcessPanningModulation(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  const MixBus in = ctx.bus;
  Pan(ctx, PanPosition(ModulatorSum(e, e.F[0], *ctx.rate)), ctx.bus);
  WetDryMix(ctx.bus, in, e, 1);
}

// A new random pan position (W2) every "Delay".
void ProcessRandomPanning(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  const MixBus in = ctx.bus;
  if (StartsHoldPeriod(e)) e.W[2].i = static_cast<int32_t>(EngineRandomNext(ctx.engineRandom, kPanRightmost));
  Pan(ctx, e.W[2].i, ctx.bus);
  WetDryMix(ctx.bus, in, e, 1);
}

// The channels exchanged (W2 = 1) and straight in turn, each for "Delay"; the first period is exchanged.
void ProcessPingPong(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  const MixBus in = ctx.bus;
  if (StartsHoldPeriod(e)) e.W[2].i = 1 - e.W[2].i;
  if (e.W[2].i == 1) std::swap(ctx.bus.left, ctx.bus.right);
  WetDryMix(ctx.bus, in, e, 1);
}

// Drive (W0 = 200^"Power") then a hard clip at "Clip".
void ProcessDistortion(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  const MixBus in = ctx.bus;
  ctx.bus.left = Clip(in.left * e.W[0].f, e.F[1]);
  ctx.bus.right = Clip(in.right * e.W[0].f, e.F[1]);
  WetDryMix(ctx.bus, in, e, 2);
}

void ProcessClipper(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  ctx.bus.left = Clip(ctx.bus.left, e.F[0]);
  ctx.bus.right = Clip(ctx.bus.right, e.F[0]);
}

// Full-wave rectifier shifted down by one: silence becomes -1.
void ProcessPositor(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  const MixBus in = ctx.bus;
  ctx.bus.left = 2.0f * std::fabs(in.left) - 1.0f;
  ctx.bus.right = 2.0f * std::fabs(in.right) - 1.0f;
  WetDryMix(ctx.bus, in, e, 0);
}

// Tempo target = "Base" + "Range" x modulators, within 1..1000 bpm; the song tempo moves to it by the "Wet"
// share each sample, and the beat figures follow at once.
void ProcessSongSpeedModulator(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  float t = e.F[0] * 100.0f;
  const float range = e.F[1] * 100.0f;
  for (uint32_t s = 0; s < e.loadedSlotCount && s < kDataSlotCount; ++s) {
    DataSlot& slot = e.slots[s];
    if (slot.length == 0 || !slot.data) continue;
    t += ReadModulator(slot, *ctx.rate) * range;
  }
  if (t > kMaxTempo) t = kMaxTempo;
  if (!(t >= kMinTempo)) t = kMinTempo;
  *ctx.tempo = t * e.F[2] + *ctx.tempo * e.C[2];
  UpdateBeatFigures(*ctx.rate, *ctx.tempo, *ctx.ticksPerBeat);
}

// The block mix's loops, with each routine inlined.
TONFORGE_OVER_FRAMES(ProcessAmplitudeModulation);
TONFORGE_OVER_FRAMES(ProcessAmplifier);
TONFORGE_OVER_FRAMES(ProcessPitchModulation);
TONFORGE_OVER_FRAMES(ProcessPitchShift);
TONFORGE_OVER_FRAMES(ProcessArpeggiator);
TONFORGE_OVER_FRAMES(ProcessPanningModulation);
TONFORGE_OVER_FRAMES(ProcessRandomPanning);
TONFORGE_OVER_FRAMES(ProcessPingPong);
TONFORGE_OVER_FRAMES(ProcessDistortion);
TONFORGE_OVER_FRAMES(ProcessClipper);
TONFORGE_OVER_FRAMES(ProcessPositor);
TONFORGE_OVER_FRAMES(ProcessSongSpeedModulator);

}  // namespace tonforge
