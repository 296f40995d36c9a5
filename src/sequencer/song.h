#pragma once
// The song's primitive list operations: tracks and their events, kept in the order and within the limits
// that playback and the editor rely on.
#include <cstdint>

#include "song/session.h"

namespace tonforge {

// Inserts after every event at the same or an earlier tick. A NoteOn on a tick that already holds one
// overwrites that note's pitch and program instead. False (after the message) when memory runs out.
bool InsertEvent(Session& session, Track& track, const EventValues& values);
// Adds at the end without ordering, for loaders that trust the stored order.
bool AppendEvent(Session& session, Track& track, const EventValues& values);
// A new track directly after the current one; the current index stays. Null (after the message) when the
// song is full or memory runs out.
Track* InsertTrack(Session& session);
// Frees every track, the GlobalTrack included, with its events and buffers.
void DeleteAllTracks(Session& session);
// Replaces the song with an empty one: the GlobalTrack "Song" holding the tempo event, no programs.
void NewSong(Session& session);

}  // namespace tonforge
