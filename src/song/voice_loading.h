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
void StartLiveNote(Session& session, int32_t pitch, int32_t programIndex);

}  // namespace tonforge
