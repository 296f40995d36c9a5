#include "sequencer/keyboard_commands.h"

#include "audio/live_output.h"
#include "audio/output_rate.h"
#include "programs/program_list.h"
#include "sequencer/editing.h"
#include "sequencer/song_file.h"
#include "sequencer/text_entry.h"
#include "shell/quit.h"
#include "shell/show_error.h"

namespace tonforge {

KeyboardHooks DefaultKeyboardHooks() {
  return KeyboardHooks{[](AppState& app) { SaveSong(app); },
                       [](AppState& app, int32_t sampleRate) { SwitchOutputRate(app, sampleRate); }};
}

namespace {

constexpr int32_t kCentsPerOctave = 1200;

using Command = void (*)(AppState&, KeyboardHandler&);

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

void SilenceLiveVoice(AppState& app) { app.live.liveFlag = 0; }

// ---- Cursor keys, shared by the plain and the Shift table ----

void CursorRight(AppState& app, KeyboardHandler&) { MoveCursorRight(app, CursorStep(app)); }
void CursorLeft(AppState& app, KeyboardHandler&) { MoveCursorLeft(app, CursorStep(app)); }

void PreviousTrack(AppState& app, KeyboardHandler&) {
  if (app.song.currentTrack > 0) SelectTrack(app, app.song.currentTrack - 1);
}

void NextTrack(AppState& app, KeyboardHandler&) {
  if (app.song.currentTrack < app.song.tracks.Count() - 1) SelectTrack(app, app.song.currentTrack + 1);
}

// Back to the start of the bar, or a whole bar back when already there.
void BarStart(AppState& app, KeyboardHandler&) {
  const int32_t bar = BarLength(app.song);
  const int32_t into = app.editCursor % bar;
  MoveCursorLeft(app, into == 0 ? bar : into);
}

void NextBarStart(AppState& app, KeyboardHandler&) {
  const int32_t bar = BarLength(app.song);
  MoveCursorRight(app, bar - app.editCursor % bar);
}

void BeatLeft(AppState& app, KeyboardHandler&) { MoveCursorLeft(app, app.song.ticksPerBeat); }
void BeatRight(AppState& app, KeyboardHandler&) { MoveCursorRight(app, app.song.ticksPerBeat); }

// ---- The rest of the plain table ----

void SaveSongKey(AppState& app, KeyboardHandler& h) {
  if (h.hooks.saveSong) h.hooks.saveSong(app);
}

void QuitKey(AppState& app, KeyboardHandler&) {
  if (ConfirmCommand(app.dialogs, "Quit Program", "Are You Sure?")) RequestQuit(app);
}

void ChooseProgram(AppState& app, int32_t index) {
  if (index < 0 || index >= ProgramCount(app.song)) return;
  SelectProgram(app, index);
  app.redraw.Request(Panel::ProgramList, Panel::ProgramEditor);
}

void HelpKey(AppState& app, KeyboardHandler& h) { h.shell.OpenDocument(HelpFilePath(app)); }

template <int32_t Rate>
void RateKey(AppState& app, KeyboardHandler& h) {
  if (h.hooks.switchOutputRate) h.hooks.switchOutputRate(app, Rate);
}

template <int32_t Division>
void SnapKey(AppState& app, KeyboardHandler&) {
  SetSnapDivision(app, Division);
}

template <int32_t Octave>
void OctaveKey(AppState& app, KeyboardHandler&) {
  SetOctave(app, Octave);
}

template <void (*Run)(AppState&)>
void Plain(AppState& app, KeyboardHandler&) {
  Run(app);
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
    {key::Minus, [](AppState& app, KeyboardHandler&) { ChooseProgram(app, app.song.currentProgram - 1); }},
    {key::Equals, [](AppState& app, KeyboardHandler&) { ChooseProgram(app, app.song.currentProgram + 1); }},
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
    {key::Add, [](AppState& app, KeyboardHandler&) { SilenceLiveVoice(app); RecordNoteOff(app); }},
    {key::Space, [](AppState& app, KeyboardHandler&) { SilenceLiveVoice(app); }},
};

constexpr KeyCommand kControlCommands[] = {
    {key::X, Plain<Cut>},
    {key::C, [](AppState& app, KeyboardHandler&) { Copy(app); DropBlock(app); }},
    {key::V, Plain<Paste>},
    {key::Delete, Plain<DeleteBar>},
    {key::Insert, Plain<InsertBar>},
};

constexpr KeyCommand kShiftCommands[] = {
    {key::Delete, Plain<CloseGap>}, {key::Insert, Plain<OpenGap>}, {key::Right, CursorRight},
    {key::Left, CursorLeft},        {key::Up, PreviousTrack},      {key::Down, NextTrack},
    {key::Home, BarStart},          {key::End, NextBarStart},      {key::Prior, BeatLeft},
    {key::Next, BeatRight},
};

template <std::size_t N>
void RunPressed(AppState& app, KeyboardHandler& h, const KeyCommand (&table)[N]) {
  for (const KeyCommand& c : table)
    if (Pressed(h, c.code)) c.run(app, h);
}

// A note key sounds on the LiveVoice (which ignores pitches past the table) and, while recording, is
// written at the cursor.
void PlayNoteKeys(AppState& app, KeyboardHandler& h) {
  if (app.song.programs.empty()) return;
  for (const NoteKey& n : kNoteKeys) {
    if (!Pressed(h, n.code)) continue;
    StartLiveNote(app, n.pitch + kCentsPerOctave * app.editor.octave, app.song.currentProgram);
    RecordNote(app, n.pitch);
  }
}

void TypeIntoTextEntry(AppState& app, const KeyboardHandler& h) {
  const bool shifted = IsDown(h.present, key::LeftShift) || IsDown(h.present, key::RightShift);
  for (const CharacterKey& k : kCharacterKeys)
    if (Pressed(h, k.code)) TypeTextEntryCharacter(app, shifted ? k.shifted : k.plain);
}

}  // namespace

int32_t NoteKeyPitch(uint8_t code) {
  for (const NoteKey& n : kNoteKeys)
    if (n.code == code) return n.pitch;
  return -1;
}

std::string HelpFilePath(const AppState& app) { return app.folders.programFolder + "/Help/Help.html"; }

void PollKeyboard(AppState& app, KeyboardHandler& h) {
  h.previous = h.present;
  h.device.ReadState(h.present);  // a failed read is not reported: the pass works on what the array holds
  if (IsTextEntryActive(app)) {
    TypeIntoTextEntry(app, h);
    return;
  }
  const bool shift = IsDown(h.present, key::LeftShift) || IsDown(h.present, key::RightShift);
  const bool control = IsDown(h.present, key::LeftControl) || IsDown(h.present, key::RightControl);
  app.editor.shiftHeld = shift ? 1u : 0u;
  if (shift) {
    RunPressed(app, h, kShiftCommands);
  } else if (control) {
    RunPressed(app, h, kControlCommands);
  } else {
    RunPressed(app, h, kPlainCommands);
    PlayNoteKeys(app, h);
  }
}

}  // namespace tonforge
