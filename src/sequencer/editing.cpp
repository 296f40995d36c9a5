#include "sequencer/editing.h"

#include <algorithm>

#include "programs/chain_editing.h"
#include "sequencer/song.h"
#include "sequencer/text_entry.h"

namespace tonforge {

namespace {

constexpr int32_t kTypeCount = kEventTypeCount;
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

bool OnNormalTrack(Session& session) {
  const Track* track = EditedTrack(session);
  return track != nullptr && !IsGlobalTrack(session.song, *track);
}

void ReportEventsChange(Session& session) { session.changes.Report(Change::Events); }

void ReportEditorChange(Session& session) { session.changes.Report(Change::Editor); }

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
  ed.loop = 0;
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

bool FollowPlayhead(Session& session) {
  int32_t& drawn = session.editor.drawnPlayhead;
  if (session.playback.mode.load(std::memory_order_acquire) != PlaybackMode::Song) {
    if (drawn < 0) return false;
    drawn = -1;
    ViewFollowsCursor(session);  // back to the EditCursor, which playing left where it was
    return true;
  }
  const int32_t tick = session.playback.playheadTick;
  if (tick == drawn) return false;
  drawn = tick;
  int32_t& view = session.editor.viewStart;
  if (tick < view || tick > view + kViewWidth - 1) view = tick;  // a page on, the playhead at its left edge
  return true;
}

void SelectionFollowsCursor(Session& session) {
  Track* track = EditedTrack(session);
  if (track == nullptr) return;
  int32_t selected = 0, index = 0;
  for (Event* e = track->events.First(); e != nullptr; e = EventList::Next(e), ++index)
    if (e->tick <= session.editCursor) selected = index;
  track->selectedEvent = selected;
  KeepSelectionInList(*track);
  session.changes.Report(Change::Selection);
}

// ---- Editor switches ----

void SetSnapDivision(Session& session, int32_t division) {
  if (division < 1 || division > kMaxSnapDivision) return;
  session.editor.snapDivision = division;
  UpdateSnapStep(session);
  session.changes.Report(Change::Editor);
}

void ToggleSnap(Session& session) {
  session.editor.snap ^= 1u;
  session.changes.Report(Change::Editor);
}

void ToggleEditMode(Session& session) {
  session.editor.editMode ^= 1u;
  session.changes.Report(Change::Editor);
}

void ToggleSlide(Session& session) {
  session.editor.slide ^= 1u;
  session.changes.Report(Change::Editor);
}

void CycleOctave(Session& session) { SetOctave(session, (session.editor.octave + 1) % (kMaxOctave + 1)); }

void SetOctave(Session& session, int32_t octave) {
  if (octave < 0 || octave > kMaxOctave) return;
  session.editor.octave = octave;
  session.changes.Report(Change::Editor);
}

void CycleEventGroup(Session& session) {
  if (!OnNormalTrack(session)) return;
  EventGroup& group = session.editor.eventGroup;
  group = group == EventGroup::Track ? EventGroup::Program : EventGroup::Track;
  session.changes.Report(Change::Editor);
}

}  // namespace tonforge
