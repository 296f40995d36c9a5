#pragma once
// Program files (*.tep): one Program image followed by the sample data of its loaded DataSlots. The same
// file is loaded as a new program, over the current program, or into a track's or the song's plug-in chain.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "programs/engine_image.h"
#include "song/session.h"

namespace tonforge {

inline constexpr std::size_t kProgramFileHeaderSize = 4;  // the magic
inline constexpr std::string_view kInvalidEnginesRemoved = "Some Invalid Engines Were Detected And Removed";

// A record name made into a file name: colons, slashes and backslashes become spaces, then the extension.
std::string DefaultFileName(std::string_view name, std::string_view extension);

// Converts an engine image of the older "TEP1"/"TES1" files: engine numbering and parameter scaling.
void UpgradeLegacyEngine(Engine& engine);

// The checks and settling every loader applies to what it read. A header is sound with a finite level and
// volume and a pan within 0..200; a chain when every engine image is (EngineImageIsSound).
bool ProgramHeaderIsSound(const Program& program);
bool ChainIsSound(const Chain& chain);
// Empties the engines whose type is not allowed at the level and settles every engine (SettleLoadedEngine).
// True when an engine was removed.
bool SettleLoadedChain(Chain& chain, uint32_t levelFlag);
// Gives every track or song chain engine with delay lines its own two buffers; an engine whose buffers cannot
// be had becomes empty after "Out Of Memory - Cannot Initialise Track Engine".
void AttachChainBuffers(Chain& chain, Dialogs& dialogs);

// "UEP1", the record, the data blocks. The record is stored as it stands (set engineCount first).
std::vector<uint8_t> EncodeProgramFile(const Program& program);

struct DecodedProgram {
  std::unique_ptr<Program> program;
  bool invalidEnginesRemoved = false;
};
// Reads a whole program file for a chain level (kLevelProgram, kLevelTrack or kLevelSong). Nothing is returned
// when the file is not a sound program file: wrong magic, a record or data cut short, an unknown engine type
// or impossible values. Engines whose type is not allowed at the level come back empty (type 0). Every engine
// is settled (SettleLoadedEngine), the runtime header fields are zero and the engine count is recounted; no
// delay buffers are allocated.
std::optional<DecodedProgram> DecodeProgramFile(std::span<const uint8_t> bytes, uint32_t levelFlag, Dialogs& dialogs);

// The commands. Each stops playback, asks for a path in the remembered folder of its kind and returns true only
// when it changed the programs, the chain or the file. A failed write is reported and leaves the old file.
bool SaveProgram(Session& session);
bool SaveProgramChain(Session& session);
bool LoadProgramNew(Session& session);
// Load Program (new) from a path, without the dialog (the headless renderer's program mode).
bool LoadProgramFileNew(Session& session, const std::string& path);
bool LoadProgramReplace(Session& session);
// Into the current track's chain. The engines are checked against the level of the chain they land in: the
// song plug-in level for track 0 (the GlobalTrack), the track plug-in level for the others.
bool LoadProgramChain(Session& session);

}  // namespace tonforge
