#include "shell/random.h"

#include <chrono>

namespace tonforge {

void SeedRandom(RandomGenerator& random) {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  random.general = static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count() % 1000);
}

}  // namespace tonforge
