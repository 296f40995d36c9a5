// Bringing the song back to a picture: values in place while a song plays, anything else after it stops.
#include <utility>

#include "history/picture_images.h"
#include "history/song_picture.h"
#include "programs/engine_image.h"
#include "programs/program_list.h"
#include "sequencer/editing.h"
#include "sequencer/song_file.h"
#include "sequencer/song_image.h"
#include "shell/show_error.h"

namespace tonforge {

namespace {

constexpr std::size_t kWord = kImageWord;

std::unique_ptr<Track> ReadTrack(const TrackPicture& picture) {
  auto track = std::make_unique<Track>();
  ByteReader r(picture.image);
  ReadTrackImage(r, *track);
  return track;
}

SongImage ReadSong(const SongPicture& picture) {
  SongImage image;
  ByteReader r(picture.image);
  ReadSongImage(r, image);
  return image;
}

void CopySharedValues(Engine& to, const Engine& from) {
  for (int g = 0; g < kOptionCount; ++g) to.options[g].Store(from.options[g].Load());
  for (int k = 0; k < kParameterCount; ++k) {
    to.F[k].Store(from.F[k].Load());
    to.C[k].Store(from.C[k].Load());
  }
}

void SetTicksPerBeatFigure(Session& session, int32_t ticksPerBeat) {
  if (session.song.ticksPerBeat == ticksPerBeat) return;
  session.song.ticksPerBeat = ticksPerBeat;
  UpdateSnapStep(session);
  // A playing song's clock takes the new figure at its next tick; it alone writes the rate meanwhile.
  if (IsPlaybackIdle(session)) {
    session.rate.samplesPerTick = session.rate.samplesPerBeat / static_cast<float>(ticksPerBeat);
    session.clockTicksPerBeat = ticksPerBeat;
  }
}

// What the main thread alone reads: which track, program and event the editors show.
void RestoreSelections(Session& session, const SongPicture& to) {
  const SongImage image = ReadSong(to);
  Song& song = session.song;
  song.engineListScroll = image.engineListScroll;
  song.selectedEngineType = image.selectedEngineType;
  song.trackListScroll = image.trackListScroll;
  song.currentTrack = image.currentTrack;
  song.programListScroll = image.programListScroll;
  song.currentProgram = image.currentProgram;
  for (std::size_t i = 0; i < to.tracks.size(); ++i) {
    const uint8_t* stored = to.tracks[i]->image.data();
    Track& t = *song.tracks.At(static_cast<int32_t>(i));
    t.eventListScroll = static_cast<int32_t>(GetU32(stored + kTrackEventListScrollOffset));
    t.selectedEvent = static_cast<int32_t>(GetU32(stored + kTrackEventListScrollOffset + kWord));
  }
}

// While a song plays: the shared values go in as the edits put them, nothing else is touched.
void RestoreValues(Session& session, const SongPicture& from, const SongPicture& to) {
  Song& song = session.song;
  const SongImage image = ReadSong(to);
  song.songLevel = image.songLevel;
  SetTicksPerBeatFigure(session, image.ticksPerBeat);
  for (std::size_t i = 0; i < to.programs.size(); ++i) {
    if (from.programs[i] == to.programs[i]) continue;
    Program& live = *song.programs[i];
    const Program& stored = to.programs[i]->program;
    live.level = stored.level.Load();
    live.pan = stored.pan.Load();
    for (int p = 0; p < kChainLength; ++p) CopySharedValues(live.engines[p], stored.engines[p]);
  }
  for (std::size_t i = 0; i < to.tracks.size(); ++i) {
    if (from.tracks[i] == to.tracks[i]) continue;
    Track& live = *song.tracks.At(static_cast<int32_t>(i));
    const auto stored = ReadTrack(*to.tracks[i]);
    live.level = stored->level.Load();
    live.pan = stored->pan.Load();
    for (int p = 0; p < kChainLength; ++p) CopySharedValues(live.chain[p], stored->chain[p]);
    const std::vector<EventValues>& events = to.tracks[i]->events;
    std::size_t n = 0;
    for (Event* e = live.events.First(); e != nullptr && n < events.size(); e = EventList::Next(e), ++n) {
      e->type = events[n].type;
      e->valueA = events[n].valueA;
      e->valueB = events[n].valueB;
    }
  }
  RestoreSelections(session, to);
}

// Everything stored, keeping the references the record holds (sample data, delay buffers).
void AssignStored(Engine& to, const Engine& from) {
  const ChainData keep = [&] {
    ChainData d;
    for (int k = 0; k < kDataSlotCount; ++k) d[0][k] = to.slots[k].data;
    return d;
  }();
  SampleBlock left = std::move(to.left), right = std::move(to.right);
  to = from;
  for (int k = 0; k < kDataSlotCount; ++k) to.slots[k].data = keep[0][k];
  to.left = std::move(left);
  to.right = std::move(right);
}

void AssignStored(Program& to, const Program& from) {
  to.name = from.name;
  to.level = from.level.Load();
  to.volume = from.volume;
  to.volumeSlide = from.volumeSlide;
  to.transpose = from.transpose;
  to.pitchOffset = from.pitchOffset;
  to.pitchSlide = from.pitchSlide;
  to.pan = from.pan.Load();
  to.panSlide = from.panSlide;
  to.engineCount = from.engineCount;
  for (int p = 0; p < kChainLength; ++p) AssignStored(to.engines[p], from.engines[p]);
}

// A chain engine as stored, with the picture's sample data; its delay buffers stay when the engine keeps its
// type and length, and are allocated afresh otherwise.
bool RestoreChainEngine(Session& session, Engine& live, const Engine& stored, const std::array<SampleBlock, kDataSlotCount>& data) {
  const bool keepBuffers = live.type == stored.type && live.bufferLength == stored.bufferLength &&
                           (stored.bufferLength == 0 || (live.left && live.right));
  if (keepBuffers) {
    AssignStored(live, stored);
  } else {
    live = stored;
    if (stored.bufferLength != 0) {
      live.left = AllocateSamples(stored.bufferLength);
      live.right = AllocateSamples(stored.bufferLength);
      if (!live.left || !live.right) {
        ShowError(session.dialogs, "Out Of Memory - Cannot Initialise Track Engine");
        InitProgramEngine(live, 0);
        return false;
      }
    }
  }
  for (int k = 0; k < kDataSlotCount; ++k) live.slots[k].data = data[k];
  return true;
}

bool RestoreTrack(Session& session, Track& live, const TrackPicture& picture) {
  const auto stored = ReadTrack(picture);
  bool whole = true;
  if (!SameEvents(EventsOf(live), picture.events, false)) {
    live.events.Clear();
    for (const EventValues& v : picture.events) {
      if (live.events.InsertAfter(live.events.Last(), v) == nullptr) {
        ShowError(session.dialogs, "Out Of Memory - Cannot Add Event");
        whole = false;
        break;
      }
    }
  }
  live.name = stored->name;
  live.seed = stored->seed;
  live.runningRandom = stored->runningRandom;
  live.muteState = stored->muteState;
  live.level = stored->level.Load();
  live.volume = stored->volume;
  live.volumeSlide = stored->volumeSlide;
  live.pitchOffset = stored->pitchOffset;
  live.pitchSlide = stored->pitchSlide;
  live.pan = stored->pan.Load();
  live.panSlide = stored->panSlide;
  live.eventListScroll = stored->eventListScroll;
  live.selectedEvent = stored->selectedEvent;
  live.eventCount = live.events.Count();
  live.chainLength = stored->chainLength;
  live.phraseStartTick = stored->phraseStartTick;
  AssignStored(live.playingProgram, stored->playingProgram);
  live.gate = stored->gate;
  live.notePitch = stored->notePitch;
  for (int p = 0; p < kChainLength; ++p)
    whole = RestoreChainEngine(session, live.chain[p], stored->chain[p], picture.data[p]) && whole;
  live.playCursor = nullptr;
  live.phraseCursor = nullptr;
  return whole;
}

bool RestorePrograms(Session& session, const SongPicture& to) {
  auto& programs = session.song.programs;
  if (programs.size() > to.programs.size()) programs.resize(to.programs.size());
  for (std::size_t i = 0; i < to.programs.size(); ++i) {
    const ProgramPicture& stored = *to.programs[i];
    if (i == programs.size()) {
      programs.push_back(std::make_unique<Program>(stored.program));
      continue;
    }
    Program& live = *programs[i];
    if (ProgramImage(live) != stored.image || !SameData(live.engines, stored.program.engines)) live = stored.program;
  }
  if (FitAllPositionBuffers(session)) return true;
  ShowError(session.dialogs, "Out Of Memory - Cannot Initialise Program Engine");
  return false;
}

bool RestoreTracks(Session& session, const SongPicture& to) {
  TrackList& tracks = session.song.tracks;
  while (tracks.Count() > static_cast<int32_t>(to.tracks.size())) tracks.Remove(tracks.Count() - 1);
  bool whole = true;
  for (std::size_t i = 0; i < to.tracks.size(); ++i) {
    const auto at = static_cast<int32_t>(i);
    Track* live = tracks.At(at);
    if (live == nullptr) live = tracks.Insert(at, std::make_unique<Track>());
    if (live == nullptr) return false;  // the list cannot be longer than the song it came from
    const TrackPicture& stored = *to.tracks[i];
    if (TrackImage(*live) == stored.image && DataOf(live->chain) == stored.data &&
        SameEvents(EventsOf(*live), stored.events, false))
      continue;
    whole = RestoreTrack(session, *live, stored) && whole;
  }
  return whole;
}

void RestoreSongRecord(Session& session, const SongPicture& to) {
  const SongImage i = ReadSong(to);
  Song& song = session.song;
  song.seed = i.seed;
  song.runningRandom = i.runningRandom;
  song.tempo = i.tempo;
  song.beatsPerBar = i.beatsPerBar;
  song.tickAccumulator = i.tickAccumulator;
  song.tempoSlide = i.tempoSlide;
  song.songLevel = i.songLevel;
  song.volume = i.volume;
  song.volumeSlide = i.volumeSlide;
  SetTicksPerBeatFigure(session, i.ticksPerBeat);
  // The beat figures as they were (a new song leaves the last song's); worked out afresh at another rate.
  if (i.sampleRate == session.rate.sampleRate) {
    session.rate.samplesPerBeat = i.samplesPerBeat;
    session.rate.samplesPerTick = i.samplesPerTick;
  } else {
    UpdateBeatFigures(session.rate, song.tempo, song.ticksPerBeat);
  }
  session.clockTicksPerBeat = song.ticksPerBeat;
  RestoreSelections(session, to);
}


}  // namespace

bool RestorePicture(Session& session, const SongPicture& from, const SongPicture& to) {
  if (!IsPlaybackIdle(session) && DiffersInValuesOnly(from, to)) {
    RestoreValues(session, from, to);
  } else {
    StopPlayback(session);
    const bool programs = RestorePrograms(session, to);
    const bool tracks = RestoreTracks(session, to);
    RestoreSongRecord(session, to);
    session.songFile = to.songFile;
    if (!programs || !tracks) {
      session.changes.ReportAll();
      return false;
    }
  }
  session.changes.ReportAll();
  return true;
}

std::vector<uint8_t> EncodePicture(const SongPicture& picture, Dialogs& dialogs) {
  Session scratch(dialogs);
  const SongImage song = ReadSong(picture);
  // At the picture's rate, so that its beat figures are taken as they stand rather than worked out again.
  if (IsOutputRate(song.sampleRate)) SetOutputRate(scratch.rate, song.sampleRate, song.tempo, song.ticksPerBeat);
  const SongPicture empty = TakePicture(scratch, nullptr);
  try {
    if (!RestorePicture(scratch, empty, picture)) return {};
    return EncodeSong(scratch);
  } catch (const std::bad_alloc&) {
    ShowError(dialogs, "Out Of Memory");
    return {};
  }
}

}  // namespace tonforge
