#pragma once
// What taking a picture of the song and restoring one share: the records' stored images and their comparison.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "history/song_picture.h"
#include "sequencer/song_image.h"

namespace tonforge {

inline constexpr std::size_t kImageWord = 4;
inline constexpr std::size_t kTrackEventListScrollOffset = kTrackEventCountOffset - 2 * kImageWord;  // then the selection

using ChainData = std::array<std::array<SampleBlock, kDataSlotCount>, kChainLength>;

// Event lists alike; with ticksOnly, in their ticks alone.
bool SameEvents(const std::vector<EventValues>& a, const std::vector<EventValues>& b, bool ticksOnly);
// The chain's slot data blocks.
ChainData DataOf(const Chain& chain);
bool SameData(const Chain& a, const Chain& b);
std::vector<uint8_t> ProgramImage(const Program& program);
std::vector<uint8_t> TrackImage(const Track& track);
std::vector<EventValues> EventsOf(const Track& track);
// Whether `to` differs from `from` only in the playing state, the selections and the values a playing worker
// reads as shared ones.
bool DiffersInValuesOnly(const SongPicture& from, const SongPicture& to);

}  // namespace tonforge
