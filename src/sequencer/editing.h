#pragma once
// The user's changes to the song's events: the event list's commands, the insert and recording keys, the
// cursor and the Block, the clipboard, and the gap and bar commands. Every command reports what it
// changed. Commands that delete events or move them in time stop playback first, so the playback
// thread never holds an event that is freed or moved; inserting one event or changing values does not.
#include <cstdint>

#include "song/session.h"

namespace tonforge {

// ---- Event types as the editor sees them ----

enum class ValueAEditing { None, Note, ParameterCycle, Number };
enum class ValueBEditing { None, ProgramIndex, ParameterValue };
ValueAEditing HowValueAIsEdited(int32_t type);
ValueBEditing HowValueBIsEdited(int32_t type);

// Value A of a newly chosen or inserted event of this type (value B is always 0).
int32_t DefaultValueA(int32_t type);
bool IsTypeAllowedOn(int32_t type, bool globalTrack);
bool IsEngineParameterType(int32_t type);
// The range a typed value A is clamped to; a Phrase names a normal track, 1..track count - 1.
struct ValueRange {
  int32_t minimum = 0;
  int32_t maximum = 0;
};
ValueRange ValueARange(int32_t type, int32_t trackCount);

// The track the editor works on (the current track), or null when the song has none.
Track* EditedTrack(Session& session);
// The edited track exists and is not the GlobalTrack.
bool OnNormalTrack(Session& session);
// The GlobalTrack's first event (the song's tempo) is never deleted, moved from its place or retyped.
bool IsProtectedEvent(const Song& song, const Track& track, const Event* e);
void ReportEventsChange(Session& session);
// The cursor, the selection, the Block or an editing switch moved; no event changed.
void ReportEditorChange(Session& session);

// ---- Editor state ----

// Back to a fresh song's editor: cursor and view at 0, octave 0, group 0, switches off, no Block, snap by 4.
void ResetEditorState(Session& session);
// SnapStep = ticks per beat / snap division, at least 1.
void UpdateSnapStep(Session& session);
// One cursor step: SnapStep with snap on, otherwise 1 tick.
int32_t CursorStep(const Session& session);
int32_t BarLength(const Song& song);

// The current track's selected event becomes the last one at or before the cursor, and its list scrolls
// only as far as needed to show it.
void SelectionFollowsCursor(Session& session);
// The view moves only as far as needed to contain the cursor.
void ViewFollowsCursor(Session& session);
// Once per pass of the UI: while a song plays, takes the tick the clock has reached as the playhead and turns
// the song view a page on when the playhead leaves it; once playing ends, the view returns to the EditCursor.
// True when the song view is to be drawn again.
bool FollowPlayhead(Session& session);

// ---- Event commands (rows are counted from the event list's scroll) ----

void AddEvent(Session& session);
void DeleteSelectedEvent(Session& session);
void MoveSelectedEventUp(Session& session);
void MoveSelectedEventDown(Session& session);
// Every NoteOn of the current track playing the selected note's program gets the current program.
void ReplaceProgram(Session& session);
// Every NoteOn of the current track playing the selected note's program moves by a semitone, within 50..6050.
void TransposeUp(Session& session);
void TransposeDown(Session& session);
void SelectEventRow(Session& session, int32_t row);
void SelectEventIndex(Session& session, int32_t index);
void CycleEventType(Session& session, int32_t row);
// Engine parameter events cycle their parameter (0..6, then 7 = reset); other events get a text entry for
// value A of at most 6 characters.
void EditValueA(Session& session, int32_t row);
// A text entry for value B of the row's event, at most 6 characters.
void EditValueB(Session& session, int32_t row);
// The event of a row of the current track's list, or null.
Event* EventOfRow(Session& session, int32_t row);

// ---- Insert and recording commands ----

void InsertVolume(Session& session);
void InsertPitch(Session& session);
void InsertPan(Session& session);
void InsertTempo(Session& session);
void InsertEngineReset(Session& session, int32_t position);
// True while the recording keys insert events: EditMode on and the track list panel shown.
bool IsRecording(const Session& session);
void RecordNote(Session& session, int32_t pitch);
// As RecordNote, for a pitch that already includes its octave (a MIDI keyboard's).
void RecordNoteAtPitch(Session& session, int32_t pitch);
void RecordNoteOff(Session& session);
void RecordPhrase(Session& session);

// ---- Cursor, track and Block ----

void MoveCursorRight(Session& session, int32_t n);
void MoveCursorLeft(Session& session, int32_t n);
void SelectTrack(Session& session, int32_t track);
void GoToBar(Session& session, int32_t bar);
void SetCursorFromSlider(Session& session, int32_t tick);
void DropBlock(Session& session);

// ---- Block, clipboard, gap and bar commands ----

// With an active Block, Delete Block and drop it; otherwise removes the note (or else the first event) at
// the cursor in the current track.
void Delete(Session& session);
void DeleteBlock(Session& session);
// False when memory ran out; the clipboard is then empty.
bool Copy(Session& session);
void Cut(Session& session);
void Paste(Session& session);
void EmptyEventClipboard(Session& session);
void CloseGap(Session& session);
void OpenGap(Session& session);
void DeleteBar(Session& session);
void InsertBar(Session& session);

// ---- Editor switches ----

void SetSnapDivision(Session& session, int32_t division);
void ToggleSnap(Session& session);
void ToggleEditMode(Session& session);
void ToggleSlide(Session& session);
void CycleOctave(Session& session);
void SetOctave(Session& session, int32_t octave);
void CycleEventGroup(Session& session);

}  // namespace tonforge
