#pragma once
// Whether a program holds changes that no file has: its fingerprint, over what a program file stores of it
// (name, level, pan, engine types, parameters, options, DataSlots and their data), compared with the one
// taken when it was created, loaded or saved. Working state, delay figures and play positions, which playing
// changes, are left out; so an edit undone by hand, or an inversion inverted again, leaves it unmodified.
#include <cstdint>

#include "song/session.h"

namespace tonforge {

uint64_t ProgramFingerprint(const Program& program);
bool IsProgramModified(const Program& program);
void MarkProgramSaved(Program& program);

// Before a program is loaded over a modified one: asks "Save Changes To <program name>?". True when the caller
// may go on: the program was not modified, the user answered No, or Yes and Save Program succeeded.
bool OfferToSaveProgram(Session& session, Program& program);

}  // namespace tonforge
