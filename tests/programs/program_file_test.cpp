// Program files and the samples in them: the stored image byte by byte, save and load round trips, legacy
// upgrades, damaged files refused, WAV files imported into data slots, and the slot commands.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

#include "programs/data_slot_commands.h"
#include "programs/program_file.h"
#include "programs/program_modified.h"
#include "programs/wave_import.h"
#include "support/file_rig.h"
#include "support/wave_files.h"

namespace tonforge::testing {
namespace {


constexpr auto kCombFilter = static_cast<uint32_t>(EngineTypeId::CombFilter);
constexpr std::size_t kEngine0 = kProgramFileHeaderSize + kProgramEnginesOffset;

std::size_t EngineAt(int p) { return kEngine0 + kEngineImageSize * p; }
std::size_t SlotAt(int p, int k) { return EngineAt(p) + kEngineSlotsOffset + kDataSlotImageSize * k; }
Engine& SetType(Engine& e, EngineTypeId type) {
  InitProgramEngine(e, static_cast<uint32_t>(type));
  return e;
}

// Writes the bytes as a file and loads it the way the user's command would.
bool LoadBytes(FileRig& rig, const std::vector<uint8_t>& bytes, bool replace = false) {
  WriteBytes(rig.dir.File("in.tep"), bytes);
  rig.dialogs.paths = {rig.dir.File("in.tep")};
  return replace ? LoadProgramReplace(rig.app) : LoadProgramNew(rig.app);
}

TEST(ProgramImage, SizesAndFieldOffsets) {
  Program p;
  p.level = 0.5f;
  p.pan = 150;
  FillSlot(SetType(p.engines[3], EngineTypeId::CombFilter), 0, 1000, 0.25f);
  FillSlot(p.engines[3], 2, 10, -0.5f);
  p.engines[3].loadedSlotCount = 1;
  p.engineCount = static_cast<uint32_t>(UsedChainLength(p.engines));
  const std::vector<uint8_t> bytes = EncodeProgramFile(p);
  ASSERT_EQ(bytes.size(), 5652u + 4000u + 40u);
  const struct { const char* field; std::size_t offset; uint32_t value; } fields[] = {
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
  for (const auto& f : fields) EXPECT_EQ(GetU32(&bytes[f.offset]), f.value) << f.field;
}

// The record is one field list read and written alike, its places pinned above and every kind of field carried
// by the factory programs and the song file's round trip; here the commands around it.
TEST(ProgramFile, SaveLoadSaveIsByteIdentical) {
  FileRig rig;
  Program& original = rig.AddProgram("Pad: one/two\\x");
  Engine* e = original.engines.data();
  FillSlot(SetType(e[0], EngineTypeId::BasicWave), 0, 100, -0.75f);
  SetType(e[1], EngineTypeId::CombFilter);
  FillSlot(SetType(e[2], EngineTypeId::AmplitudeModulation), 0, 7, 0.5f);
  e[2].slots[0].tempoSync = 1;  // carried by no factory program
  e[0].loadedSlotCount = e[2].loadedSlotCount = 1;
  SetType(e[4], EngineTypeId::PlateReverb);
  rig.dialogs.paths = {rig.dir.File("first.wav"), rig.dir.File("first.tep"), rig.dir.File("second")};

  ASSERT_TRUE(SaveProgram(rig.app));
  EXPECT_EQ(Describe(rig.dialogs.requests[0]), "Save Program|Pad  one two x.tep|" + rig.dir.Root() +
                                                    "/Programs/Instruments/|Program Files (*.tep)|*.tep");
  EXPECT_EQ(rig.app.folders.instrumentPrograms, rig.dir.Root() + "/");
  ASSERT_TRUE(LoadProgramNew(rig.app));
  EXPECT_EQ(rig.dialogs.requests[1].title, "Load Program");
  ASSERT_EQ(rig.app.song.programs.size(), 2u);
  EXPECT_EQ(rig.app.song.currentProgram, 1);
  const Program& loaded = *rig.app.song.programs[1];
  EXPECT_STREQ(loaded.name.data(), "Pad: one/two\\x");
  EXPECT_EQ(rig.app.song.positionBufferSize[1], 88204u);

  ASSERT_TRUE(SaveProgram(rig.app));
  const auto first = ReadBytes(rig.dir.File("first.tep"));
  EXPECT_EQ(first.size(), 5652u + 4u * (100 + 7));
  EXPECT_EQ(first, ReadBytes(rig.dir.File("second.tep")));
  EXPECT_TRUE(rig.dialogs.shown.empty());
}

TEST(ProgramFile, LegacyFileIsUpgraded) {
  Program p;
  SetParameter(SetType(p.engines[0], EngineTypeId::LowPassFilter), 0, 25);
  FillSlot(p.engines[0], 0, 4, 0.0f);
  SetType(p.engines[1], EngineTypeId::Clipper).type = 40;         // the old number of the clipper
  SetType(p.engines[2], EngineTypeId::StereoReverbXY).type = 35;  // the old reverb
  SetParameter(p.engines[2], 1, 25);
  SetParameter(SetType(p.engines[3], EngineTypeId::PeakingFilter), 1, 40);
  auto bytes = EncodeProgramFile(p);
  std::copy_n("TEP1", 4, bytes.begin());

  FileRig rig;
  ASSERT_TRUE(LoadBytes(rig, bytes));
  const Engine* e = rig.app.song.programs.at(0)->engines.data();
  // The cutoff's root and the old reverb's type and level are the song file test's; here what else changes.
  EXPECT_EQ(e[0].C[0], 0.75f);
  EXPECT_EQ(e[0].slots[0].gain, std::sqrt(1.25f) - 0.5f);
  EXPECT_EQ(e[1].type, static_cast<uint32_t>(EngineTypeId::Clipper));
  EXPECT_EQ(e[2].bufferLength, 12u * 1618u);
  EXPECT_FLOAT_EQ(e[3].F[1], 0.8f);  // peaking: C1 = F1 * 0.5
  EXPECT_FLOAT_EQ(e[3].C[1], 0.2f);
  EXPECT_TRUE(rig.dialogs.shown.empty());
}

// A program with a wave, a comb filter, a delay, an oscillator sync and an arpeggiator, as a file.
std::vector<uint8_t> SmallProgramFile() {
  Program p;
  FillSlot(SetType(p.engines[0], EngineTypeId::BasicWave), 0, 8, 0.0f);
  SetType(p.engines[1], EngineTypeId::CombFilter);
  SetType(p.engines[2], EngineTypeId::VariableSpeedDelay);
  SetType(p.engines[3], EngineTypeId::OscillatorSynchronisation);
  SetType(p.engines[4], EngineTypeId::Arpeggiator);
  return EncodeProgramFile(p);
}

// Each row changes one thing in a good file; what the song file's damaged copies refuse through the same engine
// checks is left to them. Damage is refused with one message and changes no program; values a saved program may
// really hold load as stored, a parameter outside its range comes back at the nearest end of it, and the running
// state of the engines is settled rather than trusted.
TEST(ProgramFile, DamagedFilesAreRefusedAndStoredValuesLoadAsTheyAreOrSettled) {
  using Change = std::function<void(std::vector<uint8_t>&)>;
  using Read = std::function<uint32_t(const Program&)>;
  const auto put = [](std::size_t offset, uint32_t v) { return Change([=](auto& b) { PutU32(&b[offset], v); }); };
  const Read refused = nullptr;
  const Read root = [](const Program& q) { return q.engines[0].slots[0].rootOrRate.u; };
  const Read delay = [](const Program& q) { return Bits(q.engines[1].F[0]); };
  const struct { const char* what; Change change; Read loaded; uint32_t expected = 0; } cases[] = {
      {"wrong magic", [](auto& b) { b[0] = 'X'; }, refused},
      {"empty file", [](auto& b) { b.clear(); }, refused},
      {"record cut short", [](auto& b) { b.resize(4 + 5000); }, refused},
      {"sample length beyond the file", put(SlotAt(0, 0) + 48, 1u << 30), refused},
      {"pan beyond 200", put(60, 201), refused},
      {"infinite parameter", put(EngineAt(1) + 80, Bits(INFINITY)), refused},
      {"complement that is not a number", put(EngineAt(1) + 108, 0x7fc00000), refused},
      {"slot gain that is not a number", put(SlotAt(0, 0) + 60, 0x7fc00000), refused},
      {"sample that is not a number", put(5652, 0x7fc00000), refused},
      {"choice beyond its count", put(EngineAt(2) + 8, 5), [](const Program& q) { return q.engines[2].options[0]; }, 5},
      {"root pitch above the table", put(SlotAt(0, 0) + 64, 11550), root, 11550},
      {"negative root pitch", put(SlotAt(0, 0) + 64, static_cast<uint32_t>(-1150)), root, static_cast<uint32_t>(-1150)},
      {"loop end past the data", put(SlotAt(0, 0) + 56, 1000), [](const Program& q) { return q.engines[0].slots[0].loopEnd; }, 1000},
      {"delay far beyond its range: 10, its complement following",
       put(EngineAt(1) + 80, Bits(50.0f)), [](const Program& q) { return Bits(q.engines[1].C[0]); }, Bits(-9.0f)},
      {"delay below its range", put(EngineAt(1) + 80, Bits(-3.0f)), delay, Bits(0.01f)},
      {"a value in range keeps its bits", put(EngineAt(1) + 80, Bits(2.5f)), delay, Bits(2.5f)},
      {"engine count", put(68, 1000), [](const Program& q) { return q.engineCount; }, 5},
      {"loaded slot count", put(EngineAt(0) + 4, 4), [](const Program& q) { return q.engines[0].loadedSlotCount; }, 1},
      {"line position", put(EngineAt(1) + 548, 5000000), [](const Program& q) { return q.engines[1].linePosition[0]; }, 0},
      {"line end", put(EngineAt(1) + 484, 7), [](const Program& q) { return q.engines[1].lineEnd[0]; }, 44102},
      {"buffer length", put(EngineAt(1) + 412, 9), [](const Program& q) { return q.engines[1].bufferLength; }, 88204},
      {"working word", put(EngineAt(1) + 24 + 4 * 13, 0xffffffff), [](const Program& q) { return q.engines[1].W[13].u; }, 0},
      {"arpeggiator step", put(EngineAt(4) + 16, 1000), [](const Program& q) { return q.engines[4].options[2]; }, 0},
      {"transpose", put(48, 77), [](const Program& q) { return static_cast<uint32_t>(q.transpose); }, 0},
  };
  const std::vector<uint8_t> good = SmallProgramFile();
  for (const auto& c : cases) {
    for (const bool replace : {false, true}) {
      SCOPED_TRACE(std::string(c.what) + (replace ? ", replacing" : ", as a new program"));
      FileRig rig;
      Program& keep = rig.AddProgram("Keep");
      MarkProgramSaved(keep);  // as if loaded: replacing it asks nothing (see the ProgramQuestion test)
      auto bytes = good;
      c.change(bytes);
      const bool accepted = c.loaded != nullptr;
      EXPECT_EQ(LoadBytes(rig, bytes, replace), accepted);
      EXPECT_EQ(rig.Headlines(), accepted ? std::vector<std::string>{} : std::vector<std::string>{"Invalid File"});
      ASSERT_EQ(rig.app.song.programs.size(), accepted && !replace ? 2u : 1u);
      if (accepted) {
        EXPECT_EQ(rig.app.song.programs.back()->engines[1].type, kCombFilter);
        EXPECT_EQ(c.loaded(*rig.app.song.programs.back()), c.expected);
        continue;
      }
      EXPECT_EQ(rig.dialogs.shown.at(0).caption, "Error");
      EXPECT_EQ(&keep, rig.app.song.programs[0].get());
      EXPECT_STREQ(keep.name.data(), "Keep");
    }
  }
}

// A slot loaded with no samples (an empty wave was imported) holds no block, and a block that cannot be had
// leaves its slot empty; either way the next block still lines up.
TEST(ProgramFile, EmptyOrUnobtainableBlocksKeepTheNextInLine) {
  for (const bool memoryRunsOut : {false, true}) {
    Program p;
    SetType(p.engines[0], EngineTypeId::AmplitudeModulation);
    if (memoryRunsOut) FillSlot(p.engines[0], 0, 3, 0.0f);
    p.engines[0].slots[0].loaded = 1;
    FillSlot(p.engines[0], 1, 2, 0.75f);
    testing::FakeDialogs dialogs;
    const auto bytes = EncodeProgramFile(p);
    ASSERT_EQ(bytes.size(), 5652u + (memoryRunsOut ? 20u : 8u));
    FailAllocationsForTesting(0, memoryRunsOut ? 1 : 0);
    const auto decoded = DecodeProgramFile(bytes, kLevelProgram, dialogs);
    FailAllocationsForTesting(0, 0);
    ASSERT_TRUE(decoded);
    const Engine& e = decoded->program->engines[0];
    EXPECT_EQ(e.slots[0].loaded, memoryRunsOut ? 0u : 1u);
    EXPECT_FALSE(e.slots[0].data);
    EXPECT_EQ(e.slots[1].data[1], 0.75f + 1.0f / 1024.0f);
    EXPECT_EQ(e.loadedSlotCount, memoryRunsOut ? 0u : 2u);
    EXPECT_EQ(dialogs.shown.size() == 1 ? dialogs.shown[0].text : std::to_string(dialogs.shown.size()),
              memoryRunsOut ? "Out Of Memory - Cannot Load Modulator Data" : "0");
  }
}

TEST(ProgramFile, ChainLoadKeepsAllowedEnginesAndWarnsOnce) {
  FileRig rig;
  Program& source = rig.AddProgram("FromFile");
  source.level = 0.3f;
  source.pan = 20;
  FillSlot(SetType(source.engines[0], EngineTypeId::BasicWave), 0, 5, 0.0f);  // programs only
  SetType(source.engines[1], EngineTypeId::CombFilter);         // everywhere
  SetType(source.engines[2], EngineTypeId::SineWaveGenerator);  // programs only
  SetType(source.engines[3], EngineTypeId::SongSpeedModulator); // song chain only
  rig.dialogs.paths = {rig.dir.File("mixed.tep")};
  ASSERT_TRUE(SaveProgram(rig.app));
  Track& drums = rig.AddTrack();
  std::copy_n("Drums", 6, drums.name.begin());
  for (const int32_t track : {1, 0}) {  // track plug-ins, then song plug-ins
    const uint32_t song = track == 0 ? static_cast<uint32_t>(EngineTypeId::SongSpeedModulator) : 0u;
    rig.dialogs.shown.clear();
    rig.app.song.currentTrack = track;
    rig.dialogs.paths = {rig.dir.File("mixed.tep")};
    ASSERT_TRUE(LoadProgramChain(rig.app));
    const Track& t = rig.TrackNo(track);
    for (int p = 0; p < 4; ++p) EXPECT_EQ(t.chain[p].type, (std::array{0u, kCombFilter, 0u, song})[p]) << track << p;
    EXPECT_EQ(t.chain[0].slots[0].loaded, 0u);
    EXPECT_TRUE(t.chain[1].left && t.chain[1].right);
    EXPECT_EQ(t.level, 0.3f);
    EXPECT_EQ(t.pan, 20);
    EXPECT_EQ(rig.Messages(), std::vector<std::string>{std::string(kInvalidEnginesRemoved)});
    EXPECT_EQ(rig.dialogs.shown.at(0).caption, "Information");
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
  EXPECT_EQ(GetU32(&ReadBytes(rig.dir.File("drums.tep"))[68]), 2u);  // engine count
}

Engine MakeEngine(EngineTypeId type) {
  Engine e;
  return SetType(e, type);
}

TEST(WaveImport, SamplesConvertExactly) {
  testing::FakeDialogs dialogs;
  Engine e = MakeEngine(EngineTypeId::BasicWave);
  const std::vector<int16_t> pcm{-32768, 32767, 0, -1, 1, 16384, -16384};
  ASSERT_TRUE(ImportWave(e, 0, MakeWave({.samples = pcm}), "/w/Kick.Hard.wav", false, dialogs));
  const DataSlot& s = e.slots[0];
  ASSERT_EQ(s.length, pcm.size());
  const float expected[] = {-1.0f, 1.0f, 0.0f, -1.0f / 32768.0f, 1.0f / 32767.0f, 16384.0f / 32767.0f, -0.5f};
  for (std::size_t i = 0; i < pcm.size(); ++i) EXPECT_FLOAT_EQ(s.data[i], expected[i]) << pcm[i];
  EXPECT_TRUE(s.data[0] == -1.0f && s.data[1] == 1.0f);  // the ends exactly
  EXPECT_EQ(std::tuple(s.loaded, s.looped, s.loopStart, s.loopEnd, s.rootOrRate.i, e.loadedSlotCount),
            std::tuple(1u, 0u, 0u, 6u, 2450, 1u));
  EXPECT_STREQ(s.name.data(), "Kick");

  // 44100 data bytes as modulator data: 22050 samples stepping at 0.05; an odd last byte is dropped.
  Engine m = MakeEngine(EngineTypeId::AmplitudeModulation);
  m.slots[1].tempoSync = 1;
  auto bytes = MakeWave({.samples = std::vector<int16_t>(22050, 7)});
  bytes.push_back(0x55);
  PutU32(&bytes[bytes.size() - 44100 - 1 - 4], 44101);
  ASSERT_TRUE(ImportWave(m, 1, bytes, "mod.wav", true, dialogs));
  EXPECT_EQ(m.slots[1].length, 22050u);
  EXPECT_FLOAT_EQ(m.slots[1].rootOrRate.f, 0.05f);
  EXPECT_EQ(m.slots[1].tempoSync, 0u);
  EXPECT_EQ(m.loadedSlotCount, 0u);  // slot 0 is still empty

  // A data chunk whose size runs past the end of the file gives the samples the file holds.
  for (const uint32_t stated : {10u, 1000u, 0xffffffffu}) {
    auto cut = MakeWave({.samples = {5, 6, 7, 8}});
    cut.pop_back();  // half of the last sample
    PutU32(&cut[cut.size() - 7 - 4], stated);
    ASSERT_TRUE(ImportWave(e, 2, cut, "cut.wav", false, dialogs)) << stated;
    EXPECT_EQ(std::tuple(e.slots[2].length, e.slots[2].loopEnd, e.slots[2].data[2]), std::tuple(3u, 2u, 7.0f / 32767.0f)) << stated;
  }
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST(WaveImport, SlotNames) {
  const struct { const char* path; const char* name; } cases[] = {
      {"/w/Kick.Hard.wav", "Kick"}, {"/w/ABCDEFGHIJKLMNOPQRST.wav", "ABCDEFGHIJKLMNO"}, {"/a.b/noext", "noext"},
      {"plain.wav", "plain"}, {"/w/.hidden.wav", ""}};
  for (const auto& c : cases) EXPECT_STREQ(SlotNameFromPath(c.path).data(), c.name) << c.path;
}

// Refused files leave the slot as it was with one message; a sample chunk gives a wave player its root pitch
// and loop, and a modulator its loop only.
TEST(WaveImport, RefusalsAndTheSampleChunk) {
  const std::vector<int16_t> pcm(1000, 0);
  const auto notWave = [](std::vector<uint8_t>& b) { b[8] = 'X'; };
  // Files not in the slot's own format go to libsndfile, whose reason follows the file's name.
  const char* const kUnread = "Invalid File\n/w/New.wav: ";
  const EngineTypeId kWave = EngineTypeId::BasicWave;
  // message: refused with it, or imported when none; root: for wave players.
  const struct { const char* what; WaveLayout layout; std::function<void(std::vector<uint8_t>&)> damage = nullptr;
                 const char* message = nullptr; EngineTypeId type = EngineTypeId::BasicWave; int32_t root = 0;
                 uint32_t looped = 0, loopStart = 0, loopEnd = 0; } cases[] = {
      {"not WAVE", {}, notWave, kUnread},
      {"shorter than a header", {}, [](auto& b) { b.resize(11); }, kUnread},
      {"no fmt chunk", {}, [](auto& b) { std::copy_n("xxxx", 4, b.begin() + 12); }, kUnread},
      {"16-bit float samples", {.format = 3}, nullptr, kUnread},
      {"fmt cut off", {}, [](auto& b) { b.resize(24); }, kUnread},
      {"no data chunk", {.withData = false}, nullptr, "Could Not Find Data Chunk"},
      {"data size cut off", {}, [](auto& b) { b.resize(b.size() - 8 - 2); }, "Invalid File"},
      {"empty data", {.samples = {}}, nullptr, "Invalid File"},
      {"no memory for the samples", {}, [](auto&) { FailAllocationsForTesting(0, 1); }, "Out Of Memory - Cannot Load Data"},
      {"note 60 with a loop", {.samples = pcm, .smpl = SmplChunk{60, 60, 100, 200}}, nullptr, nullptr, kWave, 4850, 1, 100, 200},
      {"note only", {.samples = pcm, .smpl = SmplChunk{36, 48, 100, 200}}, nullptr, nullptr, kWave, 3650, 0, 0, 999},
      {"chunk too small", {.samples = pcm, .smpl = SmplChunk{20, 60, 100, 200}}, nullptr, nullptr, kWave, 2450, 0, 0, 999},
      {"loop beyond the data", {.samples = pcm, .smpl = SmplChunk{60, 60, 1500, 5000}}, nullptr, nullptr,
       EngineTypeId::StereoWave, 4850, 1, 999, 999},
      {"note above the table", {.samples = pcm, .smpl = SmplChunk{60, 127, 0, 0}}, nullptr, nullptr, kWave, 6099, 1, 0, 0},
      {"note below the table", {.samples = pcm, .smpl = SmplChunk{60, 5, 0, 10}}, nullptr, nullptr, kWave, 0, 1, 0, 10},
      {"modulator keeps its rate", {.samples = pcm, .smpl = SmplChunk{60, 60, 1, 2}}, nullptr, nullptr,
       EngineTypeId::AmplitudeModulation, -1, 1, 1, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    testing::FakeDialogs dialogs;
    Engine e = MakeEngine(c.type);
    FillSlot(e, 0, 5, 0.25f);
    std::copy_n("Old", 3, e.slots[0].name.begin());
    const float* before = e.slots[0].data.get();
    auto bytes = MakeWave(c.layout);
    if (c.damage) c.damage(bytes);
    const bool modulator = c.type == EngineTypeId::AmplitudeModulation;
    EXPECT_EQ(ImportWave(e, 0, bytes, "/w/New.wav", modulator, dialogs), c.message == nullptr);
    FailAllocationsForTesting(0, 0);
    const DataSlot& s = e.slots[0];
    if (c.message != nullptr) {
      ASSERT_EQ(dialogs.shown.size(), 1u);
      const std::string said = dialogs.shown[0].caption + ": " + dialogs.shown[0].text;
      EXPECT_EQ(said.substr(0, 7 + std::strlen(c.message)), std::string("Error: ") + c.message);
      EXPECT_EQ(std::tuple(s.data.get(), s.length, std::string(s.name.data())), std::tuple(before, 5u, "Old"));
      continue;
    }
    if (modulator) EXPECT_FLOAT_EQ(s.rootOrRate.f, 1000 * 2.2675738e-6f);
    else EXPECT_EQ(s.rootOrRate.i, c.root);
    EXPECT_EQ(std::tuple(s.looped, s.loopStart, s.loopEnd), std::tuple(c.looped, c.loopStart, c.loopEnd));
    EXPECT_TRUE(dialogs.shown.empty());
  }
}

TEST(WaveImport, MultisampledKeyRangesThroughTheCommands) {
  FileRig rig;
  Program& p = rig.AddProgram("Piano");
  InitProgramEngine(p.engines[2], testing::Id(EngineTypeId::MultisampledWave));
  rig.app.chainEditor.chainMode = ChainMode::Program;
  rig.app.chainEditor.selectedPosition = 2;
  WriteBytes(rig.dir.File("low.wav"), MakeWave({}));
  WriteBytes(rig.dir.File("high.wav"), MakeWave({}));
  rig.dialogs.paths = {rig.dir.File("low.wav"), rig.dir.File("high.wav"), std::nullopt};
  ASSERT_TRUE(LoadWave(rig.app, 0));
  EXPECT_EQ(rig.dialogs.requests[0].title, "Load Wave");
  EXPECT_EQ(rig.dialogs.requests[0].startFolder, rig.dir.Root() + "/Waves/");
  EXPECT_EQ(rig.app.folders.waves, rig.dir.Root() + "/");
  ASSERT_TRUE(LoadWave(rig.app, 2));
  EXPECT_FALSE(LoadModulator(rig.app, 1));  // cancelled
  EXPECT_EQ(rig.dialogs.requests[2].title, "Load Modulator");

  Engine& e = p.engines[2];
  RunSlotCommand(rig.app, SlotCommand::RootPitch, 0, 3600);
  RunSlotCommand(rig.app, SlotCommand::RootPitch, 2, 6000);
  EXPECT_EQ(std::tuple(e.slots[0].upperPitch, e.slots[2].upperPitch, e.loadedSlotCount), std::tuple(4800, 6099, 1u));
  RunSlotCommand(rig.app, SlotCommand::Clear, 2);
  EXPECT_EQ(e.slots[0].upperPitch, 6099);
  EXPECT_EQ(e.slots[2].loaded, 0u);
  EXPECT_EQ(e.slots[2].rootOrRate.i, 6000);  // clearing keeps the root pitch
  EXPECT_FALSE(RunSlotCommand(rig.app, SlotCommand::Period, 0, 100));  // wave data has no period
  EXPECT_EQ(e.slots[0].rootOrRate.i, 3600);

  // Root pitches loaded from files can be anywhere in the i32 range; the midpoint never overflows.
  Engine wide = p.engines[2];
  wide.slots[0].rootOrRate.i = INT32_MAX;
  wide.slots[1] = wide.slots[0];
  UpdateKeyRanges(wide);
  EXPECT_EQ(wide.slots[0].upperPitch, INT32_MAX);
}

TEST(DataSlotCommands, ReverseMirrorsLoopPoints) {
  const struct { uint32_t loopStart, loopEnd, mirroredStart, mirroredEnd; } cases[] = {
      {1, 3, 1, 3}, {0, 2, 2, 4}, {0, 4, 0, 4}, {3, 4, 0, 1}, {2, 90, 0, 2}};
  for (const auto& c : cases) {
    Engine e = MakeEngine(EngineTypeId::BasicWave);
    FillSlot(e, 0, 5, 1.0f);
    DataSlot& s = e.slots[0];
    s.loopStart = c.loopStart;
    s.loopEnd = c.loopEnd;
    ReverseSlot(s);
    EXPECT_EQ(std::tuple(s.loopStart, s.loopEnd), std::tuple(c.mirroredStart, c.mirroredEnd)) << c.loopStart << ".." << c.loopEnd;
    EXPECT_EQ(std::tuple(s.reversed, s.data[0], s.data[4]), std::tuple(1u, 1.0f + 4.0f / 1024.0f, 1.0f));
  }
}

TEST(DataSlotCommands, InvertLoopGainPeriodAndClear) {
  FileRig rig;
  Track& t = rig.TrackNo(0);
  InitTrackEngine(t.chain[0], static_cast<uint32_t>(EngineTypeId::AmplitudeModulation), rig.dialogs);
  FillSlot(t.chain[0], 0, 441000, -0.5f);
  std::copy_n("Sweep", 5, t.chain[0].slots[0].name.begin());
  DataSlot& s = t.chain[0].slots[0];

  EXPECT_TRUE(RunSlotCommand(rig.app, SlotCommand::Invert, 0));
  EXPECT_EQ(s.data[0], 0.5f);
  EXPECT_FALSE(RunSlotCommand(rig.app, SlotCommand::Invert, 0));
  EXPECT_EQ(s.data[0], -0.5f);
  EXPECT_TRUE(RunSlotCommand(rig.app, SlotCommand::Loop, 0));
  EXPECT_FALSE(RunSlotCommand(rig.app, SlotCommand::Loop, 0));
  RunSlotCommand(rig.app, SlotCommand::Gain, 0, 50);
  EXPECT_FLOAT_EQ(s.gain, 0.5f);

  const struct { SlotCommand command; int32_t period; uint32_t sync; float rate; } periods[] = {
      {SlotCommand::Period, 1000, 0, 10.0f},            // ten passes a second
      {SlotCommand::Sync, 96, 1, 441000.0f * 48 / 96},  // one pass in 96 ticks
      {SlotCommand::Period, 48, 1, 441000.0f},
      {SlotCommand::Sync, 20000, 0, 1.0f},              // the period stops at 10000: one pass in ten seconds
  };
  for (const auto& c : periods) {
    RunSlotCommand(rig.app, c.command, 0, c.period);
    EXPECT_EQ(s.tempoSync, c.sync) << c.period;
    EXPECT_FLOAT_EQ(s.rootOrRate.f, c.rate) << c.period;
  }

  s.inverted = 1;
  s.playPosition = 12.5f;
  EXPECT_FALSE(RunSlotCommand(rig.app, SlotCommand::Clear, 0));
  EXPECT_FALSE(s.data);
  EXPECT_EQ(std::tuple(s.length, s.loopEnd, s.inverted, s.playPosition, t.chain[0].loadedSlotCount), std::tuple(0u, 0u, 0u, 0.0f, 0u));
  EXPECT_STREQ(s.name.data(), "Sweep");  // the name and the gain stay
  EXPECT_FLOAT_EQ(s.gain, 0.5f);
}

}  // namespace
}  // namespace tonforge::testing
