#pragma once
// One engine type at one chain position of several channels, run as one: channel l in lane l of a vector
// register. Between two ticks the channels of the song mix do not depend on each other, so 4 or 8 channels
// whose chains hold the same types can step together. Each lane does exactly the operations the type's run
// does for its own channel, in the same order (the build contracts no multiply-add and reassociates nothing),
// so every lane's values are its channel's values to the bit. What cannot be one vector operation (a sine for
// new coefficients, a delay-line read from the lane's own buffer) is done lane by lane with the scalar code.
//
// The routines are written once over the lane type and built twice: 4 lanes on the SSE2 every x86-64 has,
// 8 lanes for processors with AVX2, chosen when the mix starts (WidestLanes).
#include <immintrin.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "engines/engine.h"

// The 8-lane vectors pass between inlined functions only; GCC's note that their calling convention differs
// without AVX concerns calls that are never made.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace tonforge {

inline constexpr int kMostLanes = 8;

// Every helper of the lane runs is inlined into the run: a run at 8 lanes is built for AVX2, and a helper left
// out of line would be built without it and pass its vectors in another way than its caller expects.
#define TONFORGE_LANE_INLINE [[gnu::always_inline]] inline

// The engines of one run. Lanes from `count` up to the width repeat a lane that runs (its state, its
// buffers) and write nothing back: a run of 5 channels takes 8 lanes.
struct LaneSet {
  int count = 0;
  std::array<Engine*, kMostLanes> engine{};
  std::array<int32_t, kMostLanes> pitch{};
  std::array<bool, kMostLanes> writes{};  // the lane's results go back to its engine and buffers
};

// A lane run over n frames held lane by lane: frame f of lane l at left[f * width + l], right[...].
using LaneRun = void (*)(const LaneSet& lanes, float* left, float* right, uint32_t n, const SampleContext& ctx);

// The run of `type` at `width` lanes (4 or 8), or nullptr where the type has none (it then runs channel by
// channel). quality picks the interpolating routines of the high-quality render.
LaneRun LaneRoutine(uint32_t type, bool quality, int width);

// 8 where the processor has AVX2, else 4.
int WidestLanes();

template <int W>
struct Lanes;
template <>
struct Lanes<4> {
  static constexpr int kWidth = 4;
  typedef float F __attribute__((vector_size(16)));
  typedef int32_t I __attribute__((vector_size(16)));
};
template <>
struct Lanes<8> {
  static constexpr int kWidth = 8;
  typedef float F __attribute__((vector_size(32)));
  typedef int32_t I __attribute__((vector_size(32)));
};

template <class L>
TONFORGE_LANE_INLINE typename L::F Load(const float* p) {
  typename L::F v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

template <class L>
TONFORGE_LANE_INLINE void Store(float* p, const typename L::F& v) {
  std::memcpy(p, &v, sizeof v);
}

// One value in every lane.
template <class L, class T>
TONFORGE_LANE_INLINE auto Splat(T x) {
  using V = std::conditional_t<std::is_floating_point_v<T>, typename L::F, typename L::I>;
  V v;
  for (int l = 0; l < L::kWidth; ++l) v[l] = x;
  return v;
}

// A value of each lane's engine.
template <class L, class Get>
TONFORGE_LANE_INLINE auto PerLane(const LaneSet& lanes, Get get) {
  using T = decltype(get(*lanes.engine[0], 0));
  using V = std::conditional_t<std::is_floating_point_v<T>, typename L::F, typename L::I>;
  V v;
  for (int l = 0; l < L::kWidth; ++l) v[l] = get(*lanes.engine[l], l);
  return v;
}

// Whether any lane of a comparison's mask is set: on SSE2 the lanes' sign bits in one register, at 8 lanes
// (whose helpers are built for SSE2 too) the halves of the mask or-ed together.
template <class L>
TONFORGE_LANE_INLINE bool Any(const typename L::I& mask) {
  if constexpr (L::kWidth == 4) {
    return _mm_movemask_ps(reinterpret_cast<const __m128&>(mask)) != 0;
  } else {
    uint64_t quarters[L::kWidth / 2];
    std::memcpy(quarters, &mask, sizeof mask);
    return (quarters[0] | quarters[1] | quarters[2] | quarters[3]) != 0;
  }
}

// The lanes of a vector as an array, for work done lane by lane.
template <class L, class V>
struct LaneArray {
  TONFORGE_LANE_INLINE explicit LaneArray(const V& v) { std::memcpy(at, &v, sizeof v); }
  std::conditional_t<std::is_same_v<V, typename L::F>, float, int32_t> at[L::kWidth];
};

// IsFiniteSample in every lane: v - v is 0 for a finite value and NaN for an infinity or a NaN.
template <class L>
TONFORGE_LANE_INLINE typename L::I Finite(const typename L::F& v) {
  return (v - v) == 0.0f;
}

template <class L>
TONFORGE_LANE_INLINE typename L::F Abs(const typename L::F& v) {
  return (typename L::F)((typename L::I)v & 0x7fffffff);
}

// The same run at 4 and 8 lanes: `name`4 and `name`8 call the run given (a template over the lane type L),
// the 8-lane one with AVX2 (which brings no fused multiply-add) and every helper inlined into it so that all
// of it is built for AVX2.
#define TONFORGE_LANE_RUNS(name, ...)                                                                       \
  [[gnu::flatten]] void name##4(const LaneSet& s, float* l, float* r, uint32_t n, const SampleContext& c) { \
    using L = Lanes<4>;                                                                                     \
    __VA_ARGS__(s, l, r, n, c);                                                                             \
  }                                                                                                         \
  [[gnu::target("avx2"), gnu::flatten]] void name##8(const LaneSet& s, float* l, float* r, uint32_t n,      \
                                                     const SampleContext& c) {                              \
    using L = Lanes<8>;                                                                                     \
    __VA_ARGS__(s, l, r, n, c);                                                                             \
  }

// Declares the runs a family file provides.
#define TONFORGE_LANE_RUNS_DECLARED(name)                                             \
  void name##4(const LaneSet&, float*, float*, uint32_t, const SampleContext&); \
  void name##8(const LaneSet&, float*, float*, uint32_t, const SampleContext&)

}  // namespace tonforge
