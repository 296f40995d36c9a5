// The commands that remove events or move them in time: Delete, the Block and its clipboard, the gaps and
// the bars. Each stops playback first, because the playback thread may hold any event of the song.
#include <algorithm>
#include <new>

#include "sequencer/editing.h"
#include "sequencer/song.h"
#include "shell/show_error.h"

namespace tonforge {

namespace {

int32_t T(EventType t) { return static_cast<int32_t>(t); }

// Removes the events `pick` chooses, never the GlobalTrack's first one.
template <class Pick>
void RemoveEvents(const Song& song, Track& track, Pick pick) {
  for (Event* e = track.events.First(); e != nullptr;) {
    Event* next = EventList::Next(e);
    if (!IsProtectedEvent(song, track, e) && pick(*e)) track.events.Erase(e);
    e = next;
  }
  SyncEventCount(track);
  KeepSelectionInList(track);
}

void RemoveTicks(const Song& song, Track& track, int32_t first, int32_t last) {
  RemoveEvents(song, track, [first, last](const Event& e) { return e.tick >= first && e.tick <= last; });
}

enum class Head { Moves, Stays };

// Every event at or after `from` moves by `delta`, kept within floor..99999. The map never reorders two
// events, so a list in tick order stays in tick order.
void ShiftEvents(const Song& song, Track& track, int32_t from, int32_t delta, int32_t floor, Head head) {
  for (Event* e = track.events.First(); e != nullptr; e = EventList::Next(e)) {
    if (e->tick < from || (head == Head::Stays && IsProtectedEvent(song, track, e))) continue;
    e->tick = static_cast<int32_t>(std::clamp<int64_t>(static_cast<int64_t>(e->tick) + delta, floor, kMaxTick));
  }
}

// The existing tracks of the Block's range.
template <class Each>
void ForBlockTracks(Session& session, Each each) {
  const Block& b = session.editor.block;
  const int32_t last = std::min(b.lastTrack, session.song.tracks.Count() - 1);
  for (int32_t i = std::max(b.firstTrack, 0); i <= last; ++i) each(*TrackAt(session.song, i));
}

// The tracks that take part in bar insertion and deletion: those that play.
template <class Each>
void ForPlayingTracks(Session& session, Each each) {
  for (int32_t i = 0; i < session.song.tracks.Count(); ++i) {
    Track& track = *TrackAt(session.song, i);
    if (track.muteState == 0) each(track);
  }
}

void RemoveBlockEvents(Session& session) {
  const Block& b = session.editor.block;
  ForBlockTracks(session, [&](Track& track) { RemoveTicks(session.song, track, b.startTick, b.endTick); });
}

// The event Delete removes at the cursor: the note on that tick, otherwise the first event there that may
// be removed.
Event* EventToDelete(const Song& song, const Track& track, int32_t tick) {
  Event* first = nullptr;
  for (Event* e = track.events.First(); e != nullptr; e = EventList::Next(e)) {
    if (e->tick != tick || IsProtectedEvent(song, track, e)) continue;
    if (e->type == T(EventType::NoteOn)) return e;
    if (first == nullptr) first = e;
  }
  return first;
}

}  // namespace

void DeleteBlock(Session& session) {
  StopPlayback(session);
  RemoveBlockEvents(session);
  SelectionFollowsCursor(session);
  ReportEventsChange(session);
}

void Delete(Session& session) {
  if (session.editor.block.active != 0) {
    DeleteBlock(session);
    DropBlock(session);
    return;
  }
  Track* track = EditedTrack(session);
  if (track == nullptr) return;
  StopPlayback(session);
  if (Event* e = EventToDelete(session.song, *track, session.editCursor)) {
    track->events.Erase(e);
    SyncEventCount(*track);
  }
  SelectionFollowsCursor(session);
  ReportEventsChange(session);
}

void EmptyEventClipboard(Session& session) { session.editor.clipboard = EventClipboard{}; }

bool Copy(Session& session) {
  EmptyEventClipboard(session);
  const Block& b = session.editor.block;
  EventClipboard copy;
  try {
    ForBlockTracks(session, [&](Track& track) {
      std::vector<EventValues>& events = copy.tracks.emplace_back();
      for (const Event* e = track.events.First(); e != nullptr; e = EventList::Next(e))
        if (e->tick >= b.startTick && e->tick <= b.endTick)
          events.push_back({e->tick - b.startTick, e->type, e->valueA, e->valueB});
    });
  } catch (const std::bad_alloc&) {
    ShowError(session.dialogs, "Out Of Memory - Cannot Copy");
    return false;
  }
  if (copy.tracks.empty()) return true;  // the rectangle names no track of this song
  copy.kind = b.firstTrack == 0 ? ClipboardKind::GlobalTrack : ClipboardKind::NormalTracks;
  copy.length = b.endTick - b.startTick;
  session.editor.clipboard = std::move(copy);
  return true;
}

// A Block whose events could not be copied is not deleted.
void Cut(Session& session) {
  if (!Copy(session)) return;
  DeleteBlock(session);
  DropBlock(session);
}

void Paste(Session& session) {
  const EventClipboard& clip = session.editor.clipboard;
  Track* current = EditedTrack(session);
  if (clip.kind == ClipboardKind::Empty || current == nullptr) return;
  const bool global = IsGlobalTrack(session.song, *current);
  if (clip.kind == ClipboardKind::GlobalTrack && !global) {
    ShowError(session.dialogs, "Cannot Copy Global Track Data To Normal Tracks");
    return;
  }
  if (clip.kind == ClipboardKind::NormalTracks && global) {
    ShowError(session.dialogs, "Cannot Copy Normal Track Data To The Global Track");
    return;
  }
  StopPlayback(session);
  const int32_t cursor = session.editCursor;
  const int32_t trackCount = session.song.tracks.Count();
  for (std::size_t i = 0; i < clip.tracks.size() && session.song.currentTrack + static_cast<int32_t>(i) < trackCount; ++i) {
    Track& track = *TrackAt(session.song, session.song.currentTrack + static_cast<int32_t>(i));
    for (EventValues v : clip.tracks[i]) {
      v.tick += cursor;
      // The clipboard outlives songs: a phrase whose source is not a normal track here plays track 1.
      if (v.type == T(EventType::Phrase) && (v.valueA < 1 || v.valueA >= trackCount)) v.valueA = 1;
      InsertEvent(session, track, v);
    }
    ValidateEvents(session.song, track);
  }
  session.editCursor = std::clamp(cursor + clip.length, 0, kMaxTick);
  ViewFollowsCursor(session);
  ReportEventsChange(session);
}

// Without a Block, events less than a step after the cursor land on the cursor, behind the events before it.
void CloseGap(Session& session) {
  StopPlayback(session);
  EditorState& ed = session.editor;
  if (ed.block.active != 0) {
    const Block b = ed.block;
    RemoveBlockEvents(session);
    ForBlockTracks(session, [&](Track& track) {
      ShiftEvents(session.song, track, b.endTick + 1, -(b.endTick - b.startTick), 0, Head::Moves);
    });
    DropBlock(session);
  } else if (Track* track = EditedTrack(session)) {
    const int32_t cursor = session.editCursor;
    RemoveTicks(session.song, *track, cursor, cursor);
    ShiftEvents(session.song, *track, cursor + 1, -CursorStep(session), cursor, Head::Moves);
  }
  SelectionFollowsCursor(session);
  ReportEventsChange(session);
}

void OpenGap(Session& session) {
  StopPlayback(session);
  const EditorState& ed = session.editor;
  if (ed.block.active != 0) {
    const Block b = ed.block;
    ForBlockTracks(session, [&](Track& track) {
      ShiftEvents(session.song, track, b.startTick, b.endTick - b.startTick, 0, Head::Moves);
    });
  } else if (Track* track = EditedTrack(session)) {
    ShiftEvents(session.song, *track, session.editCursor, CursorStep(session), 0, Head::Moves);
  }
  ReportEventsChange(session);
}

void DeleteBar(Session& session) {
  StopPlayback(session);
  const int32_t cursor = session.editCursor;
  const int32_t bar = BarLength(session.song);
  ForPlayingTracks(session, [&](Track& track) {
    RemoveTicks(session.song, track, cursor, cursor + bar - 1);
    ShiftEvents(session.song, track, cursor + 1, -bar, 0, Head::Moves);
  });
  ReportEventsChange(session);
}

void InsertBar(Session& session) {
  StopPlayback(session);
  const int32_t cursor = session.editCursor;
  const int32_t bar = BarLength(session.song);
  ForPlayingTracks(session, [&](Track& track) { ShiftEvents(session.song, track, cursor, bar, 0, Head::Stays); });
  ReportEventsChange(session);
}

}  // namespace tonforge
