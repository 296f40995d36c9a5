#pragma once
// The stored images of the Song, Track and Event records in song files, written field by field,
// little-endian, beside the Program and Engine serializers they embed.
#include <array>
#include <cstddef>
#include <cstdint>

#include "engines/context.h"
#include "programs/engine_image.h"
#include "song/song_records.h"

namespace tonforge {

inline constexpr std::size_t kSongImageSize = 132;
inline constexpr std::size_t kTrackImageSize = 11332;
inline constexpr std::size_t kEventImageSize = 16;

// Offsets the tests and the loader rely on.
inline constexpr std::size_t kSongTrackCountOffset = 52;
inline constexpr std::size_t kSongProgramCountOffset = 64;
inline constexpr std::size_t kSongSampleRateOffset = 68;
inline constexpr std::size_t kTrackEventCountOffset = 80;
inline constexpr std::size_t kTrackPlayingProgramOffset = 92;
inline constexpr std::size_t kTrackChainOffset = 5752;

// The song image's fields as stored. The beat figures and the sample rate are the OutputRate's: the song
// record keeps no copy of them.
struct SongImage {
  uint32_t seed = 0;
  uint32_t runningRandom = 0;
  float tempo = 0.0f;
  int32_t beatsPerBar = 0;
  int32_t ticksPerBeat = 0;
  float tickAccumulator = 0.0f;
  float samplesPerBeat = 0.0f;
  float samplesPerTick = 0.0f;
  float tempoSlide = 0.0f;
  int32_t engineListScroll = 0;
  int32_t selectedEngineType = 0;
  int32_t trackListScroll = 0;
  int32_t currentTrack = 0;
  int32_t trackCount = 0;
  int32_t programListScroll = 0;
  int32_t currentProgram = 0;
  int32_t programCount = 0;
  int32_t sampleRate = 0;
  float sampleRateF = 0.0f;
  float songLevel = 0.0f;
  float volume = 0.0f;
  float volumeSlide = 0.0f;
  std::array<uint32_t, kChainLength> positionBufferSize{};
};

// The lists' positions (current and scrolled-to track and program) are stored as 0, where a load puts them.
SongImage MakeSongImage(const Song& song, const OutputRate& rate);
void WriteSongImage(ByteWriter& w, const SongImage& image);
void ReadSongImage(ByteReader& r, SongImage& image);

// The track record with its playing program and its chain. The event count written is the list's own; the
// chain's engines and the event list's position are written as a loaded song rebuilds them.
void WriteTrackImage(ByteWriter& w, const Track& track);
// Fills every stored field; references are cleared and the texts end in a NUL. Values are not judged.
void ReadTrackImage(ByteReader& r, Track& track);

void WriteEventImage(ByteWriter& w, const Event& event);
EventValues ReadEventImage(ByteReader& r);

}  // namespace tonforge
