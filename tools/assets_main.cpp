// tonforge-make-assets APP_FOLDER: writes the factory programs and the demo song of the program folder with
// the synthesizer's own records and file writers, so they always match the file format. Every sample they
// hold (envelopes, LFOs, drum hits) is computed here; nothing is recorded.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "programs/data_slot_commands.h"
#include "shell/files.h"
#include "programs/program_file.h"
#include "programs/program_list.h"
#include "sequencer/song.h"
#include "sequencer/song_file.h"
#include "audio/studio.h"
#include "shell/random.h"

namespace {

using namespace tonforge;

constexpr float kRate = 44100.0f;  // DataSlot data is always taken at 44100 Hz
constexpr float kTwoPi = 6.28318530718f;

class SilentDialogs : public Dialogs {
public:
  void ShowMessage(std::string_view, std::string_view text, BoxIcon) override {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    failed = true;
  }
  bool AskYesNo(std::string_view, std::string_view) override { return false; }
  std::optional<std::string> OpenFile(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> SaveFile(const FileDialogRequest&) override { return std::nullopt; }
  bool failed = false;
};

// ---------------------------------------------------------------------------------------------------------
// Slot data.

// n samples of f(t), t in seconds at 44100 Hz.
SampleBlock Samples(uint32_t n, const std::function<float(float)>& f) {
  SampleBlock block = AllocateSamples(n);
  for (uint32_t i = 0; i < n && block; ++i) block[i] = f(static_cast<float>(i) / kRate);
  return block;
}

void Name(DataSlot& s, std::string_view name) {
  s.name = {};
  std::copy_n(name.data(), std::min<std::size_t>(name.size(), s.name.size() - 1), s.name.begin());
}

// A modulator slot that passes through `points` values of shape(x), x from 0 to 1, in `seconds`: held at its
// last value afterwards, or looped.
void SetModulator(Engine& e, int k, std::string_view name, uint32_t points, float seconds, bool looped, float gain,
                  const std::function<float(float)>& shape) {
  DataSlot& s = e.slots[k];
  s.data = AllocateSamples(points);
  for (uint32_t i = 0; i < points && s.data; ++i) s.data[i] = shape(static_cast<float>(i) / static_cast<float>(points - 1));
  s.loaded = s.data ? 1 : 0;
  s.length = points;
  s.loopStart = 0;
  s.loopEnd = points - 1;
  s.looped = looped ? 1 : 0;
  s.gain = gain;
  s.tempoSync = 0;
  s.rootOrRate.f = static_cast<float>(points) / (seconds * kRate);
  Name(s, name);
  RecountLoadedSlots(e);
}

// A one-shot wave slot played at its own speed at `root` cents.
void SetWave(Engine& e, int k, std::string_view name, float seconds, int32_t root,
             const std::function<float(float)>& wave) {
  DataSlot& s = e.slots[k];
  const auto n = static_cast<uint32_t>(seconds * kRate);
  s.data = Samples(n, wave);
  s.loaded = s.data ? 1 : 0;
  s.length = n;
  s.loopStart = 0;
  s.loopEnd = n - 1;
  s.looped = 0;
  s.gain = 1.0f;
  s.rootOrRate.i = root;
  Name(s, name);
  RecountLoadedSlots(e);
}

float Decay(float t, float seconds) { return std::exp(-t / seconds); }
float Attack(float t, float seconds) { return 1.0f - std::exp(-t / seconds); }

// White noise from the synthesizer's own generator step, the same every run.
class Noise {
public:
  float operator()() {
    state_ = RandomStep(state_);
    return static_cast<float>(state_ >> 8) / 8388608.0f - 1.0f;
  }

private:
  uint32_t state_ = 12345;
};

// ---------------------------------------------------------------------------------------------------------
// Programs.

Engine& Put(Program& p, int position, EngineTypeId type, std::initializer_list<std::pair<int, int32_t>> values = {}) {
  Engine& e = p.engines[position];
  InitProgramEngine(e, static_cast<uint32_t>(type));
  for (auto [k, v] : values) SetParameter(e, k, v);
  return e;
}

void Rename(Program& p, std::string_view name) {
  p.name = {};
  std::copy_n(name.data(), std::min<std::size_t>(name.size(), p.name.size() - 1), p.name.begin());
}

// Two sines an octave apart struck by a fast attack and a long decay, with a gentle auto-pan.
void ElectricPiano(Program& p) {
  Rename(p, "Electric Piano");
  p.level = 0.35f;
  Put(p, 0, EngineTypeId::SineWaveGenerator, {{0, 0}, {1, 70}});
  Put(p, 1, EngineTypeId::SineWaveGenerator, {{0, 1200}, {1, 12}});
  Put(p, 2, EngineTypeId::CosineWaveGenerator, {{0, 700}, {1, 5}});  // a fifth up: the tine
  Engine& strike = Put(p, 3, EngineTypeId::AmplitudeModulation, {{0, 0}, {1, 100}});
  SetModulator(strike, 0, "Strike", 2048, 3.0f, false, 1.0f,
               [](float x) { return Attack(x * 3.0f, 0.004f) * Decay(x * 3.0f, 0.8f); });
  Engine& pan = Put(p, 4, EngineTypeId::PanningModulation, {{0, 0}, {1, 35}});
  SetModulator(pan, 0, "Auto Pan", 256, 0.3f, true, 0.6f, [](float x) { return std::sin(kTwoPi * x); });
}

// Two detuned saws through a low-pass filter, swelling in slowly, widened by a chorus and a plate reverb.
void WarmPad(Program& p) {
  Rename(p, "Warm Pad");
  p.level = 0.25f;
  Put(p, 0, EngineTypeId::DownSawGenerator, {{0, -6}, {1, 40}});
  Put(p, 1, EngineTypeId::DownSawGenerator, {{0, 6}, {1, 40}});
  Put(p, 2, EngineTypeId::LowPassFilter, {{0, 22}, {1, 12}, {2, 100}});
  Engine& swell = Put(p, 3, EngineTypeId::AmplitudeModulation, {{0, 0}, {1, 100}});
  SetModulator(swell, 0, "Swell", 1024, 1.2f, false, 1.0f, [](float x) { return Attack(x * 1.2f, 0.3f); });
  Engine& chorus = Put(p, 4, EngineTypeId::Chorus, {{0, 20}, {1, 60}});
  SetModulator(chorus, 0, "Drift", 512, 1.7f, true, 0.8f, [](float x) { return std::sin(kTwoPi * x); });
  SetModulator(chorus, 1, "Drift 2", 512, 2.3f, true, 0.8f, [](float x) { return std::cos(kTwoPi * x); });
  Put(p, 5, EngineTypeId::PlateReverb, {{4, 70}, {5, 100}, {6, 45}});
}

// A pulse and a saw an octave down through a resonant low-pass filter whose cutoff falls after each note.
void FilterBass(Program& p) {
  Rename(p, "Filter Bass");
  p.level = 0.55f;
  Put(p, 0, EngineTypeId::PulseWaveGenerator, {{0, -1200}, {1, 30}, {2, 45}});
  Put(p, 1, EngineTypeId::DownSawGenerator, {{0, -1200}, {1, 35}});
  Engine& filter = Put(p, 2, EngineTypeId::MoogVcf, {{0, 12}, {1, 55}, {2, 100}});
  SetModulator(filter, 0, "Sweep", 512, 0.5f, false, 0.3f, [](float x) { return Decay(x * 0.5f, 0.12f); });
  Engine& amp = Put(p, 3, EngineTypeId::AmplitudeModulation, {{0, 0}, {1, 100}});
  SetModulator(amp, 0, "Pluck", 1024, 1.0f, false, 1.0f,
               [](float x) { return Attack(x, 0.003f) * (0.6f + 0.4f * Decay(x, 0.15f)); });
}

// Four generated hits on the keys C4, D4, E4 and F#4 of a multisampled player (each plays at its own speed
// on its own key).
inline constexpr int32_t kKick = 2450, kSnare = 2650, kHat = 2850, kTom = 3050;

void DrumKit(Program& p) {
  Rename(p, "Drum Kit");
  p.level = 0.45f;
  Engine& kit = Put(p, 0, EngineTypeId::MultisampledWave, {{0, 100}});
  SetWave(kit, 0, "Kick", 0.45f, kKick, [](float t) {
    const float phase = kTwoPi * (45.0f * t + 105.0f * 0.04f * (1.0f - std::exp(-t / 0.04f)));
    return 0.95f * std::sin(phase) * Decay(t, 0.16f);
  });
  Noise snareNoise;
  SetWave(kit, 1, "Snare", 0.3f, kSnare, [&snareNoise](float t) {
    return 0.55f * snareNoise() * Decay(t, 0.07f) + 0.4f * std::sin(kTwoPi * 190.0f * t) * Decay(t, 0.05f);
  });
  Noise hatNoise;
  float last = 0.0f;
  SetWave(kit, 2, "Hat", 0.12f, kHat, [&hatNoise, &last](float t) {
    const float n = hatNoise();
    const float high = n - last;  // a first difference: only the hiss stays
    last = n;
    return 0.3f * high * Decay(t, 0.025f);
  });
  SetWave(kit, 3, "Tom", 0.5f, kTom, [](float t) {
    const float phase = kTwoPi * (110.0f * t + 80.0f * 0.08f * (1.0f - std::exp(-t / 0.08f)));
    return 0.8f * std::sin(phase) * Decay(t, 0.18f);
  });
  SlotContentChanged(kit);
}

// ---------------------------------------------------------------------------------------------------------
// The demo song: eight bars of C, A minor, F and G at 100 beats per minute, 48 ticks per beat, four beats to
// the bar, with a fade over a ninth bar.

constexpr int32_t kTicksPerBeat = 48;
constexpr int32_t kBeatsPerBar = 4;
constexpr int32_t kBar = kTicksPerBeat * kBeatsPerBar;

// Cents of a note: C4 is 2450, a semitone is 100.
constexpr int32_t C3 = 1250, F3 = 1750, G3 = 1950, A3 = 2150, B3 = 2350;
constexpr int32_t C4 = 2450, D4 = 2650, E4 = 2850, F4 = 2950, G4 = 3150, A4 = 3350, B4 = 3550;
constexpr int32_t C5 = 3650, D5 = 3850, E5 = 4050, F5 = 4150, G5 = 4350;

int32_t At(int32_t bar, float beat) { return bar * kBar + static_cast<int32_t>(beat * kTicksPerBeat); }

struct Note {
  float beat;
  int32_t pitch;
};

class SongWriter {
public:
  explicit SongWriter(Studio& app) : app_(app) {}

  Track& NewTrack(std::string_view name) {
    app_.song.currentTrack = app_.song.tracks.Count() - 1;  // insert after the last track
    Track* t = InsertTrack(app_);
    if (t == nullptr) std::exit(1);
    t->name = {};
    std::copy_n(name.data(), std::min<std::size_t>(name.size(), t->name.size() - 1), t->name.begin());
    return *t;
  }
  void Add(Track& t, int32_t tick, EventType type, int32_t a = 0, int32_t b = 0) {
    if (!InsertEvent(app_, t, {tick, static_cast<int32_t>(type), a, b})) std::exit(1);
  }
  void Notes(Track& t, int32_t bar, int32_t program, std::initializer_list<Note> notes) {
    for (const Note& n : notes) Add(t, At(bar, n.beat), EventType::NoteOn, n.pitch, program);
  }

private:
  Studio& app_;
};

enum ProgramIndex : int32_t { kPiano = 0, kPad = 1, kBass = 2, kDrums = 3 };

void WriteDemoSong(Studio& app) {
  Song& song = app.song;
  song.beatsPerBar = kBeatsPerBar;
  song.ticksPerBeat = kTicksPerBeat;
  song.songLevel = 0.8f;  // room for the drums on top of the chords
  Track& global = *TrackAt(song, 0);
  global.name = {};
  std::copy_n("Demo", 4, global.name.begin());
  global.events.First()->valueA = 100;  // the opening Tempo
  song.tempo = 100.0f;
  UpdateBeatFigures(app.rate, song.tempo, song.ticksPerBeat);

  SongWriter w(app);
  Track& piano = w.NewTrack("Piano");
  Track& padLow = w.NewTrack("Pad Low");
  Track& padHigh = w.NewTrack("Pad High");
  Track& bass = w.NewTrack("Bass");
  Track& drums = w.NewTrack("Drums");
  Track& hats = w.NewTrack("Hats");

  // The tune: broken chords, then a line that answers them and comes home.
  w.Notes(piano, 0, kPiano, {{0, C5}, {1, E5}, {2, G5}, {3, E5}});
  w.Notes(piano, 1, kPiano, {{0, A4}, {1, C5}, {2, E5}, {3, C5}});
  w.Notes(piano, 2, kPiano, {{0, F4}, {1, A4}, {2, C5}, {3, A4}});
  w.Notes(piano, 3, kPiano, {{0, G4}, {1, B4}, {2, D5}, {3, B4}});
  w.Notes(piano, 4, kPiano, {{0, E5}, {1.5f, D5}, {2, C5}, {3, G4}});
  w.Notes(piano, 5, kPiano, {{0, A4}, {1.5f, B4}, {2, C5}, {3, E5}});
  w.Notes(piano, 6, kPiano, {{0, F5}, {1, E5}, {2, D5}, {3, C5}});
  w.Notes(piano, 7, kPiano, {{0, B4}, {1, D5}, {2, C5}});
  w.Notes(piano, 8, kPiano, {{0, C5}});

  // Each chord's third and fifth held for the bar, one voice per track.
  const int32_t thirds[] = {E4, C4, A3, B3, E4, C4, A3, B3, E4};
  const int32_t fifths[] = {G4, E4, C4, D4, G4, E4, C4, D4, G4};
  for (int32_t bar = 0; bar < 9; ++bar) {
    w.Notes(padLow, bar, kPad, {{0, thirds[bar]}});
    w.Notes(padHigh, bar, kPad, {{0, fifths[bar]}});
  }

  // Root, root, fifth, octave; each note let go after three sixteenths.
  const int32_t roots[] = {C3, A3 - 1200, F3, G3, C3, A3 - 1200, F3, G3, C3};
  for (int32_t bar = 0; bar < 9; ++bar) {
    const int32_t r = roots[bar];
    const std::vector<Note> line =
        bar == 8 ? std::vector<Note>{{0, r}} : std::vector<Note>{{0, r}, {1.5f, r}, {2, r + 700}, {3, r + 1200}};
    for (const Note& n : line) {
      w.Add(bass, At(bar, n.beat), EventType::NoteOn, n.pitch, kBass);
      w.Add(bass, At(bar, n.beat + 0.75f), EventType::NoteOff);
    }
  }

  // Kick and snare from bar 2, hats on the eighths from bar 4, a tom fill into the last bar.
  for (int32_t bar = 2; bar < 8; ++bar) {
    w.Notes(drums, bar, kDrums, {{0, kKick}, {1, kSnare}, {2, kKick}, {2.5f, kKick}, {3, kSnare}});
    if (bar >= 4)
      for (int eighth = 0; eighth < 8; ++eighth) w.Notes(hats, bar, kDrums, {{0.5f * eighth, kHat}});
  }
  w.Notes(drums, 7, kDrums, {{3.25f, kTom}, {3.5f, kTom}, {3.75f, kTom}});
  w.Notes(drums, 8, kDrums, {{0, kKick}});
  w.Notes(hats, 8, kDrums, {{0, kHat}});

  // The last bar fades out; the song ends when it has.
  w.Add(global, At(8, 0), EventType::SongVolumeSlide, -12);
  w.Add(global, At(9, 0), EventType::End);
}

bool WriteProgram(Program& program, const std::filesystem::path& folder) {
  program.engineCount = static_cast<uint32_t>(UsedChainLength(program.engines));
  const std::string path = (folder / (std::string(StoredText(program.name)) + ".tep")).string();
  if (ReplaceFile(path, EncodeProgramFile(program))) return true;
  std::fprintf(stderr, "Could Not Save File %s\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: tonforge-make-assets APP_FOLDER\n", stderr);
    return 2;
  }
  const std::filesystem::path app(argv[1]);
  const std::filesystem::path instruments = app / "Programs" / "Instruments";
  const std::filesystem::path songs = app / "Songs";
  std::error_code ec;
  std::filesystem::create_directories(instruments, ec);
  std::filesystem::create_directories(songs, ec);

  SilentDialogs dialogs;
  Studio state(dialogs);
  StartCore(state, app.string());
  state.random.general = 2024;  // the same seeds, so the same files, on every run
  NewSong(state);
  for (auto build : {ElectricPiano, WarmPad, FilterBass, DrumKit}) {
    Program* program = NewProgram(state);
    if (program == nullptr) return 1;
    build(*program);
  }
  if (!FitAllPositionBuffers(state)) return 1;
  WriteDemoSong(state);

  bool written = true;
  for (auto& program : state.song.programs) written = WriteProgram(*program, instruments) && written;
  written = SaveSongFile(state, (songs / "Demo.tes").string()) == SongFileResult::Done && written;
  return written && !dialogs.failed ? 0 : 1;
}
