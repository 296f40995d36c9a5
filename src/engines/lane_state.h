#pragma once
// The held state of held_state.h in lanes: each holder gathers one value per lane from the lanes' engines
// when a run starts, steps all lanes with the operations its scalar twin does, and Store puts what moved back
// into the engines of the lanes that write.
#include "engines/effect_lines.h"
#include "engines/held_state.h"
#include "engines/lanes.h"

namespace tonforge {

// Blend: result × F[k] + input × C[k].
template <class L>
struct LaneBlend {
  using F = typename L::F;
  TONFORGE_LANE_INLINE LaneBlend(const LaneSet& lanes, int k)
      : wet(PerLane<L>(lanes, [k](const Engine& e, int) { return static_cast<float>(e.F[k]); })),
        dry(PerLane<L>(lanes, [k](const Engine& e, int) { return static_cast<float>(e.C[k]); })) {}
  TONFORGE_LANE_INLINE F operator()(const F& result, const F& input) const { return result * wet + input * dry; }
  F wet, dry;
};

// The lanes of a delay-line run, with a lane whose engine has no buffers (their allocation failed) passing its
// frames: it runs on the engine of a lane that has them, writes nothing back, and is marked in `passes` (all
// bits set). False when no lane that writes has buffers: the run then leaves the frames as they are.
template <class L>
TONFORGE_LANE_INLINE bool LanesWithLines(const LaneSet& lanes, LaneSet& own, typename L::I& passes) {
  own = lanes;
  passes = typename L::I{};
  int donor = -1;
  for (int l = 0; l < L::kWidth && donor < 0; ++l)
    if (lanes.writes[l] && HasLines(*lanes.engine[l])) donor = l;
  if (donor < 0) return false;
  for (int l = 0; l < L::kWidth; ++l)
    if (!HasLines(*lanes.engine[l])) own.engine[l] = lanes.engine[donor], own.writes[l] = false, passes[l] = -1;
  return true;
}

// KeepFinite in every lane.
template <class L>
TONFORGE_LANE_INLINE typename L::F KeepFinite(const typename L::F& v) {
  if constexpr (!kGuardState) return v;
  return Finite<L>(v) ? v : typename L::F{};
}

// The runs of LaneLine: shorter ones cost more to set up than frame-by-frame taps save; longer ones are cut to
// the most, for the locals that hold them.
inline constexpr uint32_t kLeastRun = 16;
inline constexpr uint32_t kMostRun = 128;

// The W × W block of `v` turned over: row r's lane l goes to row l's lane r (unpacks and shuffles within the
// 128-bit halves, then the halves swapped across at 8 lanes).
template <class L>
TONFORGE_LANE_INLINE void Transpose(typename L::F* v) {
  using F = typename L::F;
  if constexpr (L::kWidth == 4) {
    const F a = __builtin_shufflevector(v[0], v[1], 0, 4, 1, 5), b = __builtin_shufflevector(v[0], v[1], 2, 6, 3, 7);
    const F c = __builtin_shufflevector(v[2], v[3], 0, 4, 1, 5), d = __builtin_shufflevector(v[2], v[3], 2, 6, 3, 7);
    v[0] = __builtin_shufflevector(a, c, 0, 1, 4, 5), v[1] = __builtin_shufflevector(a, c, 2, 3, 6, 7);
    v[2] = __builtin_shufflevector(b, d, 0, 1, 4, 5), v[3] = __builtin_shufflevector(b, d, 2, 3, 6, 7);
  } else {
    F t[8], s[8];
    for (int i = 0; i < 8; i += 2) {
      t[i] = __builtin_shufflevector(v[i], v[i + 1], 0, 8, 1, 9, 4, 12, 5, 13);
      t[i + 1] = __builtin_shufflevector(v[i], v[i + 1], 2, 10, 3, 11, 6, 14, 7, 15);
    }
    for (int i = 0; i < 8; i += 4) {
      s[i] = __builtin_shufflevector(t[i], t[i + 2], 0, 1, 8, 9, 4, 5, 12, 13);
      s[i + 1] = __builtin_shufflevector(t[i], t[i + 2], 2, 3, 10, 11, 6, 7, 14, 15);
      s[i + 2] = __builtin_shufflevector(t[i + 1], t[i + 3], 0, 1, 8, 9, 4, 5, 12, 13);
      s[i + 3] = __builtin_shufflevector(t[i + 1], t[i + 3], 2, 3, 10, 11, 6, 7, 14, 15);
    }
    for (int i = 0; i < 4; ++i) {
      v[i] = __builtin_shufflevector(s[i], s[i + 4], 0, 1, 2, 3, 8, 9, 10, 11);
      v[i + 4] = __builtin_shufflevector(s[i], s[i + 4], 4, 5, 6, 7, 12, 13, 14, 15);
    }
  }
}

// W frames laid out frame after frame, lane after lane, into each lane's own column (columns[l] + at, for the
// lanes marked in `take`): W loads, a transpose and W stores.
template <class L>
TONFORGE_LANE_INLINE void FramesToColumns(const float* frames, float* const* columns, uint32_t at, const bool* take) {
  typename L::F v[L::kWidth];
  for (int j = 0; j < L::kWidth; ++j) v[j] = Load<L>(frames + j * L::kWidth);
  Transpose<L>(v);
  for (int l = 0; l < L::kWidth; ++l)
    if (take[l]) Store<L>(columns[l] + at, v[l]);
}

// The way back: W frames of each lane's column (columns[l] + at) laid out frame after frame.
template <class L>
TONFORGE_LANE_INLINE void ColumnsToFrames(const float* const* columns, uint32_t at, float* frames) {
  typename L::F v[L::kWidth];
  for (int l = 0; l < L::kWidth; ++l) v[l] = Load<L>(columns[l] + at);
  Transpose<L>(v);
  for (int j = 0; j < L::kWidth; ++j) Store<L>(frames + j * L::kWidth, v[j]);
}

inline constexpr bool kEveryLane[kMostLanes] = {true, true, true, true, true, true, true, true};

// HeldLine: line `line` of each lane's two buffers.
template <class L>
struct LaneLine {
  using F = typename L::F;
  using I = typename L::I;
  TONFORGE_LANE_INLINE LaneLine(const LaneSet& s, int line) : lanes(s), index(line) {
    for (int l = 0; l < L::kWidth; ++l) {
      const Engine& e = *s.engine[l];
      left[l] = e.left.get(), right[l] = e.right.get();
      start[l] = static_cast<int32_t>(e.lineStart[line]), end[l] = static_cast<int32_t>(e.lineEnd[line]);
      length[l] = static_cast<int32_t>(e.lineLength), position[l] = static_cast<int32_t>(e.linePosition[line]);
    }
  }

  // Lines are far shorter than 2^31 samples, so the unsigned sums of HeldLine fit in signed lanes.
  TONFORGE_LANE_INLINE I ReadIndex(const I& delay) const {
    return position >= start + delay ? position - delay : position + length - delay;
  }
  // The read is a load per lane from the lane's own buffer (AVX2's gathers measured slower).
  TONFORGE_LANE_INLINE static F Read(float* const* buffers, const I& at) {
    const LaneArray<L, I> i(at);
    F v;
    for (int l = 0; l < L::kWidth; ++l) v[l] = buffers[l][i.at[l]];
    return v;
  }
  TONFORGE_LANE_INLINE F TapLeft(const I& delay) const { return Read(left, ReadIndex(delay)); }
  TONFORGE_LANE_INLINE F TapRight(const I& delay) const { return Read(right, ReadIndex(delay)); }
  // Both sides at the same delay, each lane's read position worked out once. (AVX2's gathers from the 8
  // lanes' addresses measured slower than these loads.)
  TONFORGE_LANE_INLINE void Taps(const I& delay, F& l, F& r) const {
    const LaneArray<L, I> i(ReadIndex(delay));
    for (int k = 0; k < L::kWidth; ++k) l[k] = left[k][i.at[k]], r[k] = right[k][i.at[k]];
  }

  TONFORGE_LANE_INLINE void Push(const F& l, const F& r) {
    const LaneArray<L, I> at(position);
    const LaneArray<L, F> ls(l), rs(r);
    for (int k = 0; k < L::kWidth; ++k)
      if (lanes.writes[k]) left[k][at.at[k]] = ls.at[k], right[k][at.at[k]] = rs.at[k];
    position = position + 1;
    position = position >= end ? start : position;
  }

  // HeldLine's runs without feedback in every lane. Reach is the longest run at these delays in all lanes.
  TONFORGE_LANE_INLINE uint32_t Reach(const I& delay) const {
    const LaneArray<L, I> d(delay), from(start), to(end), lengths(length), at(position);
    uint32_t reach = ~0u;
    for (int l = 0; l < L::kWidth; ++l) {
      const bool laidOut = to.at[l] - from.at[l] == lengths.at[l] && at.at[l] >= from.at[l] && at.at[l] < to.at[l];
      const int32_t r = !laidOut ? 1 : d.at[l] == 0 ? lengths.at[l] : d.at[l];
      reach = std::min(reach, static_cast<uint32_t>(r));
    }
    return reach;
  }
  // Of the next m frames from each lane's `at`, the whole blocks of W frames that no lane's line wraps within.
  TONFORGE_LANE_INLINE static uint32_t UnwrappedBlocks(const LaneArray<L, I>& at, const LaneArray<L, I>& last,
                                                       const bool* counts, uint32_t m) {
    for (int l = 0; l < L::kWidth; ++l)
      if (counts[l]) m = std::min(m, static_cast<uint32_t>(last.at[l] - at.at[l]));
    return m - m % L::kWidth;
  }
  // The next m frames' reads at `delay` from each lane's buffer, frame after frame, lane after lane: W frames
  // of every lane at once are W loads and a transpose, until a line wraps.
  TONFORGE_LANE_INLINE void ReadRuns(float* const* buffers, const I& delay, uint32_t m, float* taps) const {
    constexpr int W = L::kWidth;
    const LaneArray<L, I> from(ReadIndex(delay)), first(start), last(end);
    const uint32_t blocks = UnwrappedBlocks(from, last, kEveryLane, m);
    const float* reads[W];
    for (int l = 0; l < W; ++l) reads[l] = buffers[l] + from.at[l];
    for (uint32_t f = 0; f < blocks; f += W) ColumnsToFrames<L>(reads, f, taps + f * W);
    for (int l = 0; l < W; ++l) {
      const float* at = reads[l];
      const float* wrapped = buffers[l] + first.at[l];
      const uint32_t before = std::min(m, static_cast<uint32_t>(last.at[l] - from.at[l]));
      for (uint32_t f = blocks; f < before; ++f) taps[f * W + l] = at[f];
      for (uint32_t f = before; f < m; ++f) taps[f * W + l] = wrapped[f - before];
    }
  }
  // The next m frames' values (laid out as ReadRuns lays them out) written by the lanes that write, and every
  // lane's write position moved past them.
  TONFORGE_LANE_INLINE void WriteRuns(const float* ls, const float* rs, uint32_t m) {
    constexpr int W = L::kWidth;
    const LaneArray<L, I> at(position), first(start), last(end);
    const uint32_t blocks = UnwrappedBlocks(at, last, lanes.writes.data(), m);
    float* toLeft[W];
    float* toRight[W];
    for (int l = 0; l < W; ++l) toLeft[l] = left[l] + at.at[l], toRight[l] = right[l] + at.at[l];
    for (uint32_t f = 0; f < blocks; f += W) {
      FramesToColumns<L>(ls + f * W, toLeft, f, lanes.writes.data());
      FramesToColumns<L>(rs + f * W, toRight, f, lanes.writes.data());
    }
    for (int l = 0; l < W; ++l) {
      if (!lanes.writes[l]) continue;
      const uint32_t before = std::min(m, static_cast<uint32_t>(last.at[l] - at.at[l]));
      for (uint32_t f = blocks; f < before; ++f) toLeft[l][f] = ls[f * W + l], toRight[l][f] = rs[f * W + l];
      float* const wrappedLeft = left[l] + first.at[l] - before;
      float* const wrappedRight = right[l] + first.at[l] - before;
      for (uint32_t f = before; f < m; ++f) wrappedLeft[f] = ls[f * W + l], wrappedRight[f] = rs[f * W + l];
    }
    position = position + static_cast<int32_t>(m);
    position = position >= end ? (m == 1 ? start : position - length) : position;
  }

  // HeldLine::Guard in each lane: `stored` is what the frame wrote.
  TONFORGE_LANE_INLINE void Guard(const F& stored) {
    const I bad = ~Finite<L>(stored);
    if (!kGuardState || !Any<L>(bad)) [[likely]]
      return;
    const LaneArray<L, I> hit(bad), at(position), first(start), last(end);
    for (int l = 0; l < L::kWidth; ++l) {
      if (!hit.at[l] || !lanes.writes[l] || last.at[l] <= first.at[l]) continue;
      const int32_t i = (at.at[l] == first.at[l] ? last.at[l] : at.at[l]) - 1;
      left[l][i] = KeepFinite(left[l][i]);
      right[l][i] = KeepFinite(right[l][i]);
    }
  }

  TONFORGE_LANE_INLINE void Store() const {
    const LaneArray<L, I> at(position);
    for (int l = 0; l < L::kWidth; ++l)
      if (lanes.writes[l]) lanes.engine[l]->linePosition[index] = static_cast<uint32_t>(at.at[l]);
  }

  const LaneSet& lanes;
  int index;
  float* left[L::kWidth];
  float* right[L::kWidth];
  I start, end, length, position;
};

// One value of each lane from a table, lane l's at index[l]. (A run built for AVX2 cannot inline the gather
// instruction's intrinsic through these helpers, which are built for SSE2; the loads are the same values.)
template <class L>
TONFORGE_LANE_INLINE typename L::F Gather(const float* table, const typename L::I& index) {
  const LaneArray<L, typename L::I> at(index);
  typename L::F v;
  for (int l = 0; l < L::kWidth; ++l) v[l] = table[at.at[l]];
  return v;
}

// A short line of each lane unrolled for one run: row depth + t of the table holds every lane's sample of
// frame t, the rows below it what the lines held before the run (oldest first). A tap is then one gather from
// the table and a write one store of a row; the lines take the samples that stay in them once, at the end.
// Lines of up to kMostDepth samples and runs of up to kMostFrames frames.
// A run of n frames going back into each lane's line (the lanes that write): put(l, t, slot, count) copies
// frames t .. t + count - 1 into slots slot .. of lane l's line, for the frames that stay in it, in two pieces:
// up to the line's end, then on from its start. Returns each lane's write position past the run.
template <class L, class Put>
TONFORGE_LANE_INLINE typename L::I WriteBackRun(const LaneLine<L>& line, uint32_t n, Put put) {
  const LaneArray<L, typename L::I> from(line.start), lengths(line.length), at(line.position);
  typename L::I moved;
  for (int l = 0; l < L::kWidth; ++l) {
    // Frame t went to the slot t places past the write position, around the line: the last `length` frames
    // stay, and the write position ends n places on.
    const auto length = static_cast<uint32_t>(lengths.at[l]);
    const auto first = static_cast<uint32_t>(at.at[l] - from.at[l]);
    moved[l] = from.at[l] + static_cast<int32_t>((first + n) % length);
    if (!line.lanes.writes[l]) continue;
    const uint32_t t = n > length ? n - length : 0, slot = (first + t) % length;
    const uint32_t before = std::min(n - t, length - slot);
    put(l, t, static_cast<uint32_t>(from.at[l]) + slot, before);
    put(l, t + before, static_cast<uint32_t>(from.at[l]), n - t - before);
  }
  return moved;
}

template <class L>
struct UnrolledLine {
  using F = typename L::F;
  using I = typename L::I;
  static constexpr int W = L::kWidth;
  static constexpr int32_t kMostDepth = 256;
  static constexpr uint32_t kMostFrames = 512;

  // Whether every lane's line is laid out as its length says and short enough, and the run not too long.
  TONFORGE_LANE_INLINE static bool Fits(const LaneLine<L>& line, uint32_t n) {
    const LaneArray<L, I> from(line.start), to(line.end), lengths(line.length), at(line.position);
    for (int l = 0; l < W; ++l) {
      const int32_t length = lengths.at[l];
      if (length < 1 || length > kMostDepth || to.at[l] - from.at[l] != length || at.at[l] < from.at[l] ||
          at.at[l] >= to.at[l])
        return false;
    }
    return n <= kMostFrames;
  }

  TONFORGE_LANE_INLINE explicit UnrolledLine(const LaneLine<L>& line) {
    const LaneArray<L, I> from(line.start), lengths(line.length), at(line.position);
    for (int l = 0; l < W; ++l) {
      // The oldest sample is at the write position: the samples from there to the line's end, then from its start.
      const int32_t length = lengths.at[l], tail = from.at[l] + length - at.at[l];
      const int32_t top = kMostDepth - length;
      for (int32_t k = 0; k < tail; ++k) {
        left[(top + k) * W + l] = line.left[l][at.at[l] + k];
        right[(top + k) * W + l] = line.right[l][at.at[l] + k];
      }
      for (int32_t k = tail; k < length; ++k) {
        left[(top + k) * W + l] = line.left[l][from.at[l] + k - tail];
        right[(top + k) * W + l] = line.right[l][from.at[l] + k - tail];
      }
    }
    for (int l = 0; l < W; ++l) lane[l] = l;
  }

  // Frame f's tap at (effective) delay d, both sides, from row depth + f - d.
  TONFORGE_LANE_INLINE I Index(uint32_t f, const I& d) const {
    return (static_cast<int32_t>(kMostDepth + f) - d) * W + lane;
  }
  TONFORGE_LANE_INLINE F TapLeft(const I& at) const { return Gather<L>(left, at); }
  TONFORGE_LANE_INLINE F TapRight(const I& at) const { return Gather<L>(right, at); }
  TONFORGE_LANE_INLINE void Set(uint32_t f, const F& l, const F& r) {
    Store<L>(left + (kMostDepth + f) * W, l);
    Store<L>(right + (kMostDepth + f) * W, r);
  }

  // The n frames of the run into the lanes' lines (those that write), and every lane's write position past them.
  TONFORGE_LANE_INLINE void WriteBack(LaneLine<L>& line, uint32_t n) const {
    line.position = WriteBackRun<L>(line, n, [&](int l, uint32_t t, uint32_t slot, uint32_t count) {
      for (uint32_t k = 0; k < count; ++k) {
        line.left[l][slot + k] = left[(kMostDepth + t + k) * W + l];
        line.right[l][slot + k] = right[(kMostDepth + t + k) * W + l];
      }
    });
  }

  alignas(32) float left[(kMostDepth + kMostFrames) * W];
  alignas(32) float right[(kMostDepth + kMostFrames) * W];
  I lane;
};

// A short line of each lane unrolled lane by lane for a run that writes every frame's input before any read
// (so that the whole run's history is known at its start): lane l's samples oldest first in its own column,
// row depth + t holding frame t. A read of W frames at one delay is then one load per lane and a transpose.
// Lines and runs that UnrolledLine::Fits.
template <class L>
struct LaneColumns {
  using F = typename L::F;
  using I = typename L::I;
  static constexpr int W = L::kWidth;
  static constexpr int32_t kMostDepth = UnrolledLine<L>::kMostDepth;
  static constexpr int32_t kRows = kMostDepth + static_cast<int32_t>(UnrolledLine<L>::kMostFrames);

  // The lines before the run, then the n frames of inLeft, inRight (laid out frame after frame, lane after lane).
  TONFORGE_LANE_INLINE LaneColumns(const LaneLine<L>& line, const float* inLeft, const float* inRight, uint32_t n) {
    const LaneArray<L, I> from(line.start), lengths(line.length), at(line.position);
    for (int l = 0; l < W; ++l) {
      // The oldest sample is at the write position: the samples from there to the line's end, then from its start.
      const int32_t length = lengths.at[l], tail = from.at[l] + length - at.at[l];
      const int32_t top = kMostDepth - length;
      std::memcpy(left[l] + top, line.left[l] + at.at[l], sizeof(float) * tail);
      std::memcpy(right[l] + top, line.right[l] + at.at[l], sizeof(float) * tail);
      std::memcpy(left[l] + top + tail, line.left[l] + from.at[l], sizeof(float) * (length - tail));
      std::memcpy(right[l] + top + tail, line.right[l] + from.at[l], sizeof(float) * (length - tail));
    }
    Columns(left, inLeft, n);
    Columns(right, inRight, n);
  }

  // Frames laid out frame after frame into the columns, W frames at a time turned over as a block.
  TONFORGE_LANE_INLINE static void Columns(float (*to)[kRows], const float* frames, uint32_t n) {
    float* columns[W];
    for (int l = 0; l < W; ++l) columns[l] = to[l] + kMostDepth;
    uint32_t f = 0;
    for (; f + W <= n; f += W) FramesToColumns<L>(frames + f * W, columns, f, kEveryLane);
    for (; f < n; ++f)
      for (int l = 0; l < W; ++l) to[l][kMostDepth + f] = frames[f * W + l];
  }

  // The taps of frames f .. f + m - 1 (m <= W) of `side`, frame f + j's from rows row[j] + f + j (row[0] + f + j
  // for all when oneRow): one load per lane and a transpose for a whole block at one row, else one load per
  // frame and lane.
  TONFORGE_LANE_INLINE static void Read(const float (*side)[kRows], const I* row, bool oneRow, uint32_t f,
                                        uint32_t m, F* taps) {
    if (oneRow && m == W) {
      const LaneArray<L, I> r(row[0]);
      for (int l = 0; l < W; ++l) taps[l] = Load<L>(side[l] + r.at[l] + f);
      Transpose<L>(taps);
      return;
    }
    for (uint32_t j = 0; j < m; ++j) {
      const LaneArray<L, I> r(row[oneRow ? 0 : j]);
      for (int l = 0; l < W; ++l) taps[j][l] = side[l][r.at[l] + f + j];
    }
  }

  // The n frames of the run into the lanes' lines (those that write), and every lane's write position past them.
  TONFORGE_LANE_INLINE void WriteBack(LaneLine<L>& line, uint32_t n) const {
    line.position = WriteBackRun<L>(line, n, [&](int l, uint32_t t, uint32_t slot, uint32_t count) {
      std::memcpy(line.left[l] + slot, left[l] + kMostDepth + t, sizeof(float) * count);
      std::memcpy(line.right[l] + slot, right[l] + kMostDepth + t, sizeof(float) * count);
    });
  }

  alignas(32) float left[W][kRows];
  alignas(32) float right[W][kRows];
};

// HeldSweep: slot `slot` of each lane's engine; `moves(slot)` says whether it steps.
template <class L>
struct LaneSweep {
  using F = typename L::F;
  using I = typename L::I;
  template <class Moves>
  TONFORGE_LANE_INLINE LaneSweep(const LaneSet& s, int slot, const OutputRate& rate, Moves moves) : lanes(s), index(slot) {
    for (int l = 0; l < L::kWidth; ++l) {
      const DataSlot& d = s.engine[l]->slots[slot];
      const HeldSweep h(d, rate, moves(d));
      data[l] = h.data;
      length[l] = static_cast<int32_t>(h.length), lengthF[l] = static_cast<float>(h.length);
      loaded[l] = h.loaded ? -1 : 0, looped[l] = h.looped ? -1 : 0;
      gain[l] = h.gain, step[l] = h.step, loopStart[l] = h.loopStart, loopEnd[l] = h.loopEnd;
      position[l] = h.position;
    }
  }

  // PlayIndex in each lane: i is the current sample's index where the result is set.
  TONFORGE_LANE_INLINE I Index(I& i) const {
    i = __builtin_convertvector(position, I);
    return (position >= 0.0f) & (position < lengthF) & (i < length);
  }
  TONFORGE_LANE_INLINE float Value(int l, int32_t i) const { return data[l][i] * gain[l]; }
  // HeldSweep::Advance in the lanes of `mask`.
  TONFORGE_LANE_INLINE void Advance(const I& mask) {
    F next = position + step;
    next = (looped & (next >= loopEnd)) ? loopStart : next;
    position = mask ? next : position;
  }
  TONFORGE_LANE_INLINE void Store(const I& mask) const {
    const LaneArray<L, I> stores(mask);
    for (int l = 0; l < L::kWidth; ++l)
      if (lanes.writes[l] && stores.at[l]) lanes.engine[l]->slots[index].playPosition = position[l];
  }

  const LaneSet& lanes;
  int index;
  const float* data[L::kWidth];
  I length, loaded, looped;
  F lengthF, gain, step, loopStart, loopEnd, position;
};

// HeldModulators: base plus every slot with data among each lane's loaded count, the last sample held once a
// slot has run out. A slot stays on one sample for many frames, so its value is read again only when a
// lane's index moves.
template <class L>
struct LaneModulators {
  using F = typename L::F;
  using I = typename L::I;
  TONFORGE_LANE_INLINE LaneModulators(const LaneSet& s, const OutputRate& rate)
      : slots{Slot(s, 0, rate), Slot(s, 1, rate), Slot(s, 2, rate), Slot(s, 3, rate)} {}

  struct Slot {
    TONFORGE_LANE_INLINE Slot(const LaneSet& s, int k, const OutputRate& rate)
        : sweep(s, k, rate, HeldModulator::Present),
          present(PerLane<L>(s, [k](const Engine& e, int) {
            const uint32_t count = std::min<uint32_t>(e.loadedSlotCount, kDataSlotCount);
            return static_cast<uint32_t>(k) < count && HeldModulator::Present(e.slots[k]) ? -1 : 0;
          })),
          any(Any<L>(present)),
          sample(Splat<L>(int32_t{-1})),
          value() {}

    // ModulatorValue in each present lane.
    TONFORGE_LANE_INLINE F Read() {
      F& p = sweep.position;
      p = p >= 0.0f ? p : F{};  // a damaged record's position restarts the slot
      I i;
      const I playing = sweep.Index(i);
      const I at = playing ? i : sweep.length - 1;
      const I moved = present & (at != sample);
      if (Any<L>(moved)) {
        const LaneArray<L, I> m(moved), a(at);
        for (int l = 0; l < L::kWidth; ++l)
          if (m.at[l]) value[l] = sweep.Value(l, a.at[l]);
        sample = present ? at : sample;
      }
      sweep.Advance(present & playing);
      return value;
    }

    LaneSweep<L> sweep;
    I present;
    bool any;
    I sample;  // the index each lane's value was read at
    F value;
  };

  TONFORGE_LANE_INLINE F Sum(const F& base) {
    F v = base;
    for (Slot& s : slots)
      if (s.any) v = s.present ? v + s.Read() : v;
    return v;
  }
  TONFORGE_LANE_INLINE void Store() const {
    for (const Slot& s : slots) s.sweep.Store(s.present);
  }

  Slot slots[kDataSlotCount];
};

}  // namespace tonforge
