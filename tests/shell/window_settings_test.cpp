#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <string>

#include "shell/window_settings.h"

namespace tonforge {
namespace {

std::string WriteSettings(const std::string& text) {
  const std::string path = ::testing::TempDir() + "settings_" + std::to_string(::getpid()) + ".ini";
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
  return path;
}

TEST(WindowSettings, WrittenSettingsComeBackAndDamagedOnesMeanTheDefaults) {
  struct Case { const char* name; std::string text; WindowSettings expected; };
  const Case cases[] = {
      {"as written", WindowSettingsText({1600, 1120, 2}), {1600, 1120, 2}},
      {"defaults written", WindowSettingsText({}), {}},
      {"spaces, comments, unknown names", "# mine\n[window]\n width = 900 \nheight=700\r\ntheme=dark\n", {900, 700, 0}},
      {"empty", "", {}},
      {"not a number", "width=wide\nheight=700\n", {}},
      {"too small", "width=10\nheight=700\n", {}},
      {"too large", "width=900\nheight=99999\n", {}},
      {"negative", "width=-900\nheight=700\n", {}},
      {"scale past the largest", "scale=17\n", {}},
      {"half a size", "width=900\n", {}},
      {"no equals sign", "width 900\n", {}},
      {"binary", std::string("\0\x01\xff=\n", 5), {}},
  };
  for (const Case& c : cases) {
    const WindowSettings s = ReadWindowSettings(WriteSettings(c.text));
    EXPECT_EQ(s.width, c.expected.width) << c.name;
    EXPECT_EQ(s.height, c.expected.height) << c.name;
    EXPECT_EQ(s.scale, c.expected.scale) << c.name;
  }
  EXPECT_EQ(ReadWindowSettings(::testing::TempDir() + "no/such/settings.ini").width, 0);
  // The folder is made on the first save.
  const std::string fresh = ::testing::TempDir() + "config_" + std::to_string(::getpid()) + "/tonforge/settings.ini";
  ASSERT_TRUE(WriteWindowSettings(fresh, {1024, 700, 1}));
  EXPECT_EQ(ReadWindowSettings(fresh).height, 700);
  EXPECT_EQ(WindowSettingsPath("/x/cfg", "/home/u"), "/x/cfg/tonforge/settings.ini");
  EXPECT_EQ(WindowSettingsPath("", "/home/u"), "/home/u/.config/tonforge/settings.ini");
  EXPECT_EQ(WindowSettingsPath("relative", ""), "");
}

}  // namespace
}  // namespace tonforge
