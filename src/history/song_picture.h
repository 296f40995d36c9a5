#pragma once
// A picture of everything a song file holds, taken after each step of editing, and the way back to it.
// Sample data is never copied: a picture holds references to the blocks the song had, and a program or track
// that a step did not change is the very record of the picture before, shared. A picture holds no delay
// buffers: those are working memory, allocated afresh when a track comes back.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "song/session.h"

namespace tonforge {

struct ProgramPicture {
  std::vector<uint8_t> image;  // the stored program record
  Program program;             // the record; its sample blocks are the song's own, shared
};

struct TrackPicture {
  std::vector<uint8_t> image;  // the stored track record with its playing program and chain
  std::array<std::array<SampleBlock, kDataSlotCount>, kChainLength> data{};  // the chain's slot data, shared
  std::vector<EventValues> events;
};

struct SongPicture {
  std::vector<uint8_t> image;  // the stored song record
  std::vector<std::shared_ptr<const ProgramPicture>> programs;
  std::vector<std::shared_ptr<const TrackPicture>> tracks;
  std::string songFile;  // the file the song belongs to: an undone Load Song saves to the earlier file
};

// Takes the picture of the session's song. Records equal to those of `previous` (at the same place, or one
// place either side after an insert or a delete) are shared with it. While a worker plays, the playing state
// it writes is not read: the picture keeps that of `previous`.
SongPicture TakePicture(Session& session, const SongPicture* previous);

// Whether two pictures hold the same song as a user edits it: the playing state, the derived figures, the
// scroll positions and the selections are left aside.
bool SameSong(const SongPicture& a, const SongPicture& b);

// Brings the session's song from the picture `from` (what it holds now) to `to`, exactly as saved. Where the
// two differ only in values a playing worker reads through shared values (levels, pans, engine parameters and
// options, event types and values, ticks per beat), those are written at once and a playing song goes on;
// anything else stops playback first. Reports every kind of change. False when memory ran out on the way
// (after the message).
bool RestorePicture(Session& session, const SongPicture& from, const SongPicture& to);

// The song file the picture holds, made in a scratch session of its own: what a copy of the song is made from
// while a worker plays the song and writes its playing state. Empty when memory ran out (after the message).
std::vector<uint8_t> EncodePicture(const SongPicture& picture, Dialogs& dialogs);

// The bytes a picture holds that are not yet in `counted` (records, events and sample blocks are counted once
// however many pictures share them).
std::size_t PictureBytes(const SongPicture& picture, std::unordered_set<const void*>& counted);

}  // namespace tonforge
