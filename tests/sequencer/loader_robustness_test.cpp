// Every loader fed damaged copies of good files: cut at many lengths and with bytes overwritten at random
// (a fixed seed, so every run feeds the same files). Each copy either loads, and then plays without reading
// outside anything, or is refused with its message and changes nothing. The sanitizer build runs the same.
#include <gtest/gtest.h>

#include <random>

#include "audio/playback.h"
#include "audio/voice.h"
#include "programs/program_file.h"
#include "programs/wave_import.h"
#include "sequencer/song_clock.h"
#include "support/file_rig.h"

namespace tonforge {
namespace {

using testing::BuildRichSong;
using testing::FakeDialogs;
using testing::FillSlot;
using testing::Id;
using testing::Type;
using Rig = testing::FileRig;

// Damaged copies of `good`: every length up to 64 and `cuts` more spread over the file, then `flips` copies
// with one to three bytes, or a whole word, overwritten; half of those land in the first `headerBytes`.
std::vector<std::vector<uint8_t>> DamagedCopies(const std::vector<uint8_t>& good, int cuts, int flips,
                                                std::size_t headerBytes) {
  std::vector<std::vector<uint8_t>> copies;
  for (std::size_t n = 0; n < std::min<std::size_t>(64, good.size()); ++n) copies.emplace_back(good.begin(), good.begin() + n);
  for (int i = 1; i <= cuts; ++i) {
    const std::size_t n = 64 + (good.size() - 64) * i / (cuts + 1);
    copies.emplace_back(good.begin(), good.begin() + n);
  }
  std::mt19937 random(20240601);
  const uint32_t nasty[] = {0xffffffffu, 0x80000000u, 0x7fffffffu, 0x7fc00000u, 0x7f800000u, 0xff800000u,
                            1000000u,    513u,        48u,         39u,         5u,          0x4f000000u};
  for (int i = 0; i < flips; ++i) {
    auto copy = good;
    const std::size_t span = random() % 2 == 0 ? std::min(headerBytes, copy.size()) : copy.size();
    if (random() % 3 == 0) {
      const std::size_t at = (random() % (span - 3)) & ~std::size_t{3};
      PutU32(&copy[at], nasty[random() % std::size(nasty)]);
    } else {
      for (uint32_t k = 0, count = 1 + random() % 3; k < count; ++k) copy[random() % span] = static_cast<uint8_t>(random());
    }
    copies.push_back(std::move(copy));
  }
  return copies;
}

// Plays the song from its start for a few ticks through every engine its notes reach.
void PlayBriefly(Studio& app, int frames) {
  PrepareSongStart(app);
  SampleContext ctx = MakeSampleContext(app);
  for (int f = 0; f < frames; ++f) {
    SongClockStep(app);
    MixSongSample(app, ctx);
  }
  StopPlayback(app);
}

TEST(LoaderRobustness, SongFiles) {
  Rig source;
  BuildRichSong(source);
  const auto good = EncodeSong(source.app);
  Rig rig;
  BuildRichSong(rig);
  int loaded = 0, refused = 0;
  for (const auto& copy : DamagedCopies(good, 100, 220, 4 + kSongImageSize + 2 * kProgramRecordSize)) {
    rig.dialogs.shown.clear();
    const auto before = EncodeSong(rig.app);
    auto decoded = DecodeSong(copy, rig.dialogs);
    if (!decoded) {
      ++refused;
      ASSERT_TRUE(rig.dialogs.shown.empty() || rig.dialogs.shown.size() == 1) << copy.size();
      ASSERT_EQ(EncodeSong(rig.app), before) << "a refused file changed the song";
      continue;
    }
    ++loaded;
    InstallSong(rig.app, std::move(*decoded));
    for (const auto& box : rig.dialogs.shown) ASSERT_EQ(box.text, kInvalidEnginesRemoved);
    PlayBriefly(rig.app, 1500);
    // What was loaded saves as a file the loader takes again.
    FakeDialogs again;
    ASSERT_TRUE(DecodeSong(EncodeSong(rig.app), again));
  }
  EXPECT_GT(loaded, 20);
  EXPECT_GT(refused, 100);
}

TEST(LoaderRobustness, ProgramFiles) {
  Rig source;
  BuildRichSong(source);
  const auto good = EncodeProgramFile(*source.app.song.programs[1]);
  const auto keys = EncodeProgramFile(*source.app.song.programs[0]);
  int loaded = 0, refused = 0;
  Rig rig;
  AppendEvent(rig.app, rig.AddTrack(), {0, Type(EventType::NoteOn), 2450, 0});
  for (const auto* file : {&good, &keys}) {
    for (const auto& copy : DamagedCopies(*file, 60, 150, 4 + kProgramRecordSize)) {
      FreeAllPrograms(rig.app);
      rig.dialogs.shown.clear();
      testing::WriteBytes(rig.dir.File("p.tep"), copy);
      if (!LoadProgramFileNew(rig.app, rig.dir.File("p.tep"))) {
        ++refused;
        ASSERT_EQ(rig.dialogs.shown.size(), 1u);
        ASSERT_EQ(rig.Headlines()[0], "Invalid File");
        ASSERT_TRUE(rig.app.song.programs.empty());
        continue;
      }
      ++loaded;
      for (const auto& box : rig.dialogs.shown) ASSERT_EQ(box.text, kInvalidEnginesRemoved);
      ASSERT_EQ(rig.app.song.programs.size(), 1u);
      PlayBriefly(rig.app, 1000);
      FakeDialogs again;
      ASSERT_TRUE(DecodeProgramFile(EncodeProgramFile(*rig.app.song.programs[0]), kLevelProgram, again));
    }
  }
  EXPECT_GT(loaded, 20);
  EXPECT_GT(refused, 50);
}

std::vector<uint8_t> GoodWave() {
  std::vector<uint8_t> b;
  auto put16 = [&b](uint32_t v) { b.push_back(static_cast<uint8_t>(v)), b.push_back(static_cast<uint8_t>(v >> 8)); };
  auto put32 = [&](uint32_t v) { put16(v & 0xffff), put16(v >> 16); };
  auto id = [&b](const char* s) { for (int k = 0; k < 4; ++k) b.push_back(static_cast<uint8_t>(s[k])); };
  id("RIFF"), put32(0), id("WAVE");
  id("fmt "), put32(16), put16(1), put16(1), put32(44100), put32(88200), put16(2), put16(16);
  id("smpl"), put32(60);
  b.resize(b.size() + 12, 0), put32(72), b.resize(b.size() + 24, 0), put32(10), put32(300), put32(0), put32(0);
  id("data"), put32(2 * 400);
  for (int i = 0; i < 400; ++i) put16(static_cast<uint32_t>((i * 977) % 65536));
  return b;
}

TEST(LoaderRobustness, WaveImports) {
  const std::string refusals[] = {"Not A Wave File", "Invalid File", "44100hz 16-Bit Mono PCM Waves Are Required",
                                  "Could Not Find Data Chunk"};
  int loaded = 0, refused = 0;
  Rig rig;
  Program& p = *NewProgram(rig.app);
  AppendEvent(rig.app, rig.AddTrack(), {0, Type(EventType::NoteOn), 2450, 0});
  for (const auto& copy : DamagedCopies(GoodWave(), 40, 200, 120)) {
    for (const bool modulator : {false, true}) {
      rig.dialogs.shown.clear();
      InitProgramEngine(p.engines[0], Id(EngineTypeId::SineWaveGenerator));
      const uint32_t type = modulator ? Id(EngineTypeId::AmplitudeModulation) : Id(EngineTypeId::MultisampledWave);
      InitProgramEngine(p.engines[1], type);
      FillSlot(p.engines[1], 1, 8, 0.5f);
      RecountLoadedSlots(p.engines[1]);
      const Engine kept = p.engines[1];
      if (!ImportWave(p.engines[1], 0, copy, "/w/x.wav", modulator, rig.dialogs)) {
        ++refused;
        ASSERT_EQ(rig.dialogs.shown.size(), 1u);
        const std::string& text = rig.dialogs.shown[0].text;
        ASSERT_NE(std::find(std::begin(refusals), std::end(refusals), text.substr(0, text.find('\n'))), std::end(refusals))
            << text;
        ASSERT_EQ(p.engines[1].slots[0].loaded, kept.slots[0].loaded);
        ASSERT_EQ(p.engines[1].slots[1].data, kept.slots[1].data);
        continue;
      }
      ++loaded;
      // A header damaged out of the slot's own format is converted by libsndfile, and a box says so.
      const bool converted = !rig.dialogs.shown.empty();
      ASSERT_TRUE(!converted || (rig.dialogs.shown.size() == 1 && rig.dialogs.shown[0].caption == "Import"));
      if (!converted) {
        ASSERT_LE(p.engines[1].slots[0].length * 2u, copy.size()) << "never more samples than the file holds";
      }
      PlayBriefly(rig.app, 1000);
    }
  }
  EXPECT_GT(loaded, 40);
  EXPECT_GT(refused, 40);
}

}  // namespace
}  // namespace tonforge
