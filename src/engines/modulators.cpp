// Modulation and utility engines: level and panning modulators, the pitch controllers that write the
// voice's transpose, simple signal shapers and the song tempo controller.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "engines/contract.h"
#include "engines/families.h"
#include "engines/family_rows.h"
#include "shell/random.h"

namespace tonforge {

namespace {

// Amplitude, panning and pitch modulation: a base plus the modulator slots. W0 of pitch modulation holds
// the range in cents.
namespace modulation {
enum Parameter : int { kBase, kWet, kRange };
enum WorkingWord : int { kRangeCents };
}  // namespace modulation
namespace amplifier {
enum Parameter : int { kLeft, kRight };
}
namespace pitch_shift {
enum Parameter : int { kCents };
enum WorkingWord : int { kShift };
}  // namespace pitch_shift
// The arpeggiator's notes in semitones sit in W0..W4, its step phase in W6.
namespace arpeggio {
enum Parameter : int { kNote1, kSpeed = 5 };
enum Option : int { kTones, kTicks, kStep = kArpeggioStepOption };
enum WorkingWord : int { kStepPhase = 6 };
constexpr int kNotes = 5;
}  // namespace arpeggio
// Random panning and ping pong hold a state for "Delay": W0 the period, W1 its countdown, W2 the state.
namespace hold {
enum Parameter : int { kDelay, kWet };
enum WorkingWord : int { kPeriod, kCountdown, kState };
}  // namespace hold
namespace distortion {
enum Parameter : int { kPower, kClip, kWet };
enum WorkingWord : int { kDrive };
}  // namespace distortion
namespace clipper {
enum Parameter : int { kClip };
}
namespace positor {
enum Parameter : int { kWet };
}
namespace tempo {
enum Parameter : int { kBase, kRange, kWet };
}

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

// A hold period counted down; true when a new period starts. With a period of 0 the unsigned countdown
// wraps to its largest value, so the first period never ends.
bool StartsHoldPeriod(Engine& e) {
  uint32_t& countdown = e.W[hold::kCountdown].u;
  const bool starts = countdown == 0;
  if (starts) countdown = e.W[hold::kPeriod].u;
  countdown -= 1;
  return starts;
}

// "2 Tones" .. "5 Tones" from option 0; a stored choice beyond "5 Tones" plays five.
uint32_t ArpeggioTones(const Engine& e) {
  return std::min(e.options[arpeggio::kTones].Load(), kMostArpeggioTones - kFewestArpeggioTones) + kFewestArpeggioTones;
}

}  // namespace

void SettleArpeggioStep(Engine& e) {
  if (e.options[kArpeggioStepOption] >= ArpeggioTones(e)) e.options[kArpeggioStepOption] = 0;
}

void ProcessAmplitudeModulation(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  const MixBus in = ctx.bus;
  const float g = ModulatorSum(e, e.F[modulation::kBase], *ctx.rate);
  if (g < 0.0f) {
    ctx.bus = MixBus{};  // below zero is silence, never a phase inversion
  } else {
    ctx.bus.left = in.left * g;
    ctx.bus.right = in.right * g;
  }
  WetDryMix(ctx.bus, in, e, modulation::kWet);
}

void ProcessAmplifier(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  ctx.bus.left *= e.F[amplifier::kLeft];
  ctx.bus.right *= e.F[amplifier::kRight];
}

// Transpose = "Wet" x range x (base plus modulators) cents.
void ProcessPitchModulation(Engine& e, VoiceRef voice, int32_t, SampleContext& ctx) {
  const float m = ModulatorSum(e, e.F[modulation::kBase], *ctx.rate);
  WriteTranspose(voice, TruncateToInt(e.F[modulation::kWet] * e.W[modulation::kRangeCents].f * m));
}

void ProcessPitchShift(Engine& e, VoiceRef voice, int32_t, SampleContext&) { WriteTranspose(voice, e.W[pitch_shift::kShift].i); }

// The step option holds the step index, which a voice takes over from its Program. An index
// at or beyond the number of tones (fewer tones chosen since) restarts at the first tone.
void ProcessArpeggiator(Engine& e, VoiceRef voice, int32_t, SampleContext& ctx) {
  const uint32_t tones = ArpeggioTones(e);
  uint32_t step = e.options[arpeggio::kStep];
  if (step >= tones) step = 0;
  const float rateFactor = ctx.rate->rateFactor;
  float& phase = e.W[arpeggio::kStepPhase].f;
  phase += rateFactor * e.F[arpeggio::kSpeed];
  const float limit = e.options[arpeggio::kTicks] != 0 ? ctx.rate->samplesPerTick * rateFactor : kArpeggioStepLength;
  if (phase >= limit) {
    phase = 0.0f;
    if (++step == tones) step = 0;
  }
  e.options[arpeggio::kStep] = step;
  WriteTranspose(voice, e.W[step].i * 100);  // the notes lie in W0..W4
}

void ProcessPanningModulation(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  const MixBus in = ctx.bus;
  Pan(ctx, PanPosition(ModulatorSum(e, e.F[modulation::kBase], *ctx.rate)), ctx.bus);
  WetDryMix(ctx.bus, in, e, modulation::kWet);
}

// A new random pan position every "Delay".
void ProcessRandomPanning(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  const MixBus in = ctx.bus;
  int32_t& position = e.W[hold::kState].i;
  if (StartsHoldPeriod(e)) position = static_cast<int32_t>(EngineRandomNext(ctx.engineRandom, kPanRightmost));
  Pan(ctx, position, ctx.bus);
  WetDryMix(ctx.bus, in, e, hold::kWet);
}

// The channels exchanged (state 1) and straight in turn, each for "Delay"; the first period is exchanged.
void ProcessPingPong(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  const MixBus in = ctx.bus;
  int32_t& exchanged = e.W[hold::kState].i;
  if (StartsHoldPeriod(e)) exchanged = 1 - exchanged;
  if (exchanged == 1) std::swap(ctx.bus.left, ctx.bus.right);
  WetDryMix(ctx.bus, in, e, hold::kWet);
}

// Drive (200^"Power") then a hard clip at "Clip".
void ProcessDistortion(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  const MixBus in = ctx.bus;
  const float drive = e.W[distortion::kDrive].f;
  ctx.bus.left = Clip(in.left * drive, e.F[distortion::kClip]);
  ctx.bus.right = Clip(in.right * drive, e.F[distortion::kClip]);
  WetDryMix(ctx.bus, in, e, distortion::kWet);
}

void ProcessClipper(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  ctx.bus.left = Clip(ctx.bus.left, e.F[clipper::kClip]);
  ctx.bus.right = Clip(ctx.bus.right, e.F[clipper::kClip]);
}

// Full-wave rectifier shifted down by one: silence becomes -1.
void ProcessPositor(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  const MixBus in = ctx.bus;
  ctx.bus.left = 2.0f * std::fabs(in.left) - 1.0f;
  ctx.bus.right = 2.0f * std::fabs(in.right) - 1.0f;
  WetDryMix(ctx.bus, in, e, positor::kWet);
}

// Tempo target = "Base" + "Range" x modulators, within 1..1000 bpm; the song tempo moves to it by the "Wet"
// share each sample, and the beat figures follow at once.
void ProcessSongSpeedModulator(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  float t = e.F[tempo::kBase] * 100.0f;
  const float range = e.F[tempo::kRange] * 100.0f;
  for (uint32_t s = 0; s < e.loadedSlotCount && s < kDataSlotCount; ++s) {
    DataSlot& slot = e.slots[s];
    if (slot.length == 0 || !slot.data) continue;
    t += ReadModulator(slot, *ctx.rate) * range;
  }
  if (t > kMaxTempo) t = kMaxTempo;
  if (!(t >= kMinTempo)) t = kMinTempo;
  *ctx.tempo = t * e.F[tempo::kWet] + *ctx.tempo * e.C[tempo::kWet];
  UpdateBeatFigures(*ctx.rate, *ctx.tempo, *ctx.ticksPerBeat);
}

namespace {

void PreparePitchModulation(Engine& e, const OutputRate&) {
  e.W[modulation::kRangeCents].f = static_cast<float>(static_cast<int32_t>(e.F[modulation::kRange] * 10000.0f + 0.002f));
}

void PreparePitchShift(Engine& e, const OutputRate&) {
  e.W[pitch_shift::kShift].i = ParameterInteger(e.F[pitch_shift::kCents]);
}

void PrepareArpeggiator(Engine& e, const OutputRate&) {
  for (int k = 0; k < arpeggio::kNotes; ++k) e.W[k].i = ParameterInteger(e.F[arpeggio::kNote1 + k]);
}

void PrepareHold(Engine& e, const OutputRate& rate) { e.W[hold::kPeriod].i = MsToSamples(e.F[hold::kDelay], rate); }

void PrepareDistortion(Engine& e, const OutputRate&) {
  e.W[distortion::kDrive].f = std::pow(200.0f, e.F[distortion::kPower].Load());
}

}  // namespace

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


std::span<const TypeRow> ModulatorRows() {
  using T = EngineTypeId;
  static constexpr std::array kRows = [] {
    using namespace modulation;
    RowBuilder<12> b;
    b.Row(T::AmplitudeModulation, kEveryLevel, "Amplitude Modulation", "AmM").Param(kBase, "Base", 0, 100, 100)
        .Param(kWet, "Wet", 0, 100, 100).FourModulators();
    b.Row(T::Amplifier, kEveryLevel, "Amplifier", "AmS").Param(amplifier::kLeft, "Left", -1000, 1000, 100)
        .Param(amplifier::kRight, "Right", -1000, 1000, 100);
    b.Row(T::PitchModulation, kProgramOnly, "Pitch Modulation", "PtM", PreparePitchModulation)
        .Param(kBase, "Base", -100, 100, 0).Param(kWet, "Wet", 0, 100, 100).Param(kRange, "Range", 1, 12, 1)
        .FourModulators();
    b.Row(T::PitchShift, kProgramOnly, "Pitch Shift", "PtS", PreparePitchShift)
        .Param(pitch_shift::kCents, "Cents", -1200, 1200, 0);
    b.Row(T::Arpeggiator, kProgramOnly, "Arpeggiator", "PtA", PrepareArpeggiator)
        .Param(arpeggio::kNote1, "Note 1", -12, 12, 0).Param(arpeggio::kNote1 + 1, "Note 2", -12, 12, 0)
        .Param(arpeggio::kNote1 + 2, "Note 3", -12, 12, 0).Param(arpeggio::kNote1 + 3, "Note 4", -12, 12, 0)
        .Param(arpeggio::kNote1 + 4, "Note 5", -12, 12, 0).Param(arpeggio::kSpeed, "Speed", 0, 100, 25)
        .Choice(arpeggio::kTones, {"2 Tones", "3 Tones", "4 Tones", "5 Tones"}, 1).Toggle(arpeggio::kTicks, "Ticks");
    b.Row(T::PanningModulation, kEveryLevel, "Panning Modulation", "PnM").Param(kBase, "Base", -100, 100, 0)
        .Param(kWet, "Wet", 0, 100, 100).FourModulators();
    b.Row(T::RandomPanning, kEveryLevel, "Random Panning", "PnR", PrepareHold)
        .Param(hold::kDelay, "Delay", 0, 1000, 0).Param(hold::kWet, "Wet", 0, 100, 100);
    b.Row(T::PingPong, kEveryLevel, "Ping Pong", "PnP", PrepareHold)
        .Param(hold::kDelay, "Delay", 0, 1000, 500).Param(hold::kWet, "Wet", 0, 100, 100);
    b.Row(T::Distortion, kEveryLevel, "Distortion", "Dst", PrepareDistortion)
        .Param(distortion::kPower, "Power", 0, 100, 100).Param(distortion::kClip, "Clip", 0, 100, 100)
        .Param(distortion::kWet, "Wet", 0, 100, 100);
    b.Row(T::Clipper, kEveryLevel, "Clipper", "Clp").Param(clipper::kClip, "Clip", 0, 100, 100);
    b.Row(T::Positor, kProgramOnly, "Positor", "Pos").Param(positor::kWet, "Wet", 0, 100, 100);
    b.Row(T::SongSpeedModulator, kSongOnly, "Song Speed Modulator", "SpM").Param(tempo::kBase, "Base", 1, 1000, 120)
        .Param(tempo::kRange, "Range", 1, 1000, 100).Param(tempo::kWet, "Wet", 0, 100, 100).FourModulators(0);
    return b.Finish();
  }();
  return kRows;
}

}  // namespace tonforge
