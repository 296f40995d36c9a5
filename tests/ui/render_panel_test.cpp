#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/app_panels_rig.h"
#include "support/play_rig.h"

namespace tonforge {
namespace {

using testing::AppPanelsRig;

constexpr int32_t kRender = PanelIndex(Panel::RenderOutput), kList = PanelIndex(Panel::ProgramList);
constexpr int32_t kQuality = 0, kFirstRate = 1, kRenderButton = 4, kStop = 6, kFirstLine = 3;

std::string Lines(AppPanelsRig& rig) {
  std::string all;
  for (int i = 0; i < 3; ++i) all += std::string(rig.P(kRender).labels[kFirstLine + i].text) + (i < 2 ? ", " : "");
  return all;
}

// The render panel under the mouse: the quality and rate buttons show what they set, a render without an End
// is refused, and a real render's statistics reach the panel once the idle step has stopped its worker.
TEST(RenderPanel, QualityRatesRenderAndItsStatistics) {
  AppPanelsRig rig;
  rig.Toggle(kRender);
  ASSERT_TRUE(rig.Open(kRender) && !rig.Open(kList));
  EXPECT_EQ(Lines(rig), "Samples Rendered 0, Samples Clipped 0, Percent Clipped 0.00");

  struct Case { int32_t press; uint32_t quality; int32_t caption; int32_t rate; };
  const Case cases[] = {
      {-1, 0, 96, 44100}, {kQuality, 1, 97, 44100}, {kFirstRate, 1, 97, 11025},
      {kFirstRate + 1, 1, 97, 22050}, {kQuality, 0, 96, 22050}, {kFirstRate + 2, 0, 96, 44100},
  };
  for (const Case& c : cases) {
    if (c.press >= 0) rig.Press(kRender, c.press);
    EXPECT_EQ(rig.app().render.quality, c.quality) << c.press;
    EXPECT_EQ(rig.B(kRender, kQuality).captionOrValue, c.caption) << c.press;
    EXPECT_EQ(rig.app().rate.sampleRate, c.rate) << c.press;
    for (int32_t i = 0; i < 3; ++i)
      EXPECT_EQ(rig.B(kRender, kFirstRate + i).style,
                rig.app().rate.sampleRate == (11025 << i) ? ButtonStyle::ToggleOn : ButtonStyle::ToggleOff);
  }

  rig.Press(kRender, kRenderButton);
  EXPECT_EQ(rig.song.Messages(), std::vector<std::string>{"You Must Insert An End Event At The End Of The Song"});

  // One beat of song to its End, rendered by the worker; the main loop's idle step stops it.
  rig.song.Add(0, {{48, testing::Type(EventType::End), 0, 0}});
  const std::string path = ::testing::TempDir() + "render_panel.wav";
  rig.song.dialogs.paths = {path};
  rig.Press(kRender, kRenderButton);
  ASSERT_TRUE(testing::WaitFor([&] { return rig.app().playback.songEndReached.load() == 1; }));
  ASSERT_TRUE(testing::WaitFor([&] { return rig.app().playback.workerRunning.load() == 0; }));
  // The worker only asked for the redraw; the main loop's pass draws its progress.
  rig.Redraw();
  EXPECT_EQ(Lines(rig), "Last Beat Rendered 0:1, Samples Clipped 0, Percent Complete 100");
  rig.Press(kRender, kStop);
  EXPECT_TRUE(IsPlaybackIdle(rig.app()));
  EXPECT_EQ(rig.song.dialogs.shown.back().caption, "Rendering Complete");
  const uint32_t rendered = rig.app().render.samplesRendered;
  EXPECT_EQ(rendered, 2u * 22050u);  // one beat at 120 beats per minute
  EXPECT_EQ(Lines(rig), "Samples Rendered " + std::to_string(rendered) + ", Samples Clipped 0, Percent Clipped 0.00");
  EXPECT_EQ(std::filesystem::file_size(path), 44u + 2u * rendered + 1u);
}

}  // namespace
}  // namespace tonforge
