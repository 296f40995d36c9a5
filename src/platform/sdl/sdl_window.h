#pragma once
// The one main window: an ordinary resizable desktop window showing the frame buffer that ui/ draws, enlarged by
// a whole factor and centred; pointer positions come back in frame buffer coordinates.
// Its events arrive here already translated into WindowEvent, so nothing above this folder sees SDL.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "ui/scaling.h"

struct SDL_Window;

namespace tonforge {

inline constexpr const char* kCouldNotOpenDisplay = "Could Not Open Display";

struct WindowRect {
  int x = 0, y = 0, width = 0, height = 0;
};

enum class WindowEventKind {
  ButtonDown,  // a mouse button went down at (x, y)
  ButtonUp,    // a mouse button came up at (x, y)
  MouseMove,   // the pointer moved to (x, y)
  Wheel,       // the wheel turned `notches` (positive away from the user) with the pointer at (x, y)
  Quit,        // the desktop asks the program to end
  Repaint,     // the window's contents were lost or uncovered: present the whole frame again
  DropFile,    // a file was dropped on the window, the pointer at (x, y)
};

enum class MouseButton { None, Left, Right };

struct WindowEvent {
  WindowEventKind kind = WindowEventKind::Repaint;
  MouseButton button = MouseButton::None;  // for ButtonDown and ButtonUp
  int x = 0, y = 0;                        // window coordinates, for the mouse events
  int notches = 0;                         // for Wheel
  bool shift = false;                      // Shift was held (mouse events and drops)
  int clicks = 1;                          // for ButtonDown: 2 for a double click
  std::string path;                        // for DropFile
};

class SdlWindow {
public:
  // Opens the window titled "Tonforge" on display 0, as large as the largest whole factor of the interface that
  // fits its usable bounds (or `scale` times it when given). Null when there is no display; `reason` then holds
  // SDL's explanation. A remembered size (both sides) opens the window at that size instead.
  static std::unique_ptr<SdlWindow> Open(std::string& reason, int scale = 0, int width = 0, int height = 0);
  ~SdlWindow();
  SdlWindow(const SdlWindow&) = delete;
  SdlWindow& operator=(const SdlWindow&) = delete;

  int Width() const { return area_.width; }    // the window's size when it opened
  int Height() const { return area_.height; }
  int Scale() const { return placement_.scale; }
  // The size the window has now and the factor it was told to use, to be remembered for the next run.
  WindowSettings Settings() const;

  // Shows the given rectangles of a 32-bit ARGB frame buffer of width x height pixels (rows packed);
  // the rest of the window keeps what it showed. False when the window could not be drawn on.
  bool Present(const uint32_t* pixels, int width, int height, std::span<const WindowRect> changed);
  bool PresentAll(const uint32_t* pixels, int width, int height);
  void SetTitle(const std::string& title);

  // The next event if one waits; false at once otherwise.
  bool PollEvent(WindowEvent& event);
  // The next event, waiting at most `milliseconds` for one to come.
  bool WaitForEvent(int milliseconds, WindowEvent& event);

  // What the window shows now, Width() x Height() ARGB pixels (scripted runs compare it with a picture).
  std::vector<uint32_t> Snapshot();

private:
  SdlWindow() = default;
  void MapPointer(WindowEvent& event) const;

  SDL_Window* window_ = nullptr;
  WindowRect area_;
  int forcedScale_ = 0;
  Placement placement_;
  // The enlarged picture, the window's size; a new size or placement fills it with the desktop colour again.
  std::vector<uint32_t> scaled_;
  int scaledWidth_ = 0, scaledHeight_ = 0;
};

}  // namespace tonforge
