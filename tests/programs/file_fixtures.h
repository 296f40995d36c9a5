#pragma once
// Temporary folders and byte helpers for the file tests.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "programs/program.h"
#include "sequencer/song_records.h"
#include "shell/app_state.h"
#include "support/fake_dialogs.h"

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
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline void PutU32(std::vector<uint8_t>& bytes, std::size_t offset, uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(v >> (8 * i));
}

inline uint32_t GetU32(const std::vector<uint8_t>& bytes, std::size_t offset) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(bytes[offset + i]) << (8 * i);
  return v;
}

// An AppState started on a temporary program folder, answering dialogs from `dialogs`.
struct FileRig {
  FakeDialogs dialogs;
  TempDir dir;
  AppState app{dialogs};
  FileRig() { StartCore(app, dir.Root()); }

  Program& AddProgram(const std::string& name) {
    auto p = std::make_unique<Program>();
    std::copy(name.begin(), name.end(), p->name.begin());
    for (Engine& e : p->engines) InitProgramEngine(e, 0);
    app.song.programs.push_back(std::move(p));
    app.song.currentProgram = static_cast<int32_t>(app.song.programs.size()) - 1;
    return *app.song.programs.back();
  }
  Track& AddTrack(const std::string& name) {
    auto t = std::make_unique<Track>();
    std::copy(name.begin(), name.end(), t->name.begin());
    for (Engine& e : t->chain) InitTrackEngine(e, 0, dialogs);
    return *app.song.tracks.Insert(app.song.tracks.Count(), std::move(t));
  }
};

// Fills slot k of an engine with n samples counting up from `first` in steps of 1/1024.
inline void FillSlot(Engine& e, int k, uint32_t n, float first) {
  DataSlot& s = e.slots[k];
  s.data = AllocateSamples(n);
  for (uint32_t i = 0; i < n; ++i) s.data[i] = first + static_cast<float>(i) / 1024.0f;
  s.length = n;
  s.loaded = 1;
  s.loopEnd = n - 1;
}

}  // namespace tonforge::testing
