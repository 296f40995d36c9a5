#include "sequencer/track_commands.h"

#include <algorithm>

#include "programs/chain_editing.h"
#include "programs/program_list.h"
#include "sequencer/editing.h"
#include "sequencer/song.h"
#include "sequencer/song_file.h"
#include "sequencer/text_entry.h"
#include "shell/show_error.h"

namespace tonforge {

namespace {

enum MuteState : uint32_t { kPlays = 0, kMuted = 1, kSwitchedOff = 2 };

constexpr int32_t kMaxSeed = 10000;

bool IsPhrase(const Event& e) { return e.type == static_cast<int32_t>(EventType::Phrase); }

// Calls f on every Phrase event of every track.
template <typename F>
void ForEachPhrase(const Song& song, F f) {
  for (int32_t i = 0; i < song.tracks.Count(); ++i)
    for (Event* e = song.tracks.At(i)->events.First(); e != nullptr; e = EventList::Next(e))
      if (IsPhrase(*e)) f(*e);
}

bool IsNormalTrackIndex(const Song& song, int32_t index) { return index >= 1 && index < song.tracks.Count(); }

// Whether a Phrase event on a track other than `source` replays it.
bool PhraseUses(const Song& song, int32_t source) {
  for (int32_t i = 0; i < song.tracks.Count(); ++i) {
    if (i == source) continue;
    for (Event* e = song.tracks.At(i)->events.First(); e != nullptr; e = EventList::Next(e))
      if (IsPhrase(*e) && e->valueA == source) return true;
  }
  return false;
}

// The track list changed and with it, perhaps, the current track.
void ReportTrackListChange(Session& session) { session.changes.Report(Change::TrackList, Change::CurrentTrack); }

// After a change of the current track or of the list: the scroll keeps it visible and the panels follow.
void SettleCurrentTrack(Session& session) {
  FollowCurrentTrack(session.song);
  ReportTrackListChange(session);
}

// Tracks a and b = a + 1 trade places; Phrase events follow the tracks they replay.
void SwapNeighbours(Session& session, int32_t a, int32_t b) {
  Song& song = session.song;
  song.tracks.Swap(a, b);
  ForEachPhrase(song, [a, b](Event& e) {
    if (e.valueA == a) e.valueA = b;
    else if (e.valueA == b) e.valueA = a;
  });
}

Track* CurrentTrack(Session& session) { return TrackAt(session.song, session.song.currentTrack); }

void DeleteTrack(Session& session, int32_t c) {
  Song& song = session.song;
  std::unique_ptr<Track> removed = song.tracks.Remove(c);
  removed.reset();  // its events, chain data and voice buffers go with it
  ForEachPhrase(song, [c](Event& e) {
    if (e.valueA == c) e.valueA = 1;
    else if (e.valueA > c) e.valueA = e.valueA - 1;
  });
  const int32_t count = song.tracks.Count();
  if (song.currentTrack >= count) song.currentTrack = count - 1;
}

void DeleteSong(Session& session) {
  FreeAllPrograms(session);
  ClearEngineClipboard(session);
  DeleteAllTracks(session);
  EmptyEventClipboard(session);
  NewSong(session);
  session.changes.ReportAll();
}

}  // namespace

Track* InsertTrackCommand(Session& session) {
  Track* track = InsertTrack(session);
  if (track != nullptr) SettleCurrentTrack(session);
  return track;
}

DeleteResult DeleteTrackOrSong(Session& session) {
  StopPlayback(session);
  Song& song = session.song;
  const int32_t c = song.currentTrack;
  if (!IsNormalTrackIndex(song, c)) {
    // A modified song asks whether to save it instead; an unmodified one only confirms.
    const bool goOn = session.changes.SongModified() ? OfferToSaveChanges(session)
                                                     : ConfirmCommand(session.dialogs, "Delete Song");
    if (!goOn) return DeleteResult::Refused;
    DeleteSong(session);
    return DeleteResult::SongDeleted;
  }
  if (!ConfirmCommand(session.dialogs, "Delete Track")) return DeleteResult::Refused;
  if (PhraseUses(song, c) &&
      !ConfirmCommand(session.dialogs, "Warning", "Some Phrase Events Use Seleted Track - Still Delete?")) {
    ReportTrackListChange(session);
    return DeleteResult::Refused;
  }
  DeleteTrack(session, c);
  // Another track is current now (the GlobalTrack when the last normal track went): the editor's insert
  // group, engine type list and event selection follow it as on any change of track.
  SelectTrack(session, song.currentTrack);
  SettleCurrentTrack(session);
  return DeleteResult::TrackDeleted;
}

bool MoveTrackUp(Session& session) {
  Song& song = session.song;
  const int32_t c = song.currentTrack;
  if (c < 2 || c >= song.tracks.Count()) return false;
  SwapNeighbours(session, c - 1, c);
  song.currentTrack = c - 1;
  SettleCurrentTrack(session);
  return true;
}

bool MoveTrackDown(Session& session) {
  Song& song = session.song;
  const int32_t c = song.currentTrack;
  if (!IsNormalTrackIndex(song, c) || c == song.tracks.Count() - 1) return false;
  SwapNeighbours(session, c, c + 1);
  song.currentTrack = c + 1;
  SettleCurrentTrack(session);
  return true;
}

void PressMuteButton(Session& session, int32_t row) {
  Song& song = session.song;
  if (row < 0 || row >= kTrackListRowCount) return;
  const int32_t index = song.trackListScroll + row;
  Track* track = TrackAt(song, index);
  if (track == nullptr) return;
  if (index == 0) {
    for (int32_t i = 1; i < song.tracks.Count(); ++i) {
      Track& t = *song.tracks.At(i);
      if (t.muteState != kSwitchedOff) t.muteState = kPlays;
    }
  } else {
    track->muteState = track->muteState == kPlays ? kMuted : kPlays;
  }
  session.changes.Report(Change::TrackList);
}

void SwitchOffTrack(Session& session) {
  if (!IsNormalTrackIndex(session.song, session.song.currentTrack)) return;
  Track& track = *CurrentTrack(session);
  track.muteState = track.muteState == kSwitchedOff ? kPlays : kSwitchedOff;
  session.changes.Report(Change::TrackList);
}

void SoloTrack(Session& session) {
  Song& song = session.song;
  for (int32_t i = 1; i < song.tracks.Count(); ++i) {
    Track& t = *song.tracks.At(i);
    if (i == song.currentTrack) t.muteState = kPlays;
    else if (t.muteState != kSwitchedOff) t.muteState = kMuted;
  }
  session.changes.Report(Change::TrackList);
}

void RenameTrack(Session& session) {
  if (CurrentTrack(session) == nullptr) return;
  StartTextEntry(session, TextField::TrackName, session.song.currentTrack, kTrackNameMaximum);
}

void SetTrackSeed(Session& session, int32_t seed) {
  if (Track* t = CurrentTrack(session)) t->seed = static_cast<uint32_t>(std::clamp(seed, 0, kMaxSeed));
  session.changes.Report(Change::TrackList);
}

void SetTrackPan(Session& session, int32_t pan) {
  if (Track* t = CurrentTrack(session)) t->pan = std::clamp(pan, -100, 100) + 100;
  session.changes.Report(Change::TrackList);
}

void SetTrackLevel(Session& session, int32_t percent) {
  if (Track* t = CurrentTrack(session)) t->level = static_cast<float>(std::clamp(percent, 0, 100)) * 0.01f;
  session.changes.Report(Change::TrackList);
}

void SetBeatsPerBar(Session& session, int32_t beats) {
  session.song.beatsPerBar = std::clamp(beats, kMinBeatsPerBar, kMaxBeatsPerBar);
  session.changes.Report(Change::Song);
}

void SetTicksPerBeat(Session& session, int32_t ticks) {
  Song& song = session.song;
  song.ticksPerBeat = std::clamp(ticks, kMinTicksPerBeat, kMaxTicksPerBeat);
  UpdateSnapStep(session);
  // A playing song's clock takes the new figure at its next tick; it alone writes the rate meanwhile.
  if (IsPlaybackIdle(session)) {
    session.rate.samplesPerTick = session.rate.samplesPerBeat / static_cast<float>(song.ticksPerBeat);
    session.clockTicksPerBeat = song.ticksPerBeat;
  }
  session.changes.Report(Change::Song);
}

void SetSongLevel(Session& session, int32_t percent) {
  session.song.songLevel = static_cast<float>(std::clamp(percent, 0, 100)) * 0.01f;
  session.changes.Report(Change::Song);
}

}  // namespace tonforge
