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
  i.trackListScroll = song.trackListScroll;
  i.currentTrack = song.currentTrack;
  i.trackCount = song.tracks.Count();
  i.programListScroll = song.programListScroll;
  i.currentProgram = song.currentProgram;
  i.programCount = static_cast<int32_t>(song.programs.size());
  i.sampleRate = rate.sampleRate;
  i.sampleRateF = rate.rateHz;
  i.songLevel = song.songLevel;
  i.volume = song.volume;
  i.volumeSlide = song.volumeSlide;
  i.positionBufferSize = song.positionBufferSize;
  return i;
}

void WriteSongImage(ByteWriter& w, const SongImage& i) {
  w.U32(i.seed);
  w.U32(i.runningRandom);
  w.F32(i.tempo);
  w.I32(i.beatsPerBar);
  w.I32(i.ticksPerBeat);
  w.F32(i.tickAccumulator);
  w.F32(i.samplesPerBeat);
  w.F32(i.samplesPerTick);
  w.F32(i.tempoSlide);
  w.I32(i.engineListScroll);
  w.I32(i.selectedEngineType);
  w.I32(i.trackListScroll);
  w.I32(i.currentTrack);
  w.I32(i.trackCount);
  w.I32(i.programListScroll);
  w.I32(i.currentProgram);
  w.I32(i.programCount);
  w.I32(i.sampleRate);
  w.F32(i.sampleRateF);
  w.F32(i.songLevel);
  w.F32(i.volume);
  w.F32(i.volumeSlide);
  for (uint32_t size : i.positionBufferSize) w.U32(size);
  w.Zeros(2 * kWord);  // first track and first program references
}

void ReadSongImage(ByteReader& r, SongImage& i) {
  i.seed = r.U32();
  i.runningRandom = r.U32();
  i.tempo = r.F32();
  i.beatsPerBar = r.I32();
  i.ticksPerBeat = r.I32();
  i.tickAccumulator = r.F32();
  i.samplesPerBeat = r.F32();
  i.samplesPerTick = r.F32();
  i.tempoSlide = r.F32();
  i.engineListScroll = r.I32();
  i.selectedEngineType = r.I32();
  i.trackListScroll = r.I32();
  i.currentTrack = r.I32();
  i.trackCount = r.I32();
  i.programListScroll = r.I32();
  i.currentProgram = r.I32();
  i.programCount = r.I32();
  i.sampleRate = r.I32();
  i.sampleRateF = r.F32();
  i.songLevel = r.F32();
  i.volume = r.F32();
  i.volumeSlide = r.F32();
  for (uint32_t& size : i.positionBufferSize) size = r.U32();
  r.Skip(2 * kWord);
}

void WriteTrackImage(ByteWriter& w, const Track& t) {
  w.Bytes(t.name.data(), t.name.size());
  w.U32(t.seed);
  w.U32(t.runningRandom);
  w.U32(t.muteState);
  w.F32(t.level);
  w.F32(t.volume);
  w.F32(t.volumeSlide);
  w.I32(t.pitchOffset);
  w.I32(t.pitchSlide);
  w.I32(t.pan);
  w.I32(t.panSlide);
  w.I32(t.eventListScroll);
  w.I32(t.selectedEvent);
  w.I32(t.events.Count());
  w.I32(t.chainLength);
  w.I32(t.phraseStartTick);
  WriteProgramRecord(w, t.playingProgram);
  w.U32(0);  // the playing program's list link
  w.U32(t.gate);
  w.I32(t.notePitch);
  for (const Engine& e : t.chain) WriteEngine(w, e);
}

void ReadTrackImage(ByteReader& r, Track& t) {
  r.Bytes(t.name.data(), t.name.size());
  t.name.back() = '\0';
  t.seed = r.U32();
  t.runningRandom = r.U32();
  t.muteState = r.U32();
  t.level = r.F32();
  t.volume = r.F32();
  t.volumeSlide = r.F32();
  t.pitchOffset = r.I32();
  t.pitchSlide = r.I32();
  t.pan = r.I32();
  t.panSlide = r.I32();
  t.eventListScroll = r.I32();
  t.selectedEvent = r.I32();
  t.eventCount = r.I32();
  t.chainLength = r.I32();
  t.phraseStartTick = r.I32();
  ReadProgramRecord(r, t.playingProgram);
  r.Skip(kWord);
  t.gate = r.U32();
  t.notePitch = r.I32();
  for (Engine& e : t.chain) ReadEngine(r, e);
  t.playCursor = nullptr;
  t.phraseCursor = nullptr;
}

void WriteEventImage(ByteWriter& w, const Event& e) {
  w.I32(e.tick);
  w.I32(e.type);
  w.I32(e.valueA);
  w.I32(e.valueB);
}

EventValues ReadEventImage(ByteReader& r) {
  EventValues v;
  v.tick = r.I32();
  v.type = r.I32();
  v.valueA = r.I32();
  v.valueB = r.I32();
  return v;
}

}  // namespace tonforge
