#pragma once
// Ownership of the sound between the main thread and the one worker thread, and song playback. There are no
// locks: the main thread prepares all playing state, sets PlaybackMode and starts the worker; to stop it
// clears PlaybackMode and waits for WorkerRunning to fall to 0 before it touches the song again.
#include <cstdint>

#include "audio/studio.h"

namespace tonforge {

// Empties and rebuilds the ChannelTable and puts every track, program and the song clock at the start of the
// song. Shared by playback and the offline render.
void PrepareSongStart(Studio& studio);

// Advances silently (no engine runs, no note starts) until the current tick equals target. False when an End
// event came first.
bool AdvanceToTick(Studio& studio, int32_t target);

// The play button: stops whatever plays, or starts the song from the EditCursor.
void StartSongPlayback(Studio& studio);

// The worker's entry during song playback.
void SongPlaybackThread(Studio& studio);

// What StopPlayback does once a worker has ended: the song back at rest, the render file finished, the end of a
// wave file shown.
void PutAtRest(Studio& studio, PlaybackMode ended);

using WorkerEntry = void (*)(Studio&);

// Sets PlaybackMode to mode, clears SongEndReached and starts entry on the worker thread (at the highest
// priority when HighPriority is set). When no thread can be started the mode goes back to 0 and false is
// returned; the caller tells the user.
bool StartWorker(Studio& studio, PlaybackMode mode, WorkerEntry entry);

// Lets the thread wait for the play cursor to move on without spinning; short enough to keep the block-ahead
// discipline (a block lasts 5.8 ms or more, 93 ms at the default size).
void WaitForPlayCursor();

// Test hook: the next `count` worker starts fail as if the system had refused a new thread.
void FailWorkerStartsForTesting(int count);

}  // namespace tonforge
