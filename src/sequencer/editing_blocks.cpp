// The commands that remove events or move them in time: Delete, the Block and its clipboard, the gaps and
// the bars. Each stops playback first, because the playback thread may hold any event of the song.
#include <algorithm>
#include <new>

#include "audio/playback.h"
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
void ForBlockTracks(AppState& app, Each each) {
  const Block& b = app.editor.block;
  const int32_t last = std::min(b.lastTrack, app.song.tracks.Count() - 1);
  for (int32_t i = std::max(b.firstTrack, 0); i <= last; ++i) each(*TrackAt(app.song, i));
}

// The tracks that take part in bar insertion and deletion: those that play.
template <class Each>
void ForPlayingTracks(AppState& app, Each each) {
  for (int32_t i = 0; i < app.song.tracks.Count(); ++i) {
    Track& track = *TrackAt(app.song, i);
    if (track.muteState == 0) each(track);
  }
}

void RemoveBlockEvents(AppState& app) {
  const Block& b = app.editor.block;
  ForBlockTracks(app, [&](Track& track) { RemoveTicks(app.song, track, b.startTick, b.endTick); });
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

void DeleteBlock(AppState& app) {
  StopPlayback(app);
  RemoveBlockEvents(app);
  SelectionFollowsCursor(app);
  RequestEventRedraw(app);
}

void Delete(AppState& app) {
  if (app.editor.block.active != 0) {
    DeleteBlock(app);
    DropBlock(app);
    return;
  }
  Track* track = EditedTrack(app);
  if (track == nullptr) return;
  StopPlayback(app);
  if (Event* e = EventToDelete(app.song, *track, app.editCursor)) {
    track->events.Erase(e);
    SyncEventCount(*track);
  }
  SelectionFollowsCursor(app);
  RequestEventRedraw(app);
}

void EmptyEventClipboard(AppState& app) { app.editor.clipboard = EventClipboard{}; }

bool Copy(AppState& app) {
  EmptyEventClipboard(app);
  const Block& b = app.editor.block;
  EventClipboard copy;
  try {
    ForBlockTracks(app, [&](Track& track) {
      std::vector<EventValues>& events = copy.tracks.emplace_back();
      for (const Event* e = track.events.First(); e != nullptr; e = EventList::Next(e))
        if (e->tick >= b.startTick && e->tick <= b.endTick)
          events.push_back({e->tick - b.startTick, e->type, e->valueA, e->valueB});
    });
  } catch (const std::bad_alloc&) {
    ShowError(app.dialogs, "Out Of Memory - Cannot Copy");
    return false;
  }
  if (copy.tracks.empty()) return true;  // the rectangle names no track of this song
  copy.kind = b.firstTrack == 0 ? ClipboardKind::GlobalTrack : ClipboardKind::NormalTracks;
  copy.length = b.endTick - b.startTick;
  app.editor.clipboard = std::move(copy);
  return true;
}

// A Block whose events could not be copied is not deleted.
void Cut(AppState& app) {
  if (!Copy(app)) return;
  DeleteBlock(app);
  DropBlock(app);
}

void Paste(AppState& app) {
  const EventClipboard& clip = app.editor.clipboard;
  Track* current = EditedTrack(app);
  if (clip.kind == ClipboardKind::Empty || current == nullptr) return;
  const bool global = IsGlobalTrack(app.song, *current);
  if (clip.kind == ClipboardKind::GlobalTrack && !global) {
    ShowError(app.dialogs, "Cannot Copy Global Track Data To Normal Tracks");
    return;
  }
  if (clip.kind == ClipboardKind::NormalTracks && global) {
    ShowError(app.dialogs, "Cannot Copy Normal Track Data To The Global Track");
    return;
  }
  StopPlayback(app);
  const int32_t cursor = app.editCursor;
  const int32_t trackCount = app.song.tracks.Count();
  for (std::size_t i = 0; i < clip.tracks.size() && app.song.currentTrack + static_cast<int32_t>(i) < trackCount; ++i) {
    Track& track = *TrackAt(app.song, app.song.currentTrack + static_cast<int32_t>(i));
    for (EventValues v : clip.tracks[i]) {
      v.tick += cursor;
      // The clipboard outlives songs: a phrase whose source is not a normal track here plays track 1.
      if (v.type == T(EventType::Phrase) && (v.valueA < 1 || v.valueA >= trackCount)) v.valueA = 1;
      InsertEvent(app, track, v);
    }
    ValidateEvents(app.song, track);
  }
  app.editCursor = std::clamp(cursor + clip.length, 0, kMaxTick);
  ViewFollowsCursor(app);
  RequestEventRedraw(app);
}

// Without a Block, events less than a step after the cursor land on the cursor, behind the events before it.
void CloseGap(AppState& app) {
  StopPlayback(app);
  EditorState& ed = app.editor;
  if (ed.block.active != 0) {
    const Block b = ed.block;
    RemoveBlockEvents(app);
    ForBlockTracks(app, [&](Track& track) {
      ShiftEvents(app.song, track, b.endTick + 1, -(b.endTick - b.startTick), 0, Head::Moves);
    });
    DropBlock(app);
  } else if (Track* track = EditedTrack(app)) {
    const int32_t cursor = app.editCursor;
    RemoveTicks(app.song, *track, cursor, cursor);
    ShiftEvents(app.song, *track, cursor + 1, -CursorStep(app), cursor, Head::Moves);
  }
  SelectionFollowsCursor(app);
  RequestEventRedraw(app);
}

void OpenGap(AppState& app) {
  StopPlayback(app);
  const EditorState& ed = app.editor;
  if (ed.block.active != 0) {
    const Block b = ed.block;
    ForBlockTracks(app, [&](Track& track) {
      ShiftEvents(app.song, track, b.startTick, b.endTick - b.startTick, 0, Head::Moves);
    });
  } else if (Track* track = EditedTrack(app)) {
    ShiftEvents(app.song, *track, app.editCursor, CursorStep(app), 0, Head::Moves);
  }
  RequestEventRedraw(app);
}

void DeleteBar(AppState& app) {
  StopPlayback(app);
  const int32_t cursor = app.editCursor;
  const int32_t bar = BarLength(app.song);
  ForPlayingTracks(app, [&](Track& track) {
    RemoveTicks(app.song, track, cursor, cursor + bar - 1);
    ShiftEvents(app.song, track, cursor + 1, -bar, 0, Head::Moves);
  });
  RequestEventRedraw(app);
}

void InsertBar(AppState& app) {
  StopPlayback(app);
  const int32_t cursor = app.editCursor;
  const int32_t bar = BarLength(app.song);
  ForPlayingTracks(app, [&](Track& track) { ShiftEvents(app.song, track, cursor, bar, 0, Head::Stays); });
  RequestEventRedraw(app);
}

}  // namespace tonforge
