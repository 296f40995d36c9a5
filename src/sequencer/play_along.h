#pragma once
// Playing along while a song plays, recording in real time, and the Loop switch: the main thread's side.
//
// While the song worker plays, it owns the live voices; the keyboard and MIDI then hand their notes to it
// through the played-notes queue and never touch a voice themselves. The worker starts a note at the start of
// its next block and, when the note is being recorded, hands back the song tick at which that block starts.
// Only the main thread edits event lists, here as for every other edit made during playback: the new events go
// in with the list's release-published links, and they lie at or before the tick the worker has reached, so
// its play cursor has passed them already and they are heard from the next time the song passes there (a tick
// that Snap rounds forward may still be ahead of the worker, and the track then plays it as well).
#include <cstdint>

#include "song/session.h"

namespace tonforge {

// True while the song worker owns the live voices.
inline bool IsSongPlaying(const Session& session) {
  return session.playback.mode.load(std::memory_order_acquire) == PlaybackMode::Song;
}

// A note played while the song plays: sounds on the current program, and is recorded on the current track
// when the record switch is on and that track is not the GlobalTrack. level scales the program's level (a
// MIDI velocity), bend is added to the pitch (the MIDI pitch wheel).
void PlayAlongNote(Session& session, int32_t pitch, int32_t holder, float level = 1.0f, int32_t bend = 0);
// The holder's key went up: its note ends, and a recorded one gets its NoteOff.
void ReleasePlayAlongNote(Session& session, int32_t holder);
// The sustain pedal, the silence keys and the pitch wheel while the song plays.
void SendToPlayAlong(Session& session, PlayedKind kind, int32_t value = 0);

// Writes the recorded notes that the worker has heard so far. Main thread, once per pass.
void EnterHeardNotes(Session& session);
// Once playback has stopped: enters what was still heard, ends every recorded note still held at the last tick
// played, and forgets the rest.
void FinishRealTimeRecording(Session& session);

// The tick a recorded note goes to: with Snap on, the nearest snap step.
int32_t RecordedTick(const Session& session, int32_t tick);

// The Loop switch, and the ticks it repeats: the marked Block's, while both are there.
void ToggleLoop(Session& session);
void FollowLoopSwitch(Session& session);

}  // namespace tonforge
