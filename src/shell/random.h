#pragma once
// One linear congruential step shared by two independent states: the general state and the engine
// state that playback swaps per track so each track keeps its own sequence.
#include <cstdint>

namespace tonforge {

inline constexpr uint32_t kRandomMultiplier = 196314165u;
inline constexpr uint32_t kRandomIncrement = 907633515u;

inline uint32_t RandomStep(uint32_t x) { return x * kRandomMultiplier + kRandomIncrement; }

// Steps the state and returns a value in 0..bound.
inline uint32_t RandomBounded(uint32_t& state, uint32_t bound) {
  state = RandomStep(state);
  return bound == UINT32_MAX ? state : state % (bound + 1u);
}

// Steps the state and returns (state mod 100000) * 0.00001, a value in 0..0.99999.
inline float RandomUnit(uint32_t& state) {
  state = RandomStep(state);
  return static_cast<float>(state % 100000u) * 0.00001f;
}

struct RandomGenerator {
  uint32_t general = 0;
  uint32_t engine = 0;
};

// Seeds the general state from the milliseconds (0..999) of the current UTC time.
void SeedRandom(RandomGenerator& random);
inline uint32_t RandomNext(RandomGenerator& random, uint32_t bound) { return RandomBounded(random.general, bound); }
inline uint32_t EngineRandomNext(uint32_t& engineState, uint32_t bound) { return RandomBounded(engineState, bound); }
inline float EngineRandomUnit(uint32_t& engineState) { return RandomUnit(engineState); }

}  // namespace tonforge
