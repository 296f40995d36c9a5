#pragma once
// A MIDI keyboard as the core sees it: the raw bytes of the MIDI stream, in the order they arrived, taken once
// per pass of the idle step. The platform fills them from whatever delivers MIDI; the core never sees how.
#include <cstddef>
#include <cstdint>
#include <span>

namespace tonforge {

class MidiInput {
public:
  virtual ~MidiInput() = default;
  // Moves the bytes received since the last call into `out` (at most out.size(), oldest first) and returns
  // how many were moved. Never blocks; the rest waits for the next call.
  virtual size_t TakeBytes(std::span<uint8_t> out) = 0;
};

}  // namespace tonforge
