#include "sequencer/song_image.h"

namespace tonforge {

namespace {

constexpr std::size_t kWord = 4;
constexpr std::size_t kTrackNameSize = 32;
constexpr std::size_t kProgramImageSize = kProgramRecordSize + kWord;  // the record and its list link

static_assert(sizeof(Track{}.name) == kTrackNameSize);
static_assert(22 * kWord + kChainLength * kWord + 2 * kWord == kSongImageSize);
static_assert(kTrackNameSize + 15 * kWord == kTrackPlayingProgramOffset);
static_assert(kTrackPlayingProgramOffset + kProgramImageSize + 2 * kWord == kTrackChainOffset);
static_assert(kTrackChainOffset + kChainLength * kEngineImageSize == kTrackImageSize);
static_assert(kTrackEventCountOffset == kTrackNameSize + 12 * kWord);

}  // namespace

SongImage MakeSongImage(const Song& song, const OutputRate& rate) {
  SongImage i;
  i.seed = song.seed;
  i.runningRandom = song.runningRandom;
  i.tempo = song.tempo;
  i.beatsPerBar = song.beatsPerBar;
  i.ticksPerBeat = song.ticksPerBeat;
  i.tickAccumulator = song.tickAccumulator;
  i.samplesPerBeat = rate.samplesPerBeat;
  i.samplesPerTick = rate.samplesPerTick;
  i.tempoSlide = song.tempoSlide;
  i.engineListScroll = song.engineListScroll;
  i.selectedEngineType = song.selectedEngineType;
  // The lists' positions are stored at the start, where a loaded song puts them.
  i.trackListScroll = 0;
  i.currentTrack = 0;
  i.trackCount = song.tracks.Count();
  i.programListScroll = 0;
  i.currentProgram = 0;
  i.programCount = static_cast<int32_t>(song.programs.size());
  i.sampleRate = rate.sampleRate;
  i.sampleRateF = rate.rateHz;
  i.songLevel = song.songLevel;
  i.volume = song.volume;
  i.volumeSlide = song.volumeSlide;
  i.positionBufferSize = song.positionBufferSize;
  return i;
}

namespace {

void Image(ByteWriter& w, const Program& p) { WriteProgramRecord(w, p); }
void Image(ByteReader& r, Program& p) { ReadProgramRecord(r, p); }
void Image(ByteWriter& w, const Engine& e) { WriteEngine(w, e); }
void Image(ByteReader& r, Engine& e) { ReadEngine(r, e); }

// The field lists, each walked by ByteWriter (with a const record) and ByteReader alike.

template <typename Io, typename Image>
void SongFields(Io& io, Image& i) {
  io.Field(i.seed);
  io.Field(i.runningRandom);
  io.Field(i.tempo);
  io.Field(i.beatsPerBar);
  io.Field(i.ticksPerBeat);
  io.Field(i.tickAccumulator);
  io.Field(i.samplesPerBeat);
  io.Field(i.samplesPerTick);
  io.Field(i.tempoSlide);
  io.Field(i.engineListScroll);
  io.Field(i.selectedEngineType);
  io.Field(i.trackListScroll);
  io.Field(i.currentTrack);
  io.Field(i.trackCount);
  io.Field(i.programListScroll);
  io.Field(i.currentProgram);
  io.Field(i.programCount);
  io.Field(i.sampleRate);
  io.Field(i.sampleRateF);
  io.Field(i.songLevel);
  io.Field(i.volume);
  io.Field(i.volumeSlide);
  for (auto& size : i.positionBufferSize) io.Field(size);
  io.Reference();  // first track
  io.Reference();  // first program
}

// The event count is stored from the list when writing and read into Track::eventCount, whose list is built
// afterwards.
template <typename Io, typename T, typename Count>
void TrackFields(Io& io, T& t, Count& eventCount) {
  io.Field(t.name);
  io.Field(t.seed);
  io.Field(t.runningRandom);
  io.Field(t.muteState);
  io.Field(t.level);
  io.Field(t.volume);
  io.Field(t.volumeSlide);
  io.Field(t.pitchOffset);
  io.Field(t.pitchSlide);
  io.Field(t.pan);
  io.Field(t.panSlide);
  io.Field(t.eventListScroll);
  io.Field(t.selectedEvent);
  io.Field(eventCount);
  io.Field(t.chainLength);
  io.Field(t.phraseStartTick);
  Image(io, t.playingProgram);
  io.Reference();  // the playing program's list link
  io.Field(t.gate);
  io.Field(t.notePitch);
  for (auto& e : t.chain) Image(io, e);
}

template <typename Io, typename E>
void EventFields(Io& io, E& e) {
  io.Field(e.tick);
  io.Field(e.type);
  io.Field(e.valueA);
  io.Field(e.valueB);
}

}  // namespace

void WriteSongImage(ByteWriter& w, const SongImage& i) { SongFields(w, i); }

void ReadSongImage(ByteReader& r, SongImage& i) { SongFields(r, i); }

namespace {

// A track's stored fields as a loaded song rebuilds them: the chain's engines at rest (the live output keeps
// them running while the song is edited) and the event list at its start when it has events. So two saves of
// one song hold the same bytes, however long the program ran between them.
struct StoredTrack {
  explicit StoredTrack(const Track& t)
      : name(t.name), seed(t.seed), runningRandom(t.runningRandom), muteState(t.muteState), level(t.level),
        volume(t.volume), volumeSlide(t.volumeSlide), pitchOffset(t.pitchOffset), pitchSlide(t.pitchSlide),
        pan(t.pan), panSlide(t.panSlide), chainLength(t.chainLength), phraseStartTick(t.phraseStartTick),
        playingProgram(t.playingProgram), gate(t.gate), notePitch(t.notePitch), chain(t.chain) {
    const bool hasEvents = t.events.Count() > 0;
    eventListScroll = hasEvents ? 0 : t.eventListScroll;
    selectedEvent = hasEvents ? 0 : t.selectedEvent;
    for (Engine& e : chain) SettleLoadedEngine(e);
  }

  std::array<char, 32> name;
  uint32_t seed, runningRandom, muteState;
  Shared<float> level;
  float volume, volumeSlide;
  int32_t pitchOffset, pitchSlide;
  Shared<int32_t> pan;
  int32_t panSlide, eventListScroll = 0, selectedEvent = 0, chainLength, phraseStartTick;
  Program playingProgram;
  uint32_t gate;
  int32_t notePitch;
  std::array<Engine, kChainLength> chain;
};

}  // namespace

void WriteTrackImage(ByteWriter& w, const Track& t) {
  const int32_t eventCount = t.events.Count();
  const StoredTrack stored(t);
  TrackFields(w, stored, eventCount);
}

void ReadTrackImage(ByteReader& r, Track& t) {
  TrackFields(r, t, t.eventCount);
  t.playCursor = nullptr;
  t.phraseCursor = nullptr;
}

void WriteEventImage(ByteWriter& w, const Event& e) { EventFields(w, e); }

EventValues ReadEventImage(ByteReader& r) {
  EventValues v;
  EventFields(r, v);
  return v;
}

}  // namespace tonforge
