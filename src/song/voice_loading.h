#pragma once
// Starting a voice: a working copy of a Program that a track or the keyboard plays. Shared by the song clock's
// NoteOn and the keyboard's note keys.
#include <array>
#include <cstdint>

#include "song/session.h"

namespace tonforge {

// Starts a voice on a program: copies the program image (without its name) over the voice, keeps the voice's
// own per-position delay buffers and clears those of every engine with delay lines. A position whose buffer
// is missing or shorter than its engine needs plays as Thru rather than run off the end of the buffer.
void LoadVoice(Program& voice, const PositionBuffers& buffers, const std::array<uint32_t, kChainLength>& bufferSize,
               const Program& program);

// Starts the LiveVoice on a program at a pitch (cents). Ignored for a pitch above 6099 or a program index
// outside the list. The live output then drops a block rendered before the key press, so the next block
// carries the new note.
// Returns the voice started, or null when the call was ignored. With several live voices a free one is taken,
// else the one started first; `holder` names the key or MIDI note whose release ends it.
// While a song plays, the worker starts the notes played along: the song's own chains and programs are then
// left alone, and the voice's copy of the program is prepared instead.
enum class LiveChains { Live, PlayAlong };
LiveVoice* StartLiveNote(Session& session, int32_t pitch, int32_t programIndex, int32_t holder = kNoHolder,
                         LiveChains chains = LiveChains::Live);

// The release of a holder's key: its voices fade out over a few milliseconds, or sound on while the sustain
// pedal is down. The keyboard's keys release nothing while keysHold is set.
void ReleaseLiveNote(Session& session, int32_t holder);
// The sustain pedal; lifting it releases the notes it held.
void SetSustainPedal(Session& session, bool down);
// Space, all-notes-off and playback starting: every live voice stops at once.
void SilenceLiveVoices(Session& session);
// True while any live voice sounds or fades.
bool AnyLiveVoiceSounds(const Session& session);

}  // namespace tonforge
