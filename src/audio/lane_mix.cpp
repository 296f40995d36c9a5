#include "audio/lane_mix.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace tonforge {

namespace {

template <class L>
TONFORGE_LANE_INLINE void VoiceLevels(const LaneLevels& v, float* left, float* right, uint32_t n) {
  using F = typename L::F;
  constexpr int W = L::kWidth;
  const F gain = Load<L>(v.gain), a = Load<L>(v.a), b = Load<L>(v.b), c = Load<L>(v.c), d = Load<L>(v.d);
  for (uint32_t f = 0; f < n; ++f) {
    const F l = Load<L>(left + f * W) * gain, r = Load<L>(right + f * W) * gain;
    // Panned into a cleared sum: adding to 0 turns a -0 into 0, as the channel's own mix does.
    Store<L>(left + f * W, F{} + (l * a + r * c));
    Store<L>(right + f * W, F{} + (l * b + r * d));
  }
}

// How far ahead of the frame being written the channels' lines are asked for: 4 lines of each channel, found
// best with the 16- and 64-track songs of bench/ on both threads.
constexpr uint32_t kClaimAhead = 32;

// The frames go straight to the channels' own (outs[l] for the count lanes that are channels): the last pass
// over a group's frames needs no copy after it. The thread that sums the channels read those lines in the
// last stretch, so each store would wait for that processor to give its line up, a few at a time; asking for
// the lines ahead, to be written, lets those hand-overs overlap (with PREFETCHW, where the processor has it).
template <class L>
TONFORGE_LANE_INLINE void TrackLevels(const LaneLevels& v, const float* left, const float* right, uint32_t n,
                                      MixBus* const* outs, int count, int32_t* lastLoud) {
  using F = typename L::F;
  using I = typename L::I;
  constexpr int W = L::kWidth;
  const F gain = Load<L>(v.gain), a = Load<L>(v.a), b = Load<L>(v.b), c = Load<L>(v.c), d = Load<L>(v.d);
  I last = Splat<L>(int32_t{-1});
  for (uint32_t f = 0; f < n; ++f) {
    if (f % 8 == 0 && f + kClaimAhead < n)
      for (int k = 0; k < count; ++k) __builtin_prefetch(outs[k] + f + kClaimAhead, 1);
    const F l = Load<L>(left + f * W) * gain, r = Load<L>(right + f * W) * gain;
    const I loud = (Abs<L>(l * kFullScale) >= 1.0f) | (Abs<L>(r * kFullScale) >= 1.0f);
    last = loud ? Splat<L>(static_cast<int32_t>(f)) : last;
    const LaneArray<L, F> panLeft(l * a + r * c), panRight(l * b + r * d);
    for (int k = 0; k < count; ++k) outs[k][f] = {panLeft.at[k], panRight.at[k]};
  }
  std::memcpy(lastLoud, &last, sizeof last);
}

template <class L>
TONFORGE_LANE_INLINE void Take(const bool* take, const float* from, float* to, size_t values) {
  typename L::I mask;
  for (int l = 0; l < L::kWidth; ++l) mask[l] = take[l] ? -1 : 0;
  for (size_t i = 0; i < values; i += L::kWidth) Store<L>(to + i, mask ? Load<L>(from + i) : Load<L>(to + i));
}

void Take4(const bool* take, const float* from, float* to, size_t values) { Take<Lanes<4>>(take, from, to, values); }
[[gnu::target("avx2"), gnu::flatten]] void Take8(const bool* take, const float* from, float* to, size_t values) {
  Take<Lanes<8>>(take, from, to, values);
}

[[gnu::flatten]] void VoiceLevels4(const LaneLevels& v, float* l, float* r, uint32_t n) { VoiceLevels<Lanes<4>>(v, l, r, n); }
[[gnu::target("avx2"), gnu::flatten]] void VoiceLevels8(const LaneLevels& v, float* l, float* r, uint32_t n) {
  VoiceLevels<Lanes<8>>(v, l, r, n);
}
[[gnu::flatten]] void TrackLevels4(const LaneLevels& v, const float* l, const float* r, uint32_t n, MixBus* const* outs,
                                    int count, int32_t* last) {
  TrackLevels<Lanes<4>>(v, l, r, n, outs, count, last);
}
[[gnu::target("avx2"), gnu::flatten]] void TrackLevels8(const LaneLevels& v, const float* l, const float* r, uint32_t n,
                                                        MixBus* const* outs, int count, int32_t* last) {
  TrackLevels<Lanes<8>>(v, l, r, n, outs, count, last);
}
[[gnu::target("avx2,prfchw"), gnu::flatten]] void TrackLevels8W(const LaneLevels& v, const float* l, const float* r,
                                                               uint32_t n, MixBus* const* outs, int count,
                                                               int32_t* last) {
  TrackLevels<Lanes<8>>(v, l, r, n, outs, count, last);
}

bool HasPrefetchW() {
#if defined(__x86_64__) || defined(__i386__)
  unsigned a = 0, b = 0, c = 0, d = 0;
  return __get_cpuid(0x80000001, &a, &b, &c, &d) != 0 && (c & bit_PRFCHW) != 0;
#else
  return false;
#endif
}

}  // namespace

void TakeLanes(const bool* take, int width, const float* from, float* to, size_t values) {
  (width == 8 ? Take8 : Take4)(take, from, to, values);
}

void VoiceLevelLanes(const LaneLevels& levels, int width, float* left, float* right, uint32_t n) {
  (width == 8 ? VoiceLevels8 : VoiceLevels4)(levels, left, right, n);
}

void TrackLevelLanes(const LaneLevels& levels, int width, const float* left, const float* right, uint32_t n,
                     MixBus* const* outs, int count, int32_t* lastLoud) {
  static const auto eight = HasPrefetchW() ? TrackLevels8W : TrackLevels8;
  (width == 8 ? eight : TrackLevels4)(levels, left, right, n, outs, count, lastLoud);
}

}  // namespace tonforge
