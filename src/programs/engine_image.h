#pragma once
// The stored images of DataSlot, Engine and Program records, and the sample data blocks that follow them in
// program and song files. Images are written field by field, little-endian; the references they contain
// (sample data, delay buffers, list links) are written as zero and ignored on reading.
#include <array>
#include <cstddef>
#include <cstdint>

#include "engines/engine.h"
#include "shell/devices/dialogs.h"
#include "shell/bytes.h"
#include "song/program.h"

namespace tonforge {

inline constexpr std::size_t kDataSlotImageSize = 68;
inline constexpr std::size_t kEngineImageSize = 620;
inline constexpr std::size_t kProgramRecordSize = 5648;

// Offsets the song file and tests rely on.
inline constexpr std::size_t kEngineSlotsOffset = 136;      // DataSlot k at 136 + 68 * k
inline constexpr std::size_t kEngineDelayOffset = 408;      // delay line count
inline constexpr std::size_t kProgramEnginesOffset = 68;    // Engine p at 68 + 620 * p
inline constexpr std::size_t kProgramEngineCountOffset = 64;


void WriteDataSlot(ByteWriter& w, const DataSlot& slot);
void WriteEngine(ByteWriter& w, const Engine& engine);
void WriteProgramRecord(ByteWriter& w, const Program& program);

// Readers fill every stored field and clear the references; the texts are forced to end in a NUL. They do
// not judge the values: see EngineImageIsSound.
void ReadDataSlot(ByteReader& r, DataSlot& slot);
void ReadEngine(ByteReader& r, Engine& engine);
void ReadProgramRecord(ByteReader& r, Program& program);

// The data blocks of every loaded DataSlot, engine 0 slot 0 first.
void WriteDataBlocks(ByteWriter& w, const Chain& chain);
uint64_t DataBlockBytes(const Chain& chain);
// Reads the data blocks of the loaded slots. False, with nothing allocated, when the bytes left in the reader
// do not hold them all. A block that cannot be allocated shows "Out Of Memory - Cannot Load Modulator Data",
// leaves its slot not loaded and is skipped, so the following blocks still line up.
bool ReadDataBlocks(ByteReader& r, Chain& chain, Dialogs& dialogs);
// False when a loaded block holds a value that is not a finite number.
bool DataBlocksAreFinite(const Chain& chain);

// Whether an engine image read from a file can be used at all: a catalog type, a loaded-slot count of at most
// four, and no parameter or slot setting that is not a finite number. Values a saved program may hold (choices
// at or beyond their count, loop points, root pitches, parameters outside today's ranges) are not refused:
// the routines bound what they index with, and SettleLoadedEngine brings parameters into range.
bool EngineImageIsSound(const Engine& engine);
// Brings each parameter fraction outside its catalog range to the nearest end (its complement follows), so a
// stored delay time can never ask for more than the delay lines hold.
void ClampParametersIntoRange(Engine& engine);
// Rebuilds what the processing code indexes with or runs on from a loaded image: parameters within range,
// the delay-line figures of the type with freshly laid-out lines, the loaded-slot count, and a WorkingState
// and unused option values at rest (a stored program is never processed, so it holds them at zero anyway).
// The arpeggiator's stored step index is kept, as 0 when it is not one of its tones: a voice of the program
// starts from it.
void SettleLoadedEngine(Engine& engine);

// Consecutively loaded DataSlots counted from slot 0.
uint32_t CountLoadedSlots(const Engine& engine);

}  // namespace tonforge
