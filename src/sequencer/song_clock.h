#pragma once
// The time base of the sequencer: the song clock turns output samples into ticks, and at every tick the due
// events of each playing channel are applied, phrases replayed and slides moved on.
#include <cstdint>

#include "song/session.h"

namespace tonforge {

enum class ClockStep {
  Sample,  // no tick was due
  Tick,    // a tick was processed; session.currentTick has moved on
  End,     // silent variant only: an own End event stopped the advance
};

inline constexpr int32_t kMaxPitchOffset = 1200;
inline constexpr int32_t kMaxPan = 200;

// One output sample of playback or rendering.
ClockStep SongClockStep(Session& session);
// Up to `limit` samples of playback on which no tick falls, each exactly as SongClockStep would count it;
// stops before the sample that would process a tick. Returns the samples counted.
uint32_t SongClockRunToTick(Session& session, uint32_t limit);
// One sample of the silent advance to the EditCursor: NoteOn events are passed over unplayed, and an own End
// event ends the advance before anything after it in that tick is applied.
ClockStep SilentSongClockStep(Session& session);

// Applies one of the channel's own events (types 1 to 38; others are ignored).
void ProcessEvent(Session& session, const EventValues& event, int32_t channel);
// Applies one event of a Phrase running on the channel (types 1 to 32). A NoteOff releases the note but the
// Phrase plays on; song-level events, Phrase and End inside a Phrase are ignored, so Phrases do not nest.
void ProcessPhraseEvent(Session& session, const EventValues& event, int32_t channel);

// Sets the tempo, held to 1..1000 beats per minute, and recomputes samples per beat and per tick.
void SetSongTempo(Session& session, float tempo);

}  // namespace tonforge
