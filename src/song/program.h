#pragma once
// The Program record: a stored sound, a header and a chain of nine engines. Programs are templates; voices
// play working copies of them.
#include <array>
#include <cstdint>

#include "engines/engine.h"
#include "shell/shared_value.h"

namespace tonforge {

using Chain = std::array<Engine, kChainLength>;

// The highest chain position holding an engine, plus one (0 for an empty chain): a program's engine count, a
// track's chain length, how far the song chain runs.
inline int32_t UsedChainLength(const Chain& chain) {
  for (int32_t p = kChainLength; p > 0; --p)
    if (chain[p - 1].type != 0) return p;
  return 0;
}

struct Program {
  std::array<char, 32> name{};
  Shared<float> level = 0.75f;  // the program editor changes level and pan while the song plays
  float volume = 1.0f;
  float volumeSlide = 0.0f;
  int32_t transpose = 0;
  int32_t pitchOffset = 0;
  int32_t pitchSlide = 0;
  Shared<int32_t> pan = 100;
  int32_t panSlide = 0;
  uint32_t engineCount = 0;
  std::array<Engine, kChainLength> engines{};
  // Not stored: the fingerprint of what a program file holds of the program as it was last created, loaded
  // or saved (programs/program_modified.h); any other value means it holds changes not saved.
  uint64_t savedFingerprint = 0;
};

}  // namespace tonforge
