// The keyboard table: every key the keyboard commands use reaches the core from the SDL key that sits in
// the same place, and no other key does.
#include <gtest/gtest.h>

#include <vector>

#include "platform/sdl/sdl_keyboard.h"
#include "sequencer/keyboard_commands.h"

namespace tonforge {
namespace {

std::vector<uint8_t> CodesDownFor(int scancode) {
  std::vector<uint8_t> sdlState(kScancodeCount, 0);
  sdlState[static_cast<size_t>(scancode)] = 1;
  KeyStates states;
  states.fill(0x5A);  // every entry must be written
  MapKeyStates(sdlState.data(), kScancodeCount, states);
  std::vector<uint8_t> down;
  for (int code = 0; code < kKeyCount; ++code) {
    if (states[static_cast<size_t>(code)] == kKeyDownBit) down.push_back(static_cast<uint8_t>(code));
    else EXPECT_EQ(states[static_cast<size_t>(code)], 0);
  }
  return down;
}

TEST(SdlKeyboard, EveryCommandKeyMapsToItsSdlKeyAndBack) {
  // Runs of neighbouring key codes and the SDL names of the keys they stand for, row by row.
  const struct { uint8_t first; std::vector<const char*> names; } runs[] = {
      {key::Escape, {"Escape", "1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "-", "=", "Backspace"}},
      {key::Q, {"Q", "W", "E", "R", "T", "Y", "U", "I", "O", "P", "[", "]", "Return", "Left Ctrl"}},
      {key::A, {"A", "S", "D", "F", "G", "H", "J", "K", "L", ";"}},
      {key::LeftShift, {"Left Shift"}},
      {key::Z, {"Z", "X", "C", "V", "B", "N", "M", ",", ".", "/", "Right Shift"}},
      {key::Space, {"Space"}},
      {key::F1, {"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10"}},
      {key::ScrollLock, {"ScrollLock", "Keypad 7", "Keypad 8"}},
      {key::Numpad4, {"Keypad 4", "Keypad 5", "Keypad 6", "Keypad +", "Keypad 1", "Keypad 2", "Keypad 3", "Keypad 0"}},
      {key::F11, {"F11", "F12"}},
      {key::NumpadEnter, {"Keypad Enter", "Right Ctrl"}},
      {key::Home, {"Home", "Up", "PageUp"}},
      {key::Left, {"Left"}},
      {key::Right, {"Right"}},
      {key::End, {"End", "Down", "PageDown", "Insert", "Delete"}},
  };
  for (const auto& run : runs) {
    for (size_t i = 0; i < run.names.size(); ++i) {
      const auto code = static_cast<uint8_t>(run.first + i);
      SCOPED_TRACE(run.names[i]);
      const int scancode = ScancodeOf(code);
      EXPECT_GT(scancode, 0);
      EXPECT_STREQ(ScancodeName(scancode), run.names[i]);
      EXPECT_EQ(CodesDownFor(scancode), std::vector<uint8_t>{code});
    }
  }

  // The rest of the table: every mapped code has an SDL key of its own, which holds down that code only (SDL
  // names no international keys, so only the range is checked).
  for (int code = 0; code < kKeyCount; ++code) {
    const int scancode = ScancodeOf(static_cast<uint8_t>(code));
    if (scancode == 0) continue;
    SCOPED_TRACE(code);
    ASSERT_LT(scancode, kScancodeCount);  // CodesDownFor indexes by it
    EXPECT_EQ(CodesDownFor(scancode), std::vector<uint8_t>{static_cast<uint8_t>(code)});
  }
}

}  // namespace
}  // namespace tonforge
