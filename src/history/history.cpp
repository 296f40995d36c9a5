#include "history/history.h"

#include <unordered_set>
#include <utility>

#include "sequencer/text_entry.h"

namespace tonforge {

namespace {

// A song loaded (or made new) is as its file holds it, and so are the earlier steps that were; a save writes
// the file, and then only this step is what it holds.
void NoteSave(History& h, bool loaded) {
  HistoryStep& current = h.steps[h.at];
  if (current.saved) return;
  for (HistoryStep& s : h.steps)
    if (!loaded && s.picture.songFile == current.picture.songFile) s.saved = false;
  current.saved = true;
}

// A new step when the song changed and an edit was reported; otherwise the current step takes the picture
// (selections, and what playing a song changes: its parameter events leave their values in the chains). True
// for a new step.
bool CloseStep(History& h, Session& session) {
  const bool edited = session.changes.SongReportCount() != h.seenSongReports;
  h.seenReports = session.changes.ReportCount();
  h.seenSongReports = session.changes.SongReportCount();
  SongPicture picture = TakePicture(session, &h.steps[h.at].picture);
  if (!edited || SameSong(picture, h.steps[h.at].picture)) {
    h.steps[h.at].picture = std::move(picture);  // the selections and the playing state as they are now
    return false;
  }
  h.steps.erase(h.steps.begin() + static_cast<std::ptrdiff_t>(h.at) + 1, h.steps.end());
  h.steps.push_back(HistoryStep{std::move(picture), false});
  while (h.steps.size() > h.depth + 1) h.steps.pop_front();
  h.at = h.steps.size() - 1;
  return true;
}

// Edits made since the last step (during a gesture, or in this very pass) become a step of their own before
// the history moves.
void CloseOpenStep(History& h, Session& session) {
  if (h.steps.empty()) StartHistory(h, session);
  if (session.changes.ReportCount() != h.seenReports) CloseStep(h, session);
}

bool MoveTo(History& h, Session& session, std::size_t target) {
  RestorePicture(session, h.steps[h.at].picture, h.steps[target].picture);
  h.at = target;
  h.seenReports = session.changes.ReportCount();  // the restore's own reports are no edit
  h.seenSongReports = session.changes.SongReportCount();
  if (h.steps[target].saved) session.changes.MarkSongSaved();
  else session.changes.MarkSongModified();
  return true;
}

}  // namespace

void StartHistory(History& h, Session& session) {
  h.steps.clear();
  h.steps.push_back(HistoryStep{TakePicture(session, nullptr), !session.changes.SongModified()});
  h.at = 0;
  h.seenReports = session.changes.ReportCount();
  h.seenSongReports = session.changes.SongReportCount();
}

void FollowEdits(History& h, Session& session, bool gestureOpen) {
  if (h.steps.empty()) StartHistory(h, session);
  if (gestureOpen || IsTextEntryActive(session)) return;
  // While a song plays, the passes that edited nothing (the playhead, a selection) wait until it stops.
  if (session.changes.SongReportCount() == h.seenSongReports && !IsPlaybackIdle(session)) return;
  const bool stepped = session.changes.ReportCount() != h.seenReports && CloseStep(h, session);
  if (!session.changes.SongModified()) NoteSave(h, stepped);
}

bool CanUndo(const History& h) { return h.at > 0; }

bool CanRedo(const History& h) { return h.at + 1 < h.steps.size(); }

bool Undo(History& h, Session& session) {
  CloseOpenStep(h, session);
  return CanUndo(h) && MoveTo(h, session, h.at - 1);
}

bool Redo(History& h, Session& session) {
  CloseOpenStep(h, session);
  return CanRedo(h) && MoveTo(h, session, h.at + 1);
}

std::size_t HistoryBytes(const History& h, const Session& session) {
  std::unordered_set<const void*> counted;  // the song's own sample blocks are not the history's
  const auto countChain = [&counted](const Chain& chain) {
    for (const Engine& e : chain)
      for (const DataSlot& s : e.slots)
        if (s.data) counted.insert(s.data.get());
  };
  for (const auto& p : session.song.programs) countChain(p->engines);
  for (int32_t i = 0; i < session.song.tracks.Count(); ++i) countChain(session.song.tracks.At(i)->chain);
  std::size_t bytes = 0;
  for (const HistoryStep& s : h.steps) bytes += sizeof(HistoryStep) + PictureBytes(s.picture, counted);
  return bytes;
}

}  // namespace tonforge
