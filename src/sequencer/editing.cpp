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
constexpr int32_t kDefaultSnapDivision = 4;

int32_t T(EventType t) { return static_cast<int32_t>(t); }

bool InRange(int32_t type, EventType first, int32_t count) { return type >= T(first) && type < T(first) + count; }

}  // namespace

// ---- Event types as the editor sees them ----

bool IsEngineParameterType(int32_t type) {
  return InRange(type, EventType::ProgramEngineParameter, kChainLength) ||
         InRange(type, EventType::TrackEngineParameter, kChainLength);
}

ValueAEditing HowValueAIsEdited(int32_t type) {
  if (type == T(EventType::Empty) || type == T(EventType::NoteOff) || type == T(EventType::End))
    return ValueAEditing::None;
  if (type == T(EventType::NoteOn)) return ValueAEditing::Note;
  if (IsEngineParameterType(type)) return ValueAEditing::ParameterCycle;
  return ValueAEditing::Number;
}

ValueBEditing HowValueBIsEdited(int32_t type) {
  if (type == T(EventType::NoteOn)) return ValueBEditing::ProgramIndex;
  if (IsEngineParameterType(type)) return ValueBEditing::ParameterValue;
  return ValueBEditing::None;
}

int32_t DefaultValueA(int32_t type) {
  switch (static_cast<EventType>(type)) {
    case EventType::NoteOn: return 50;
    case EventType::ProgramVolume:
    case EventType::TrackVolume:
    case EventType::SongVolume: return 100;
    case EventType::Tempo: return 120;
    case EventType::Phrase: return 1;
    default: return IsEngineParameterType(type) ? kResetParameter : 0;
  }
}

bool IsTypeAllowedOn(int32_t type, bool globalTrack) {
  if (type < 0 || type >= kTypeCount) return false;
  if (type == T(EventType::Empty) || InRange(type, EventType::TrackEngineParameter, kChainLength)) return true;
  const bool songType =
      (type >= T(EventType::SongVolume) && type <= T(EventType::TempoSlide)) || type == T(EventType::End);
  return songType == globalTrack;
}

ValueRange ValueARange(int32_t type, int32_t trackCount) {
  switch (static_cast<EventType>(type)) {
    case EventType::ProgramVolume:
    case EventType::TrackVolume:
    case EventType::SongVolume: return {0, 100};
    case EventType::ProgramPitch:
    case EventType::TrackPitch: return {-1200, 1200};
    case EventType::Tempo: return {1, 1000};
    case EventType::Phrase: return {1, std::max(trackCount - 1, 1)};
    case EventType::ProgramVolumeSlide:
    case EventType::ProgramPan:
    case EventType::ProgramPanSlide:
    case EventType::ProgramPitchSlide:
    case EventType::TrackVolumeSlide:
    case EventType::TrackPan:
    case EventType::TrackPanSlide:
    case EventType::TrackPitchSlide:
    case EventType::SongVolumeSlide:
    case EventType::TempoSlide: return {-100, 100};
    default: return IsEngineParameterType(type) ? ValueRange{0, kResetParameter} : ValueRange{0, 0};
  }
}

// ---- Shared helpers ----

Track* EditedTrack(Session& session) { return TrackAt(session.song, session.song.currentTrack); }

bool IsProtectedEvent(const Song& song, const Track& track, const Event* e) {
  return IsGlobalTrack(song, track) && e == track.events.First();
}

void RequestEventRedraw(Session& session) { session.redraw.Request(Panel::EventList, Panel::TrackList); }

// ---- Editor state ----

void UpdateSnapStep(Session& session) {
  const int32_t division = std::clamp(session.editor.snapDivision, 1, kMaxSnapDivision);
  session.editor.snapStep = std::max(session.song.ticksPerBeat / division, 1);
}

void ResetEditorState(Session& session) {
  EditorState& ed = session.editor;
  session.editCursor = 0;
  ed.viewStart = 0;
  ed.octave = 0;
  ed.eventGroup = EventGroup::Song;
  ed.slide = 0;
  ed.editMode = 0;
  ed.block = Block{};
  ed.snapDivision = kDefaultSnapDivision;
  UpdateSnapStep(session);
}

int32_t CursorStep(const Session& session) { return session.editor.snap != 0 ? std::max(session.editor.snapStep, 1) : 1; }

int32_t BarLength(const Song& song) { return std::max(song.beatsPerBar * song.ticksPerBeat, 1); }

void ViewFollowsCursor(Session& session) {
  int32_t& view = session.editor.viewStart;
  if (session.editCursor < view) view = session.editCursor;
  if (session.editCursor > view + kViewWidth - 1) view = session.editCursor - (kViewWidth - 1);
}

void SelectionFollowsCursor(Session& session) {
  Track* track = EditedTrack(session);
  if (track == nullptr) return;
  int32_t selected = 0, index = 0;
  for (Event* e = track->events.First(); e != nullptr; e = EventList::Next(e), ++index)
    if (e->tick <= session.editCursor) selected = index;
  track->selectedEvent = selected;
  KeepSelectionInList(*track);
  session.redraw.Request(Panel::EventList);
}

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
  RequestEventRedraw(session);
}

void DeleteSelectedEvent(Session& session) {
  Track* track = EditedTrack(session);
  if (track == nullptr) return;
  const Event* e = EventAt(*track, track->selectedEvent);
  if (e == nullptr || IsProtectedEvent(session.song, *track, e)) return;
  StopPlayback(session);
  DeleteEventAt(session.song, *track, track->selectedEvent);
  SelectionFollowsCursor(session);
  RequestEventRedraw(session);
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
  RequestEventRedraw(session);
}

// The selected event when it is a NoteOn.
Event* SelectedNote(Session& session) {
  Track* track = EditedTrack(session);
  if (track == nullptr) return nullptr;
  Event* e = EventAt(*track, track->selectedEvent);
  return e != nullptr && e->type == T(EventType::NoteOn) ? e : nullptr;
}

template <class Change>
void ChangeNotesOfSelectedProgram(Session& session, Change change) {
  const Event* selected = SelectedNote(session);
  if (selected == nullptr) return;
  const int32_t program = selected->valueB;
  for (Event* e = EditedTrack(session)->events.First(); e != nullptr; e = EventList::Next(e))
    if (e->type == T(EventType::NoteOn) && e->valueB == program) change(*e);
  RequestEventRedraw(session);
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
      session, [](Event& e) { e.valueA = std::max(e.valueA, std::min(e.valueA + kSemitone, kHighestTransposedPitch)); });
}

void TransposeDown(Session& session) {
  ChangeNotesOfSelectedProgram(
      session, [](Event& e) { e.valueA = std::min(e.valueA, std::max(e.valueA - kSemitone, kLowestTransposedPitch)); });
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
  RequestEventRedraw(session);
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
  RequestEventRedraw(session);
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
  RequestEventRedraw(session);
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
  RequestEventRedraw(session);
}

// The volume, pitch, pan and tempo inserts give the matching slide while the slide switch is on.
void InsertLevelEvent(Session& session, EventType songType, EventType trackType, EventType programType) {
  const auto pick = [](EventType t) { return t == EventType::Empty ? kNoType : T(t); };
  int32_t type = TypeForGroup(session, pick(songType), pick(trackType), pick(programType));
  if (type == kNoType) return;
  if (session.editor.slide != 0) ++type;
  InsertAtCursor(session, type, DefaultValueA(type));
}

bool OnNormalTrack(Session& session) {
  const Track* track = EditedTrack(session);
  return track != nullptr && !IsGlobalTrack(session.song, *track);
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
  if (!IsRecording(session)) return;
  if (OnNormalTrack(session)) {
    const int32_t pitch = keyPitch + kCentsPerOctave * session.editor.octave;
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

// ---- Cursor, track and Block ----

namespace {

// Shift held: a Block starts at the cursor on the current track unless one is active. Shift not held: an
// active Block is dropped.
void MarkOrDropBlock(Session& session) {
  EditorState& ed = session.editor;
  if (ed.shiftHeld == 0) {
    ed.block.active = 0;
  } else if (ed.block.active == 0) {
    const int32_t track = session.song.currentTrack;
    ed.block = {1, session.editCursor, track, session.editCursor, track};
  }
}

// The Block end the old cursor stood on follows it. A Block whose ends cross is turned round, so that its
// start never lies after its end.
void MoveCursorBy(Session& session, int32_t delta) {
  EditorState& ed = session.editor;
  MarkOrDropBlock(session);
  const int32_t old = session.editCursor;
  session.editCursor = static_cast<int32_t>(std::clamp<int64_t>(static_cast<int64_t>(old) + delta, 0, kMaxTick));
  ViewFollowsCursor(session);
  if (ed.shiftHeld != 0) {
    Block& b = ed.block;
    if (delta > 0) {
      if (old >= b.endTick) b.endTick = session.editCursor;
      else if (old <= b.startTick) b.startTick = session.editCursor;
    } else {
      if (old <= b.startTick) b.startTick = session.editCursor;
      else if (old >= b.endTick) b.endTick = session.editCursor;
    }
    if (b.startTick > b.endTick) std::swap(b.startTick, b.endTick);
  }
  SelectionFollowsCursor(session);
  RequestEventRedraw(session);
}

// The Block's track range follows the move from track `from` to track `to`. The GlobalTrack never joins a
// Block of normal tracks.
void ExtendBlockTracks(Block& b, int32_t from, int32_t to) {
  if (b.firstTrack == 0 && b.lastTrack == 0) return;
  if (to == 0) return;
  if (b.firstTrack == b.lastTrack) {
    if (to >= from) b.lastTrack = to;
    else b.firstTrack = to;
  } else if (from >= b.lastTrack) {
    b.lastTrack = to;
  } else if (from <= b.firstTrack) {
    b.firstTrack = to;
  }
  if (b.firstTrack > b.lastTrack) std::swap(b.firstTrack, b.lastTrack);
}

}  // namespace

void MoveCursorRight(Session& session, int32_t n) {
  if (n > 0) MoveCursorBy(session, n);
}

void MoveCursorLeft(Session& session, int32_t n) {
  if (n > 0) MoveCursorBy(session, -n);
}

void SelectTrack(Session& session, int32_t track) {
  Song& song = session.song;
  if (track < 0 || track >= song.tracks.Count()) return;
  MarkOrDropBlock(session);
  const int32_t old = song.currentTrack;
  song.currentTrack = track;
  FollowCurrentTrack(song);
  if (session.editor.shiftHeld != 0) ExtendBlockTracks(session.editor.block, old, track);

  EventGroup& group = session.editor.eventGroup;
  if (track == 0) group = EventGroup::Song;
  else if (group == EventGroup::Song) group = EventGroup::Program;
  // The track chain's type list differs between the GlobalTrack and normal tracks.
  if (session.chainEditor.chainMode == ChainMode::Track &&
      song.selectedEngineType >= static_cast<int32_t>(EngineTypesFor(session).count)) {
    song.selectedEngineType = 0;
    song.engineListScroll = 0;
  }
  SelectionFollowsCursor(session);
  RequestEventRedraw(session);
  session.redraw.Request(Panel::TrackChain, Panel::EngineTypeList, Panel::EngineEditor);
}

void GoToBar(Session& session, int32_t bar) {
  const int64_t tick = static_cast<int64_t>(bar) * session.song.beatsPerBar * session.song.ticksPerBeat;
  session.editCursor = static_cast<int32_t>(std::clamp<int64_t>(tick, 0, kMaxTick));
  session.editor.viewStart = session.editCursor;
  RequestEventRedraw(session);
}

void SetCursorFromSlider(Session& session, int32_t tick) {
  session.editCursor = std::clamp(tick, 0, kMaxTick);
  ViewFollowsCursor(session);
  RequestEventRedraw(session);
}

void DropBlock(Session& session) {
  session.editor.block.active = 0;
  session.redraw.Request(Panel::TrackList);
}

// ---- Editor switches ----

void SetSnapDivision(Session& session, int32_t division) {
  if (division < 1 || division > kMaxSnapDivision) return;
  session.editor.snapDivision = division;
  UpdateSnapStep(session);
  session.redraw.Request(Panel::TrackList);
}

void ToggleSnap(Session& session) {
  session.editor.snap ^= 1u;
  session.redraw.Request(Panel::TrackList);
}

void ToggleEditMode(Session& session) {
  session.editor.editMode ^= 1u;
  session.redraw.Request(Panel::TrackList);
}

void ToggleSlide(Session& session) {
  session.editor.slide ^= 1u;
  session.redraw.Request(Panel::TrackList);
}

void CycleOctave(Session& session) { SetOctave(session, (session.editor.octave + 1) % (kMaxOctave + 1)); }

void SetOctave(Session& session, int32_t octave) {
  if (octave < 0 || octave > kMaxOctave) return;
  session.editor.octave = octave;
  session.redraw.Request(Panel::TrackList);
}

void CycleEventGroup(Session& session) {
  if (!OnNormalTrack(session)) return;
  EventGroup& group = session.editor.eventGroup;
  group = group == EventGroup::Track ? EventGroup::Program : EventGroup::Track;
  session.redraw.Request(Panel::TrackList);
}

}  // namespace tonforge
