#pragma once
// The one-line editor through which program, track and DataSlot names and the values of events are typed.
// The keyboard feeds it one character at a time; while an entry is active the keyboard types into it instead
// of running commands. At most one entry runs at a time; it lives in AppState.
#include <array>
#include <cstdint>
#include <string_view>

namespace tonforge {

struct AppState;

enum class TextField : uint32_t { ProgramName = 0, TrackName = 1, DataSlotName = 2, ValueA = 3, ValueB = 4 };

// An entry ends by itself when its text reaches maximum - 1 characters.
inline constexpr int32_t kProgramNameMaximum = 32;
inline constexpr int32_t kTrackNameMaximum = 24;
inline constexpr int32_t kDataSlotNameMaximum = 16;
inline constexpr int32_t kEventValueMaximum = 7;
inline constexpr int32_t kTextEntryCapacity = 64;

// The control characters the keyboard passes besides the printable ones (32..126).
inline constexpr char kBackspaceCharacter = 8;
inline constexpr char kEnterCharacter = 13;
inline constexpr char kEscapeCharacter = 27;

struct TextEntry {
  bool active = false;
  // The typed characters, followed by the caret "|" while active; always NUL-terminated.
  std::array<char, kTextEntryCapacity + 2> text{};
  int32_t length = 0;
  int32_t maximum = 0;
  TextField field = TextField::ProgramName;
  // The program index, track index, DataSlot number (of the chain editor's selected engine) or event index.
  int32_t target = 0;
  // For event values: the track that was current when the entry started, whose event is edited.
  int32_t track = 0;
  // The panels whose controls show the text (one bit per Panel).
  uint32_t display = 0;
};

// Stops playback, ends an entry that is still running (as Enter would), and starts a new one with an empty
// text. A name is rebuilt from that empty text: it is emptied now and follows every key.
// `target` is as in TextEntry; for event values it is an index into the current track.
void StartTextEntry(AppState& app, TextField field, int32_t target, int32_t maximum);

// One character from the keyboard: printable (32..126), Backspace, Enter or Escape; others are ignored.
// A piano character typed into a NoteOn's pitch takes the editor's octave.
void TypeTextEntryCharacter(AppState& app, char c);

// Ends the entry as Enter does (Escape does the same: nothing is cancelled). Nothing when none is active.
void EndTextEntry(AppState& app);

bool IsTextEntryActive(const AppState& app);
// The characters typed so far, without the caret.
std::string_view TypedText(const TextEntry& entry);

// A typed number: from the last character to the first each digit adds digit x weight, the weight starting at
// 1 and growing tenfold at every character, digit or not; a leading "-" makes it negative. So "1-2" is 102.
int32_t ReadTypedNumber(std::string_view text);

// The pitch of a piano character at octave 0 (the note-key layout), or -1 for any other character.
int32_t PianoCharacterPitch(char c);

}  // namespace tonforge
