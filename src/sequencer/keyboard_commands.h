#pragma once
// The computer keyboard plays notes and drives the editor. Once per pass of the idle step the handler reads
// all 256 keys and turns every key that has just gone down into a command; holding a key repeats nothing.
// While a text entry runs, the keys type into it instead.
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "shell/devices/keyboard.h"
#include "shell/devices/shell.h"
#include "song/session.h"

namespace tonforge {

// DirectInput key codes of the keys the handler knows.
namespace key {
inline constexpr uint8_t Escape = 1, Digit1 = 2, Digit2 = 3, Digit3 = 4, Digit4 = 5, Digit5 = 6, Digit6 = 7,
                         Digit7 = 8, Digit8 = 9, Digit9 = 10, Digit0 = 11, Minus = 12, Equals = 13, Back = 14;
inline constexpr uint8_t Q = 16, W = 17, E = 18, R = 19, T = 20, Y = 21, U = 22, I = 23, O = 24, P = 25,
                         LeftBracket = 26, RightBracket = 27, Return = 28, LeftControl = 29;
inline constexpr uint8_t A = 30, S = 31, D = 32, F = 33, G = 34, H = 35, J = 36, K = 37, L = 38, Semicolon = 39,
                         LeftShift = 42;
inline constexpr uint8_t Z = 44, X = 45, C = 46, V = 47, B = 48, N = 49, M = 50, Comma = 51, Period = 52,
                         Slash = 53, RightShift = 54, Space = 57;
inline constexpr uint8_t F1 = 59, F2 = 60, F3 = 61, F4 = 62, F5 = 63, F6 = 64, F7 = 65, F8 = 66, F9 = 67,
                         F10 = 68, ScrollLock = 70, F11 = 87, F12 = 88;
inline constexpr uint8_t Numpad7 = 71, Numpad8 = 72, Numpad4 = 75, Numpad5 = 76, Numpad6 = 77, Add = 78,
                         Numpad1 = 79, Numpad2 = 80, Numpad3 = 81, Numpad0 = 82, NumpadEnter = 156;
inline constexpr uint8_t RightControl = 157, Home = 199, Up = 200, Prior = 201, Left = 203, Right = 205,
                         End = 207, Down = 208, Next = 209, Insert = 210, Delete = 211;
}  // namespace key

// What the keyboard reaches above the sequencer: saving the song through its dialog (Scroll Lock), switching
// the OutputRate (F2, F3, F4), quitting once the user has confirmed (Escape) and the undo history (Ctrl+Z,
// Ctrl+Shift+Z, Ctrl+Y). The program wires them to its own commands; tests put recorders here. An empty hook
// makes its key do nothing.
struct KeyboardHooks {
  std::function<void()> saveSong;
  std::function<void(int32_t sampleRate)> switchOutputRate;
  std::function<void()> requestQuit;
  std::function<void()> undo;  // Ctrl+Z
  std::function<void()> redo;  // Ctrl+Shift+Z and Ctrl+Y
};

struct KeyboardHandler {
  KeyboardHandler(Keyboard& device, Shell& shell, KeyboardHooks hooks)
      : device(device), shell(shell), hooks(std::move(hooks)) {}

  Keyboard& device;
  Shell& shell;
  KeyboardHooks hooks;
  KeyStates present{};
  KeyStates previous{};
};

// One pass: reads the keys and runs the commands of those just pressed.
void PollKeyboard(Session& session, KeyboardHandler& handler);

// A note key's pitch (cents, before the octave), or -1 for a key that plays no note.
int32_t NoteKeyPitch(uint8_t code);

// The help page, opened by F1: the program folder's Help/Help.html.
std::string HelpFilePath(const Session& session);

}  // namespace tonforge
