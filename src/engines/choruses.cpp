// Choruses and flanges: taps on one short line whose delays follow modulator slots. A modulator sweeps
// 0 to 100 samples at 44100 Hz (a constant time at every rate) and "Ceiling" adds 0.7 to 70 samples.
//
// The block mix runs each type over a stretch with its state held in locals (held_state.h): the same
// operations in the same order as the per-sample routine, frame after frame.
#include "engines/effect_lines.h"
#include "engines/families.h"
#include "engines/family_rows.h"
#include "engines/held_state.h"
#include "engines/lane_state.h"

namespace tonforge {

namespace {

namespace chorus {
enum Parameter : int { kCeiling, kWet };
}
namespace flange {
enum Parameter : int { kCeiling, kFeedback, kWet };
}
// Both put "Ceiling" first.
constexpr int kCeiling = chorus::kCeiling;
static_assert(static_cast<int>(chorus::kCeiling) == flange::kCeiling);

// The tap delay for modulator sample m, kept inside the line whatever the slot's data and gain.
uint32_t TapDelay(const Engine& e, float ceiling, float m, const OutputRate& rate) {
  return ModulatedDelay(e, (m + 1.0f) * 50.0f / rate.rateFactor + ceiling * 70.0f);
}

// Adds the left tap of slot s (if it has not ended) to `left` and the right tap to `right`, and steps the
// slot. Returns whether the slot took part.
bool AddTap(Engine& e, int s, const OutputRate& rate, float* left, float* right) {
  DataSlot& slot = e.slots[s];
  float m = 0.0f;
  if (!SlotSample(slot, m)) return false;
  const uint32_t d = TapDelay(e, e.F[kCeiling], m, rate);
  if (left) *left += TapLeft(e, 0, d);
  if (right) *right += TapRight(e, 0, d);
  AdvanceSlot(slot, rate);
  return true;
}

uint32_t ActiveSlotLimit(const Engine& e) { return std::min<uint32_t>(e.loadedSlotCount, kDataSlotCount); }

}  // namespace

// Taps read after the write, so a delay D sounds D − 1 samples late.
void ProcessChorus(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  if (!HasLines(e)) return;
  const MixBus in = ctx.bus;
  Push(e, 0, in.left, in.right);
  for (uint32_t s = 0; s < ActiveSlotLimit(e); ++s)
    AddTap(e, static_cast<int>(s), *ctx.rate, &ctx.bus.left, &ctx.bus.right);
  WetDryMix(ctx.bus, in, e, chorus::kWet);
  GuardLines(e, in.left + in.right, 0, 1);
}

// Taps read before the write; the sum is fed back at 1.5625 × "Feedback", times 0.64 per active tap.
void ProcessFlange(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  if (!HasLines(e)) return;
  const MixBus in = ctx.bus;
  float g = e.F[flange::kFeedback] * 1.5625f;
  for (uint32_t s = 0; s < ActiveSlotLimit(e); ++s)
    if (AddTap(e, static_cast<int>(s), *ctx.rate, &ctx.bus.left, &ctx.bus.right)) g *= 0.64f;
  const MixBus z = {ctx.bus.left * g, ctx.bus.right * g};
  Push(e, 0, z.left, z.right);
  WetDryMix(ctx.bus, in, e, flange::kWet);
  GuardLines(e, z.left + z.right, 0, 1);
}

// Slot 0 moves the left tap and slot 1 the right one, whatever the loaded slot count says.
void ProcessStereoChorus(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  if (!HasLines(e)) return;
  const MixBus in = ctx.bus;
  Push(e, 0, in.left, in.right);
  AddTap(e, 0, *ctx.rate, &ctx.bus.left, nullptr);
  AddTap(e, 1, *ctx.rate, nullptr, &ctx.bus.right);
  WetDryMix(ctx.bus, in, e, chorus::kWet);
  GuardLines(e, in.left + in.right, 0, 1);
}

void ProcessStereoFlange(Engine& e, VoiceRef, int32_t, SampleContext& ctx) {
  if (!HasLines(e)) return;
  const MixBus in = ctx.bus;
  AddTap(e, 0, *ctx.rate, &ctx.bus.left, nullptr);
  AddTap(e, 1, *ctx.rate, nullptr, &ctx.bus.right);
  const float feedback = e.F[flange::kFeedback];
  const MixBus z = {ctx.bus.left * feedback, ctx.bus.right * feedback};
  Push(e, 0, z.left, z.right);
  WetDryMix(ctx.bus, in, e, flange::kWet);
  GuardLines(e, z.left + z.right, 0, 1);
}

// The runs of the block mix.

namespace {

// The line and the sweeps that move its taps.
struct Taps {
  Taps(const Engine& e, const OutputRate& r)
      : engine(e),
        ceiling(e.F[kCeiling]),
        rate(r),
        line(e, 0),
        sweeps{HeldSweep(e.slots[0], r, Loaded(e.slots[0])), HeldSweep(e.slots[1], r, Loaded(e.slots[1])),
               HeldSweep(e.slots[2], r, Loaded(e.slots[2])), HeldSweep(e.slots[3], r, Loaded(e.slots[3]))},
        active(std::min<uint32_t>(e.loadedSlotCount, kDataSlotCount)) {}

  // Adds the left tap of sweep s (if it has not ended) to `left` and the right tap to `right`, and steps the
  // sweep. Returns whether the sweep took part. A sweep stays on one of its samples for many frames, and the
  // delay depends on nothing else: it is worked out again only when the sample changes, which keeps the tap
  // reads from waiting on the whole calculation frame after frame.
  bool AddTap(int s, float* left, float* right) {
    uint32_t i = 0;
    if (!sweeps[s].Index(i)) return false;
    if (i != sampleIndex[s]) {
      sampleIndex[s] = i;
      delay[s] = TapDelay(engine, ceiling, sweeps[s].Value(i), rate);
    }
    const uint32_t d = delay[s];
    if (left) *left += line.TapLeft(d);
    if (right) *right += line.TapRight(d);
    sweeps[s].Advance();
    return true;
  }

  // Every active sweep's taps into bus.
  void AddAllTaps(MixBus& bus) {
    for (uint32_t s = 0; s < static_cast<uint32_t>(kDataSlotCount); ++s)
      if (s < active) AddTap(static_cast<int>(s), &bus.left, &bus.right);
  }

  void Store(Engine& e) const {
    line.Store(e);
    for (int s = 0; s < kDataSlotCount; ++s) sweeps[s].Store(e.slots[s]);
  }

  const Engine& engine;
  const float ceiling;
  const OutputRate& rate;
  HeldLine line;
  std::array<HeldSweep, kDataSlotCount> sweeps;
  std::array<uint32_t, kDataSlotCount> sampleIndex{~0u, ~0u, ~0u, ~0u};  // no sample yet
  std::array<uint32_t, kDataSlotCount> delay{};
  uint32_t active;
};

// The choruses: the input is written first, the taps read after it. addTaps(taps, bus) adds the taps.
template <class AddTaps>
void ChorusFamilyRun(Engine& e, MixBus* frames, uint32_t n, const SampleContext& ctx, AddTaps addTaps) {
  if (!HasLines(e)) return;
  Taps taps(e, *ctx.rate);
  const Blend blend(e, chorus::kWet);
  for (uint32_t f = 0; f < n; ++f) {
    const MixBus in = frames[f];
    taps.line.Push(in.left, in.right);
    MixBus bus = in;
    addTaps(taps, bus);
    frames[f] = blend(bus, in);
    taps.line.Guard(in.left + in.right);
  }
  taps.Store(e);
}

// The flanges: the taps read first, then their sum written back at the gain addTaps(taps, bus) returns.
template <class AddTaps>
void FlangeFamilyRun(Engine& e, MixBus* frames, uint32_t n, const SampleContext& ctx, AddTaps addTaps) {
  if (!HasLines(e)) return;
  Taps taps(e, *ctx.rate);
  const Blend blend(e, flange::kWet);
  for (uint32_t f = 0; f < n; ++f) {
    const MixBus in = frames[f];
    MixBus bus = in;
    const float g = addTaps(taps, bus);
    const MixBus z = {bus.left * g, bus.right * g};
    taps.line.Push(z.left, z.right);
    frames[f] = blend(bus, in);
    taps.line.Guard(z.left + z.right);
  }
  taps.Store(e);
}

// Slot 0 moves the left tap and slot 1 the right one.
void AddStereoTaps(Taps& taps, MixBus& bus) {
  taps.AddTap(0, &bus.left, nullptr);
  taps.AddTap(1, nullptr, &bus.right);
}

void ChorusRun(Engine& e, int32_t, MixBus* frames, uint32_t n, const SampleContext& ctx) {
  ChorusFamilyRun(e, frames, n, ctx, [](Taps& taps, MixBus& bus) { taps.AddAllTaps(bus); });
}

void StereoChorusRun(Engine& e, int32_t, MixBus* frames, uint32_t n, const SampleContext& ctx) {
  ChorusFamilyRun(e, frames, n, ctx, AddStereoTaps);
}

void FlangeRun(Engine& e, int32_t, MixBus* frames, uint32_t n, const SampleContext& ctx) {
  const float feedback = e.F[flange::kFeedback] * 1.5625f;
  FlangeFamilyRun(e, frames, n, ctx, [feedback](Taps& taps, MixBus& bus) {
    float g = feedback;
    for (uint32_t s = 0; s < static_cast<uint32_t>(kDataSlotCount); ++s)
      if (s < taps.active && taps.AddTap(static_cast<int>(s), &bus.left, &bus.right)) g *= 0.64f;
    return g;
  });
}

void StereoFlangeRun(Engine& e, int32_t, MixBus* frames, uint32_t n, const SampleContext& ctx) {
  const float feedback = e.F[flange::kFeedback];
  FlangeFamilyRun(e, frames, n, ctx, [feedback](Taps& taps, MixBus& bus) {
    AddStereoTaps(taps, bus);
    return feedback;
  });
}

}  // namespace

// The choruses and flanges in lanes: the runs above in each lane. A sweep's delay is worked out lane by lane,
// and again only when the lane's sample changes; the taps are loads from each lane's own line.
namespace {

enum class TapKind { Chorus, Flange, StereoChorus, StereoFlange };

template <class L>
struct LaneTaps {
  using F = typename L::F;
  using I = typename L::I;
  TONFORGE_LANE_INLINE LaneTaps(const LaneSet& s, const OutputRate& r)
      : lanes(s),
        rate(r),
        line(s, 0),
        sweeps{Sweep(s, 0, r), Sweep(s, 1, r), Sweep(s, 2, r), Sweep(s, 3, r)},
        active(PerLane<L>(s, [](const Engine& e, int) {
          return static_cast<int32_t>(std::min<uint32_t>(e.loadedSlotCount, kDataSlotCount));
        })) {
    for (int l = 0; l < L::kWidth; ++l) ceiling[l] = s.engine[l]->F[kCeiling];
  }

  TONFORGE_LANE_INLINE static LaneSweep<L> Sweep(const LaneSet& s, int k, const OutputRate& r) {
    return LaneSweep<L>(s, k, r, [](const DataSlot& slot) { return Loaded(slot); });
  }

  // Taps::AddTap for sweep k in the lanes of `considered`: adds the taps `read` gives to the sides asked for
  // and returns the lanes whose sweep took part.
  template <class Read>
  TONFORGE_LANE_INLINE I AddTap(int k, const I& considered, F* left, F* right, const Read& read) {
    const I part = Step(k, considered);
    if (!Any<L>(part)) return part;
    if (left && right) {
      F tapLeft, tapRight;
      read.Taps(delay[k], tapLeft, tapRight);
      *left = part ? *left + tapLeft : *left;
      *right = part ? *right + tapRight : *right;
    } else if (left) {
      *left = part ? *left + read.TapLeft(delay[k]) : *left;
    } else {
      *right = part ? *right + read.TapRight(delay[k]) : *right;
    }
    return part;
  }

  // Steps sweep k in the lanes of `considered`, its delay (delay[k]) worked out again where a lane's sample
  // moved, and returns the lanes whose sweep took part. delay[k] stays this frame's: the step moves only the
  // sweep's position.
  TONFORGE_LANE_INLINE I Step(int k, const I& considered) {
    I i;
    const I part = Part(k, considered, i);
    Follow(k, part, i);
    sweeps[k].Advance(part);
    return part;
  }

  // The lanes of `considered` whose sweep k takes part in this frame, and the sample index i it is on.
  TONFORGE_LANE_INLINE I Part(int k, const I& considered, I& i) const {
    return considered & sweeps[k].loaded & sweeps[k].Index(i);
  }

  // delay[k] worked out again in the lanes of `part` whose sweep moved to another sample than the last, i.
  TONFORGE_LANE_INLINE void Follow(int k, const I& part, const I& i) {
    const I moved = part & (i != sample[k]);
    if (!Any<L>(moved)) return;
    const LaneArray<L, I> m(moved), at(i);
    for (int l = 0; l < L::kWidth; ++l) {
      if (!m.at[l]) continue;
      delay[k][l] = static_cast<int32_t>(TapDelay(*lanes.engine[l], ceiling[l], sweeps[k].Value(l, at.at[l]), rate));
    }
    sample[k] = moved ? i : sample[k];
  }

  TONFORGE_LANE_INLINE void Store() const {
    line.Store();
    for (const LaneSweep<L>& sweep : sweeps) sweep.Store(Splat<L>(int32_t{-1}));
  }

  const LaneSet& lanes;
  const OutputRate& rate;
  LaneLine<L> line;
  LaneSweep<L> sweeps[kDataSlotCount];
  I active;  // the loaded slot count
  float ceiling[L::kWidth];
  I sample[kDataSlotCount] = {Splat<L>(int32_t{-1}), Splat<L>(int32_t{-1}), Splat<L>(int32_t{-1}),
                              Splat<L>(int32_t{-1})};  // no sample yet
  I delay[kDataSlotCount] = {};
};

// The taps straight from the lanes' lines, frame after frame.
template <class L>
struct LineTaps {
  using F = typename L::F;
  using I = typename L::I;
  TONFORGE_LANE_INLINE void Taps(const I& d, F& l, F& r) const { line.Taps(d, l, r); }
  TONFORGE_LANE_INLINE F TapLeft(const I& d) const { return line.TapLeft(d); }
  TONFORGE_LANE_INLINE F TapRight(const I& d) const { return line.TapRight(d); }
  // The choruses write the input before their taps and guard it after them; the flanges write and guard
  // what they feed back after their taps.
  TONFORGE_LANE_INLINE void Input(uint32_t, const F& l, const F& r) { line.Push(l, r); }
  TONFORGE_LANE_INLINE void GuardInput(uint32_t, const F& l, const F& r) { line.Guard(l + r); }
  TONFORGE_LANE_INLINE void Feedback(uint32_t, const F& l, const F& r) {
    line.Push(l, r);
    line.Guard(l + r);
  }
  TONFORGE_LANE_INLINE void Finish(uint32_t) {}
  LaneLine<L>& line;
};

// The taps from the lines unrolled for the stretch. A delay of 0 reads the oldest sample, as the line's length
// does; a chorus reads after its write, one row later than a flange. A guarded write keeps each side finite: a
// frame whose two sides sum to something finite has both finite.
template <class L, bool readsAfterWrite>
struct HistoryTaps {
  using F = typename L::F;
  using I = typename L::I;
  TONFORGE_LANE_INLINE I At(const I& d) const {
    return history.Index(f + (readsAfterWrite ? 1 : 0), d == 0 ? line.length : d);
  }
  TONFORGE_LANE_INLINE void Taps(const I& d, F& l, F& r) const {
    const I at = At(d);
    l = history.TapLeft(at), r = history.TapRight(at);
  }
  TONFORGE_LANE_INLINE F TapLeft(const I& d) const { return history.TapLeft(At(d)); }
  TONFORGE_LANE_INLINE F TapRight(const I& d) const { return history.TapRight(At(d)); }
  TONFORGE_LANE_INLINE void Input(uint32_t frame, const F& l, const F& r) {
    f = frame;
    history.Set(f, l, r);
  }
  TONFORGE_LANE_INLINE void GuardInput(uint32_t, const F& l, const F& r) {
    if (kGuardState && Any<L>(~Finite<L>(l + r))) [[unlikely]]
      history.Set(f, KeepFinite<L>(l), KeepFinite<L>(r));
  }
  TONFORGE_LANE_INLINE void Feedback(uint32_t, const F& l, const F& r) {
    history.Set(f, KeepFinite<L>(l), KeepFinite<L>(r));
    ++f;
  }
  TONFORGE_LANE_INLINE void Finish(uint32_t n) { history.WriteBack(line, n); }
  LaneLine<L>& line;
  UnrolledLine<L>& history;
  uint32_t f = 0;
};

template <class L, TapKind kind, class Lines>
TONFORGE_LANE_INLINE void TapFrames(LaneTaps<L>& taps, Lines& lines, const LaneBlend<L>& blend, const typename L::F& feedback,
                                    const typename L::I& passes, float* left, float* right, uint32_t n) {
  using F = typename L::F;
  using I = typename L::I;
  constexpr int W = L::kWidth;
  constexpr bool flange = kind == TapKind::Flange || kind == TapKind::StereoFlange;
  constexpr bool stereo = kind == TapKind::StereoChorus || kind == TapKind::StereoFlange;
  const I all = Splat<L>(int32_t{-1});
  // Sweeps beyond every lane's loaded count take no part.
  int sweepsInUse = 0;
  for (int l = 0; l < W; ++l) sweepsInUse = std::max(sweepsInUse, static_cast<int>(taps.active[l]));
  for (uint32_t f = 0; f < n; ++f) {
    const F inLeft = Load<L>(left + f * W), inRight = Load<L>(right + f * W);
    F busLeft = inLeft, busRight = inRight;
    if (!flange) lines.Input(f, inLeft, inRight);
    F g = feedback;
    if (stereo) {
      taps.AddTap(0, all, &busLeft, nullptr, lines);
      taps.AddTap(1, all, nullptr, &busRight, lines);
    } else {
      for (int k = 0; k < sweepsInUse; ++k) {
        const I part = taps.AddTap(k, k < taps.active, &busLeft, &busRight, lines);
        if (flange) g = part ? g * 0.64f : g;
      }
    }
    if (flange)
      lines.Feedback(f, busLeft * g, busRight * g);
    else
      lines.GuardInput(f, inLeft, inRight);
    Store<L>(left + f * W, passes ? inLeft : blend(busLeft, inLeft));
    Store<L>(right + f * W, passes ? inRight : blend(busRight, inRight));
  }
  lines.Finish(n);
}

// The history row a tap of `delay` reads in lanes of line length `length`: a chorus reads after its write, and a
// delay of 0 reads the oldest sample, as the line's length does. Not a lambda: a lambda takes none of the wide
// routine's instruction set, and where it is not inlined it hands its lanes back in the other calling convention.
template <class L>
TONFORGE_LANE_INLINE typename L::I HistoryRow(const typename L::I& delay, const typename L::I& length) {
  return LaneColumns<L>::kMostDepth + 1 - (delay == 0 ? length : delay);
}

// Sweep k stepped over the m frames of a block in the lanes of `considered`: which lanes take part in each
// frame, and the history row each frame's taps read from. Whether the rows stay one row the whole block. The
// sweeps step one after another rather than frame by frame: each keeps its own state. Most blocks stay on
// their samples, which one test over the block finds.
template <class L>
TONFORGE_LANE_INLINE bool StepBlock(LaneTaps<L>& taps, int k, const typename L::I& considered, uint32_t m,
                                    typename L::I* part, typename L::I* row) {
  using I = typename L::I;
  I index[L::kWidth], moved{};
  for (uint32_t j = 0; j < m; ++j) {
    part[j] = taps.Part(k, considered, index[j]);
    moved |= part[j] & (index[j] != taps.sample[k]);
    taps.sweeps[k].Advance(part[j]);
  }
  if (!Any<L>(moved)) {
    row[0] = HistoryRow<L>(taps.delay[k], taps.line.length);
    return true;
  }
  I moves{};
  for (uint32_t j = 0; j < m; ++j) {
    taps.Follow(k, part[j], index[j]);
    row[j] = HistoryRow<L>(taps.delay[k], taps.line.length);
    moves |= row[j] != row[0];
  }
  return !Any<L>(moves);
}

// The choruses over a stretch whose lines hold just its inputs (all finite, so that no guard changes them):
// the whole history is then known before any tap. A sweep's delay moves only every tens of frames, so a block
// of W frames at one delay in every lane is read as one load per lane and a transpose rather than W² single
// loads. Each sweep steps through the block as TapFrames steps it (the sweeps share no state), and each
// frame's taps add up in TapFrames' order.
template <class L, bool stereo>
TONFORGE_LANE_INLINE void ChorusBlocks(LaneTaps<L>& taps, const LaneBlend<L>& blend, const typename L::I& passes,
                                       float* left, float* right, uint32_t n) {
  using F = typename L::F;
  using I = typename L::I;
  constexpr int W = L::kWidth;
  const I all = Splat<L>(int32_t{-1});
  int sweepsInUse = stereo ? 2 : 0;
  for (int l = 0; l < W && !stereo; ++l) sweepsInUse = std::max(sweepsInUse, static_cast<int>(taps.active[l]));
  LaneColumns<L> history(taps.line, left, right, n);
  for (uint32_t f = 0; f < n; f += W) {
    const uint32_t m = std::min<uint32_t>(W, n - f);
    I part[kDataSlotCount][W];
    F tapLeft[kDataSlotCount][W], tapRight[kDataSlotCount][W];
    for (int k = 0; k < sweepsInUse; ++k) {
      I row[W];
      const bool oneRow = StepBlock(taps, k, stereo ? all : k < taps.active, m, part[k], row);
      if (!stereo || k == 0) LaneColumns<L>::Read(history.left, row, oneRow, f, m, tapLeft[k]);
      if (!stereo || k == 1) LaneColumns<L>::Read(history.right, row, oneRow, f, m, tapRight[k]);
    }
    for (uint32_t j = 0; j < m; ++j) {
      float* const at[2] = {left + (f + j) * W, right + (f + j) * W};
      const F inLeft = Load<L>(at[0]), inRight = Load<L>(at[1]);
      F busLeft = inLeft, busRight = inRight;
      for (int k = 0; k < sweepsInUse; ++k) {
        if (!stereo || k == 0) busLeft = part[k][j] ? busLeft + tapLeft[k][j] : busLeft;
        if (!stereo || k == 1) busRight = part[k][j] ? busRight + tapRight[k][j] : busRight;
      }
      Store<L>(at[0], passes ? inLeft : blend(busLeft, inLeft));
      Store<L>(at[1], passes ? inRight : blend(busRight, inRight));
    }
  }
  history.WriteBack(taps.line, n);
}

// Whether every frame's two sides sum to something finite (and so each side is finite).
template <class L>
TONFORGE_LANE_INLINE bool AllFinite(const float* left, const float* right, uint32_t n) {
  typename L::I finite = Splat<L>(int32_t{-1});
  for (uint32_t f = 0; f < n; ++f)
    finite &= Finite<L>(Load<L>(left + f * L::kWidth) + Load<L>(right + f * L::kWidth));
  return !Any<L>(~finite);
}

template <class L, TapKind kind>
TONFORGE_LANE_INLINE void TapLanes(const LaneSet& lanes, float* left, float* right, uint32_t n, const SampleContext& ctx) {
  using F = typename L::F;
  using I = typename L::I;
  constexpr bool flange = kind == TapKind::Flange || kind == TapKind::StereoFlange;
  constexpr bool stereo = kind == TapKind::StereoChorus || kind == TapKind::StereoFlange;
  LaneSet own;
  I passes;
  if (!LanesWithLines<L>(lanes, own, passes)) return;
  LaneTaps<L> taps(own, *ctx.rate);
  const LaneBlend<L> blend(own, flange ? static_cast<int>(flange::kWet) : static_cast<int>(chorus::kWet));
  // The flange feeds back 1.5625 × "Feedback", the stereo flange "Feedback" itself.
  const F feedback = PerLane<L>(own, [](const Engine& e, int) {
    const float feedback = e.F[flange::kFeedback];
    return stereo ? feedback : feedback * 1.5625f;
  });
  if (!flange && UnrolledLine<L>::Fits(taps.line, n) && AllFinite<L>(left, right, n)) {
    ChorusBlocks<L, stereo>(taps, blend, passes, left, right, n);
  } else if (UnrolledLine<L>::Fits(taps.line, n)) {
    UnrolledLine<L> history(taps.line);
    HistoryTaps<L, !flange> lines{taps.line, history};
    TapFrames<L, kind>(taps, lines, blend, feedback, passes, left, right, n);
  } else {
    LineTaps<L> lines{taps.line};
    TapFrames<L, kind>(taps, lines, blend, feedback, passes, left, right, n);
  }
  taps.Store();
}

}  // namespace

TONFORGE_LANE_RUNS(ChorusLanes, TapLanes<L, TapKind::Chorus>)
TONFORGE_LANE_RUNS(FlangeLanes, TapLanes<L, TapKind::Flange>)
TONFORGE_LANE_RUNS(StereoChorusLanes, TapLanes<L, TapKind::StereoChorus>)
TONFORGE_LANE_RUNS(StereoFlangeLanes, TapLanes<L, TapKind::StereoFlange>)

TONFORGE_HELD_RUN(ProcessChorus, ChorusRun)
TONFORGE_HELD_RUN(ProcessFlange, FlangeRun)
TONFORGE_HELD_RUN(ProcessStereoChorus, StereoChorusRun)
TONFORGE_HELD_RUN(ProcessStereoFlange, StereoFlangeRun)


std::span<const TypeRow> ChorusRows() {
  using T = EngineTypeId;
  static constexpr std::array kRows = [] {
    RowBuilder<4> b;
    b.Row(T::Chorus, kEveryLevel, "Chorus", "Cho").Param(chorus::kCeiling, "Ceiling", 1, 100, 1)
        .Param(chorus::kWet, "Wet", 0, 100, 100).FourModulators().Lines(1, 176);
    b.Row(T::Flange, kEveryLevel, "Flange", "Fla").Param(flange::kCeiling, "Ceiling", 1, 100, 1)
        .Param(flange::kFeedback, "Feedback", 0, 100, 50).Param(flange::kWet, "Wet", 0, 100, 100).FourModulators()
        .Lines(1, 176);
    b.Row(T::StereoChorus, kEveryLevel, "Stereo Chorus", "SCh").Param(chorus::kCeiling, "Ceiling", 1, 100, 1)
        .Param(chorus::kWet, "Wet", 0, 100, 100).Modulators({"Left Modulator", "Right Modulator"}).Lines(1, 176);
    b.Row(T::StereoFlange, kEveryLevel, "Stereo Flange", "SFl").Param(flange::kCeiling, "Ceiling", 1, 100, 1)
        .Param(flange::kFeedback, "Feedback", 0, 100, 50).Param(flange::kWet, "Wet", 0, 100, 100)
        .Modulators({"Left Modulator", "Right Modulator"}).Lines(1, 176);
    return b.Finish();
  }();
  return kRows;
}

}  // namespace tonforge
