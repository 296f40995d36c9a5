// The EditCursor, the current track and the Block they mark as they move.
#include "sequencer/editing.h"

#include <algorithm>

#include "programs/chain_editing.h"
#include "sequencer/song.h"
#include "sequencer/text_entry.h"

namespace tonforge {

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
  ReportEditorChange(session);
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
  session.changes.Report(Change::CurrentTrack, Change::Editor);
  session.changes.Report(Change::CurrentTrack);
}

void GoToBar(Session& session, int32_t bar) {
  const int64_t tick = static_cast<int64_t>(bar) * session.song.beatsPerBar * session.song.ticksPerBeat;
  session.editCursor = static_cast<int32_t>(std::clamp<int64_t>(tick, 0, kMaxTick));
  session.editor.viewStart = session.editCursor;
  ReportEditorChange(session);
}

void SetCursorFromSlider(Session& session, int32_t tick) {
  session.editCursor = std::clamp(tick, 0, kMaxTick);
  ViewFollowsCursor(session);
  ReportEditorChange(session);
}

void DropBlock(Session& session) {
  session.editor.block.active = 0;
  session.changes.Report(Change::Editor);
}

}  // namespace tonforge
