// The main window on SDL's dummy video driver: where it opens, what a present changes, and what comes out of
// the event queue. The dummy driver keeps a real window surface, so a snapshot shows what would be on screen.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/sdl/sdl_window.h"

namespace tonforge {
namespace {

constexpr uint32_t kRed = 0xFFFF0000, kBlue = 0xFF0000FF;

TEST(SdlWindow, PresentsOnlyTheChangedRectanglesAndReportsEvents) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  std::string reason;
  std::unique_ptr<SdlWindow> window = SdlWindow::Open(reason);
  ASSERT_TRUE(window) << reason;
  const int w = window->Width(), h = window->Height();
  EXPECT_EQ(w, 800);  // the interface once: twice would not fit the dummy display's 1024 x 768
  EXPECT_EQ(h, 560);

  std::vector<uint32_t> frame(static_cast<size_t>(w * h), kRed);
  ASSERT_TRUE(window->PresentAll(frame.data(), w, h));
  std::fill(frame.begin(), frame.end(), kBlue);
  const WindowRect changed[] = {{10, 20, 30, 40}, {w - 5, h - 5, 50, 50}, {-100, -100, 50, 50}};
  ASSERT_TRUE(window->Present(frame.data(), w, h, changed));

  const std::vector<uint32_t> shown = window->Snapshot();
  ASSERT_EQ(shown.size(), frame.size());
  auto at = [&](int x, int y) { return shown[static_cast<size_t>(y * w + x)] | 0xFF000000; };
  struct Probe {
    int x, y;
    uint32_t colour;
  } probes[] = {{10, 20, kBlue}, {39, 59, kBlue}, {9, 20, kRed}, {40, 59, kRed}, {39, 60, kRed},
                {w - 5, h - 5, kBlue}, {w - 1, h - 1, kBlue}, {w - 6, h - 1, kRed}, {0, 0, kRed}};
  for (const Probe& p : probes) EXPECT_EQ(at(p.x, p.y), p.colour) << p.x << "," << p.y;

  WindowEvent event;
  while (window->PollEvent(event)) {
  }
  EXPECT_FALSE(window->WaitForEvent(10, event));
  // SDL turns an interrupt from the terminal into a quit request, which must reach the main loop.
  std::raise(SIGINT);
  ASSERT_TRUE(window->WaitForEvent(1000, event));
  EXPECT_EQ(event.kind, WindowEventKind::Quit);
}

// SDL's own fallback would be an invisible off-screen window; without a desktop the program must not start.
TEST(SdlWindow, NoDisplayGivesNoWindowAndSaysWhy) {
  std::vector<std::pair<std::string, std::string>> saved;
  for (const char* name : {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"}) {
    if (const char* value = std::getenv(name)) saved.emplace_back(name, value);
    unsetenv(name);
  }
  std::string reason;
  EXPECT_EQ(SdlWindow::Open(reason), nullptr);
  EXPECT_NE(reason.find("DISPLAY is not set"), std::string::npos) << reason;
  for (const auto& [name, value] : saved) setenv(name.c_str(), value.c_str(), 1);
}

}  // namespace
}  // namespace tonforge
