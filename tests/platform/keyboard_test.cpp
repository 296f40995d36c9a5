// The keyboard table: every key the keyboard commands use reaches the core from the SDL key that sits in
// the same place, and no other key does.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "app/run.h"
#include "support/fake_keyboard.h"
#include "support/fake_shell.h"
#include "support/fake_sound_device.h"
#include "support/song_rig.h"

#include <string>
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
  struct Case {
    uint8_t code;
    const char* sdlName;
  } cases[] = {
      {key::Escape, "Escape"}, {key::Digit1, "1"}, {key::Digit2, "2"}, {key::Digit3, "3"}, {key::Digit4, "4"},
      {key::Digit5, "5"}, {key::Digit6, "6"}, {key::Digit7, "7"}, {key::Digit8, "8"}, {key::Digit9, "9"},
      {key::Digit0, "0"}, {key::Minus, "-"}, {key::Equals, "="}, {key::Back, "Backspace"},
      {key::Q, "Q"}, {key::W, "W"}, {key::E, "E"}, {key::R, "R"}, {key::T, "T"}, {key::Y, "Y"}, {key::U, "U"},
      {key::I, "I"}, {key::O, "O"}, {key::P, "P"}, {key::LeftBracket, "["}, {key::RightBracket, "]"},
      {key::Return, "Return"}, {key::LeftControl, "Left Ctrl"},
      {key::A, "A"}, {key::S, "S"}, {key::D, "D"}, {key::F, "F"}, {key::G, "G"}, {key::H, "H"}, {key::J, "J"},
      {key::K, "K"}, {key::L, "L"}, {key::Semicolon, ";"}, {key::LeftShift, "Left Shift"},
      {key::Z, "Z"}, {key::X, "X"}, {key::C, "C"}, {key::V, "V"}, {key::B, "B"}, {key::N, "N"}, {key::M, "M"},
      {key::Comma, ","}, {key::Period, "."}, {key::Slash, "/"}, {key::RightShift, "Right Shift"},
      {key::Space, "Space"},
      {key::F1, "F1"}, {key::F2, "F2"}, {key::F3, "F3"}, {key::F4, "F4"}, {key::F5, "F5"}, {key::F6, "F6"},
      {key::F7, "F7"}, {key::F8, "F8"}, {key::F9, "F9"}, {key::F10, "F10"}, {key::ScrollLock, "ScrollLock"},
      {key::F11, "F11"}, {key::F12, "F12"},
      {key::Numpad7, "Keypad 7"}, {key::Numpad8, "Keypad 8"}, {key::Numpad4, "Keypad 4"},
      {key::Numpad5, "Keypad 5"}, {key::Numpad6, "Keypad 6"}, {key::Add, "Keypad +"}, {key::Numpad1, "Keypad 1"},
      {key::Numpad2, "Keypad 2"}, {key::Numpad3, "Keypad 3"}, {key::Numpad0, "Keypad 0"},
      {key::NumpadEnter, "Keypad Enter"}, {key::RightControl, "Right Ctrl"}, {key::Home, "Home"},
      {key::Up, "Up"}, {key::Prior, "PageUp"}, {key::Left, "Left"}, {key::Right, "Right"}, {key::End, "End"},
      {key::Down, "Down"}, {key::Next, "PageDown"}, {key::Insert, "Insert"}, {key::Delete, "Delete"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sdlName);
    const int scancode = ScancodeOf(c.code);
    ASSERT_GT(scancode, 0);
    EXPECT_STREQ(ScancodeName(scancode), c.sdlName);
    EXPECT_EQ(CodesDownFor(scancode), std::vector<uint8_t>{c.code});
  }

  // The rest of the table: every mapped code has an SDL key of its own, which holds down that code only (SDL
  // names no international keys, so only the range is checked).
  for (int code = 0; code < kKeyCount; ++code) {
    const int scancode = ScancodeOf(static_cast<uint8_t>(code));
    if (scancode == 0) continue;
    SCOPED_TRACE(code);
    ASSERT_LT(scancode, kScancodeCount);
    EXPECT_EQ(CodesDownFor(scancode), std::vector<uint8_t>{static_cast<uint8_t>(code)});
  }
}

// SDL's key state with the I key down, through the mapping and the idle step: middle C of the current
// program reaches the sound device.
TEST(SdlKeyboard, AMappedNoteKeyPlaysThroughTheIdleStep) {
  testing::SongRigOf<AppState> rig(1, 2);
  StartCore(rig.app, "/nonexistent");
  rig.SetProgramType(0, testing::Id(EngineTypeId::SineWaveGenerator));
  testing::FakeSoundDevice device;
  rig.app.sound = &device;
  testing::FakeKeyboard keyboard;
  testing::FakeShell shell;
  KeyboardHandler keys(keyboard, shell, {});
  std::array<uint8_t, kScancodeCount> sdlState{};
  sdlState[static_cast<size_t>(ScancodeOf(key::I))] = 1;
  MapKeyStates(sdlState.data(), kScancodeCount, keyboard.keys);
  RunIdleStep(rig.app, keys);
  EXPECT_EQ(rig.app.live.livePitch, 2450);
  ASSERT_EQ(device.WriteCount(), 1u);
  const auto& samples = device.Write(0).samples;
  EXPECT_TRUE(std::any_of(samples.begin(), samples.end(), [](int16_t s) { return s != 0; }));
}

}  // namespace
}  // namespace tonforge
