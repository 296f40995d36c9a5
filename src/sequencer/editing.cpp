#include "sequencer/editing.h"

#include <algorithm>

#include "audio/playback.h"
#include "programs/chain_editing.h"
#include "sequencer/song.h"
#include "sequencer/text_entry.h"

namespace tonforge {

namespace {

constexpr int32_t kTypeCount = kEventTypeCount;
constexpr int32_t kSemitone = 100;
constexpr int32_t kLowestTransposedPitch = 50;
constexpr int32_t kHighestTransposedPitch = 6050;
constexpr int32_t kCentsPerOctave = 1200;
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

Track* EditedTrack(AppState& app) { return TrackAt(app.song, app.song.currentTrack); }

bool IsProtectedEvent(const Song& song, const Track& track, const Event* e) {
  return IsGlobalTrack(song, track) && e == track.events.First();
}

void RequestEventRedraw(AppState& app) { app.redraw.Request(Panel::EventList, Panel::TrackList); }

// ---- Editor state ----

void UpdateSnapStep(AppState& app) {
  const int32_t division = std::clamp(app.editor.snapDivision, 1, kMaxSnapDivision);
  app.editor.snapStep = std::max(app.song.ticksPerBeat / division, 1);
}

void ResetEditorState(AppState& app) {
  EditorState& ed = app.editor;
  app.editCursor = 0;
  ed.viewStart = 0;
  ed.octave = 0;
  ed.eventGroup = EventGroup::Song;
  ed.slide = 0;
  ed.editMode = 0;
  ed.block = Block{};
  ed.snapDivision = kDefaultSnapDivision;
  UpdateSnapStep(app);
}

int32_t CursorStep(const AppState& app) { return app.editor.snap != 0 ? std::max(app.editor.snapStep, 1) : 1; }

int32_t BarLength(const Song& song) { return std::max(song.beatsPerBar * song.ticksPerBeat, 1); }

void ViewFollowsCursor(AppState& app) {
  int32_t& view = app.editor.viewStart;
  if (app.editCursor < view) view = app.editCursor;
  if (app.editCursor > view + kViewWidth - 1) view = app.editCursor - (kViewWidth - 1);
}

void SelectionFollowsCursor(AppState& app) {
  Track* track = EditedTrack(app);
  if (track == nullptr) return;
  int32_t selected = 0, index = 0;
  for (Event* e = track->events.First(); e != nullptr; e = EventList::Next(e), ++index)
    if (e->tick <= app.editCursor) selected = index;
  track->selectedEvent = selected;
  KeepSelectionInList(*track);
  app.redraw.Request(Panel::EventList);
}

// ---- Event commands ----

Event* EventOfRow(AppState& app, int32_t row) {
  const Track* track = EditedTrack(app);
  if (track == nullptr || row < 0 || row >= kEventListRowCount) return nullptr;
  return EventAt(*track, track->eventListScroll + row);
}

void AddEvent(AppState& app) {
  Track* track = EditedTrack(app);
  if (track == nullptr) return;
  InsertEvent(app, *track, {app.editCursor, T(EventType::Empty), 0, 0});
  RequestEventRedraw(app);
}

void DeleteSelectedEvent(AppState& app) {
  Track* track = EditedTrack(app);
  if (track == nullptr) return;
  const Event* e = EventAt(*track, track->selectedEvent);
  if (e == nullptr || IsProtectedEvent(app.song, *track, e)) return;
  StopPlayback(app);
  DeleteEventAt(app.song, *track, track->selectedEvent);
  SelectionFollowsCursor(app);
  RequestEventRedraw(app);
}

namespace {

// Swaps the selected event with its neighbour at `offset` (-1 or +1) when both share a tick and neither is
// the GlobalTrack's first event.
void SwapSelectedEvent(AppState& app, int32_t offset) {
  Track* track = EditedTrack(app);
  if (track == nullptr) return;
  const int32_t index = track->selectedEvent;
  Event* selected = EventAt(*track, index);
  Event* other = EventAt(*track, index + offset);
  if (selected == nullptr || other == nullptr || selected->tick != other->tick) return;
  if (IsProtectedEvent(app.song, *track, selected) || IsProtectedEvent(app.song, *track, other)) return;
  std::swap(selected->type, other->type);
  std::swap(selected->valueA, other->valueA);
  std::swap(selected->valueB, other->valueB);
  track->selectedEvent = index + offset;
  KeepSelectionInList(*track);
  ValidateEvents(app.song, *track);
  RequestEventRedraw(app);
}

// The selected event when it is a NoteOn.
Event* SelectedNote(AppState& app) {
  Track* track = EditedTrack(app);
  if (track == nullptr) return nullptr;
  Event* e = EventAt(*track, track->selectedEvent);
  return e != nullptr && e->type == T(EventType::NoteOn) ? e : nullptr;
}

template <class Change>
void ChangeNotesOfSelectedProgram(AppState& app, Change change) {
  const Event* selected = SelectedNote(app);
  if (selected == nullptr) return;
  const int32_t program = selected->valueB;
  for (Event* e = EditedTrack(app)->events.First(); e != nullptr; e = EventList::Next(e))
    if (e->type == T(EventType::NoteOn) && e->valueB == program) change(*e);
  RequestEventRedraw(app);
}

bool TickHoldsOtherNote(const Track& track, const Event* event) {
  for (const Event* e = track.events.First(); e != nullptr; e = EventList::Next(e))
    if (e != event && e->tick == event->tick && e->type == T(EventType::NoteOn)) return true;
  return false;
}

}  // namespace

void MoveSelectedEventUp(AppState& app) { SwapSelectedEvent(app, -1); }
void MoveSelectedEventDown(AppState& app) { SwapSelectedEvent(app, +1); }

void ReplaceProgram(AppState& app) {
  const int32_t current = app.song.currentProgram;
  ChangeNotesOfSelectedProgram(app, [current](Event& e) { e.valueB = current; });
}

// A pitch already beyond the limit is left where it is rather than pulled back across it.
void TransposeUp(AppState& app) {
  ChangeNotesOfSelectedProgram(
      app, [](Event& e) { e.valueA = std::max(e.valueA, std::min(e.valueA + kSemitone, kHighestTransposedPitch)); });
}

void TransposeDown(AppState& app) {
  ChangeNotesOfSelectedProgram(
      app, [](Event& e) { e.valueA = std::min(e.valueA, std::max(e.valueA - kSemitone, kLowestTransposedPitch)); });
}

void SelectEventIndex(AppState& app, int32_t index) {
  Track* track = EditedTrack(app);
  if (track == nullptr) return;
  const Event* e = EventAt(*track, index);
  if (e == nullptr) return;
  track->selectedEvent = index;
  KeepSelectionInList(*track);
  app.editCursor = std::clamp(e->tick, 0, kMaxTick);
  ViewFollowsCursor(app);
  RequestEventRedraw(app);
}

void SelectEventRow(AppState& app, int32_t row) {
  const Track* track = EditedTrack(app);
  if (track == nullptr || row < 0 || row >= kEventListRowCount) return;
  SelectEventIndex(app, track->eventListScroll + row);
}

// The next type allowed on the track. A NoteOn needs a program, and a tick holds at most one NoteOn, so the
// cycle passes over NoteOn where either is missing.
void CycleEventType(AppState& app, int32_t row) {
  Event* e = EventOfRow(app, row);
  Track* track = EditedTrack(app);
  if (e == nullptr || IsProtectedEvent(app.song, *track, e)) return;
  const bool global = IsGlobalTrack(app.song, *track);
  int32_t type = e->type;
  do {
    type = (std::clamp(type, -1, kTypeCount - 1) + 1) % kTypeCount;
  } while (!IsTypeAllowedOn(type, global));
  if (type == T(EventType::NoteOn) && (app.song.programs.empty() || TickHoldsOtherNote(*track, e)))
    type = T(EventType::ProgramVolume);
  e->type = type;
  e->valueA = DefaultValueA(type);
  e->valueB = 0;
  ValidateEvents(app.song, *track);
  RequestEventRedraw(app);
}

void EditValueA(AppState& app, int32_t row) {
  Event* e = EventOfRow(app, row);
  if (e == nullptr) return;
  if (!IsEngineParameterType(e->type)) {
    StartTextEntry(app, TextField::ValueA, EditedTrack(app)->eventListScroll + row, kEventValueMaximum);
    return;
  }
  e->valueA = e->valueA >= kResetParameter || e->valueA < 0 ? 0 : e->valueA + 1;
  e->valueB = 0;
  ValidateEvents(app.song, *EditedTrack(app));
  RequestEventRedraw(app);
}

void EditValueB(AppState& app, int32_t row) {
  if (EventOfRow(app, row) == nullptr) return;
  StartTextEntry(app, TextField::ValueB, EditedTrack(app)->eventListScroll + row, kEventValueMaximum);
}

// ---- Insert and recording commands ----

namespace {

constexpr int32_t kNoType = -1;

// The type an insert command produces on the current track: the GlobalTrack takes the song column, a
// normal track the column of its EventGroup (none while the group still says song).
int32_t TypeForGroup(AppState& app, int32_t songType, int32_t trackType, int32_t programType) {
  const Track* track = EditedTrack(app);
  if (track == nullptr) return kNoType;
  if (IsGlobalTrack(app.song, *track)) return songType;
  switch (app.editor.eventGroup) {
    case EventGroup::Track: return trackType;
    case EventGroup::Program: return programType;
    default: return kNoType;
  }
}

void InsertAtCursor(AppState& app, int32_t type, int32_t valueA) {
  Track* track = EditedTrack(app);
  if (track == nullptr || type == kNoType) return;
  InsertEvent(app, *track, {app.editCursor, type, valueA, 0});
  SelectionFollowsCursor(app);
  RequestEventRedraw(app);
}

// The volume, pitch, pan and tempo inserts give the matching slide while the slide switch is on.
void InsertLevelEvent(AppState& app, EventType songType, EventType trackType, EventType programType) {
  const auto pick = [](EventType t) { return t == EventType::Empty ? kNoType : T(t); };
  int32_t type = TypeForGroup(app, pick(songType), pick(trackType), pick(programType));
  if (type == kNoType) return;
  if (app.editor.slide != 0) ++type;
  InsertAtCursor(app, type, DefaultValueA(type));
}

bool OnNormalTrack(AppState& app) {
  const Track* track = EditedTrack(app);
  return track != nullptr && !IsGlobalTrack(app.song, *track);
}

}  // namespace

// EventType::Empty marks a group in which the command does nothing.
void InsertVolume(AppState& app) {
  InsertLevelEvent(app, EventType::SongVolume, EventType::TrackVolume, EventType::ProgramVolume);
}
void InsertPitch(AppState& app) {
  InsertLevelEvent(app, EventType::Empty, EventType::TrackPitch, EventType::ProgramPitch);
}
void InsertPan(AppState& app) { InsertLevelEvent(app, EventType::Empty, EventType::TrackPan, EventType::ProgramPan); }
void InsertTempo(AppState& app) { InsertLevelEvent(app, EventType::Tempo, EventType::Empty, EventType::Empty); }

void InsertEngineReset(AppState& app, int32_t position) {
  if (position < 0 || position >= kChainLength) return;
  const int32_t trackReset = T(EventType::TrackEngineParameter) + position;
  InsertAtCursor(app, TypeForGroup(app, trackReset, trackReset, T(EventType::ProgramEngineParameter) + position),
                 kResetParameter);
}

bool IsRecording(const AppState& app) { return app.editor.editMode != 0 && app.editor.trackListShown != 0; }

void RecordNote(AppState& app, int32_t keyPitch) {
  if (!IsRecording(app)) return;
  if (OnNormalTrack(app)) {
    const int32_t pitch = keyPitch + kCentsPerOctave * app.editor.octave;
    InsertEvent(app, *EditedTrack(app), {app.editCursor, T(EventType::NoteOn), pitch, app.song.currentProgram});
  }
  MoveCursorRight(app, CursorStep(app));
}

void RecordNoteOff(AppState& app) {
  if (!IsRecording(app) || EditedTrack(app) == nullptr) return;
  const int32_t type = OnNormalTrack(app) ? T(EventType::NoteOff) : T(EventType::End);
  InsertEvent(app, *EditedTrack(app), {app.editCursor, type, 0, 0});
  MoveCursorRight(app, CursorStep(app));
}

void RecordPhrase(AppState& app) {
  if (!IsRecording(app)) return;
  if (OnNormalTrack(app)) {
    Track& track = *EditedTrack(app);
    int32_t source = 1;
    for (const Event* e = track.events.First(); e != nullptr && e->tick <= app.editCursor; e = EventList::Next(e))
      if (e->type == T(EventType::Phrase)) source = e->valueA;
    InsertEvent(app, track, {app.editCursor, T(EventType::Phrase), source, 0});
  }
  MoveCursorRight(app, CursorStep(app));
}

// ---- Cursor, track and Block ----

namespace {

// Shift held: a Block starts at the cursor on the current track unless one is active. Shift not held: an
// active Block is dropped.
void MarkOrDropBlock(AppState& app) {
  EditorState& ed = app.editor;
  if (ed.shiftHeld == 0) {
    ed.block.active = 0;
  } else if (ed.block.active == 0) {
    const int32_t track = app.song.currentTrack;
    ed.block = {1, app.editCursor, track, app.editCursor, track};
  }
}

// The Block end the old cursor stood on follows it. A Block whose ends cross is turned round, so that its
// start never lies after its end.
void MoveCursorBy(AppState& app, int32_t delta) {
  EditorState& ed = app.editor;
  MarkOrDropBlock(app);
  const int32_t old = app.editCursor;
  app.editCursor = static_cast<int32_t>(std::clamp<int64_t>(static_cast<int64_t>(old) + delta, 0, kMaxTick));
  ViewFollowsCursor(app);
  if (ed.shiftHeld != 0) {
    Block& b = ed.block;
    if (delta > 0) {
      if (old >= b.endTick) b.endTick = app.editCursor;
      else if (old <= b.startTick) b.startTick = app.editCursor;
    } else {
      if (old <= b.startTick) b.startTick = app.editCursor;
      else if (old >= b.endTick) b.endTick = app.editCursor;
    }
    if (b.startTick > b.endTick) std::swap(b.startTick, b.endTick);
  }
  SelectionFollowsCursor(app);
  RequestEventRedraw(app);
}

void KeepCurrentTrackInView(Song& song) {
  song.trackListScroll =
      std::clamp(song.trackListScroll, std::max(song.currentTrack - (kTrackListRowCount - 1), 0), song.currentTrack);
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

void MoveCursorRight(AppState& app, int32_t n) {
  if (n > 0) MoveCursorBy(app, n);
}

void MoveCursorLeft(AppState& app, int32_t n) {
  if (n > 0) MoveCursorBy(app, -n);
}

void SelectTrack(AppState& app, int32_t track) {
  Song& song = app.song;
  if (track < 0 || track >= song.tracks.Count()) return;
  MarkOrDropBlock(app);
  const int32_t old = song.currentTrack;
  song.currentTrack = track;
  KeepCurrentTrackInView(song);
  if (app.editor.shiftHeld != 0) ExtendBlockTracks(app.editor.block, old, track);

  EventGroup& group = app.editor.eventGroup;
  if (track == 0) group = EventGroup::Song;
  else if (group == EventGroup::Song) group = EventGroup::Program;
  // The track chain's type list differs between the GlobalTrack and normal tracks.
  if (app.chainEditor.chainMode == 0 &&
      song.selectedEngineType >= static_cast<int32_t>(EngineTypesFor(app).count)) {
    song.selectedEngineType = 0;
    song.engineListScroll = 0;
  }
  SelectionFollowsCursor(app);
  RequestEventRedraw(app);
  app.redraw.Request(Panel::TrackChain, Panel::EngineTypeList, Panel::EngineEditor);
}

void GoToBar(AppState& app, int32_t bar) {
  const int64_t tick = static_cast<int64_t>(bar) * app.song.beatsPerBar * app.song.ticksPerBeat;
  app.editCursor = static_cast<int32_t>(std::clamp<int64_t>(tick, 0, kMaxTick));
  app.editor.viewStart = app.editCursor;
  RequestEventRedraw(app);
}

void SetCursorFromSlider(AppState& app, int32_t tick) {
  app.editCursor = std::clamp(tick, 0, kMaxTick);
  ViewFollowsCursor(app);
  RequestEventRedraw(app);
}

void DropBlock(AppState& app) {
  app.editor.block.active = 0;
  app.redraw.Request(Panel::TrackList);
}

// ---- Editor switches ----

void SetSnapDivision(AppState& app, int32_t division) {
  if (division < 1 || division > kMaxSnapDivision) return;
  app.editor.snapDivision = division;
  UpdateSnapStep(app);
  app.redraw.Request(Panel::TrackList);
}

void ToggleSnap(AppState& app) {
  app.editor.snap ^= 1u;
  app.redraw.Request(Panel::TrackList);
}

void ToggleEditMode(AppState& app) {
  app.editor.editMode ^= 1u;
  app.redraw.Request(Panel::TrackList);
}

void ToggleSlide(AppState& app) {
  app.editor.slide ^= 1u;
  app.redraw.Request(Panel::TrackList);
}

void CycleOctave(AppState& app) { SetOctave(app, (app.editor.octave + 1) % (kMaxOctave + 1)); }

void SetOctave(AppState& app, int32_t octave) {
  if (octave < 0 || octave > kMaxOctave) return;
  app.editor.octave = octave;
  app.redraw.Request(Panel::TrackList);
}

void CycleEventGroup(AppState& app) {
  if (!OnNormalTrack(app)) return;
  EventGroup& group = app.editor.eventGroup;
  group = group == EventGroup::Track ? EventGroup::Program : EventGroup::Track;
  app.redraw.Request(Panel::TrackList);
}

}  // namespace tonforge
