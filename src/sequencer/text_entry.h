#pragma once
// The one-line editor through which program, track and DataSlot names and the values of events are typed.
// The keyboard feeds it one character at a time; while an entry is active the keyboard types into it instead
// of running commands. At most one entry runs at a time; its record is the editor's (song/editor_state.h).
#include <array>
#include <cstdint>
#include <string_view>

#include "song/editor_state.h"

namespace tonforge {

struct Session;

// Stops playback, ends an entry that is still running (as Enter would), and starts a new one with an empty
// text. A name is rebuilt from that empty text: it is emptied now and follows every key.
// `target` is as in TextEntry; for event values it is an index into the current track.
void StartTextEntry(Session& session, TextField field, int32_t target, int32_t maximum);

// One character from the keyboard: printable (32..126), Backspace, Enter or Escape; others are ignored.
// A piano character typed into a NoteOn's pitch takes the editor's octave.
void TypeTextEntryCharacter(Session& session, char c);

// Ends the entry as Enter does (Escape does the same: nothing is cancelled). Nothing when none is active.
void EndTextEntry(Session& session);

bool IsTextEntryActive(const Session& session);
// The characters typed so far, without the caret.
std::string_view TypedText(const TextEntry& entry);

// A typed number: from the last character to the first each digit adds digit x weight, the weight starting at
// 1 and growing tenfold at every character, digit or not; a leading "-" makes it negative. So "1-2" is 102.
int32_t ReadTypedNumber(std::string_view text);

// The pitch of a piano character at octave 0 (the note-key layout), or -1 for any other character.
int32_t PianoCharacterPitch(char c);

}  // namespace tonforge
