#pragma once
// The engine editor's DataSlot commands: clear, loop, invert, reverse, tempo sync, gain, period and root
// pitch, and the key ranges of a multisampled engine.
#include <cstdint>

#include "engines/engine.h"
#include "song/session.h"

namespace tonforge {

inline constexpr int32_t kMaxSlotPeriod = 10000;
// One pass through modulator data of n samples lasts n / 441000 seconds at 44100 Hz per unit of rate.
inline constexpr float kModulatorRatePerSample = 2.2675738e-6f;

// The engine at the selected position of the chain being edited (the current program's in program mode, the
// current track's otherwise), or null when there is none.
Engine* SelectedEngine(Session& session);

// Each loaded slot plays up to the midpoint between its root pitch and that of the next loaded slot; the last
// loaded slot plays up to the top.
void UpdateKeyRanges(Engine& engine);
// After a slot was filled or emptied: key ranges for a multisampled engine, and the loaded-slot count.
void SlotContentChanged(Engine& engine);

// Releases slot k's data and zeroes its flags, play position, length and loop; name, upper pitch, gain and
// root pitch stay.
void ClearSlot(Engine& engine, int k);
void ToggleSlotLoop(DataSlot& slot);
// Negates a loaded slot's samples, in a block of the slot's own when the block is shared.
void InvertSlot(DataSlot& slot);
// Reverses a loaded slot's samples (in a block of its own when shared) and mirrors its loop points.
void ReverseSlot(DataSlot& slot);
// value 0..100 becomes gain value * 0.01.
void SetSlotGain(DataSlot& slot, int32_t value);
// The modulator rate for one pass in period milliseconds, or in period ticks when tempo sync is on.
void SetSlotPeriod(DataSlot& slot, int32_t period, int32_t ticksPerBeat);
void ToggleSlotSync(DataSlot& slot, int32_t period, int32_t ticksPerBeat);
// value 0..6099; a multisampled engine's key ranges follow.
void SetSlotRootPitch(Engine& engine, int k, int32_t value);

enum class SlotCommand { Clear, Loop, Invert, Reverse, Sync, Gain, Period, RootPitch };

// Runs a command on slot k of the selected engine. value is the slider's value (the period slider's for
// Sync). Clear, Invert and Reverse change sample data that playing voices share, so they stop playback first.
// Returns the command's flag afterwards (looped, inverted, reversed, tempo sync; loaded for the others), false
// when there is no engine or slot.
bool RunSlotCommand(Session& session, SlotCommand command, int k, int32_t value = 0);

}  // namespace tonforge
