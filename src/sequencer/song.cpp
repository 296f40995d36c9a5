#include "sequencer/song.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "audio/playback.h"
#include "programs/program_list.h"
#include "sequencer/editing.h"
#include "shell/show_error.h"

namespace tonforge {

namespace {

constexpr int32_t kEventListRows = 10;
constexpr int32_t kTempoAtCreation = 120;

bool IsProgramEngineParameter(int32_t type) {
  return type >= static_cast<int32_t>(EventType::ProgramEngineParameter) &&
         type < static_cast<int32_t>(EventType::ProgramEngineParameter) + kChainLength;
}

bool IsTrackEngineParameter(int32_t type) {
  return type >= static_cast<int32_t>(EventType::TrackEngineParameter) &&
         type < static_cast<int32_t>(EventType::TrackEngineParameter) + kChainLength;
}

// An engine-parameter event must name a parameter its engine has, with a value in that parameter's range;
// otherwise it becomes a reset of the engine.
void FitParameterEvent(const Engine* engine, Event& e) {
  if (engine != nullptr && IsKnownType(engine->type) && e.valueA >= 0 && e.valueA < kParameterCount) {
    const ParameterSpec& param = BuildEngineCatalog()[engine->type].parameters[e.valueA];
    if (param.present != 0) {
      e.valueB = std::clamp(e.valueB, param.minimum, param.maximum);
      return;
    }
  }
  e.valueA = kResetParameter;
  e.valueB = 0;
}

void ZeroProgram(Program& p) {
  p = Program{};
  p.level = 0.0f;
  p.volume = 0.0f;
  p.pan = 0;
}

// A track record with its defaults and nine empty plug-in positions; no voice buffers yet.
std::unique_ptr<Track> MakeTrack(AppState& app, int32_t number) {
  std::unique_ptr<Track> track;
  try {
    track = std::make_unique<Track>();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  std::snprintf(track->name.data(), track->name.size(), "Track %d", static_cast<int>(number));
  track->seed = RandomNext(app.random, 9999) + 1;
  ZeroProgram(track->playingProgram);
  for (Engine& e : track->chain) InitTrackEngine(e, 0, app.dialogs);  // an empty position allocates nothing
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

Track* TrackAt(const Song& song, int32_t index) { return song.tracks.At(index); }

Event* EventAt(const Track& track, int32_t index) {
  if (index < 0) return nullptr;
  Event* e = track.events.First();
  for (int32_t i = 0; e != nullptr && i < index; ++i) e = EventList::Next(e);
  return e;
}

bool IsGlobalTrack(const Song& song, const Track& track) { return song.tracks.At(0) == &track; }

void SyncEventCount(Track& track) { track.eventCount = track.events.Count(); }

void KeepSelectionInList(Track& track) {
  track.selectedEvent = std::clamp(track.selectedEvent, 0, std::max(track.eventCount - 1, 0));
  track.eventListScroll = std::clamp(track.eventListScroll, std::max(track.selectedEvent - (kEventListRows - 1), 0),
                                     track.selectedEvent);
}

bool InsertEvent(AppState& app, Track& track, const EventValues& values) {
  EventValues v = values;
  v.tick = std::clamp(v.tick, 0, kMaxTick);
  const bool noteOn = v.type == static_cast<int32_t>(EventType::NoteOn);
  if (noteOn) {
    for (Event* e = track.events.First(); e != nullptr && e->tick <= v.tick; e = EventList::Next(e)) {
      if (e->tick == v.tick && e->type == v.type) {
        e->valueA = v.valueA;
        e->valueB = v.valueB;
        ValidateEvents(app.song, track);
        return true;
      }
    }
  }
  Event* previous = nullptr;
  for (Event* e = track.events.First(); e != nullptr && e->tick <= v.tick; e = EventList::Next(e)) previous = e;
  // The tempo event heads the GlobalTrack even when the shifting commands have moved it past later ticks.
  if (previous == nullptr && IsGlobalTrack(app.song, track)) previous = track.events.First();
  if (track.events.InsertAfter(previous, v) == nullptr) {
    ShowError(app.dialogs, "Out Of Memory - Cannot Add Event");
    return false;
  }
  SyncEventCount(track);
  if (track.eventCount == 1) track.selectedEvent = 0;
  if (noteOn) ValidateEvents(app.song, track);
  // Panels to redraw: the event list and the song view.
  return true;
}

bool AppendEvent(AppState& app, Track& track, const EventValues& values) {
  const bool wasEmpty = track.events.First() == nullptr;
  if (track.events.InsertAfter(track.events.Last(), values) == nullptr) {
    ShowError(app.dialogs, "Out Of Memory - Cannot Add Event");
    return false;
  }
  SyncEventCount(track);
  if (wasEmpty) track.selectedEvent = 0;
  return true;
}

void DeleteEventAt(Song& song, Track& track, int32_t index) {
  if (index == 0 && IsGlobalTrack(song, track)) return;
  Event* e = EventAt(track, index);
  if (e == nullptr) return;
  track.events.Erase(e);
  SyncEventCount(track);
}

void DeleteAllEvents(Track& track) {
  track.playCursor = nullptr;
  track.phraseCursor = nullptr;
  track.events.Clear();
  SyncEventCount(track);
}

// Walks the events in order with the program the latest NoteOn selected: a NoteOn's program must exist
// (else program 0), and an engine-parameter event must name a parameter of the engine it addresses (the
// current program's for program events, the track's own chain for track events), with its value in range.
void ValidateEvents(const Song& song, Track& track) {
  const int32_t programCount = static_cast<int32_t>(song.programs.size());
  const Program* current = nullptr;
  for (Event* e = track.events.First(); e != nullptr; e = EventList::Next(e)) {
    if (e->type == static_cast<int32_t>(EventType::NoteOn)) {
      if (e->valueB > programCount - 1 || e->valueB < 0) e->valueB = 0;
      current = programCount > 0 ? song.programs[e->valueB].get() : nullptr;
    } else if (IsProgramEngineParameter(e->type) && e->valueA != kResetParameter) {
      const int position = e->type - static_cast<int32_t>(EventType::ProgramEngineParameter);
      FitParameterEvent(current != nullptr ? &current->engines[position] : nullptr, *e);
    } else if (IsTrackEngineParameter(e->type) && e->valueA != kResetParameter) {
      const int position = e->type - static_cast<int32_t>(EventType::TrackEngineParameter);
      FitParameterEvent(&track.chain[position], *e);
    }
  }
}

void ValidateAllTracks(Song& song) {
  for (int32_t i = 0; i < song.tracks.Count(); ++i) ValidateEvents(song, *song.tracks.At(i));
}

Track* InsertTrack(AppState& app) {
  Song& song = app.song;
  const int32_t count = song.tracks.Count();
  if (count >= kMaxTracks) {
    ShowError(app.dialogs, "Maximum Number Of Tracks Reached");
    return nullptr;
  }
  std::unique_ptr<Track> track = MakeTrack(app, count);
  if (!track || (count > 0 && !AllocateTrackVoiceBuffers(song, *track))) {
    ShowError(app.dialogs, "Out Of Memory - Cannot Insert Track");
    return nullptr;
  }
  song.currentTrack = std::clamp(song.currentTrack, 0, std::max(count - 1, 0));
  const int32_t current = song.currentTrack;
  Track* inserted = song.tracks.Insert(count > 0 ? current + 1 : 0, std::move(track));
  if (inserted == nullptr) {
    ShowError(app.dialogs, "Out Of Memory - Cannot Insert Track");
    return nullptr;
  }
  // Tracks after the current one moved down one place; phrases follow their sources.
  if (count > 0 && current < count - 1) {
    for (int32_t i = 0; i < song.tracks.Count(); ++i) {
      for (Event* e = song.tracks.At(i)->events.First(); e != nullptr; e = EventList::Next(e))
        if (e->type == static_cast<int32_t>(EventType::Phrase) && e->valueA > current) ++e->valueA;
    }
  }
  // Panels to redraw: the track list and the event list.
  return inserted;
}

void DeleteAllTracks(AppState& app) {
  StopPlayback(app);
  app.song.tracks.Clear();  // each track takes its events, its chain's buffers and data, and its voice buffers
  app.song.currentTrack = 0;
  app.song.trackListScroll = 0;
}

void NewSong(AppState& app) {
  StopPlayback(app);
  // Whatever the caller left behind goes, so that the GlobalTrack is always track 0 and no program
  // outlives its song.
  FreeAllPrograms(app);
  DeleteAllTracks(app);

  Song& song = app.song;
  song.seed = RandomNext(app.random, 9999) + 1;
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

  std::unique_ptr<Track> global = MakeTrack(app, 0);
  Track* inserted = global ? song.tracks.Insert(0, std::move(global)) : nullptr;
  if (inserted == nullptr) {
    ShowError(app.dialogs, "Out Of Memory - Cannot Insert Track");
    return;
  }
  inserted->name = {};
  std::snprintf(inserted->name.data(), inserted->name.size(), "Song");
  InsertEvent(app, *inserted, {0, static_cast<int32_t>(EventType::Tempo), kTempoAtCreation, 0});

  app.chainEditor.chainMode = 0;
  app.chainEditor.selectedPosition = 0;
  ResetEditorState(app);
  app.redraw.RequestAll();
}

}  // namespace tonforge
