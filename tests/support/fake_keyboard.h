#pragma once
// A Keyboard whose keys the test holds down and lets go of between polls.
#include <vector>

#include "shell/devices/keyboard.h"

namespace tonforge::testing {

class FakeKeyboard : public Keyboard {
public:
  bool ReadState(KeyStates& state) override {
    if (failReads > 0) {
      --failReads;
      return false;
    }
    state = keys;
    return true;
  }

  // Exactly these keys are down from now on.
  void Hold(const std::vector<uint8_t>& down) {
    keys.fill(0);
    for (uint8_t k : down) keys[k] = kKeyDownBit;
  }

  KeyStates keys{};
  int failReads = 0;  // the next reads fail and leave the caller's array alone
};

}  // namespace tonforge::testing
