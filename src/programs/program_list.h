#pragma once
// The program list: creating, copying and deleting programs, the current program and its nine-row window,
// and the per-position delay buffers that the voices play program engines through.
#include <cstdint>
#include <string_view>

#include "song/session.h"

namespace tonforge {

inline constexpr int32_t kProgramListRows = 9;

// The current program, or null when the list is empty or the index is stale.
Program* CurrentProgram(Session& session);
int32_t ProgramCount(const Song& song);

// Appends a program with the default header and nine empty positions, named "Program %d" after the count
// before it. The first program becomes current. Null (after the message) when memory runs out.
Program* NewProgram(Session& session);
// Programs › New: appends a program and makes it current, so the next chain edit lands in the new program.
void NewCurrentProgram(Session& session);
// Appends a duplicate of the current program with its own copies of every sample block.
void CopyProgram(Session& session);
// Asks first; removes the current program and the notes that play it, renumbering the later ones.
void DeleteProgram(Session& session);
// Releases every program and every per-position buffer; the list is empty afterwards.
void FreeAllPrograms(Session& session);

// Makes `index` current when it names a program, and keeps it within the nine visible rows.
void SelectProgram(Session& session, int32_t index);
// Row 0..8 of the visible window.
void SelectProgramRow(Session& session, int32_t row);
// The visible window's follow rule for the current index.
void FollowCurrentProgram(Song& song);

// Panel values: level in percent (0..100), pan as -100..100.
void SetProgramLevel(Session& session, int32_t percent);
void SetProgramPan(Session& session, int32_t pan);


// Whether a type may stand in a chain of the given level (kLevelProgram, kLevelTrack or kLevelSong).
bool IsEngineValidAt(uint32_t type, uint32_t levelBit);

// A copy of the engine with its own sample blocks and no delay buffers. A slot whose block cannot be copied
// is left not loaded, after `failureText` is shown.
Engine CopyEngineWithData(const Engine& source, Dialogs& dialogs, std::string_view failureText);

// Recounts the DataSlots loaded consecutively from slot 0; run after a slot's loaded flag changes.
void RecountLoadedSlots(Engine& engine);

// Drops the engine's DataSlot data and, when it set the size of position p, fits that position's buffers
// to what the remaining engines need. The engine keeps its type.
void ReleaseProgramEngine(Session& session, Engine& engine, int position);

// The largest delay buffer any program engine at position p needs.
uint32_t PositionNeed(const Song& song, int position);
// Resizes position p's buffers of the LiveVoice and every track but the GlobalTrack to what the programs
// need. All or nothing: false when they had to grow and memory ran out; then nothing changed. When only a
// shrink fails the larger buffers stay, which still serve every engine.
bool FitPositionBuffers(Session& session, int position);
// The same for two positions at once: both change or neither does.
bool FitPositionBuffers(Session& session, int first, int second);
// Fits every position to the programs' needs, e.g. after loading a song whose stored sizes cannot be
// trusted. Positions that cannot grow keep their buffers and report false.
bool FitAllPositionBuffers(Session& session);
// After a program's engines were replaced from outside (loading): fits every position to it; an engine
// whose position cannot grow becomes empty, with "Out Of Memory - Cannot Initialise Program Engine".
void FitProgramBuffers(Session& session, Program& program);

// Puts `incoming` at position p of the program and fits the position's buffers. On out-of-memory the old
// engine stays and the result is false; otherwise the old engine's data is released.
bool ReplaceProgramEngine(Session& session, Program& program, int position, Engine incoming);

// Gives a voice its buffers: engine p of `voice` points at the blocks of `buffers` for every position.
void AttachVoiceBuffers(Program& voice, const PositionBuffers& buffers);

// Sets how many live voices the keyboard and MIDI play (1..64), each with its own delay buffers at the present
// sizes. Silences them first. False when memory runs out; the voices that could be given buffers stay.
bool SetLiveVoiceCount(Session& session, int32_t count);

}  // namespace tonforge
