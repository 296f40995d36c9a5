#pragma once
// The song's records: Event, Track and Song. Field names and order follow the stored images; the
// lists are owned by the Song.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "shell/shared_value.h"
#include "song/program.h"

namespace tonforge {

inline constexpr int32_t kMaxTracks = 512;
inline constexpr int32_t kMaxTick = 99999;
// The song's bar and beat ranges: the song panel's settings and loaded songs stay inside them.
inline constexpr int32_t kMinBeatsPerBar = 1, kMaxBeatsPerBar = 64;
inline constexpr int32_t kMinTicksPerBeat = 16, kMaxTicksPerBeat = 100;

enum class EventType : int32_t {
  Empty = 0, NoteOff = 1, NoteOn = 2,
  ProgramVolume = 3, ProgramVolumeSlide = 4, ProgramPan = 5, ProgramPanSlide = 6,
  ProgramPitch = 7, ProgramPitchSlide = 8,
  ProgramEngineParameter = 9,   // 9..17: the engine at position type - 9
  TrackVolume = 18, TrackVolumeSlide = 19, TrackPan = 20, TrackPanSlide = 21,
  TrackPitch = 22, TrackPitchSlide = 23,
  TrackEngineParameter = 24,    // 24..32: the engine at position type - 24 of the track's own chain
  SongVolume = 33, SongVolumeSlide = 34, Tempo = 35, TempoSlide = 36,
  Phrase = 37, End = 38,
};
inline constexpr int32_t kEventTypeCount = 39;
inline constexpr int32_t kResetParameter = 7;  // value A of an engine-parameter event that restarts the engine

struct EventValues {
  int32_t tick = 0;
  int32_t type = 0;
  int32_t valueA = 0;
  int32_t valueB = 0;
};

// One timed event. The list link is atomic: the main thread inserts events while the playback thread walks
// the same list, so a new event is fully written before the release store that links it in.
// The type and values are edited while the playback thread reads them.
struct Event {
  int32_t tick = 0;
  Shared<int32_t> type = 0;
  Shared<int32_t> valueA = 0;
  Shared<int32_t> valueB = 0;
  std::atomic<Event*> next{nullptr};

  // What the playback thread acts on: one read of each field.
  EventValues Values() const { return {tick, type, valueA, valueB}; }
};

// A track's events in tick order. Owns its events; links are published with release stores and read with
// acquire loads. Removing events is done only while no worker thread runs.
class EventList {
public:
  EventList() = default;
  EventList(const EventList&) = delete;
  EventList& operator=(const EventList&) = delete;

  Event* First() const { return head_.load(std::memory_order_acquire); }
  // The last event, so that loaders append in constant time.
  Event* Last() const { return tail_; }
  static Event* Next(const Event* e) { return e->next.load(std::memory_order_acquire); }
  int32_t Count() const { return static_cast<int32_t>(owned_.size()); }

  // Links a new event after `previous` (at the head when previous is null). Returns null when memory runs out.
  Event* InsertAfter(Event* previous, const EventValues& values);
  // Unlinks and frees e.
  void Erase(Event* e);
  void Clear();

private:
  std::atomic<Event*> head_{nullptr};
  Event* tail_ = nullptr;  // touched by the main thread only
  std::vector<std::unique_ptr<Event>> owned_;
};

// The two per-position delay buffers of one voice (the LiveVoice or a track's playing program).
struct PositionBuffers {
  std::array<SampleBlock, kChainLength> left{};
  std::array<SampleBlock, kChainLength> right{};
};

struct Track {
  std::array<char, 32> name{};
  uint32_t seed = 0;
  uint32_t runningRandom = 0;
  uint32_t muteState = 0;  // 0 plays, 1 muted, 2 switched off
  Shared<float> level = 1.0f;  // the track panel changes level and pan while the song plays
  float volume = 1.0f;
  float volumeSlide = 0.0f;
  int32_t pitchOffset = 0;
  int32_t pitchSlide = 0;
  Shared<int32_t> pan = 100;
  int32_t panSlide = 0;
  int32_t eventListScroll = 0;
  int32_t selectedEvent = 0;
  int32_t eventCount = 0;
  int32_t chainLength = 0;
  int32_t phraseStartTick = 0;
  Program playingProgram;   // the voice: a working copy of the program its last NoteOn started
  uint32_t gate = 0;
  int32_t notePitch = 0;
  PositionBuffers voiceBuffers;  // the playing program's delay buffers, PositionBufferSize floats each
  std::array<Engine, kChainLength> chain{};  // track plug-ins; on the GlobalTrack the song plug-ins
  Event* playCursor = nullptr;
  Event* phraseCursor = nullptr;
  EventList events;
};

// The tracks of the song, GlobalTrack first. Slots are atomic and never reallocate, so the playback thread
// may look a track up by index while the main thread inserts or moves tracks; tracks are only freed while no
// worker runs.
class TrackList {
public:
  TrackList() = default;
  TrackList(const TrackList&) = delete;
  TrackList& operator=(const TrackList&) = delete;

  int32_t Count() const { return count_.load(std::memory_order_acquire); }
  // The track at index, or null outside 0..Count()-1.
  Track* At(int32_t index) const;
  // Inserts at index (0..Count()); returns the track, or null when the list is full.
  Track* Insert(int32_t index, std::unique_ptr<Track> track);
  std::unique_ptr<Track> Remove(int32_t index);
  void Swap(int32_t a, int32_t b);
  void Clear();

private:
  std::array<std::atomic<Track*>, kMaxTracks> slots_{};
  std::atomic<int32_t> count_{0};
  std::vector<std::unique_ptr<Track>> owned_;
};

struct Song {
  uint32_t seed = 0;
  uint32_t runningRandom = 0;
  float tempo = 120.0f;
  int32_t beatsPerBar = 8;
  Shared<int32_t> ticksPerBeat = 48;  // the song panel changes it while the song plays
  float tickAccumulator = 0.0f;
  // samples per beat, samples per tick and the sample rate live in Session's OutputRate, the one copy the
  // engines and the clock read; the song file image takes them from there.
  float tempoSlide = 0.0f;
  int32_t engineListScroll = 0;
  int32_t selectedEngineType = 0;
  int32_t trackListScroll = 0;
  int32_t currentTrack = 0;
  int32_t programListScroll = 0;
  int32_t currentProgram = 0;
  Shared<float> songLevel = 1.0f;  // the song panel changes it while the song plays
  float volume = 1.0f;
  float volumeSlide = 0.0f;
  std::array<uint32_t, kChainLength> positionBufferSize{};
  TrackList tracks;                                 // track count = tracks.Count()
  std::vector<std::unique_ptr<Program>> programs;   // program count = programs.size()
};

// The rules every list operation keeps, whoever edits the song.

// The track at index (0 = the GlobalTrack), or null outside 0..track count - 1.
Track* TrackAt(const Song& song, int32_t index);
// The event at index in the track's list, or null past its end.
Event* EventAt(const Track& track, int32_t index);
bool IsGlobalTrack(const Song& song, const Track& track);

// Removes the event at index; the GlobalTrack's first event is never removed. The selection is the caller's.
void DeleteEventAt(Song& song, Track& track, int32_t index);
void DeleteAllEvents(Track& track);

// Repairs the links between events and programs or engines: a NoteOn names an existing program, an
// engine-parameter event a parameter its engine has, with a value in range.
void ValidateEvents(const Song& song, Track& track);
void ValidateAllTracks(Song& song);

// Keeps the event count equal to the list and the selection on an existing event.
void SyncEventCount(Track& track);
void KeepSelectionInList(Track& track);
// Keeps the current track within the track list's nine visible rows.
void FollowCurrentTrack(Song& song);

}  // namespace tonforge
