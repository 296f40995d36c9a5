#pragma once
// A started core on a temporary program folder holding a new song, byte helpers for the file tests, and a song
// with every kind of record for the song file tests and the loader robustness test.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "sequencer/song_file.h"
#include "audio/studio.h"
#include "shell/bytes.h"
#include "support/song_rig.h"

namespace tonforge::testing {

// A fresh folder under the system's temporary folder, removed with everything in it at the end of the test.
class TempDir {
public:
  TempDir() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() / ("tonforge-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::string Root() const { return path_.string(); }

private:
  std::filesystem::path path_;
};

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::ssize(bytes));
}
inline uint32_t Bits(float v) { return std::bit_cast<uint32_t>(v); }

// The first offset at which two files differ (the shorter one's length when one is a prefix), or -1: a failure
// names the field instead of printing kilobytes.
inline long FirstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  const auto [i, j] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  return i == a.end() && j == b.end() ? -1 : static_cast<long>(i - a.begin());
}

// Title, default name, start folder and first filter of a file dialog, on one line.
inline std::string Describe(const FileDialogRequest& r) {
  return r.title + "|" + r.defaultName + "|" + r.startFolder + "|" + r.filters.at(0).description + "|" + r.filters.at(0).pattern;
}

struct FileRig : SongRig {
  TempDir dir;
  FileRig() { StartCore(app, dir.Root()); }

  Program& AddProgram(const std::string& name) {
    Program& p = *NewProgram(app);
    std::fill(std::copy(name.begin(), name.end(), p.name.begin()), p.name.end(), '\0');
    return p;
  }
  Track& AddTrack() {
    app.song.currentTrack = app.song.tracks.Count() - 1;
    return *InsertTrack(app);
  }
  // Loads bytes from a file through the loader the commands use.
  SongFileResult Load(const std::vector<uint8_t>& bytes) {
    WriteBytes(dir.File("in.tes"), bytes);
    return LoadSongFile(app, dir.File("in.tes"));
  }
};

inline Engine& Put(Engine& e, EngineTypeId type, std::initializer_list<std::pair<int, uint32_t>> slots = {}) {
  InitProgramEngine(e, Id(type));
  for (auto [k, n] : slots) FillSlot(e, k, n, 0.125f * static_cast<float>(k + 1));
  RecountLoadedSlots(e);
  return e;
}

// Programs with wave, modulator and delay engines; tracks that play both from the first tick with parameter
// events and a Phrase; track and song chains holding their own data. At rest, as a loaded song is, so its
// file saves back unchanged.
inline void BuildRichSong(FileRig& rig) {
  Song& song = rig.app.song;
  std::copy_n("My:Song", 8, rig.TrackNo(0).name.begin());
  song.beatsPerBar = 4;
  song.songLevel = 0.8f;
  Program& keys = *NewProgram(rig.app);
  DataSlot& keySlot = Put(keys.engines[0], EngineTypeId::MultisampledWave, {{0, 300}, {1, 40}}).slots[0];
  keySlot.rootOrRate.i = 4850;
  keySlot.looped = 1;
  keySlot.loopStart = 5;
  Put(keys.engines[1], EngineTypeId::Arpeggiator);
  SetParameter(Put(keys.engines[3], EngineTypeId::CombFilter), 0, 250);
  Program& pad = *NewProgram(rig.app);
  Put(pad.engines[0], EngineTypeId::DownSawGenerator);
  Put(pad.engines[1], EngineTypeId::LowPassFilter, {{0, 9}}).slots[0].rootOrRate.f = 0.05f;
  Put(pad.engines[2], EngineTypeId::StereoReverbXY);
  Put(pad.engines[3], EngineTypeId::VariableSpeedDelay);
  FitAllPositionBuffers(rig.app);

  Track& lead = rig.AddTrack();
  Track& bass = rig.AddTrack();
  rig.AddTrack();
  lead.pan = 60;
  lead.level = 0.5f;
  InitTrackEngine(lead.chain[0], Id(EngineTypeId::Chorus), rig.dialogs);
  FillSlot(lead.chain[0], 0, 17, 0.25f);
  RecountLoadedSlots(lead.chain[0]);
  InitTrackEngine(bass.chain[1], Id(EngineTypeId::SingleTapDelay), rig.dialogs);
  InitTrackEngine(rig.TrackNo(0).chain[0], Id(EngineTypeId::PlateReverb), rig.dialogs);
  rig.Add(1, {{0, Type(EventType::NoteOn), 2450, 0}, {1, Type(EventType::ProgramEngineParameter) + 3, 0, 700},
              {48, Type(EventType::NoteOff), 0, 0}});
  rig.Add(2, {{0, Type(EventType::NoteOn), 3650, 1}, {1, Type(EventType::TrackEngineParameter) + 1, 1, 900}});
  rig.Add(3, {{1, Type(EventType::Phrase), 1, 0}, {200, Type(EventType::NoteOn), 1250, 1}});
  rig.Add(0, {{384, Type(EventType::End), 0, 0}});
  song.currentTrack = 0;
}

}  // namespace tonforge::testing
