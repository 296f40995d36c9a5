// Whole songs built through the model's own commands and played frame by frame with the real engines:
// what a listener would measure.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "audio/playback.h"
#include "audio/voice.h"
#include "programs/program_list.h"
#include "sequencer/song.h"
#include "sequencer/song_clock.h"
#include "support/fake_dialogs.h"

namespace tonforge {
namespace {

using T = EngineTypeId;

struct SongBench {
  explicit SongBench(int32_t sampleRate) : app(std::make_unique<Studio>(dialogs)) {
    StartCore(*app, "/nonexistent");
    SetOutputRate(app->rate, sampleRate, 120.0f, 48);
    NewSong(*app);
    app->song.seed = 77;
  }

  // A new track playing notes (tick, pitch) on a new program of these types.
  Track& AddTrack(std::initializer_list<T> types, std::initializer_list<std::pair<int32_t, int32_t>> notes) {
    Program& p = *NewProgram(*app);
    int position = 0;
    for (T type : types) InitProgramEngine(p.engines[position++], static_cast<uint32_t>(type));
    FitProgramBuffers(*app, p);
    app->song.currentTrack = app->song.tracks.Count() - 1;
    Track& t = *InsertTrack(*app);
    for (auto [tick, pitch] : notes) InsertEvent(*app, t, {tick, static_cast<int32_t>(EventType::NoteOn), pitch, 0});
    return t;
  }

  // Plays n frames from the start of the song and returns them interleaved.
  std::vector<int16_t> Play(int n) {
    PrepareSongStart(*app);
    SampleContext ctx = MakeSampleContext(*app);
    std::vector<int16_t> out;
    for (int i = 0; i < n; ++i) {
      SongClockStep(*app);
      const Frame16 f = MixSongSample(*app, ctx);
      out.insert(out.end(), {f.left, f.right});
    }
    return out;
  }

  testing::FakeDialogs dialogs;
  std::unique_ptr<Studio> app;
};

// Frequency from the rising zero crossings of the left channel, skipping the first tenth of a second.
double MeasuredHz(const std::vector<int16_t>& frames, int32_t sampleRate) {
  const size_t n = frames.size() / 2;
  const size_t start = static_cast<size_t>(sampleRate / 10);
  size_t first = 0, last = 0, crossings = 0;
  for (size_t i = start + 1; i < n; ++i) {
    if (frames[2 * (i - 1)] < 0 && frames[2 * i] >= 0) {
      if (crossings == 0) first = i;
      last = i;
      ++crossings;
    }
  }
  if (crossings < 2) return 0.0;
  return static_cast<double>(crossings - 1) * sampleRate / static_cast<double>(last - first);
}

TEST(SongSound, NotesSoundAtTheirPitchAtEveryRate) {
  const struct { T source; int32_t pitch; double hz; } notes[] = {
      {T::SineWaveGenerator, 2450, 261.63}, {T::SineWaveGenerator, 3650, 523.26}, {T::DownSawGenerator, 2450, 261.63},
      {T::UpSawGenerator, 1250, 130.81},    {T::PulseWaveGenerator, 3050, 369.99},
  };
  for (int32_t rate : {44100, 22050}) {
    for (const auto& n : notes) {
      SongBench b(rate);
      b.AddTrack({n.source}, {{0, n.pitch}});
      const double hz = MeasuredHz(b.Play(rate), rate);
      EXPECT_NEAR(hz, n.hz, n.hz * 0.004) << "type " << int(n.source) << " pitch " << n.pitch << " at " << rate;
    }
  }
}

TEST(SongSound, FullChainsRenderTheSameTwiceAndStayFinite) {
  auto build = [](SongBench& b) {
    Track& t = b.AddTrack({T::DownSawGenerator, T::LowPassFilter, T::Chorus, T::WhiteNoiseGenerator},
                          {{0, 2450}, {48, 2650}, {96, 2850}, {144, 3050}});
    t.seed = 4321;  // seeds are drawn at creation; pin them so both songs are the same song
    InitTrackEngine(t.chain[0], static_cast<uint32_t>(T::BasicDelay), b.dialogs);
    InitTrackEngine(TrackAt(b.app->song, 0)->chain[0], static_cast<uint32_t>(T::StereoReverbXY), b.dialogs);
  };
  SongBench first(44100), second(44100);
  build(first);
  build(second);
  const auto a = first.Play(44100);
  const auto b = second.Play(44100);
  EXPECT_EQ(a, b);  // seeded random states and cleared buffers: a song always renders the same
  double energy = 0.0;
  for (int16_t s : a) energy += static_cast<double>(s) * s;
  EXPECT_GT(energy / a.size(), 1e4);  // clearly audible
}

}  // namespace
}  // namespace tonforge
