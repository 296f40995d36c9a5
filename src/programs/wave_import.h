#pragma once
// Importing a sound file into one DataSlot, as wave data for the wave players or as modulator data for the
// types that take modulators. A 44100 Hz 16-bit mono PCM WAV file, the slot's own format, is read here as it
// always was; any other file libsndfile reads is mixed down to mono, converted to 44100 Hz (shell/sound_file.h)
// and rounded to 16 bits, and a box says what was converted.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "engines/engine.h"
#include "engines/samples.h"
#include "shell/wave_file.h"
#include "song/session.h"

namespace tonforge {

// What an import file holds, read and checked before any slot is touched.
struct ImportedWave {
  SampleBlock data;
  uint32_t length = 0;
  std::optional<uint32_t> unityNote;  // from the first "smpl" chunk of 36 bytes or more
  bool hasLoop = false;               // that chunk is 60 bytes or more
  uint32_t loopStart = 0;
  uint32_t loopEnd = 0;
};

// 16-bit PCM to a float in -1..1: negative values over 32768, the others over 32767.
float SampleFromPcm16(int16_t value);
// The slot name of a file: its base name up to the first full stop, at most 15 characters.
std::array<char, 16> SlotNameFromPath(std::string_view path);
// The root pitch of a MIDI unity note, kept within the pitch table.
int32_t RootPitchFromUnityNote(uint32_t note);

// The level an import leaves: the file's own, or scaled so that its peak reaches full range (asked for with
// Shift held on Load or on a drop). A file in the slot's own format is scaled only when asked.
enum class ImportLevel { AsRecorded, FullRange };

// A 44100 Hz 16-bit mono PCM WAV file, read by ReadImportWave byte for byte as it always was.
bool IsSlotFormatWave(std::span<const uint8_t> bytes);
// Reads a file in the slot's format. Returns the message to show when it is refused; `wave` is then left empty.
std::optional<std::string_view> ReadImportWave(std::span<const uint8_t> bytes, ImportedWave& wave);
// Reads any other sound file into the slot's format. The refusal in libsndfile's words; otherwise `said` is one
// line naming the file and what was converted.
std::optional<std::string> ConvertImportWave(std::span<const uint8_t> bytes, std::string_view path, ImportLevel level,
                                             ImportedWave& wave, std::string& said);
// Fills slot k of the engine with a file's samples and settings. Shows the refusal and returns false when the
// file is refused; the slot is then unchanged. A converted or scaled file is reported in one information box.
bool ImportWave(Engine& engine, int k, std::span<const uint8_t> bytes, std::string_view path, bool modulator,
                Dialogs& dialogs, ImportLevel level = ImportLevel::AsRecorded);

// The commands of the engine editor's slot buttons: stop playback, ask for the file in the remembered waves
// or modulators folder and import it into slot k of the selected engine.
bool LoadWave(Session& session, int k, ImportLevel level = ImportLevel::AsRecorded);
bool LoadModulator(Session& session, int k, ImportLevel level = ImportLevel::AsRecorded);
// A file chosen elsewhere (dropped on the window): into slot k of the selected engine, as wave data or as
// modulator data as that engine takes it. False when there is no engine there or the file is refused.
bool ImportSoundFile(Session& session, int k, const std::string& path, ImportLevel level);

}  // namespace tonforge
