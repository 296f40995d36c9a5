// The factory bank: every program is one row, a chain of engines with their parameters and the library
// modulators in their slots. Parameters are in the panels' units (percent, cents, milliseconds).
#include <algorithm>
#include <array>
#include <cstdio>

#include "assets.h"
#include "shell/files.h"
#include "programs/program_file.h"
#include "programs/program_list.h"
#include "song/song_records.h"

namespace tonforge::assets {
namespace {

using T = EngineTypeId;

struct Param {
  int k = -1;  // -1: not set, the type's default stays
  int32_t v = 0;
};
struct Mod {
  const char* name = nullptr;
  float gain = 1.0f;
  float timeScale = 1.0f;
};
struct Stage {
  T type = T::Thru;
  std::array<Param, 7> params{};
  std::array<Mod, 4> mods{};
  int option = -1;  // option 0's value, -1 for the default
};
struct ProgramRecipe {
  const char* name;
  const char* category;
  float level;
  std::array<Stage, 9> chain;
  bool drumKit = false;  // the chain is the sampled kit
};

// Two swells of a chorus sweep against each other, the same in every pad.
constexpr std::array<Mod, 4> kChorusSweep{{{"Sine 2s", 0.7f}, {"Triangle 5s", 0.7f}}};

constexpr ProgramRecipe kInstruments[] = {
    // ---- Basses
    {"Sub Bass", "Basses", 0.6f,
     {{{T::SineWaveGenerator, {{{1, 80}}}},
       {T::SineWaveGenerator, {{{0, 1200}, {1, 12}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Attack 10ms Sustain 70"}}}}}}},
    {"Filter Bass", "Basses", 1.0f,
     {{{T::DownSawGenerator, {{{1, 45}}}},
       {T::PulseWaveGenerator, {{{1, 30}, {2, 30}}}},
       {T::HighPassFilter, {{{0, 3}}}},  // takes off the pulse's offset
       {T::MoogVcf, {{{0, 22}, {1, 45}}}, {{{"Decay 300ms", 0.35f}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Attack 5ms Sustain 50"}}}}}}},
    {"Pluck Bass", "Basses", 0.68f,
     {{{T::DownSawGenerator, {{{1, 60}}}},
       {T::LowPassFilter, {{{0, 12}, {1, 12}}}, {{{"Decay 150ms", 0.35f}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Decay 1s"}}}}}}},
    {"Acid Bass", "Basses", 0.8f,
     {{{T::PulseWaveGenerator, {{{1, 50}, {2, 50}}}},
       {T::MoogVcf, {{{0, 20}, {1, 72}}}, {{{"Decay 300ms", 0.4f}}}},
       {T::Distortion, {{{0, 20}, {1, 60}, {2, 40}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Attack 10ms Sustain 70"}}}}}}},
    {"Rubber Bass", "Basses", 0.65f,
     {{{T::PitchModulation, {{{1, 25}, {2, 12}}}, {{{"Drop Tom"}}}},
       {T::SineWaveGenerator, {{{1, 70}}}},
       {T::PulseWaveGenerator, {{{1, 50}, {2, 15}}}},
       {T::LowPassFilter, {{{0, 14}, {1, 20}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Decay 1s"}}}}}}},
    // ---- Leads
    {"Saw Lead", "Leads", 0.55f,
     {{{T::PitchModulation, {{{1, 20}, {2, 1}}}, {{{"Vibrato Delayed 5Hz"}}}},
       {T::DownSawGenerator, {{{0, 5}, {1, 40}}}},
       {T::DownSawGenerator, {{{0, -5}, {1, 40}}}},
       {T::LowPassFilter, {{{0, 45}, {1, 12}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Attack 10ms Sustain 70"}}}},
       {T::SingleTapDelay, {{{0, 280}, {1, 370}, {2, 25}}}}}}},
    {"Square Lead", "Leads", 0.66f,
     {{{T::PulseWaveGenerator, {{{1, 50}, {2, 50}}}},
       {T::LowPassFilter, {{{0, 35}, {1, 15}}}, {{{"Attack 10ms Decay 1s", 0.2f}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Attack 10ms Sustain 70"}}}}}}},
    {"Sync Lead", "Leads", 1.0f,
     {{{T::OscillatorSynchronisation, {{{0, 2}}}, {}, 2},
       {T::UpSawGenerator, {{{0, 900}, {1, 45}}}},
       {T::HighPassFilter, {{{0, 3}}}},  // takes off the pulse's offset
       {T::LowPassFilter, {{{0, 55}, {1, 10}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Attack 10ms Sustain 70"}}}}}}},
    {"Whistle", "Leads", 0.53f,
     {{{T::PitchModulation, {{{1, 20}, {2, 1}}}, {{{"Vibrato Delayed 5Hz"}}}},
       {T::SineWaveGenerator, {{{1, 70}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Swell 300ms"}}}},
       {T::PlateReverb, {{{4, 60}, {5, 100}, {6, 30}}}}}}},
    // ---- Pads
    {"Warm Pad", "Pads", 0.43f,
     {{{T::DownSawGenerator, {{{0, -6}, {1, 40}}}},
       {T::DownSawGenerator, {{{0, 6}, {1, 40}}}},
       {T::LowPassFilter, {{{0, 22}, {1, 12}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Swell 1s"}}}},
       {T::StereoChorus, {{{0, 20}, {1, 50}}}, kChorusSweep},
       {T::PlateReverb, {{{4, 70}, {5, 100}, {6, 40}}}}}}},
    {"Glass Pad", "Pads", 0.65f,
     {{{T::PulseWaveGenerator, {{{1, 25}, {2, 35}}}},
       {T::SineWaveGenerator, {{{0, 1200}, {1, 20}}}},
       {T::HighPassFilter, {{{0, 3}}}},  // takes off the pulse's offset
       {T::HighShelfFilter, {{{0, 40}, {1, 15}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Swell 1s"}}}},
       {T::StereoChorus, {{{0, 10}, {1, 50}}}, kChorusSweep},
       {T::StereoReverbXY, {{{0, 60}, {1, 70}, {2, 9}, {3, 100}, {4, 40}}}}}}},
    {"Dark Pad", "Pads", 1.0f,
     {{{T::DownSawGenerator, {{{1, 40}}}},
       {T::PulseWaveGenerator, {{{1, 50}, {2, 20}}}},
       {T::MoogVcf, {{{0, 28}, {1, 25}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Swell 1s"}}}},
       {T::PanningModulation, {{{0, 0}}}, {{{"Sine 2s", 0.4f}}}},
       {T::PlateReverb, {{{4, 70}, {5, 100}, {6, 40}}}}}}},
    {"Choir Pad", "Pads", 0.45f,
     {{{T::PitchModulation, {{{1, 10}, {2, 1}}}, {{{"Vibrato Delayed 5Hz"}}}},
       {T::PulseWaveGenerator, {{{1, 50}, {2, 30}}}},
       {T::PulseWaveGenerator, {{{0, 4}, {1, 20}, {2, 25}}}},
       {T::BandPassFilter, {{{0, 22}, {1, 85}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Swell 1s"}}}},
       {T::Chorus, {{{0, 15}, {1, 35}}}, kChorusSweep},
       {T::PlateReverb, {{{4, 75}, {5, 100}, {6, 45}}}}}}},
    // ---- Keys
    {"Electric Piano", "Keys", 0.73f,
     {{{T::SineWaveGenerator, {{{1, 60}}}},
       {T::SineWaveGenerator, {{{0, 1200}, {1, 12}}}},
       {T::CosineWaveGenerator, {{{0, 700}, {1, 5}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Attack 20ms Decay 3s"}}}},
       {T::PanningModulation, {{{0, 0}}}, {{{"Sine 2Hz", 0.35f}}}}}}},
    {"Clavinet", "Keys", 0.31f,
     {{{T::PulseWaveGenerator, {{{1, 20}, {2, 50}}}},
       {T::HighPassFilter, {{{0, 8}}}},
       {T::LowPassFilter, {{{0, 40}, {1, 20}}}, {{{"Decay 300ms", 0.3f}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Decay 1s"}}}}}}},
    {"Soft Piano", "Keys", 1.0f,
     {{{T::DownSawGenerator, {{{1, 35}}}},
       {T::SineWaveGenerator, {{{1, 30}}}},
       {T::LowPassFilter, {{{0, 15}, {1, 9}}}, {{{"Decay 1s", 0.3f}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Decay 2s"}}}},
       {T::PlateReverb, {{{4, 50}, {5, 100}, {6, 25}}}}}}},
    {"Harpsichord", "Keys", 0.43f,
     {{{T::PulseWaveGenerator, {{{1, 12}, {2, 40}}}},
       {T::DownSawGenerator, {{{0, 1200}, {1, 12}}}},
       {T::HighPassFilter, {{{0, 6}}}},
       {T::HighPassFilter, {{{0, 3}}}},  // takes off the pulse's offset
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Decay 1s", 1.0f, 1.5f}}}}}}},
    // ---- Plucks
    {"Pluck", "Plucks", 0.66f,
     {{{T::DownSawGenerator, {{{1, 55}}}},
       {T::LowPassFilter, {{{0, 10}, {1, 15}}}, {{{"Decay 150ms", 0.45f}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Decay 600ms"}}}}}}},
    {"Harp", "Plucks", 0.79f,
     {{{T::SineWaveGenerator, {{{1, 55}}}},
       {T::CosineWaveGenerator, {{{0, 1200}, {1, 15}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Decay 2s", 1.0f, 0.75f}}}},
       {T::PlateReverb, {{{4, 60}, {5, 100}, {6, 30}}}}}}},
    {"Nylon Pluck", "Plucks", 0.77f,
     {{{T::PulseWaveGenerator, {{{1, 35}, {2, 45}}}},
       {T::HighPassFilter, {{{0, 3}}}},  // takes off the pulse's offset
       {T::LowPassFilter, {{{0, 20}, {1, 9}}}, {{{"Decay 300ms", 0.3f}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Decay 1s"}}}}}}},
    {"Marimba", "Plucks", 0.74f,
     {{{T::SineWaveGenerator, {{{1, 65}}}},
       {T::CosineWaveGenerator, {{{0, 1200}, {1, 10}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Decay 600ms"}}}}}}},
    // ---- Bells
    {"Bell", "Bells", 0.74f,
     {{{T::SineWaveGenerator, {{{1, 45}}}},
       {T::SineWaveGenerator, {{{0, 1200}, {1, 25}}}},
       {T::CosineWaveGenerator, {{{0, 1195}, {1, 10}}}},  // beats against the octave: the shimmer
       {T::CosineWaveGenerator, {{{0, 702}, {1, 15}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Decay 4s", 1.0f, 0.75f}}}}}}},
    {"Music Box", "Bells", 0.81f,
     {{{T::SineWaveGenerator, {{{1, 50}}}},
       {T::SineWaveGenerator, {{{0, 1200}, {1, 20}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Decay 1s"}}}},
       {T::PlateReverb, {{{4, 60}, {5, 100}, {6, 35}}}}}}},
    {"Glockenspiel", "Bells", 0.77f,
     {{{T::SineWaveGenerator, {{{1, 45}}}},
       {T::CosineWaveGenerator, {{{0, 1200}, {1, 30}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Decay 2s", 1.0f, 0.75f}}}},
       {T::StereoReverbXY, {{{0, 40}, {1, 70}, {2, 9}, {3, 100}, {4, 30}}}}}}},
    // ---- Strings and brass
    {"Strings", "Strings and Brass", 0.55f,
     {{{T::PitchModulation, {{{1, 12}, {2, 1}}}, {{{"Vibrato Delayed 5Hz"}}}},
       {T::DownSawGenerator, {{{0, -4}, {1, 35}}}},
       {T::DownSawGenerator, {{{0, 4}, {1, 35}}}},
       {T::LowPassFilter, {{{0, 35}, {1, 9}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Attack 80ms Sustain 80"}}}},
       {T::StereoChorus, {{{0, 20}, {1, 50}}}, kChorusSweep},
       {T::StereoReverbXY, {{{0, 60}, {1, 70}, {2, 9}, {3, 100}, {4, 35}}}}}}},
    {"Brass", "Strings and Brass", 0.61f,
     {{{T::PitchModulation, {{{1, 40}, {2, 1}}}, {{{"Rise 60ms"}}}},
       {T::DownSawGenerator, {{{1, 40}}}},
       {T::DownSawGenerator, {{{0, 4}, {1, 35}}}},
       {T::LowPassFilter, {{{0, 18}, {1, 12}}}, {{{"Attack 80ms Sustain 80", 0.25f}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Attack 80ms Sustain 80"}}}}}}},
    {"Cello", "Strings and Brass", 0.59f,
     {{{T::PitchModulation, {{{1, 15}, {2, 1}}}, {{{"Vibrato Delayed 5Hz"}}}},
       {T::DownSawGenerator, {{{1, 50}}}},
       {T::BandPassFilter, {{{0, 20}, {1, 90}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Swell 300ms"}}}},
       {T::PlateReverb, {{{4, 60}, {5, 100}, {6, 30}}}}}}},
    // ---- Organs
    {"Drawbar Organ", "Organs", 0.6f,
     {{{T::SineWaveGenerator, {{{1, 40}}}},
       {T::SineWaveGenerator, {{{0, 1200}, {1, 30}}}},
       {T::CosineWaveGenerator, {{{0, 702}, {1, 15}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Attack 10ms Sustain 70"}}}},
       {T::Chorus, {{{0, 5}, {1, 40}}}, {{{"Sine 6Hz", 0.5f}}}}}}},
    {"Rock Organ", "Organs", 0.8f,
     {{{T::SineWaveGenerator, {{{1, 40}}}},
       {T::SineWaveGenerator, {{{0, 1200}, {1, 30}}}},
       {T::DownSawGenerator, {{{0, 1200}, {1, 8}}}},
       {T::Distortion, {{{0, 15}, {1, 70}, {2, 35}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Attack 10ms Sustain 70"}}}},
       {T::PanningModulation, {{{0, 0}}}, {{{"Sine 6Hz", 0.5f}}}}}}},
    {"Pipe Organ", "Organs", 0.99f,
     {{{T::PulseWaveGenerator, {{{1, 50}, {2, 20}}}},
       {T::DownSawGenerator, {{{0, 1200}, {1, 12}}}},
       {T::SineWaveGenerator, {{{1, 35}}}},
       {T::LowPassFilter, {{{0, 40}, {1, 9}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Swell 300ms"}}}},
       {T::PlateReverb, {{{4, 80}, {5, 100}, {6, 40}}}}}}},
    // ---- Drums and percussion
    {"Drum Kit", "Drums and Percussion", 0.7f, {}, true},
    {"Synth Kick", "Drums and Percussion", 0.67f,
     {{{T::PitchModulation, {{{1, 100}, {2, 12}}}, {{{"Drop Kick"}}}},
       {T::SineWaveGenerator, {{{0, -1200}, {1, 95}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Decay 300ms"}}}}}}},
    {"Synth Snare", "Drums and Percussion", 0.6f,
     {{{T::PitchModulation, {{{1, 50}, {2, 12}}}, {{{"Drop Kick"}}}},
       {T::SineWaveGenerator, {{{0, -500}, {1, 40}}}},
       {T::WhiteNoiseGenerator, {{{0, 60}}}},
       {T::HighPassFilter, {{{0, 10}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Decay 150ms"}}}}}}},
    {"Synth Hat", "Drums and Percussion", 0.61f,
     {{{T::WhiteNoiseGenerator, {{{0, 70}}}},
       {T::HighPassFilter, {{{0, 70}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Decay 80ms"}}}}}}},
    // ---- Effects
    {"Laser Zap", "Effects", 0.66f,
     {{{T::PitchModulation, {{{1, 100}, {2, 12}}}, {{{"Drop Long"}}}},
       {T::PulseWaveGenerator, {{{0, 1200}, {1, 30}, {2, 40}}}},
       {T::HighPassFilter, {{{0, 3}}}},  // takes off the pulse's offset
       {T::LowPassFilter, {{{0, 50}, {1, 20}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Decay 600ms"}}}}}}},
    {"Wind", "Effects", 1.0f,
     {{{T::WhiteNoiseGenerator, {{{0, 60}}}},
       {T::BandPassFilter, {{{0, 22}, {1, 90}}}, {{{"Drift Slow", 0.08f}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Swell 300ms"}}}},
       {T::StereoReverbYX, {{{0, 60}, {1, 60}, {2, 9}, {3, 100}, {4, 40}}}}}}},
    {"Flange Drone", "Effects", 0.74f,
     {{{T::DownSawGenerator, {{{1, 35}}}},
       {T::UpSawGenerator, {{{0, -1200}, {1, 20}}}},
       {T::Flange, {{{0, 10}, {1, 60}, {2, 60}}}, {{{"Triangle 5s", 0.9f}}}},
       {T::AmplitudeModulation, {{{0, 0}}}, {{{"Swell 1s"}}}}}}},
    {"Random Bleeps", "Effects", 0.5f,
     {{{T::PitchModulation, {{{1, 100}, {2, 12}}}, {{{"Random Steps 10Hz"}}}},
       {T::PulseWaveGenerator, {{{1, 30}, {2, 40}}}},
       {T::HighPassFilter, {{{0, 3}}}},  // takes off the pulse's offset
       {T::AmplitudeModulation, {{{0, 50}}}, {{{"Square 8Hz", 0.5f}}}},
       {T::LowPassFilter, {{{0, 35}, {1, 15}}}},  // after the gate: rounds its edges
       {T::BasicDelay, {{{0, 375}, {1, 35}, {2, 250}, {3, 35}, {4, 40}}}}}}},
};

// Track chains: effects ready to load into a track's plug-in chain.
constexpr ProgramRecipe kTrackChains[] = {
    {"Echo Quarter Note", "Delays", 1.0f,
     {{{T::BasicDelay, {{{0, 48}, {1, 40}, {2, 48}, {3, 40}, {4, 40}}}, {}, 1}}}},
    {"Stereo Echo", "Delays", 1.0f,
     {{{T::BasicDelay, {{{0, 375}, {1, 40}, {2, 250}, {3, 40}, {4, 35}}}}}}},
    {"Slapback", "Delays", 1.0f,
     {{{T::SingleTapDelay, {{{0, 90}, {1, 110}, {2, 40}}}}}}},
    {"Wide Chorus", "Choruses", 1.0f,
     {{{T::StereoChorus, {{{0, 15}, {1, 50}}}, {{{"Sine 1Hz", 0.6f}, {"Triangle 1Hz", 0.6f}}}}}}},
    {"Slow Flange", "Choruses", 1.0f,
     {{{T::StereoFlange, {{{0, 5}, {1, 40}, {2, 40}}}, {{{"Triangle 5s", 0.9f}, {"Sine 10s", 0.9f}}}}}}},
    {"Room Reverb", "Reverbs", 1.0f,
     {{{T::StereoReverbXY, {{{0, 40}, {1, 70}, {2, 9}, {3, 100}, {4, 30}}}}}}},
    {"Hall Reverb", "Reverbs", 1.0f,
     {{{T::StereoReverbYX, {{{0, 75}, {1, 55}, {2, 9}, {3, 100}, {4, 40}}}}}}},
    {"Plate Reverb", "Reverbs", 1.0f,
     {{{T::PlateReverb, {{{4, 70}, {5, 100}, {6, 40}}}}}}},
};

void Fill(Engine& e, const Stage& s) {
  for (const Param& p : s.params)
    if (p.k >= 0) SetParameter(e, p.k, p.v);
  if (s.option >= 0) e.options[0] = static_cast<uint32_t>(s.option);
  for (int k = 0; k < kDataSlotCount; ++k)
    if (s.mods[k].name != nullptr) LoadLibraryModulator(e, k, s.mods[k].name, s.mods[k].gain, s.mods[k].timeScale);
}

void Build(Program& p, const ProgramRecipe& recipe) {
  CopyName(p.name, recipe.name);
  p.level = recipe.level;
  if (recipe.drumKit) {
    BuildDrumKit(p.engines);
    return;
  }
  for (int i = 0; i < kChainLength; ++i) {
    InitProgramEngine(p.engines[i], static_cast<uint32_t>(recipe.chain[i].type));
    Fill(p.engines[i], recipe.chain[i]);
  }
}

bool WriteProgram(Program& program, const std::filesystem::path& folder) {
  program.engineCount = static_cast<uint32_t>(UsedChainLength(program.engines));
  const std::string path = (folder / (std::string(StoredText(program.name)) + ".tep")).string();
  if (ReplaceFile(path, EncodeProgramFile(program))) return true;
  std::fprintf(stderr, "Could Not Save File %s\n", path.c_str());
  return false;
}

}  // namespace

bool WriteBank(Studio& studio, const std::filesystem::path& programs) {
  std::error_code ec;
  std::filesystem::create_directories(programs / "Instruments", ec);
  std::filesystem::create_directories(programs / "Tracks", ec);
  bool written = true;
  for (const ProgramRecipe& recipe : kInstruments) {
    Program* program = NewProgram(studio);
    if (program == nullptr) return false;
    Build(*program, recipe);
    written = WriteProgram(*program, programs / "Instruments") && written;
  }
  for (const ProgramRecipe& recipe : kTrackChains) {
    Program chain;
    for (Engine& e : chain.engines) InitProgramEngine(e, 0);
    Build(chain, recipe);
    written = WriteProgram(chain, programs / "Tracks") && written;
  }
  return FitAllPositionBuffers(studio) && written;
}

int32_t BankIndex(std::string_view name) {
  for (size_t i = 0; i < std::size(kInstruments); ++i)
    if (name == kInstruments[i].name) return static_cast<int32_t>(i);
  std::fprintf(stderr, "no program %.*s in the bank\n", static_cast<int>(name.size()), name.data());
  std::exit(1);
}

bool LoadTrackChain(Studio& studio, Track& track, std::string_view name) {
  const ProgramRecipe* recipe = nullptr;
  for (const ProgramRecipe& s : kTrackChains)
    if (name == s.name) recipe = &s;
  if (recipe == nullptr) return false;
  for (int i = 0; i < kChainLength; ++i) {
    ReleaseTrackEngine(track.chain[i]);
    if (!InitTrackEngine(track.chain[i], static_cast<uint32_t>(recipe->chain[i].type), studio.dialogs)) return false;
    Fill(track.chain[i], recipe->chain[i]);
  }
  ValidateAllTracks(studio.song);
  return true;
}

}  // namespace tonforge::assets
