#include "engines/samples.h"

#include <algorithm>
#include <new>

namespace tonforge {

namespace {
thread_local int g_skipBeforeFailure = 0;
thread_local int g_failuresLeft = 0;

bool SimulatedFailure() {
  if (g_failuresLeft <= 0) return false;
  if (g_skipBeforeFailure > 0) {
    --g_skipBeforeFailure;
    return false;
  }
  --g_failuresLeft;
  return true;
}
}  // namespace

void FailAllocationsForTesting(int skip, int count) {
  g_skipBeforeFailure = skip;
  g_failuresLeft = count;
}

SampleBlock AllocateSamples(std::size_t count) {
  if (count == 0 || SimulatedFailure()) return {};
  try {
    return std::make_shared<float[]>(count);
  } catch (const std::bad_alloc&) {
    return {};
  }
}

SampleBlock CopySamples(const SampleBlock& source, std::size_t count) {
  if (!source) return {};
  SampleBlock copy = AllocateSamples(count);
  if (copy) std::copy(source.get(), source.get() + count, copy.get());
  return copy;
}

}  // namespace tonforge
