#pragma once
// The computer keyboard as the core sees it: the down/up state of all 256 keys, numbered by DirectInput
// key codes, read once per pass of the idle step.
#include <array>
#include <cstdint>

namespace tonforge {

inline constexpr int kKeyCount = 256;
inline constexpr uint8_t kKeyDownBit = 0x80;  // a key is down while bit 7 of its state is set

using KeyStates = std::array<uint8_t, kKeyCount>;

class Keyboard {
public:
  virtual ~Keyboard() = default;
  // Writes the present state of every key. False when the device could not be read; `state` then keeps
  // whatever it held.
  virtual bool ReadState(KeyStates& state) = 0;
};

}  // namespace tonforge
