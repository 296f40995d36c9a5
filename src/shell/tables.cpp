#include "shell/tables.h"

#include <cmath>

namespace tonforge {

namespace {
constexpr float kTwoPiOver88200 = 7.123793e-05f;
}

void BuildTables(Tables& t) {
  for (int k = -kPitchSpan; k <= kPitchSpan; ++k) {
    const double ratio = std::pow(2.0, k / 1200.0);
    t.pitch[k + kPitchSpan] = static_cast<float>(ratio);
    const double f = kMiddleCHz * static_cast<double>(t.pitch[k + kPitchSpan]);
    t.sineStep[k + kPitchSpan] = static_cast<float>(2.0 * std::sin(f * kTwoPiOver88200));
  }
  for (int p = 0; p < kPanPositions; ++p) {
    const int i = p - 100;
    t.panA[p] = static_cast<float>(i > 0 ? 1.0 - 0.01 * i : 1.0 + 0.005 * i);
    t.panB[p] = static_cast<float>(i > 0 ? 0.005 * i : 0.0);
    t.panC[p] = static_cast<float>(i < 0 ? -0.005 * i : 0.0);
    t.panD[p] = static_cast<float>(i < 0 ? 1.0 + 0.01 * i : 1.0 - 0.005 * i);
  }
}

}  // namespace tonforge
