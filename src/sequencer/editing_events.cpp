// The event list's commands and the insert and recording keys: one event at a time, at the selection or
// at the EditCursor.
#include "sequencer/editing.h"

#include <algorithm>

#include "programs/chain_editing.h"
#include "sequencer/song.h"
#include "sequencer/text_entry.h"

namespace tonforge {

namespace {

constexpr int32_t kTypeCount = kEventTypeCount;
constexpr int32_t kSemitone = 100;
constexpr int32_t kLowestTransposedPitch = 50;
constexpr int32_t kHighestTransposedPitch = 6050;

int32_t T(EventType t) { return static_cast<int32_t>(t); }

}  // namespace

// ---- Event commands ----

Event* EventOfRow(Session& session, int32_t row) {
  const Track* track = EditedTrack(session);
  if (track == nullptr || row < 0 || row >= kEventListRowCount) return nullptr;
  return EventAt(*track, track->eventListScroll + row);
}

void AddEvent(Session& session) {
  Track* track = EditedTrack(session);
  if (track == nullptr) return;
  InsertEvent(session, *track, {session.editCursor, T(EventType::Empty), 0, 0});
  ReportEventsChange(session);
}

void DeleteSelectedEvent(Session& session) {
  Track* track = EditedTrack(session);
  if (track == nullptr) return;
  const Event* e = EventAt(*track, track->selectedEvent);
  if (e == nullptr || IsProtectedEvent(session.song, *track, e)) return;
  StopPlayback(session);
  DeleteEventAt(session.song, *track, track->selectedEvent);
  SelectionFollowsCursor(session);
  ReportEventsChange(session);
}

namespace {

// Swaps the selected event with its neighbour at `offset` (-1 or +1) when both share a tick and neither is
// the GlobalTrack's first event.
void SwapSelectedEvent(Session& session, int32_t offset) {
  Track* track = EditedTrack(session);
  if (track == nullptr) return;
  const int32_t index = track->selectedEvent;
  Event* selected = EventAt(*track, index);
  Event* other = EventAt(*track, index + offset);
  if (selected == nullptr || other == nullptr || selected->tick != other->tick) return;
  if (IsProtectedEvent(session.song, *track, selected) || IsProtectedEvent(session.song, *track, other)) return;
  std::swap(selected->type, other->type);
  std::swap(selected->valueA, other->valueA);
  std::swap(selected->valueB, other->valueB);
  track->selectedEvent = index + offset;
  KeepSelectionInList(*track);
  ValidateEvents(session.song, *track);
  ReportEventsChange(session);
}

// The selected event when it is a NoteOn.
Event* SelectedNote(Session& session) {
  Track* track = EditedTrack(session);
  if (track == nullptr) return nullptr;
  Event* e = EventAt(*track, track->selectedEvent);
  return e != nullptr && e->type == T(EventType::NoteOn) ? e : nullptr;
}

template <class Edit>
void ChangeNotesOfSelectedProgram(Session& session, Edit change) {
  const Event* selected = SelectedNote(session);
  if (selected == nullptr) return;
  const int32_t program = selected->valueB;
  for (Event* e = EditedTrack(session)->events.First(); e != nullptr; e = EventList::Next(e))
    if (e->type == T(EventType::NoteOn) && e->valueB == program) change(*e);
  ReportEventsChange(session);
}

bool TickHoldsOtherNote(const Track& track, const Event* event) {
  for (const Event* e = track.events.First(); e != nullptr; e = EventList::Next(e))
    if (e != event && e->tick == event->tick && e->type == T(EventType::NoteOn)) return true;
  return false;
}

}  // namespace

void MoveSelectedEventUp(Session& session) { SwapSelectedEvent(session, -1); }
void MoveSelectedEventDown(Session& session) { SwapSelectedEvent(session, +1); }

void ReplaceProgram(Session& session) {
  const int32_t current = session.song.currentProgram;
  ChangeNotesOfSelectedProgram(session, [current](Event& e) { e.valueB = current; });
}

// A pitch already beyond the limit is left where it is rather than pulled back across it.
void TransposeUp(Session& session) {
  ChangeNotesOfSelectedProgram(
      session, [](Event& e) { e.valueA = std::max(e.valueA.Load(), std::min(e.valueA + kSemitone, kHighestTransposedPitch)); });
}

void TransposeDown(Session& session) {
  ChangeNotesOfSelectedProgram(
      session, [](Event& e) { e.valueA = std::min(e.valueA.Load(), std::max(e.valueA - kSemitone, kLowestTransposedPitch)); });
}

void SelectEventIndex(Session& session, int32_t index) {
  Track* track = EditedTrack(session);
  if (track == nullptr) return;
  const Event* e = EventAt(*track, index);
  if (e == nullptr) return;
  track->selectedEvent = index;
  KeepSelectionInList(*track);
  session.editCursor = std::clamp(e->tick, 0, kMaxTick);
  ViewFollowsCursor(session);
  ReportEditorChange(session);
}

void SelectEventRow(Session& session, int32_t row) {
  const Track* track = EditedTrack(session);
  if (track == nullptr || row < 0 || row >= kEventListRowCount) return;
  SelectEventIndex(session, track->eventListScroll + row);
}

// The next type allowed on the track. A NoteOn needs a program, and a tick holds at most one NoteOn, so the
// cycle passes over NoteOn where either is missing.
void CycleEventType(Session& session, int32_t row) {
  Event* e = EventOfRow(session, row);
  Track* track = EditedTrack(session);
  if (e == nullptr || IsProtectedEvent(session.song, *track, e)) return;
  const bool global = IsGlobalTrack(session.song, *track);
  int32_t type = e->type;
  do {
    type = (std::clamp(type, -1, kTypeCount - 1) + 1) % kTypeCount;
  } while (!IsTypeAllowedOn(type, global));
  if (type == T(EventType::NoteOn) && (session.song.programs.empty() || TickHoldsOtherNote(*track, e)))
    type = T(EventType::ProgramVolume);
  e->type = type;
  e->valueA = DefaultValueA(type);
  e->valueB = 0;
  ValidateEvents(session.song, *track);
  ReportEventsChange(session);
}

void EditValueA(Session& session, int32_t row) {
  Event* e = EventOfRow(session, row);
  if (e == nullptr) return;
  if (!IsEngineParameterType(e->type)) {
    StartTextEntry(session, TextField::ValueA, EditedTrack(session)->eventListScroll + row, kEventValueMaximum);
    return;
  }
  e->valueA = e->valueA >= kResetParameter || e->valueA < 0 ? 0 : e->valueA + 1;
  e->valueB = 0;
  ValidateEvents(session.song, *EditedTrack(session));
  ReportEventsChange(session);
}

void EditValueB(Session& session, int32_t row) {
  if (EventOfRow(session, row) == nullptr) return;
  StartTextEntry(session, TextField::ValueB, EditedTrack(session)->eventListScroll + row, kEventValueMaximum);
}

// ---- Insert and recording commands ----

namespace {

constexpr int32_t kNoType = -1;

// The type an insert command produces on the current track: the GlobalTrack takes the song column, a
// normal track the column of its EventGroup (none while the group still says song).
int32_t TypeForGroup(Session& session, int32_t songType, int32_t trackType, int32_t programType) {
  const Track* track = EditedTrack(session);
  if (track == nullptr) return kNoType;
  if (IsGlobalTrack(session.song, *track)) return songType;
  switch (session.editor.eventGroup) {
    case EventGroup::Track: return trackType;
    case EventGroup::Program: return programType;
    default: return kNoType;
  }
}

void InsertAtCursor(Session& session, int32_t type, int32_t valueA) {
  Track* track = EditedTrack(session);
  if (track == nullptr || type == kNoType) return;
  InsertEvent(session, *track, {session.editCursor, type, valueA, 0});
  SelectionFollowsCursor(session);
  ReportEventsChange(session);
}

// The volume, pitch, pan and tempo inserts give the matching slide while the slide switch is on.
void InsertLevelEvent(Session& session, EventType songType, EventType trackType, EventType programType) {
  const auto pick = [](EventType t) { return t == EventType::Empty ? kNoType : T(t); };
  int32_t type = TypeForGroup(session, pick(songType), pick(trackType), pick(programType));
  if (type == kNoType) return;
  if (session.editor.slide != 0) ++type;
  InsertAtCursor(session, type, DefaultValueA(type));
}

}  // namespace

// EventType::Empty marks a group in which the command does nothing.
void InsertVolume(Session& session) {
  InsertLevelEvent(session, EventType::SongVolume, EventType::TrackVolume, EventType::ProgramVolume);
}
void InsertPitch(Session& session) {
  InsertLevelEvent(session, EventType::Empty, EventType::TrackPitch, EventType::ProgramPitch);
}
void InsertPan(Session& session) { InsertLevelEvent(session, EventType::Empty, EventType::TrackPan, EventType::ProgramPan); }
void InsertTempo(Session& session) { InsertLevelEvent(session, EventType::Tempo, EventType::Empty, EventType::Empty); }

void InsertEngineReset(Session& session, int32_t position) {
  if (position < 0 || position >= kChainLength) return;
  const int32_t trackReset = T(EventType::TrackEngineParameter) + position;
  InsertAtCursor(session, TypeForGroup(session, trackReset, trackReset, T(EventType::ProgramEngineParameter) + position),
                 kResetParameter);
}

bool IsRecording(const Session& session) { return session.editor.editMode != 0 && session.editor.trackListShown != 0; }

void RecordNote(Session& session, int32_t keyPitch) {
  RecordNoteAtPitch(session, keyPitch + kCentsPerOctave * session.editor.octave);
}

void RecordNoteAtPitch(Session& session, int32_t pitch) {
  if (!IsRecording(session)) return;
  if (OnNormalTrack(session)) {
    InsertEvent(session, *EditedTrack(session), {session.editCursor, T(EventType::NoteOn), pitch, session.song.currentProgram});
  }
  MoveCursorRight(session, CursorStep(session));
}

void RecordNoteOff(Session& session) {
  if (!IsRecording(session) || EditedTrack(session) == nullptr) return;
  const int32_t type = OnNormalTrack(session) ? T(EventType::NoteOff) : T(EventType::End);
  InsertEvent(session, *EditedTrack(session), {session.editCursor, type, 0, 0});
  MoveCursorRight(session, CursorStep(session));
}

void RecordPhrase(Session& session) {
  if (!IsRecording(session)) return;
  if (OnNormalTrack(session)) {
    Track& track = *EditedTrack(session);
    int32_t source = 1;
    for (const Event* e = track.events.First(); e != nullptr && e->tick <= session.editCursor; e = EventList::Next(e))
      if (e->type == T(EventType::Phrase)) source = e->valueA;
    InsertEvent(session, track, {session.editCursor, T(EventType::Phrase), source, 0});
  }
  MoveCursorRight(session, CursorStep(session));
}

}  // namespace tonforge
