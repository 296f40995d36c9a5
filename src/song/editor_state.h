#pragma once
// What the event editor remembers between commands: the cursor and its view, the snap, the record switch,
// the insert group, the marked Block and the copied events. None of it is stored in song files.
#include <array>
#include <cstdint>
#include <vector>

#include "song/song_records.h"

namespace tonforge {

inline constexpr int32_t kViewWidth = 464;   // ticks shown by the song view, one pixel each
inline constexpr int32_t kEventListRowCount = 10;
inline constexpr int32_t kTrackListRowCount = 9;
inline constexpr int32_t kMaxOctave = 3;
inline constexpr int32_t kMaxSnapDivision = 8;

// Which family of events the insert keys produce.
enum class EventGroup : int32_t { Song = 0, Track = 1, Program = 2 };

// A rectangle of ticks and tracks, both ends inclusive. Dropping it keeps the coordinates: Copy and Cut
// still use the last marked rectangle.
struct Block {
  uint32_t active = 0;
  int32_t startTick = 0;
  int32_t firstTrack = 0;
  int32_t endTick = 0;
  int32_t lastTrack = 0;
};

enum class ClipboardKind : uint32_t { Empty = 0, NormalTracks = 1, GlobalTrack = 2 };

// The result of the last copy: per copied track its events, ticks relative to the Block's start.
struct EventClipboard {
  ClipboardKind kind = ClipboardKind::Empty;
  int32_t length = 0;
  std::vector<std::vector<EventValues>> tracks;  // track count = tracks.size()
};

// A note recorded in real time whose NoteOff is still to be written. A key may be struck again before the
// worker has heard it go up: its notes are then told apart by their serials.
struct OpenRecordedNote {
  int32_t holder = -1;  // the key or MIDI note holding it; -1: a free entry
  int32_t track = 0;
  int32_t onTick = -1;  // where its NoteOn went; -1 until the worker has heard it start
  uint32_t serial = 0;
  bool released = false;  // its key went up
};
inline constexpr size_t kOpenRecordedNotes = 64;

// The EditCursor itself is Session::editCursor (0..99999): playback and rendering start there.
struct EditorState {
  int32_t viewStart = 0;    // first tick of the song view; the view always contains the EditCursor
  uint32_t snap = 0;        // cursor steps and recording advances use snapStep instead of 1 tick
  int32_t snapDivision = 4;
  int32_t snapStep = 12;    // ticks per beat / snap division, at least 1
  int32_t octave = 0;       // 0..3, adds 1200 cents to keyboard pitches per octave
  uint32_t editMode = 0;    // the record switch
  EventGroup eventGroup = EventGroup::Song;
  uint32_t slide = 0;       // the volume, pitch, pan and tempo inserts produce their slide types
  Block block;
  EventClipboard clipboard;
  // Set by the keyboard while a Shift key is down; cursor and track moves then mark or extend the Block.
  uint32_t shiftHeld = 0;
  // The recording keys only work while the track list panel is open; the user interface keeps this current.
  uint32_t trackListShown = 1;
  int32_t drawnPlayhead = -1;  // the playhead tick the song view shows; -1 while no song plays
  uint32_t loop = 0;           // the Loop switch: playback repeats the marked Block
  std::array<OpenRecordedNote, kOpenRecordedNotes> recording{};
  uint32_t lastRecordedSerial = 0;
};

// ControlValue is a number typed for one of the interface's value controls, which takes it when the entry ends.
enum class TextField : uint32_t { ProgramName = 0, TrackName = 1, DataSlotName = 2, ValueA = 3, ValueB = 4, ControlValue = 5 };

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

// The one name or value being typed, if any.
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
};

}  // namespace tonforge
