// The mix with channels in vector lanes writes the bytes of the mix channel by channel: songs whose tracks
// form groups of 1, 3, 4, 5, 8 and 9 channels of the same chains, with sources that differ within a group,
// types without lane runs among them, notes that end, at 1 and 3 threads, 8 and 4 lanes, standard and high
// quality.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/render.h"
#include "programs/program_list.h"
#include "support/file_rig.h"
#include "support/mix_songs.h"
#include "support/play_rig.h"

namespace tonforge::testing {
namespace {

using T = EngineTypeId;

// Track k of a group plays sources[k % size] first in its program, then the program's engines; chain: the track
// chain.
struct Group { int tracks; std::vector<T> sources, program, chain; };

std::vector<uint8_t> RenderSong(const std::vector<Group>& groups, bool quality, MixMethod method, int32_t threads,
                                int32_t lanes, const std::string& path) {
  testing::PlayRig rig;
  int k = 0;
  for (const Group& g : groups)
    for (int n = 0; n < g.tracks; ++n, ++k) {
      Program& p = rig.AddProgram({static_cast<uint32_t>(g.sources[n % g.sources.size()])}, 0.2f);
      for (size_t e = 0; e < g.program.size(); ++e) {
        InitProgramEngine(p.engines[e + 1], static_cast<uint32_t>(g.program[e]));
        SetParameter(p.engines[e + 1], 0, 20 + (7 * k) % 60);
        FillSlots(p.engines[e + 1], static_cast<uint32_t>(k));
      }
      FitProgramBuffers(*rig.app, p);
      Track& t = rig.AddTrack();
      t.pan = 40 + 9 * k;
      for (size_t e = 0; e < g.chain.size(); ++e)
        FillSlots(rig.SetTrackEngine(t, static_cast<int>(e), g.chain[e]), static_cast<uint32_t>(k));
      for (int32_t tick = k % 3; tick < 60; tick += 4 + k % 5)
        rig.Add(t, tick, EventType::NoteOn, 1850 + 37 * ((tick + k) % 40), k);
      if (k % 4 == 1) rig.Add(t, 30, EventType::NoteOff);
    }
  rig.End(64);
  rig.app->render.quality = quality ? 1 : 0;
  rig.app->mixer.method = method;
  rig.app->mixer.threads = threads;
  rig.app->mixer.widestLanes = lanes;
  return RenderedBytes(*rig.app, path);
}

TEST(LanesMix, WritesTheBytesOfTheMixChannelByChannel) {
  const struct { const char* name; bool quality; std::vector<Group> groups; } songs[] = {
      {"filters, choruses, a delay and a filter without lanes",
       false,
       {{9, {T::UpSawGenerator, T::PulseWaveGenerator, T::SineWaveGenerator}, {T::LowPassFilter, T::Chorus}, {T::BasicDelay}},
        {5, {T::CosineWaveGenerator}, {T::HighPassFilter, T::Flange}, {T::StereoChorus}},
        {3, {T::InversePulseWaveGenerator, T::WhiteNoiseGenerator}, {T::PeakingFilter, T::MoogVcf}, {T::StereoFlange}},
        {1, {T::DownSawGenerator}, {T::BandPassFilter}, {T::RandomPanning, T::LowShelfFilter}}}},
      {"high quality",
       true,
       {{8, {T::UpSawGenerator, T::DownSawGenerator, T::PulseWaveGenerator}, {T::BandExcludeFilter, T::Chorus}, {T::HighShelfFilter, T::BasicDelay}},
        {4, {T::SineWaveGenerator, T::BasicWave}, {T::LowPassFilter}, {T::Distortion, T::Flange}}}},
  };
  testing::TempDir dir;
  for (const auto& song : songs) {
    const auto expected = RenderSong(song.groups, song.quality, MixMethod::Block, 1, 8, dir.File("block.wav"));
    EXPECT_GT(LoudSamples(expected), 10000) << song.name;
    for (const auto& [threads, lanes] : {std::pair{1, 8}, {3, 8}, {1, 4}, {3, 4}})
      EXPECT_TRUE(RenderSong(song.groups, song.quality, MixMethod::Lanes, threads, lanes, dir.File("lanes.wav")) == expected)
          << song.name << ", " << threads << " threads, " << lanes << " lanes at most";
  }
}

}  // namespace
}  // namespace tonforge::testing
