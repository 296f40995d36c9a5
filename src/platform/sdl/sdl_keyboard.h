#pragma once
// The keyboard through SDL's key state array, renumbered into the 256 DirectInput key codes the core uses.
// Both number physical key positions, so the mapping holds whatever the keyboard layout.
#include <cstdint>

#include "shell/devices/keyboard.h"

namespace tonforge {

// Entries in SDL's key state array (one per SDL scancode).
inline constexpr int kScancodeCount = 512;

// The SDL scancode of a DirectInput key code; 0 for a code no SDL key has.
int ScancodeOf(uint8_t code);
// SDL's name of a scancode ("Return", "Keypad Enter"); empty for an unknown one.
const char* ScancodeName(int scancode);

// Turns SDL's key state array (`count` entries, nonzero = down) into DirectInput key states (bit 7 = down).
void MapKeyStates(const uint8_t* scancodeStates, int count, KeyStates& states);

class SdlKeyboard : public Keyboard {
public:
  // Reads the keys as SDL last saw them; false until SDL's video (and so its keyboard) is running.
  bool ReadState(KeyStates& state) override;
};

}  // namespace tonforge
