// Sound files of every kind into a DataSlot: what reaches the slot and what the user is told.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "programs/wave_import.h"
#include "support/fake_dialogs.h"
#include "support/file_rig.h"
#include "support/sound_files.h"
#include "support/wave_files.h"

namespace tonforge::testing {
namespace {


TEST(SoundImport, AnyFileReachesTheSlotAt44100HzMonoWithItsToneLevelAndLoop) {
  constexpr int kWav = SF_FORMAT_WAV, kFlac = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
  const auto cut = [](std::size_t n) { return [n](std::vector<uint8_t>& b) { b.resize(std::min(n, b.size())); }; };
  // said: the start of the box's line after the file name, or of the refusal's reason; length: samples in the
  // slot, within a thousandth; level: the slot's peak.
  const struct { const char* what; ToneFile file; const char* said; uint32_t length = 22050; float level = 0.5f;
                 std::optional<std::pair<uint32_t, uint32_t>> loop = std::nullopt;
                 ImportLevel asked = ImportLevel::AsRecorded; EngineTypeId type = EngineTypeId::BasicWave;
                 std::function<void(std::vector<uint8_t>&)> damage = nullptr; } cases[] = {
      {"11025 Hz 8-bit", {.format = kWav | SF_FORMAT_PCM_U8, .rate = 11025}, "WAV 8-bit mono 11025 Hz"},
      {"22050 Hz 24-bit stereo", {.format = kWav | SF_FORMAT_PCM_24, .rate = 22050, .channels = 2},
       "WAV 24-bit stereo 22050 Hz", 22050, 0.375f},
      {"96000 Hz 32-bit", {.format = kWav | SF_FORMAT_PCM_32, .rate = 96000}, "WAV 32-bit mono 96000 Hz"},
      {"scaled to full range on request", {.format = kWav | SF_FORMAT_FLOAT, .rate = 48000, .amplitude = 0.25},
       "WAV float mono 48000 Hz to 44100 Hz 16-bit mono, 22050 samples, scaled to full range (+12.0 dB)", 22050, 1.0f,
       std::nullopt, ImportLevel::FullRange},
      {"AIFF", {.format = SF_FORMAT_AIFF | SF_FORMAT_PCM_16, .rate = 32000}, "AIFF 16-bit mono 32000 Hz"},
      {"FLAC stereo", {.format = kFlac, .rate = 48000, .channels = 2}, "FLAC 16-bit stereo 48000 Hz", 22050, 0.375f},
      {"OGG Vorbis", {.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS, .rate = 44100}, "OGG Vorbis mono 44100 Hz"},
      {"MP3", {.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, .rate = 48000}, "MP3 mono 48000 Hz"},
      {"a looped WAV: its loop at the new rate", {.rate = 32000, .loopStart = 1000, .loopEnd = 3000, .unityNote = 72},
       "WAV 16-bit mono 32000 Hz to 44100 Hz 16-bit mono, 22050 samples, loop kept", 22050, 0.5f,
       std::pair(1378u, 4133u)},
      {"into a modulator", {.rate = 22050, .channels = 2}, "WAV 16-bit stereo 22050 Hz", 22050, 0.375f, std::nullopt,
       ImportLevel::AsRecorded, EngineTypeId::AmplitudeModulation},
      {"a damaged FLAC", {.format = kFlac, .rate = 48000}, "Invalid File\n/w/New.wav: ", 0, 0, std::nullopt,
       ImportLevel::AsRecorded, EngineTypeId::BasicWave, cut(40)},
      {.what = "an empty file", .file = {}, .said = "Invalid File\n/w/New.wav: ", .length = 0, .damage = cut(0)},
  };
  testing::TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    // MP3 is read wherever the packaged libsndfile reads it; one that cannot write it skips the row.
    const bool written = testing::WriteTone(dir.File("tone"), c.file);
    if (!written && (c.file.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG) continue;
    ASSERT_TRUE(written);
    auto bytes = testing::ReadBytes(dir.File("tone"));
    if (c.damage) c.damage(bytes);
    Engine e;
    InitProgramEngine(e, static_cast<uint32_t>(c.type));
    testing::FakeDialogs dialogs;
    const bool modulator = c.type != EngineTypeId::BasicWave;
    const bool refused = c.length == 0;
    EXPECT_EQ(ImportWave(e, 0, bytes, "/w/New.wav", modulator, dialogs, c.asked), !refused);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    const std::string said = dialogs.shown[0].caption + ": " + dialogs.shown[0].text;
    const std::string expected = (refused ? "Error: " : "Import: New.wav: ") + std::string(c.said);
    EXPECT_EQ(said.substr(0, expected.size()), expected);
    const DataSlot& s = e.slots[0];
    if (refused) {
      EXPECT_TRUE(s.loaded == 0 && !s.data && s.length == 0);
      continue;
    }
    // The lossy codecs pad the start and the end and shift the level a little.
    const bool lossy = (c.file.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_OGG || (c.file.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG;
    EXPECT_NEAR(s.length, c.length, lossy ? c.length / 10.0 : c.length / 1000.0);
    const std::vector<float> samples(s.data.get(), s.data.get() + s.length);
    EXPECT_NEAR(testing::Peak(samples), c.level, lossy ? 0.03f : 0.012f);
    EXPECT_NEAR(testing::ToneFrequency(samples, 44100), 1000.0, 5.0) << "the tone keeps its pitch";
    EXPECT_EQ(std::tuple(s.looped != 0, s.loopStart, s.loopEnd),
              c.loop ? std::tuple(true, c.loop->first, c.loop->second) : std::tuple(false, 0u, s.length - 1));
    if (c.loop) {
      EXPECT_EQ(s.rootOrRate.i, 72 * 100 - 1150) << "the unity note gives the root pitch";
    }
    if (modulator) {
      EXPECT_FLOAT_EQ(s.rootOrRate.f, static_cast<float>(s.length) * 2.2675738e-6f);
    }
  }
}

// The slot's own format is read to the byte (the wave import's test pins the values), and the same samples in a
// 16-bit stereo file of two equal sides arrive exactly alike through libsndfile; Shift's full range scales that
// file too.
TEST(SoundImport, TheSlotsOwnFormatIsReadAsBefore) {
  testing::TempDir dir;
  const std::vector<int16_t> pcm{-32768, 32767, 0, -1, 1, 12345, -20000};
  std::vector<int16_t> bothSides;
  for (int16_t v : pcm) bothSides.insert(bothSides.end(), {v, v});
  const std::string mono = dir.File("mono.wav"), stereo = dir.File("stereo.wav");
  WriteBytes(mono, MakeWave({.samples = pcm}));
  WriteBytes(stereo, MakeWave({.channels = 2, .samples = bothSides}));

  for (const auto& [path, level, box] :
       {std::tuple(mono, ImportLevel::AsRecorded, ""), std::tuple(stereo, ImportLevel::AsRecorded, "Import"),
        std::tuple(mono, ImportLevel::FullRange, "Import")}) {
    SCOPED_TRACE(path);
    Engine e;
    InitProgramEngine(e, static_cast<uint32_t>(EngineTypeId::BasicWave));
    testing::FakeDialogs dialogs;
    ASSERT_TRUE(ImportWave(e, 0, testing::ReadBytes(path), path, false, dialogs, level));
    ASSERT_EQ(e.slots[0].length, pcm.size());
    for (std::size_t i = 0; i < pcm.size(); ++i)
      EXPECT_EQ(testing::Bits(e.slots[0].data[i]), testing::Bits(SampleFromPcm16(pcm[i]))) << i;
    EXPECT_EQ(dialogs.shown.empty() ? "" : dialogs.shown[0].caption, box) << "only a conversion or a scaling is told";
  }
}

}  // namespace
}  // namespace tonforge::testing
