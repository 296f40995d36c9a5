#pragma once
// tonforge-make-assets: the factory content of the program folder, computed from the tables of its four
// parts (the modulator library, the drum samples, the program bank and the demo song) and written with the
// synthesizer's own records and file writers.
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "audio/studio.h"
#include "engines/catalog.h"
#include "engines/engine.h"

namespace tonforge::assets {

inline constexpr float kRate = 44100.0f;  // every DataSlot sample is taken at 44100 Hz
inline constexpr float kPi = 3.14159265359f;
inline constexpr float kTwoPi = 2.0f * kPi;

// Cents of the notes the bank and the song use: C3 is 1250, middle C 2450, a semitone 100.
inline constexpr int32_t kC3 = 1250, kC4 = 2450, kC5 = 3650;

// The synthesizer's own generator step, seeded per use, so every run writes the same bytes.
float NoiseAt(uint32_t& state);
// A value in -1..1 that depends only on (seed, index): the steps of random modulators.
float HashedUnit(uint32_t seed, uint32_t index);

// A 44100 Hz 16-bit mono PCM WAV, with a "smpl" loop when `loop` is given (start, end).
std::vector<uint8_t> EncodeMonoWave(std::span<const float> samples, std::optional<std::pair<uint32_t, uint32_t>> loop);
bool WriteFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

void CopyName(std::span<char> field, std::string_view name);

// --- The modulator library (assets_modulators.cpp).
// Writes every modulator of the library into app/Modulators/<kind>/; false on a failed write.
bool WriteModulatorLibrary(const std::filesystem::path& modulators);
// Fills slot k of an engine with the library modulator `name`: the same shape over its active part, with
// fewer points, so a program stays small; `timeScale` stretches it (0.5 plays it twice as fast).
void LoadLibraryModulator(Engine& engine, int k, std::string_view name, float gain, float timeScale = 1.0f);

// --- The drum samples (assets_drums.cpp).
bool WriteDrumSamples(const std::filesystem::path& waves);
// The Drum Kit's chain: every sample on its own key, a whole tone apart from C3; and the key of a drum.
void BuildDrumKit(std::span<Engine> chain);
int32_t DrumKey(std::string_view name);

// --- The program bank (assets_bank.cpp).
// Appends the bank's programs to the studio's program list (the demo song plays them by their index there)
// and writes each into Programs/Instruments/; the track chains go into Programs/Tracks/.
bool WriteBank(Studio& studio, const std::filesystem::path& programs);
// The index in the program list of a bank program, for the demo song.
int32_t BankIndex(std::string_view name);
// Loads a track-chain program of the bank into a track's chain.
bool LoadTrackChain(Studio& studio, Track& track, std::string_view name);

// --- The demo song (assets_demo.cpp).
void WriteDemoSong(Studio& studio);

}  // namespace tonforge::assets
