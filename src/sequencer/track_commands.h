#pragma once
// Commands on the track list and the song as a whole: insert, delete, move, mute, solo, switch off and rename
// tracks, the track panel and song panel settings, and Delete Song. All run on the main thread; only Delete
// Track / Delete Song stop playback, the others may run while the song plays.
#include <cstdint>

#include "song/session.h"

namespace tonforge {

// A new track directly after the current one (the current index stays); null when refused.
Track* InsertTrackCommand(Session& session);

enum class DeleteResult { Refused, TrackDeleted, SongDeleted };

// On a normal track: Delete Track, asking first and once more when Phrase events of other tracks use it; the
// Phrase events are renumbered. On the GlobalTrack: Delete Song, which asks, frees programs, tracks and both
// clipboards and makes a new song. Playback stops before any question.
DeleteResult DeleteTrackOrSong(Session& session);

// Swap the current track with its neighbour; Phrase sources naming either are exchanged and the current track
// follows. Refused (false) on the GlobalTrack, on track 1 (up) and on the last track (down).
bool MoveTrackUp(Session& session);
bool MoveTrackDown(Session& session);

// The mute button of visible track list row `row`: on the GlobalTrack's row every muted track plays again
// (switched-off tracks stay off); on another row that track toggles between playing and muted.
void PressMuteButton(Session& session, int32_t row);
// The current normal track toggles between switched off and playing.
void SwitchOffTrack(Session& session);
// The current track plays; every other normal track that is not switched off is muted.
void SoloTrack(Session& session);

// Starts the name entry of the current track (the song's name on the GlobalTrack).
void RenameTrack(Session& session);

// Track panel controls, on the current track: seed 0..10000, pan -100..100, level 0..100 percent.
void SetTrackSeed(Session& session, int32_t seed);
void SetTrackPan(Session& session, int32_t pan);
void SetTrackLevel(Session& session, int32_t percent);

// Song panel controls: beats per bar 1..64, ticks per beat 16..100, level 0..100 percent. A new ticks per beat
// recomputes samples per tick and the editor's SnapStep.
void SetBeatsPerBar(Session& session, int32_t beats);
void SetTicksPerBeat(Session& session, int32_t ticks);
void SetSongLevel(Session& session, int32_t percent);

}  // namespace tonforge
