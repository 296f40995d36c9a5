#pragma once
// A MidiInput fed by the test: the bytes it queues come out of the next TakeBytes calls in order.
#include <algorithm>
#include <vector>

#include "shell/devices/midi_input.h"

namespace tonforge::testing {

class FakeMidiInput : public MidiInput {
public:
  size_t TakeBytes(std::span<uint8_t> out) override {
    const size_t n = std::min(out.size(), waiting.size());
    std::copy_n(waiting.begin(), n, out.begin());
    waiting.erase(waiting.begin(), waiting.begin() + static_cast<long>(n));
    return n;
  }
  void Send(const std::vector<uint8_t>& bytes) { waiting.insert(waiting.end(), bytes.begin(), bytes.end()); }

  std::vector<uint8_t> waiting;
};

}  // namespace tonforge::testing
