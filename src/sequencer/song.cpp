#include "sequencer/song.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "programs/program_list.h"
#include "sequencer/editing.h"
#include "shell/show_error.h"

namespace tonforge {

namespace {

constexpr int32_t kTempoAtCreation = 120;

void ZeroProgram(Program& p) {
  p = Program{};
  p.level = 0.0f;
  p.volume = 0.0f;
  p.pan = 0;
}

// A track record with its defaults and nine empty plug-in positions; no voice buffers yet.
std::unique_ptr<Track> MakeTrack(Session& session, int32_t number) {
  std::unique_ptr<Track> track;
  try {
    track = std::make_unique<Track>();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  std::snprintf(track->name.data(), track->name.size(), "Track %d", static_cast<int>(number));
  track->seed = RandomNext(session.random, 9999) + 1;
  ZeroProgram(track->playingProgram);
  for (Engine& e : track->chain) InitTrackEngine(e, 0, session.dialogs);  // an empty position allocates nothing
  return track;
}

// The voice buffers of a normal track at the present PositionBufferSize. False when memory runs out.
bool AllocateTrackVoiceBuffers(const Song& song, Track& track) {
  for (int p = 0; p < kChainLength; ++p) {
    const uint32_t size = song.positionBufferSize[p];
    if (size == 0) continue;
    track.voiceBuffers.left[p] = AllocateSamples(size);
    track.voiceBuffers.right[p] = AllocateSamples(size);
    if (!track.voiceBuffers.left[p] || !track.voiceBuffers.right[p]) return false;
  }
  AttachVoiceBuffers(track.playingProgram, track.voiceBuffers);
  return true;
}

}  // namespace

bool InsertEvent(Session& session, Track& track, const EventValues& values) {
  EventValues v = values;
  v.tick = std::clamp(v.tick, 0, kMaxTick);
  const bool noteOn = v.type == static_cast<int32_t>(EventType::NoteOn);
  if (noteOn) {
    for (Event* e = track.events.First(); e != nullptr && e->tick <= v.tick; e = EventList::Next(e)) {
      if (e->tick == v.tick && e->type == v.type) {
        e->valueA = v.valueA;
        e->valueB = v.valueB;
        ValidateEvents(session.song, track);
        return true;
      }
    }
  }
  Event* previous = nullptr;
  for (Event* e = track.events.First(); e != nullptr && e->tick <= v.tick; e = EventList::Next(e)) previous = e;
  // The tempo event heads the GlobalTrack even when the shifting commands have moved it past later ticks.
  if (previous == nullptr && IsGlobalTrack(session.song, track)) previous = track.events.First();
  if (track.events.InsertAfter(previous, v) == nullptr) {
    ShowError(session.dialogs, "Out Of Memory - Cannot Add Event");
    return false;
  }
  SyncEventCount(track);
  if (track.eventCount == 1) track.selectedEvent = 0;
  if (noteOn) ValidateEvents(session.song, track);
  session.changes.Report(Change::Events);
  return true;
}

bool AppendEvent(Session& session, Track& track, const EventValues& values) {
  const bool wasEmpty = track.events.First() == nullptr;
  if (track.events.InsertAfter(track.events.Last(), values) == nullptr) {
    ShowError(session.dialogs, "Out Of Memory - Cannot Add Event");
    return false;
  }
  SyncEventCount(track);
  if (wasEmpty) track.selectedEvent = 0;
  return true;
}

Track* InsertTrack(Session& session) {
  Song& song = session.song;
  const int32_t count = song.tracks.Count();
  if (count >= kMaxTracks) {
    ShowError(session.dialogs, "Maximum Number Of Tracks Reached");
    return nullptr;
  }
  std::unique_ptr<Track> track = MakeTrack(session, count);
  if (!track || (count > 0 && !AllocateTrackVoiceBuffers(song, *track))) {
    ShowError(session.dialogs, "Out Of Memory - Cannot Insert Track");
    return nullptr;
  }
  song.currentTrack = std::clamp(song.currentTrack, 0, std::max(count - 1, 0));
  const int32_t current = song.currentTrack;
  Track* inserted = song.tracks.Insert(count > 0 ? current + 1 : 0, std::move(track));
  if (inserted == nullptr) {
    ShowError(session.dialogs, "Out Of Memory - Cannot Insert Track");
    return nullptr;
  }
  // Tracks after the current one moved down one place; phrases follow their sources.
  if (count > 0 && current < count - 1) {
    for (int32_t i = 0; i < song.tracks.Count(); ++i) {
      for (Event* e = song.tracks.At(i)->events.First(); e != nullptr; e = EventList::Next(e))
        if (e->type == static_cast<int32_t>(EventType::Phrase) && e->valueA > current) e->valueA = e->valueA + 1;
    }
  }
  session.changes.Report(Change::Events);
  return inserted;
}

void DeleteAllTracks(Session& session) {
  StopPlayback(session);
  session.song.tracks.Clear();  // each track takes its events, its chain's buffers and data, and its voice buffers
  session.song.currentTrack = 0;
  session.song.trackListScroll = 0;
}

void NewSong(Session& session) {
  StopPlayback(session);
  // Whatever the caller left behind goes, so that the GlobalTrack is always track 0 and no program
  // outlives its song.
  FreeAllPrograms(session);
  DeleteAllTracks(session);

  Song& song = session.song;
  song.seed = RandomNext(session.random, 9999) + 1;
  song.beatsPerBar = 8;
  song.ticksPerBeat = 48;
  song.tickAccumulator = 0.0f;
  song.tempoSlide = 0.0f;
  song.engineListScroll = 0;
  song.selectedEngineType = 0;
  song.trackListScroll = 0;
  song.currentTrack = 0;
  song.programListScroll = 0;
  song.currentProgram = 0;
  song.songLevel = 1.0f;
  song.volume = 1.0f;
  song.volumeSlide = 0.0f;
  song.positionBufferSize.fill(0);

  std::unique_ptr<Track> global = MakeTrack(session, 0);
  Track* inserted = global ? song.tracks.Insert(0, std::move(global)) : nullptr;
  if (inserted == nullptr) {
    ShowError(session.dialogs, "Out Of Memory - Cannot Insert Track");
    return;
  }
  inserted->name = {};
  std::snprintf(inserted->name.data(), inserted->name.size(), "Song");
  InsertEvent(session, *inserted, {0, static_cast<int32_t>(EventType::Tempo), kTempoAtCreation, 0});

  session.chainEditor.chainMode = ChainMode::Track;
  session.chainEditor.selectedPosition = 0;
  ResetEditorState(session);
  session.changes.ReportAll();
  session.changes.MarkSongSaved();  // a new song holds nothing to lose
  session.songFile.clear();
}

}  // namespace tonforge
