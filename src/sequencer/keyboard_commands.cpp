#include "sequencer/keyboard_commands.h"

#include "programs/program_list.h"
#include "sequencer/song_file.h"
#include "sequencer/editing.h"
#include "sequencer/play_along.h"
#include "sequencer/song_file.h"
#include "sequencer/text_entry.h"
#include "song/voice_loading.h"
#include "shell/show_error.h"

namespace tonforge {

namespace {

using Command = void (*)(Session&, KeyboardHandler&);

struct KeyCommand {
  uint8_t code;
  Command run;
};

struct NoteKey {
  uint8_t code;
  int32_t pitch;
};

// Two rows, each a chromatic scale from its first key; the lower row's top overlaps the upper row's start.
constexpr NoteKey kNoteKeys[] = {
    {key::Z, 50},      {key::S, 150},     {key::X, 250},       {key::D, 350},         {key::C, 450},
    {key::V, 550},     {key::G, 650},     {key::B, 750},       {key::H, 850},         {key::N, 950},
    {key::J, 1050},    {key::M, 1150},    {key::Comma, 1250},  {key::L, 1350},        {key::Period, 1450},
    {key::Semicolon, 1550}, {key::Slash, 1650},
    {key::Q, 1250},    {key::Digit2, 1350}, {key::W, 1450},    {key::Digit3, 1550},   {key::E, 1650},
    {key::R, 1750},    {key::Digit5, 1850}, {key::T, 1950},    {key::Digit6, 2050},   {key::Y, 2150},
    {key::Digit7, 2250}, {key::U, 2350},  {key::I, 2450},      {key::Digit9, 2550},   {key::O, 2650},
    {key::Digit0, 2750}, {key::P, 2850},
};

// The keys that type into a text entry, in the order they are offered to it, with their plain and shifted
// characters.
struct CharacterKey {
  uint8_t code;
  char plain;
  char shifted;
};

constexpr CharacterKey kCharacterKeys[] = {
    {key::A, 'a', 'A'}, {key::B, 'b', 'B'}, {key::C, 'c', 'C'}, {key::D, 'd', 'D'}, {key::E, 'e', 'E'},
    {key::F, 'f', 'F'}, {key::G, 'g', 'G'}, {key::H, 'h', 'H'}, {key::I, 'i', 'I'}, {key::J, 'j', 'J'},
    {key::K, 'k', 'K'}, {key::L, 'l', 'L'}, {key::M, 'm', 'M'}, {key::N, 'n', 'N'}, {key::O, 'o', 'O'},
    {key::P, 'p', 'P'}, {key::Q, 'q', 'Q'}, {key::R, 'r', 'R'}, {key::S, 's', 'S'}, {key::T, 't', 'T'},
    {key::U, 'u', 'U'}, {key::V, 'v', 'V'}, {key::W, 'w', 'W'}, {key::X, 'x', 'X'}, {key::Y, 'y', 'Y'},
    {key::Z, 'z', 'Z'},
    {key::Digit0, '0', ')'}, {key::Digit1, '1', '!'}, {key::Digit2, '2', '"'}, {key::Digit3, '3', '#'},
    {key::Digit4, '4', '$'}, {key::Digit5, '5', '%'}, {key::Digit6, '6', '^'}, {key::Digit7, '7', '&'},
    {key::Digit8, '8', '*'}, {key::Digit9, '9', '('},
    {key::Space, ' ', ' '}, {key::Back, kBackspaceCharacter, kBackspaceCharacter},
    {key::Return, kEnterCharacter, kEnterCharacter}, {key::Escape, kEscapeCharacter, kEscapeCharacter},
    {key::Minus, '-', '_'}, {key::LeftBracket, '[', '{'}, {key::Equals, '=', '+'}, {key::RightBracket, ']', '}'},
    {key::Comma, ',', '<'}, {key::Period, '.', '>'}, {key::Semicolon, ';', ':'}, {key::Slash, '/', '?'},
};
static_assert(std::size(kCharacterKeys) == 48);

bool IsDown(const KeyStates& keys, uint8_t code) { return (keys[code] & kKeyDownBit) != 0; }

bool Pressed(const KeyboardHandler& h, uint8_t code) { return IsDown(h.present, code) && !IsDown(h.previous, code); }

void SilenceLiveVoice(Session& session) { SilenceLiveVoices(session); }

// ---- Cursor keys, shared by the plain and the Shift table ----

void CursorRight(Session& session, KeyboardHandler&) { MoveCursorRight(session, CursorStep(session)); }
void CursorLeft(Session& session, KeyboardHandler&) { MoveCursorLeft(session, CursorStep(session)); }

void PreviousTrack(Session& session, KeyboardHandler&) {
  if (session.song.currentTrack > 0) SelectTrack(session, session.song.currentTrack - 1);
}

void NextTrack(Session& session, KeyboardHandler&) {
  if (session.song.currentTrack < session.song.tracks.Count() - 1) SelectTrack(session, session.song.currentTrack + 1);
}

// Back to the start of the bar, or a whole bar back when already there.
void BarStart(Session& session, KeyboardHandler&) {
  const int32_t bar = BarLength(session.song);
  const int32_t into = session.editCursor % bar;
  MoveCursorLeft(session, into == 0 ? bar : into);
}

void NextBarStart(Session& session, KeyboardHandler&) {
  const int32_t bar = BarLength(session.song);
  MoveCursorRight(session, bar - session.editCursor % bar);
}

void BeatLeft(Session& session, KeyboardHandler&) { MoveCursorLeft(session, session.song.ticksPerBeat); }
void BeatRight(Session& session, KeyboardHandler&) { MoveCursorRight(session, session.song.ticksPerBeat); }

// ---- The rest of the plain table ----

void SaveSongKey(Session&, KeyboardHandler& h) {
  if (h.hooks.saveSong) h.hooks.saveSong();
}

void UndoKey(Session&, KeyboardHandler& h) {
  if (h.hooks.undo) h.hooks.undo();
}

void RedoKey(Session&, KeyboardHandler& h) {
  if (h.hooks.redo) h.hooks.redo();
}

void QuitKey(Session& session, KeyboardHandler& h) {
  // A modified song's question stands in for the plain confirmation.
  const bool goOn = session.changes.SongModified() ? OfferToSaveChanges(session)
                                                   : ConfirmCommand(session.dialogs, "Quit Program", "Are You Sure?");
  if (goOn && h.hooks.requestQuit) h.hooks.requestQuit();
}

void ChooseProgram(Session& session, int32_t index) {
  if (index < 0 || index >= ProgramCount(session.song)) return;
  SelectProgram(session, index);
  session.changes.Report(Change::Program);
}

void HelpKey(Session& session, KeyboardHandler& h) { h.shell.OpenDocument(HelpFilePath(session)); }

template <int32_t Rate>
void RateKey(Session&, KeyboardHandler& h) {
  if (h.hooks.switchOutputRate) h.hooks.switchOutputRate(Rate);
}

template <int32_t Division>
void SnapKey(Session& session, KeyboardHandler&) {
  SetSnapDivision(session, Division);
}

template <int32_t Octave>
void OctaveKey(Session& session, KeyboardHandler&) {
  SetOctave(session, Octave);
}

template <void (*Run)(Session&)>
void Plain(Session& session, KeyboardHandler&) {
  Run(session);
}

constexpr KeyCommand kPlainCommands[] = {
    {key::ScrollLock, SaveSongKey},
    {key::Delete, Plain<Delete>},
    {key::Insert, Plain<ToggleEditMode>},
    {key::Escape, QuitKey},
    {key::Right, CursorRight},
    {key::Left, CursorLeft},
    {key::Up, PreviousTrack},
    {key::Down, NextTrack},
    {key::Home, BarStart},
    {key::End, NextBarStart},
    {key::Prior, BeatLeft},
    {key::Next, BeatRight},
    {key::Minus, [](Session& session, KeyboardHandler&) { ChooseProgram(session, session.song.currentProgram - 1); }},
    {key::Equals, [](Session& session, KeyboardHandler&) { ChooseProgram(session, session.song.currentProgram + 1); }},
    {key::F1, HelpKey},
    {key::F2, RateKey<11025>},
    {key::F3, RateKey<22050>},
    {key::F4, RateKey<44100>},
    {key::Numpad0, Plain<ToggleSnap>},
    {key::Numpad1, SnapKey<1>},
    {key::Numpad2, SnapKey<2>},
    {key::Numpad3, SnapKey<3>},
    {key::Numpad4, SnapKey<4>},
    {key::Numpad5, SnapKey<5>},
    {key::Numpad6, SnapKey<6>},
    {key::Numpad7, SnapKey<7>},
    {key::Numpad8, SnapKey<8>},
    {key::F9, Plain<InsertVolume>},
    {key::F10, Plain<InsertPitch>},
    {key::F11, Plain<InsertPan>},
    {key::F12, Plain<InsertTempo>},
    {key::NumpadEnter, Plain<RecordPhrase>},
    {key::F5, OctaveKey<0>},
    {key::F6, OctaveKey<1>},
    {key::F7, OctaveKey<2>},
    {key::F8, OctaveKey<3>},
    {key::Add, [](Session& session, KeyboardHandler&) { SilenceLiveVoice(session); RecordNoteOff(session); }},
    {key::Space, [](Session& session, KeyboardHandler&) { SilenceLiveVoice(session); }},
};

constexpr KeyCommand kControlCommands[] = {
    {key::X, Plain<Cut>},
    {key::C, [](Session& session, KeyboardHandler&) { Copy(session); DropBlock(session); }},
    {key::V, Plain<Paste>},
    {key::Delete, Plain<DeleteBar>},
    {key::Insert, Plain<InsertBar>},
    {key::S, [](Session& session, KeyboardHandler&) { SaveSongToItsFile(session); }},
    {key::Z, UndoKey},
    {key::Y, RedoKey},
};

// With Shift held as well; the Shift table runs too.
constexpr KeyCommand kControlShiftCommands[] = {
    {key::S, [](Session& session, KeyboardHandler&) { SaveSong(session); }},  // under a new name
    {key::Z, RedoKey},
};

constexpr KeyCommand kShiftCommands[] = {
    {key::Delete, Plain<CloseGap>}, {key::Insert, Plain<OpenGap>}, {key::Right, CursorRight},
    {key::Left, CursorLeft},        {key::Up, PreviousTrack},      {key::Down, NextTrack},
    {key::Home, BarStart},          {key::End, NextBarStart},      {key::Prior, BeatLeft},
    {key::Next, BeatRight},
};

template <std::size_t N>
void RunPressed(Session& session, KeyboardHandler& h, const KeyCommand (&table)[N]) {
  for (const KeyCommand& c : table)
    if (Pressed(h, c.code)) c.run(session, h);
}

// A note key sounds on the LiveVoice (which ignores pitches past the table) and, while recording, is
// written at the cursor.
void PlayNoteKeys(Session& session, KeyboardHandler& h) {
  if (session.song.programs.empty()) return;
  for (const NoteKey& n : kNoteKeys) {
    if (!Pressed(h, n.code)) continue;
    StartLiveNote(session, n.pitch + kCentsPerOctave * session.editor.octave, session.song.currentProgram, n.code);
    RecordNote(session, n.pitch);
  }
}

// A released note key ends its voice, whatever else the keys are doing now, so that no note hangs.
void ReleaseNoteKeys(Session& session, const KeyboardHandler& h) {
  for (const NoteKey& n : kNoteKeys)
    if (IsDown(h.previous, n.code) && !IsDown(h.present, n.code)) ReleaseLiveNote(session, n.code);
}

// While a song plays only the note keys, Space, and undo and redo act: the notes go to the song worker, an undo
// goes in as the edit it reverses would, and the editing keys rest as they always have during playback.
void PlayAlongKeys(Session& session, KeyboardHandler& h) {
  for (const NoteKey& n : kNoteKeys)
    if (IsDown(h.previous, n.code) && !IsDown(h.present, n.code)) ReleasePlayAlongNote(session, n.code);
  if (IsTextEntryActive(session)) return;
  if (IsDown(h.present, key::LeftControl) || IsDown(h.present, key::RightControl)) {
    const bool shift = IsDown(h.present, key::LeftShift) || IsDown(h.present, key::RightShift);
    if (Pressed(h, key::Y) || (shift && Pressed(h, key::Z))) RedoKey(session, h);
    else if (Pressed(h, key::Z)) UndoKey(session, h);
    return;
  }
  if (session.song.programs.empty()) return;
  if (Pressed(h, key::Space)) SendToPlayAlong(session, PlayedKind::Silence);
  for (const NoteKey& n : kNoteKeys)
    if (Pressed(h, n.code)) PlayAlongNote(session, n.pitch + kCentsPerOctave * session.editor.octave, n.code);
}

void TypeIntoTextEntry(Session& session, const KeyboardHandler& h) {
  const bool shifted = IsDown(h.present, key::LeftShift) || IsDown(h.present, key::RightShift);
  for (const CharacterKey& k : kCharacterKeys)
    if (Pressed(h, k.code)) TypeTextEntryCharacter(session, shifted ? k.shifted : k.plain);
}

}  // namespace

int32_t NoteKeyPitch(uint8_t code) {
  for (const NoteKey& n : kNoteKeys)
    if (n.code == code) return n.pitch;
  return -1;
}

std::string HelpFilePath(const Session& session) { return session.folders.programFolder + "/Help/Help.html"; }

void PollKeyboard(Session& session, KeyboardHandler& h) {
  h.previous = h.present;
  h.device.ReadState(h.present);  // a failed read is not reported: the pass works on what the array holds
  if (IsSongPlaying(session)) {
    PlayAlongKeys(session, h);
    return;
  }
  ReleaseNoteKeys(session, h);
  if (IsTextEntryActive(session)) {
    TypeIntoTextEntry(session, h);
    return;
  }
  const bool shift = IsDown(h.present, key::LeftShift) || IsDown(h.present, key::RightShift);
  const bool control = IsDown(h.present, key::LeftControl) || IsDown(h.present, key::RightControl);
  session.editor.shiftHeld = shift ? 1u : 0u;
  if (shift) {
    if (control) RunPressed(session, h, kControlShiftCommands);
    RunPressed(session, h, kShiftCommands);
  } else if (control) {
    RunPressed(session, h, kControlCommands);
  } else {
    RunPressed(session, h, kPlainCommands);
    PlayNoteKeys(session, h);
  }
}

}  // namespace tonforge
