#pragma once
// Sample blocks: DataSlot data and delay buffers. A block is shared between a Program's engine and the
// voice copies playing it, so starting a note copies a reference and allocates nothing.
#include <cstddef>
#include <memory>

namespace tonforge {

using SampleBlock = std::shared_ptr<float[]>;

// A zeroed block of count floats, or an empty block when memory runs out.
SampleBlock AllocateSamples(std::size_t count);
// A block holding a copy of count floats from source (empty source or count 0 gives an empty block).
SampleBlock CopySamples(const SampleBlock& source, std::size_t count);

// Test hook: the next `count` allocations after `skip` successful ones fail as if memory had run out.
void FailAllocationsForTesting(int skip, int count);

}  // namespace tonforge
