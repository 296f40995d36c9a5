#pragma once
// The sequencer's records: Event, Track and Song. Field names and order follow the stored images; the
// lists are owned by the Song.
#include <array>
#include <cstdint>

#include "programs/program.h"

namespace tonforge {

inline constexpr int32_t kMaxTracks = 512;
inline constexpr int32_t kMaxTick = 99999;

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

}  // namespace tonforge
