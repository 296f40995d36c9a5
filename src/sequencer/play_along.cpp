#include "sequencer/play_along.h"

#include <algorithm>

#include "sequencer/editing.h"
#include "sequencer/song.h"

namespace tonforge {

namespace {

constexpr int32_t T(EventType t) { return static_cast<int32_t>(t); }

// The first entry of the recording that `matches`, or none.
template <class Match>
OpenRecordedNote* FindRecorded(Session& session, Match matches) {
  for (OpenRecordedNote& n : session.editor.recording)
    if (matches(n)) return &n;
  return nullptr;
}

// The holder's note whose key is still down.
OpenRecordedNote* HeldNoteOf(Session& session, int32_t holder) {
  return FindRecorded(session, [holder](const OpenRecordedNote& n) { return n.holder == holder && !n.released; });
}

OpenRecordedNote* FreeEntry(Session& session) {
  return FindRecorded(session, [](const OpenRecordedNote& n) { return n.holder < 0; });
}

// The open note a heard start or release belongs to.
OpenRecordedNote* OpenNoteOf(Session& session, const HeardNote& heard) {
  return FindRecorded(session,
                      [&heard](const OpenRecordedNote& n) { return n.holder >= 0 && n.serial == heard.serial; });
}

// The track a note goes to, when recording on a normal track; -1 otherwise.
int32_t RecordingTrack(Session& session) {
  return IsRecording(session) && OnNormalTrack(session) ? session.song.currentTrack : -1;
}

Track* NormalTrack(Session& session, int32_t index) {
  Track* track = TrackAt(session.song, index);
  return track != nullptr && !IsGlobalTrack(session.song, *track) ? track : nullptr;
}

// A NoteOff lies at least one tick after its NoteOn.
int32_t NoteOffTick(Session& session, const HeardNote& heard) {
  const int32_t tick = RecordedTick(session, heard.tick);
  const OpenRecordedNote* open = OpenNoteOf(session, heard);
  return open != nullptr && open->onTick >= 0 ? std::max(tick, open->onTick + 1) : tick;
}

void EnterHeard(Session& session, const HeardNote& heard) {
  OpenRecordedNote* open = OpenNoteOf(session, heard);
  if (open == nullptr) return;
  Track* track = NormalTrack(session, heard.track);
  const int32_t tick = RecordedTick(session, heard.tick);
  if (heard.kind == PlayedKind::Start) {
    if (track == nullptr || !InsertEvent(session, *track, {tick, T(EventType::NoteOn), heard.pitch, heard.program})) {
      *open = OpenRecordedNote{};
      return;
    }
    open->onTick = tick;
  } else {
    if (track != nullptr && open->onTick >= 0)
      InsertEvent(session, *track, {NoteOffTick(session, heard), T(EventType::NoteOff), 0, 0});
    *open = OpenRecordedNote{};
  }
  ReportEventsChange(session);
}

// Whether the tick a heard note goes to lies behind the song worker, which then plays it only the next time the
// song passes there. A loop that jumped back since the note was heard has passed it too.
bool WorkerHasPassed(Session& session, const HeardNote& heard, int32_t reached) {
  const int32_t tick = heard.kind == PlayedKind::Start ? RecordedTick(session, heard.tick) : NoteOffTick(session, heard);
  return reached > tick || reached < heard.tick;
}

}  // namespace

int32_t RecordedTick(const Session& session, int32_t tick) {
  if (session.editor.snap == 0) return tick;
  const int32_t step = std::max(session.editor.snapStep, 1);
  return std::min((tick + step / 2) / step * step, kMaxTick);
}

void PlayAlongNote(Session& session, int32_t pitch, int32_t holder, float level, int32_t bend) {
  PlayedNote note{PlayedKind::Start, holder, pitch, session.song.currentProgram, level, bend, RecordingTrack(session)};
  // A key struck again while it is still down (a second MIDI note-on) records a fresh note: the old one ends
  // where it is. One struck again after it went up keeps the note it released until the worker has heard it.
  if (OpenRecordedNote* old = HeldNoteOf(session, holder)) *old = OpenRecordedNote{};
  OpenRecordedNote* open = note.track >= 0 ? FreeEntry(session) : nullptr;
  if (open != nullptr) {
    note.serial = ++session.editor.lastRecordedSerial;
    *open = OpenRecordedNote{holder, note.track, -1, note.serial};
  } else {
    note.track = -1;  // not recording, or more notes held than are recorded at once: this one only sounds
  }
  if (!session.playback.played.Push(note) && open != nullptr) *open = OpenRecordedNote{};
}

void ReleasePlayAlongNote(Session& session, int32_t holder) {
  OpenRecordedNote* open = HeldNoteOf(session, holder);
  PlayedNote release{PlayedKind::Release, holder, 0, 0, 1.0f, 0, -1};
  if (open != nullptr) {
    release.track = open->track;
    release.serial = open->serial;
  }
  // A release the worker never hears leaves the note to end with the recording.
  if (session.playback.played.Push(release) && open != nullptr) open->released = true;
}

void SendToPlayAlong(Session& session, PlayedKind kind, int32_t value) {
  session.playback.played.Push(PlayedNote{kind, kNoHolder, value});
}

void EnterHeardNotes(Session& session) {
  PlaybackState& p = session.playback;
  for (HeardNote heard; p.heard.Pop(heard);) p.heardAhead.push_back(heard);
  // In the order heard, so that a NoteOff never goes in before its NoteOn.
  const int32_t reached = p.playheadTick;
  std::size_t entered = 0;
  for (; entered < p.heardAhead.size(); ++entered) {
    const HeardNote& heard = p.heardAhead[entered];
    if (!WorkerHasPassed(session, heard, reached)) break;
    EnterHeard(session, heard);
  }
  p.heardAhead.erase(p.heardAhead.begin(), p.heardAhead.begin() + static_cast<std::ptrdiff_t>(entered));
}

void FinishRealTimeRecording(Session& session) {
  EnterHeardNotes(session);
  // Nothing plays any more: what waited for the worker goes in now.
  for (const HeardNote& heard : session.playback.heardAhead) EnterHeard(session, heard);
  session.playback.heardAhead.clear();
  const int32_t last = RecordedTick(session, session.playback.playheadTick);
  for (OpenRecordedNote& open : session.editor.recording) {
    Track* track = NormalTrack(session, open.track);
    if (open.holder >= 0 && open.onTick >= 0 && track != nullptr) {
      InsertEvent(session, *track, {std::max(last, open.onTick + 1), T(EventType::NoteOff), 0, 0});
      ReportEventsChange(session);
    }
    open = OpenRecordedNote{};
  }
}

void ToggleLoop(Session& session) {
  session.editor.loop ^= 1u;
  FollowLoopSwitch(session);
  ReportEditorChange(session);
}

void FollowLoopSwitch(Session& session) {
  const EditorState& ed = session.editor;
  const bool loops = ed.loop != 0 && ed.block.active != 0;
  session.playback.loopFirst = loops ? std::min(ed.block.startTick, ed.block.endTick) : 0;
  session.playback.loopLast = loops ? std::max(ed.block.startTick, ed.block.endTick) : -1;
}

}  // namespace tonforge
