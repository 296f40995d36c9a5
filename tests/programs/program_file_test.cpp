#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <functional>

#include "file_fixtures.h"
#include "programs/program_file.h"

namespace tonforge {
namespace {

using testing::FileRig;
using testing::FillSlot;
using testing::GetU32;
using testing::PutU32;
using testing::ReadBytes;
using testing::WriteBytes;

constexpr auto kCombFilter = static_cast<uint32_t>(EngineTypeId::CombFilter);
constexpr std::size_t kEngine0 = kProgramFileHeaderSize + kProgramEnginesOffset;

std::size_t EngineAt(int p) { return kEngine0 + kEngineImageSize * p; }
std::size_t SlotAt(int p, int k) { return EngineAt(p) + kEngineSlotsOffset + kDataSlotImageSize * k; }
uint32_t Bits(float v) { return std::bit_cast<uint32_t>(v); }

void SetType(Engine& e, EngineTypeId type) { InitProgramEngine(e, static_cast<uint32_t>(type)); }

TEST(ProgramImage, SizesAndFieldOffsets) {
  Program p;
  p.level = 0.5f;
  p.pan = 150;
  SetType(p.engines[3], EngineTypeId::CombFilter);
  FillSlot(p.engines[3], 0, 1000, 0.25f);
  FillSlot(p.engines[3], 2, 10, -0.5f);
  p.engines[3].loadedSlotCount = 1;
  p.engineCount = CountUsedEngines(p.engines);
  const std::vector<uint8_t> bytes = EncodeProgramFile(p);
  ASSERT_EQ(bytes.size(), 5652u + 4000u + 40u);

  const struct {
    const char* field;
    std::size_t offset;
    uint32_t value;
  } fields[] = {
      {"magic", 0, 0x31504555},  // "UEP1"
      {"level", 36, Bits(0.5f)},
      {"pan", 60, 150},
      {"engine count", 68, 4},
      {"engine 3 type", EngineAt(3), kCombFilter},
      {"engine 3 loaded slots", EngineAt(3) + 4, 1},
      {"engine 3 F[1]", EngineAt(3) + 84, Bits(0.5f)},
      {"slot 0 loaded", SlotAt(3, 0) + 16, 1},
      {"slot 0 data reference", SlotAt(3, 0) + 40, 0},
      {"slot 0 length", SlotAt(3, 0) + 48, 1000},
      {"slot 0 loop end", SlotAt(3, 0) + 56, 999},
      {"slot 0 gain", SlotAt(3, 0) + 60, Bits(1.0f)},
      {"slot 0 root pitch", SlotAt(3, 0) + 64, 2450},
      {"slot 2 length", SlotAt(3, 2) + 48, 10},
      {"delay line count", EngineAt(3) + 408, 2},
      {"buffer length", EngineAt(3) + 412, 88204},
      {"line length", EngineAt(3) + 416, 44102},
      {"line 1 start", EngineAt(3) + 424, 44102},
      {"line 1 end", EngineAt(3) + 488, 88204},
      {"left buffer reference", EngineAt(3) + 612, 0},
      {"engine 4 type", EngineAt(4), 0},
      {"first block", 5652, Bits(0.25f)},
      {"second block", 5652 + 4000, Bits(-0.5f)},
  };
  for (const auto& f : fields) EXPECT_EQ(GetU32(bytes, f.offset), f.value) << f.field;

  const struct {
    std::vector<int> used;
    uint32_t count;
  } chains[] = {{{}, 0}, {{0}, 1}, {{0, 4}, 5}, {{8}, 9}};
  for (const auto& c : chains) {
    Chain chain{};
    for (int p : c.used) chain[p].type = kCombFilter;
    EXPECT_EQ(CountUsedEngines(chain), c.count);
  }
}

// A program that exercises every kind of field: wave and modulator slots, delay engines, odd values.
void BuildRichProgram(Program& p) {
  p.level = 0.6f;
  p.pan = 40;
  SetType(p.engines[0], EngineTypeId::BasicWave);
  FillSlot(p.engines[0], 0, 100, -0.75f);
  p.engines[0].slots[0].rootOrRate.i = 4850;
  p.engines[0].slots[0].looped = 1;
  p.engines[0].slots[0].loopStart = 10;
  p.engines[0].loadedSlotCount = 1;
  std::copy_n("Kick", 4, p.engines[0].slots[0].name.begin());
  SetType(p.engines[1], EngineTypeId::CombFilter);
  SetParameter(p.engines[1], 0, 250);
  p.engines[1].options[0] = 1;
  SetType(p.engines[2], EngineTypeId::AmplitudeModulation);
  FillSlot(p.engines[2], 0, 7, 0.0f);
  FillSlot(p.engines[2], 1, 3, 0.5f);
  p.engines[2].slots[1].rootOrRate.f = 0.05f;
  p.engines[2].slots[1].tempoSync = 1;
  p.engines[2].loadedSlotCount = 2;
  SetType(p.engines[4], EngineTypeId::PlateReverb);
}

TEST(ProgramFile, SaveLoadSaveIsByteIdentical) {
  FileRig rig;
  Program& original = rig.AddProgram("Pad: one/two\\x");
  BuildRichProgram(original);
  rig.dialogs.paths = {rig.dir.File("first.wav"), rig.dir.File("first.tep"), rig.dir.File("second")};

  ASSERT_TRUE(SaveProgram(rig.app));
  const FileDialogRequest& request = rig.dialogs.requests[0];
  EXPECT_EQ(request.title, "Save Program");
  EXPECT_EQ(request.defaultName, "Pad  one two x.tep");
  EXPECT_EQ(request.startFolder, rig.dir.Root() + "/Programs/Instruments/");
  ASSERT_EQ(request.filters.size(), 2u);
  EXPECT_EQ(request.filters[0].description, "Program Files (*.tep)");
  EXPECT_EQ(request.filters[0].pattern, "*.tep");
  EXPECT_EQ(rig.app.folders.instrumentPrograms, rig.dir.Root() + "/");

  ASSERT_TRUE(LoadProgramNew(rig.app));
  EXPECT_EQ(rig.dialogs.requests[1].title, "Load Program");
  ASSERT_EQ(rig.app.song.programs.size(), 2u);
  EXPECT_EQ(rig.app.song.currentProgram, 1);
  const Program& loaded = *rig.app.song.programs[1];
  EXPECT_STREQ(loaded.name.data(), "Pad: one/two\\x");
  EXPECT_EQ(loaded.engines[2].loadedSlotCount, 2u);
  EXPECT_NE(loaded.engines[0].slots[0].data.get(), original.engines[0].slots[0].data.get());
  EXPECT_EQ(loaded.engines[0].slots[0].data[99], original.engines[0].slots[0].data[99]);
  EXPECT_EQ(rig.app.song.positionBufferSize[1], 88204u);
  EXPECT_NE(rig.app.song.positionBufferSize[4], 0u);
  EXPECT_TRUE(rig.app.live.buffers.left[1]);

  ASSERT_TRUE(SaveProgram(rig.app));
  const auto first = ReadBytes(rig.dir.File("first.tep"));
  const auto second = ReadBytes(rig.dir.File("second.tep"));
  EXPECT_EQ(first.size(), 5652u + 4u * (100 + 7 + 3));
  EXPECT_EQ(first, second);
  EXPECT_TRUE(rig.dialogs.shown.empty());
}

TEST(ProgramFile, LegacyFileIsUpgraded) {
  Program p;
  SetType(p.engines[0], EngineTypeId::LowPassFilter);
  SetParameter(p.engines[0], 0, 25);
  FillSlot(p.engines[0], 0, 4, 0.0f);
  SetType(p.engines[1], EngineTypeId::Clipper);
  p.engines[1].type = 40;  // the old number of the clipper
  SetType(p.engines[2], EngineTypeId::StereoReverbXY);
  p.engines[2].type = 35;  // the old reverb
  SetParameter(p.engines[2], 1, 25);
  SetType(p.engines[3], EngineTypeId::PeakingFilter);
  SetParameter(p.engines[3], 1, 40);
  auto bytes = EncodeProgramFile(p);
  std::copy_n("TEP1", 4, bytes.begin());

  FileRig rig;
  WriteBytes(rig.dir.File("old.tep"), bytes);
  rig.dialogs.paths = {rig.dir.File("old.tep")};
  ASSERT_TRUE(LoadProgramNew(rig.app));
  const Program& loaded = *rig.app.song.programs.at(0);
  const Engine& filter = loaded.engines[0];
  EXPECT_EQ(filter.F[0], 0.5f);
  EXPECT_EQ(filter.C[0], 0.75f);
  EXPECT_EQ(filter.slots[0].gain, std::sqrt(1.25f) - 0.5f);
  EXPECT_EQ(loaded.engines[1].type, static_cast<uint32_t>(EngineTypeId::Clipper));
  EXPECT_EQ(loaded.engines[2].type, static_cast<uint32_t>(EngineTypeId::StereoReverbXY));
  EXPECT_EQ(loaded.engines[2].F[1], 0.5f);
  EXPECT_EQ(loaded.engines[2].bufferLength, 12u * 1618u);
  // Peaking: C1 = F1 * 0.5 = 0.2, F1 = 0.8.
  EXPECT_FLOAT_EQ(loaded.engines[3].F[1], 0.8f);
  EXPECT_FLOAT_EQ(loaded.engines[3].C[1], 0.2f);
  EXPECT_TRUE(rig.dialogs.shown.empty());
}

TEST(ProgramFile, DamagedFilesLeaveProgramsUntouched) {
  Program p;
  SetType(p.engines[0], EngineTypeId::BasicWave);
  FillSlot(p.engines[0], 0, 8, 0.0f);
  SetType(p.engines[1], EngineTypeId::CombFilter);
  SetType(p.engines[2], EngineTypeId::VariableSpeedDelay);
  const std::vector<uint8_t> good = EncodeProgramFile(p);

  const struct {
    const char* damage;
    std::function<void(std::vector<uint8_t>&)> apply;
  } cases[] = {
      {"wrong magic", [](auto& b) { b[0] = 'X'; }},
      {"empty file", [](auto& b) { b.clear(); }},
      {"record cut short", [](auto& b) { b.resize(4 + 5000); }},
      {"data cut short", [](auto& b) { b.resize(b.size() - 4); }},
      {"sample length beyond the file", [](auto& b) { PutU32(b, SlotAt(0, 0) + 48, 1u << 30); }},
      {"type index 200", [](auto& b) { PutU32(b, EngineAt(1), 200); }},
      {"pan beyond 200", [](auto& b) { PutU32(b, 60, 201); }},
      {"loaded-slot count beyond four", [](auto& b) { PutU32(b, EngineAt(0) + 4, 5); }},
      {"infinite parameter", [](auto& b) { PutU32(b, EngineAt(1) + 80, Bits(INFINITY)); }},
      {"complement that is not a number", [](auto& b) { PutU32(b, EngineAt(1) + 108, 0x7fc00000); }},
      {"slot gain that is not a number", [](auto& b) { PutU32(b, SlotAt(0, 0) + 60, 0x7fc00000); }},
      {"sample that is not a number", [](auto& b) { PutU32(b, 5652, 0x7fc00000); }},
  };
  for (const auto& c : cases) {
    for (const bool replace : {false, true}) {
      FileRig rig;
      Program& keep = rig.AddProgram("Keep");
      SetType(keep.engines[0], EngineTypeId::BasicWave);
      FillSlot(keep.engines[0], 0, 3, 0.5f);
      const float* keptData = keep.engines[0].slots[0].data.get();
      auto bytes = good;
      c.apply(bytes);
      WriteBytes(rig.dir.File("bad.tep"), bytes);
      rig.dialogs.paths = {rig.dir.File("bad.tep")};

      EXPECT_FALSE(replace ? LoadProgramReplace(rig.app) : LoadProgramNew(rig.app)) << c.damage;
      ASSERT_EQ(rig.dialogs.shown.size(), 1u) << c.damage;
      EXPECT_EQ(rig.dialogs.shown[0].caption, "Error");
      EXPECT_EQ(rig.dialogs.shown[0].text, "Invalid File") << c.damage;
      ASSERT_EQ(rig.app.song.programs.size(), 1u) << c.damage;
      EXPECT_EQ(&keep, rig.app.song.programs[0].get());
      EXPECT_STREQ(keep.name.data(), "Keep");
      EXPECT_EQ(keep.engines[0].slots[0].data.get(), keptData) << c.damage;
      EXPECT_EQ(keep.engines[1].type, 0u) << c.damage;
    }
  }
  // The undamaged file is accepted by the same rig, so each refusal above is the damage's doing.
  FileRig rig;
  rig.AddProgram("Keep");
  WriteBytes(rig.dir.File("good.tep"), good);
  rig.dialogs.paths = {rig.dir.File("good.tep")};
  EXPECT_TRUE(LoadProgramReplace(rig.app));
  EXPECT_EQ(rig.app.song.programs[0]->engines[1].type, kCombFilter);
}

// Values a saved program may really hold are not grounds for refusal: they load as stored, and a parameter
// outside its range comes back at the nearest end of it.
TEST(ProgramFile, StoredValuesLoadAsTheyAreOrWithinRange) {
  Program p;
  SetType(p.engines[0], EngineTypeId::BasicWave);
  FillSlot(p.engines[0], 0, 8, 0.0f);
  SetType(p.engines[1], EngineTypeId::CombFilter);
  SetType(p.engines[2], EngineTypeId::VariableSpeedDelay);
  SetType(p.engines[3], EngineTypeId::OscillatorSynchronisation);
  const std::vector<uint8_t> good = EncodeProgramFile(p);

  const struct {
    const char* field;
    std::size_t offset;
    uint32_t stored;
    std::function<uint32_t(const Program&)> loaded;
    uint32_t expected;
  } cases[] = {
      {"choice beyond its count", EngineAt(2) + 8, 5, [](const Program& q) { return q.engines[2].options[0]; }, 5},
      {"octave choice far beyond", EngineAt(3) + 8, 0xfffffff0u, [](const Program& q) { return q.engines[3].options[0]; },
       0xfffffff0u},
      {"root pitch above the table", SlotAt(0, 0) + 64, 11550, [](const Program& q) { return q.engines[0].slots[0].rootOrRate.u; },
       11550},
      {"negative root pitch", SlotAt(0, 0) + 64, static_cast<uint32_t>(-1150),
       [](const Program& q) { return q.engines[0].slots[0].rootOrRate.u; }, static_cast<uint32_t>(-1150)},
      {"loop end past the data", SlotAt(0, 0) + 56, 1000, [](const Program& q) { return q.engines[0].slots[0].loopEnd; }, 1000},
      {"delay far beyond its range", EngineAt(1) + 80, Bits(50.0f), [](const Program& q) { return Bits(q.engines[1].F[0]); },
       Bits(10.0f)},
      {"its complement follows", EngineAt(1) + 80, Bits(50.0f), [](const Program& q) { return Bits(q.engines[1].C[0]); },
       Bits(-9.0f)},
      {"delay below its range", EngineAt(1) + 80, Bits(-3.0f), [](const Program& q) { return Bits(q.engines[1].F[0]); },
       Bits(0.01f)},
      {"a value in range keeps its bits", EngineAt(1) + 80, Bits(2.5f), [](const Program& q) { return Bits(q.engines[1].F[0]); },
       Bits(2.5f)},
  };
  for (const auto& c : cases) {
    testing::FakeDialogs dialogs;
    auto bytes = good;
    PutU32(bytes, c.offset, c.stored);
    const auto decoded = DecodeProgramFile(bytes, kLevelProgram, dialogs);
    ASSERT_TRUE(decoded) << c.field;
    EXPECT_EQ(c.loaded(*decoded->program), c.expected) << c.field;
    EXPECT_TRUE(dialogs.shown.empty()) << c.field;
  }
  // A slot loaded with no samples (an empty wave was imported) holds no block; a later block still lines up.
  Program empty;
  SetType(empty.engines[0], EngineTypeId::AmplitudeModulation);
  FillSlot(empty.engines[0], 1, 2, 0.25f);
  empty.engines[0].slots[0].loaded = 1;
  testing::FakeDialogs dialogs;
  const auto bytes = EncodeProgramFile(empty);
  ASSERT_EQ(bytes.size(), 5652u + 8u);
  const auto decoded = DecodeProgramFile(bytes, kLevelProgram, dialogs);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->program->engines[0].slots[0].loaded, 1u);
  EXPECT_FALSE(decoded->program->engines[0].slots[0].data);
  EXPECT_EQ(decoded->program->engines[0].slots[1].data[0], 0.25f);
  EXPECT_EQ(decoded->program->engines[0].loadedSlotCount, 2u);
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST(ProgramFile, RunningStateIsSettledOnLoad) {
  Program p;
  SetType(p.engines[0], EngineTypeId::BasicWave);
  FillSlot(p.engines[0], 0, 4, 0.0f);
  SetType(p.engines[1], EngineTypeId::CombFilter);
  SetType(p.engines[2], EngineTypeId::Arpeggiator);
  const std::vector<uint8_t> good = EncodeProgramFile(p);

  const struct {
    const char* field;
    std::size_t offset;
    uint32_t stored;
    std::function<uint32_t(const Program&)> loaded;
    uint32_t expected;
  } cases[] = {
      {"engine count", 68, 1000, [](const Program& q) { return q.engineCount; }, 3},
      {"loaded slot count", EngineAt(0) + 4, 4, [](const Program& q) { return q.engines[0].loadedSlotCount; }, 1},
      {"line position", EngineAt(1) + 548, 5000000, [](const Program& q) { return q.engines[1].linePosition[0]; }, 0},
      {"line end", EngineAt(1) + 484, 7, [](const Program& q) { return q.engines[1].lineEnd[0]; }, 44102},
      {"buffer length", EngineAt(1) + 412, 9, [](const Program& q) { return q.engines[1].bufferLength; }, 88204},
      {"working word", EngineAt(1) + 24 + 4 * 13, 0xffffffff, [](const Program& q) { return q.engines[1].W[13].u; }, 0},
      {"arpeggiator step", EngineAt(2) + 16, 1000, [](const Program& q) { return q.engines[2].options[2]; }, 0},
      {"transpose", 48, 77, [](const Program& q) { return static_cast<uint32_t>(q.transpose); }, 0},
  };
  for (const auto& c : cases) {
    testing::FakeDialogs dialogs;
    auto bytes = good;
    PutU32(bytes, c.offset, c.stored);
    const auto decoded = DecodeProgramFile(bytes, kLevelProgram, dialogs);
    ASSERT_TRUE(decoded) << c.field;
    EXPECT_EQ(c.loaded(*decoded->program), c.expected) << c.field;
  }

  // A block that cannot be had leaves its slot empty, and the next block still lines up.
  Program two;
  SetType(two.engines[0], EngineTypeId::AmplitudeModulation);
  FillSlot(two.engines[0], 0, 3, 0.0f);
  FillSlot(two.engines[0], 1, 2, 0.75f);
  testing::FakeDialogs dialogs;
  FailAllocationsForTesting(0, 1);
  const auto decoded = DecodeProgramFile(EncodeProgramFile(two), kLevelProgram, dialogs);
  ASSERT_TRUE(decoded);
  const Engine& e = decoded->program->engines[0];
  EXPECT_EQ(e.slots[0].loaded, 0u);
  EXPECT_EQ(e.slots[1].data[1], 0.75f + 1.0f / 1024.0f);
  EXPECT_EQ(e.loadedSlotCount, 0u);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, "Out Of Memory - Cannot Load Modulator Data");
}

TEST(ProgramFile, ChainLoadKeepsAllowedEnginesAndWarnsOnce) {
  FileRig rig;
  Program& source = rig.AddProgram("FromFile");
  source.level = 0.3f;
  source.pan = 20;
  SetType(source.engines[0], EngineTypeId::BasicWave);          // programs only
  SetType(source.engines[1], EngineTypeId::CombFilter);         // everywhere
  SetType(source.engines[2], EngineTypeId::SineWaveGenerator);  // programs only
  SetType(source.engines[3], EngineTypeId::SongSpeedModulator); // song chain only
  FillSlot(source.engines[0], 0, 5, 0.0f);
  rig.dialogs.paths = {rig.dir.File("mixed.tep")};
  ASSERT_TRUE(SaveProgram(rig.app));
  rig.AddTrack("Song");
  Track& drums = rig.AddTrack("Drums");
  rig.app.song.currentTrack = 1;

  const struct {
    int32_t track;
    std::array<uint32_t, 4> types;
  } cases[] = {
      {1, {0, kCombFilter, 0, 0}},  // track plug-ins
      {0, {0, kCombFilter, 0, static_cast<uint32_t>(EngineTypeId::SongSpeedModulator)}},  // song plug-ins
  };
  for (const auto& c : cases) {
    rig.dialogs.shown.clear();
    rig.app.song.currentTrack = c.track;
    rig.dialogs.paths = {rig.dir.File("mixed.tep")};
    ASSERT_TRUE(LoadProgramChain(rig.app));
    const Track& track = *rig.app.song.tracks.At(c.track);
    for (int p = 0; p < 4; ++p) EXPECT_EQ(track.chain[p].type, c.types[p]) << c.track << " " << p;
    EXPECT_EQ(track.chain[0].slots[0].loaded, 0u);
    EXPECT_TRUE(track.chain[1].left && track.chain[1].right);
    EXPECT_EQ(track.level, 0.3f);
    EXPECT_EQ(track.pan, 20);
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_EQ(rig.dialogs.shown[0].caption, "Information");
    EXPECT_EQ(rig.dialogs.shown[0].text, kInvalidEnginesRemoved);
  }
  EXPECT_STREQ(drums.name.data(), "Drums");

  // A saved chain is a program built from the track alone.
  rig.app.song.currentTrack = 1;
  rig.dialogs.paths = {rig.dir.File("drums"), rig.dir.File("drums.tep")};
  ASSERT_TRUE(SaveProgramChain(rig.app));
  EXPECT_EQ(rig.dialogs.requests.back().defaultName, "Drums.tep");
  EXPECT_EQ(rig.app.folders.trackPrograms, rig.dir.Root() + "/");
  ASSERT_TRUE(LoadProgramNew(rig.app));
  const Program& chain = *rig.app.song.programs.back();
  EXPECT_STREQ(chain.name.data(), "Drums");
  EXPECT_EQ(chain.level, 0.3f);
  EXPECT_EQ(chain.volume, 1.0f);
  EXPECT_EQ(chain.pan, 20);
  EXPECT_EQ(chain.engines[1].type, kCombFilter);
  EXPECT_EQ(GetU32(ReadBytes(rig.dir.File("drums.tep")), 68), 2u);  // engine count
}

TEST(ProgramFile, ExtensionRuleAndDefaultNames) {
  const std::string long249(249, 'a');
  const std::string long250(250, 'a');
  const struct {
    std::string path;
    std::string expected;
  } paths[] = {
      {"/x/Bass", "/x/Bass.tep"},       {"/x/tune.wav", "/x/tune.tep"}, {"/x/a.b.c", "/x/a.tep"},
      {"abc", "abc.tep"},               {".wav", ".tep"},               {long249, long249 + ".tep"},
      {long250, long250},               {"/x/y.tep", "/x/y.tep"},
  };
  for (const auto& c : paths) {
    std::string path = c.path;
    ApplyExtensionRule(path, ".tep");
    EXPECT_EQ(path, c.expected) << c.path;
  }
  EXPECT_EQ(DefaultFileName("Lead: A/B\\C", ".tep"), "Lead  A B C.tep");
  EXPECT_EQ(DefaultFileName("Song", ".tes"), "Song.tes");
}

TEST(ProgramFile, FailedWritesAreReportedAndKeepTheOldFile) {
  FileRig rig;
  rig.AddProgram("Lead");
  const std::string keep = rig.dir.File("keep.tep");
  WriteBytes(keep, {1, 2, 3});
  std::filesystem::create_directory(keep + ".saving");  // the temporary file cannot be created
  rig.dialogs.paths = {rig.dir.File("missing/folder/x.tep"), keep};
  for (int attempt = 0; attempt < 2; ++attempt) {
    EXPECT_FALSE(SaveProgram(rig.app));
    ASSERT_EQ(rig.dialogs.shown.size(), static_cast<std::size_t>(attempt + 1));
    EXPECT_EQ(rig.dialogs.shown.back().text, "Could Not Save File");
  }
  EXPECT_EQ(ReadBytes(keep), (std::vector<uint8_t>{1, 2, 3}));
  // A cancelled dialog writes and says nothing.
  EXPECT_FALSE(SaveProgram(rig.app));
  EXPECT_EQ(rig.dialogs.shown.size(), 2u);
}

}  // namespace
}  // namespace tonforge
