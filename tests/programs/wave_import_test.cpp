#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "programs/data_slot_commands.h"
#include "programs/wave_import.h"
#include "support/file_rig.h"
#include "support/wave_files.h"

namespace tonforge {
namespace {

using testing::FileRig;
using testing::FillSlot;
using testing::MakeWave;
using testing::SmplChunk;
using testing::WaveLayout;
using testing::WriteBytes;

Engine MakeEngine(EngineTypeId type) {
  Engine e;
  InitProgramEngine(e, static_cast<uint32_t>(type));
  return e;
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
  const struct {
    const char* path;
    const char* name;
  } cases[] = {{"/w/Kick.Hard.wav", "Kick"}, {"/w/ABCDEFGHIJKLMNOPQRST.wav", "ABCDEFGHIJKLMNO"}, {"/a.b/noext", "noext"},
               {"plain.wav", "plain"},       {"/w/.hidden.wav", ""}};
  for (const auto& c : cases) EXPECT_STREQ(SlotNameFromPath(c.path).data(), c.name) << c.path;
}

// Refused files leave the slot as it was with one message; a sample chunk gives a wave player its root pitch
// and loop, and a modulator its loop only.
TEST(WaveImport, RefusalsAndTheSampleChunk) {
  const std::vector<int16_t> pcm(1000, 0);
  const auto notWave = [](std::vector<uint8_t>& b) { b[8] = 'X'; };
  const char* const kFormat = "44100hz 16-Bit Mono PCM Waves Are Required";
  const EngineTypeId kWave = EngineTypeId::BasicWave;
  const struct {
    const char* what;
    WaveLayout layout;
    std::function<void(std::vector<uint8_t>&)> damage = nullptr;
    const char* message = nullptr;  // refused with it, or imported when none
    EngineTypeId type = EngineTypeId::BasicWave;
    int32_t root = 0;  // for wave players
    uint32_t looped = 0, loopStart = 0, loopEnd = 0;
  } cases[] = {
      {"not WAVE", {}, notWave, "Not A Wave File"},
      {"shorter than a header", {}, [](auto& b) { b.resize(11); }, "Not A Wave File"},
      {"no fmt chunk", {}, [](auto& b) { std::copy_n("xxxx", 4, b.begin() + 12); }, "Invalid File"},
      {"stereo", {.channels = 2}, nullptr, kFormat},
      {"8-bit", {.bits = 8}, nullptr, kFormat},
      {"22050 Hz", {.rate = 22050}, nullptr, kFormat},
      {"float samples", {.format = 3}, nullptr, kFormat},
      {"fmt cut off", {}, [](auto& b) { b.resize(24); }, kFormat},
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
      EXPECT_EQ(dialogs.shown[0].caption + ": " + dialogs.shown[0].text, std::string("Error: ") + c.message);
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
  const struct {
    uint32_t loopStart, loopEnd;
    uint32_t mirroredStart, mirroredEnd;
  } cases[] = {{1, 3, 1, 3}, {0, 2, 2, 4}, {0, 4, 0, 4}, {3, 4, 0, 1}, {2, 90, 0, 2}};
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
      {SlotCommand::Period, 10000, 0, 1.0f},          // one pass in ten seconds
      {SlotCommand::Period, 1000, 0, 10.0f},
      {SlotCommand::Sync, 96, 1, 441000.0f * 48 / 96},  // one pass in 96 ticks
      {SlotCommand::Period, 48, 1, 441000.0f},
      {SlotCommand::Sync, 20000, 0, 1.0f},             // the period stops at 10000
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
}  // namespace tonforge
