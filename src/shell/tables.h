#pragma once
// The lookup tables computed once at start-up. Pitches are signed offsets in cents.
#include <array>
#include <cstdint>

namespace tonforge {

inline constexpr int kPitchSpan = 6099;                   // table index runs from -6099 to +6099 cents
inline constexpr int kPitchTableSize = 2 * kPitchSpan + 1;  // 12199
inline constexpr int kPanPositions = 201;                 // 0..200, 100 = centre
inline constexpr double kMiddleCHz = 261.63;
inline constexpr int32_t kCentsPerOctave = 1200;

struct Tables {
  std::array<float, kPitchTableSize> pitch{};     // 2^(k/1200)
  std::array<float, kPitchTableSize> sineStep{};  // 2 sin(2 pi f / 88200), f = 261.63 * 2^(k/1200)
  // A signal (L, R) panned to p gives left L*A[p] + R*C[p] and right L*B[p] + R*D[p].
  std::array<float, kPanPositions> panA{}, panB{}, panC{}, panD{};

  float Pitch(int cents) const { return pitch[cents + kPitchSpan]; }
  float SineStep(int cents) const { return sineStep[cents + kPitchSpan]; }
};

void BuildTables(Tables& tables);

// Pans a stereo pair in place with the four gain tables.
inline void PanStereo(const Tables& t, int position, float& left, float& right) {
  const float l = left, r = right;
  left = l * t.panA[position] + r * t.panC[position];
  right = l * t.panB[position] + r * t.panD[position];
}

}  // namespace tonforge
