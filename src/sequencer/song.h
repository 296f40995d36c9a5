#pragma once
// The song's primitive list operations: tracks and their events, kept in the order and within the limits
// that playback and the editor rely on.
#include <cstdint>

#include "shell/app_state.h"

namespace tonforge {

// The track at index (0 = the GlobalTrack), or null outside 0..track count - 1.
Track* TrackAt(const Song& song, int32_t index);
// The event at index in the track's list, or null past its end.
Event* EventAt(const Track& track, int32_t index);
bool IsGlobalTrack(const Song& song, const Track& track);

// Inserts after every event at the same or an earlier tick. A NoteOn on a tick that already holds one
// overwrites that note's pitch and program instead. False (after the message) when memory runs out.
bool InsertEvent(AppState& app, Track& track, const EventValues& values);
// Adds at the end without ordering, for loaders that trust the stored order.
bool AppendEvent(AppState& app, Track& track, const EventValues& values);
// Removes the event at index; the GlobalTrack's first event is never removed. The selection is the caller's.
void DeleteEventAt(Song& song, Track& track, int32_t index);
void DeleteAllEvents(Track& track);

// Repairs the links between events and programs or engines (see song.cpp).
void ValidateEvents(const Song& song, Track& track);
void ValidateAllTracks(Song& song);

// Keeps the event count equal to the list and the selection on an existing event.
void SyncEventCount(Track& track);
void KeepSelectionInList(Track& track);

// A new track directly after the current one; the current index stays. Null (after the message) when the
// song is full or memory runs out.
Track* InsertTrack(AppState& app);
// Frees every track, the GlobalTrack included, with its events and buffers.
void DeleteAllTracks(AppState& app);
// Replaces the song with an empty one: the GlobalTrack "Song" holding the tempo event, no programs.
void NewSong(AppState& app);

}  // namespace tonforge
