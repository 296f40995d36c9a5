// What the main window hands up from SDL's queue for a dropped file and a double click (dummy video driver).
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/sdl/sdl_window.h"

namespace tonforge {
namespace {

TEST(SdlWindowEvents, ADroppedFileAndADoubleClickComeUpTranslated) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  std::string reason;
  std::unique_ptr<SdlWindow> window = SdlWindow::Open(reason);
  ASSERT_TRUE(window) << reason;
  const std::vector<uint32_t> frame(800 * 560, 0);
  ASSERT_TRUE(window->PresentAll(frame.data(), 800, 560));
  WindowEvent event;
  while (window->PollEvent(event)) {
  }
  const auto push = [](SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1); };
  SDL_Event text{};
  text.drop = {SDL_DROPTEXT, 0, SDL_strdup("some text"), 0};
  push(text);
  SDL_Event drop{};
  drop.drop = {SDL_DROPFILE, 0, SDL_strdup("/home/me/Kick 2.flac"), 0};
  push(drop);
  SDL_Event click{};
  click.button = {SDL_MOUSEBUTTONDOWN, 0, 0, 0, SDL_BUTTON_LEFT, SDL_PRESSED, 2, 0, 30, 40};
  push(click);

  const struct {
    WindowEventKind kind;
    std::string path;
    int clicks;
  } expected[] = {{WindowEventKind::DropFile, "/home/me/Kick 2.flac", 1}, {WindowEventKind::ButtonDown, "", 2}};
  for (const auto& e : expected) {
    ASSERT_TRUE(window->PollEvent(event));
    EXPECT_EQ(event.kind, e.kind);
    EXPECT_EQ(event.path, e.path);
    EXPECT_EQ(event.clicks, e.clicks);
  }
  EXPECT_EQ(std::pair(event.x, event.y), std::pair(30, 40)) << "at 1x the window's point is the interface's";
  EXPECT_FALSE(window->PollEvent(event)) << "dropped text is not a file";
}

}  // namespace
}  // namespace tonforge
