#pragma once
// The user interface's whole state: the ten panel records with their controls, the screen it draws into, the
// skins, captions and text, the pointer, the splash and the name edit's buttons. The program holds one Ui
// beside its AppState; the core never sees it.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/devices/text.h"
#include "ui/captions.h"
#include "ui/controls.h"
#include "ui/panel_id.h"
#include "ui/pixels.h"
#include "ui/skin.h"

namespace tonforge {

// The fixed frame every panel is drawn with: a thin border around, a title bar with the caption and a close
// box. Control rectangles count from the outer corner, so a control at y 24 sits just below the title bar.
inline constexpr int32_t kFrameBorder = 3;
inline constexpr int32_t kTitleBarHeight = 19;
inline constexpr Point kClientOffset{kFrameBorder, kFrameBorder + kTitleBarHeight};

struct PanelWindow {
  bool open = false;
  uint32_t index = 0;
  int32_t captionId = 0;
  std::string title;  // shown instead of the caption when not empty
  int32_t left = 0, top = 0;  // outer top-left on the screen
  int32_t width = 0, height = 0;
  Point clientOffset = kClientOffset;
  int32_t clientWidth = 0, clientHeight = 0;
  std::vector<Button> buttons;
  std::vector<ValueControl> valueControls;
  std::vector<Label> labels;
  // Brings the controls up to date from the program's state and draws the panel when it is open. Without
  // one, a redraw request simply draws the panel.
  std::function<void()> refresh;
  // Drawn after the controls (the song view of the track list panel).
  std::function<void()> drawExtra;
  // A left press at a point in outer coordinates, after the controls have had it (song view selection).
  std::function<void(Point)> pressExtra;
  // The value controls the wheel scrolls when it turns over no control of its own: up and down, and with
  // Shift sideways (the song view). -1 when none.
  int32_t wheelScroll = -1;
  int32_t wheelScrollSideways = -1;
};

struct BeatFigures {
  int32_t ticksPerBeat = 48;
  int32_t beatsPerBar = 8;
};

// What the interface asks of the rest of the program. The glue of ConnectUi fills these from an AppState;
// tests set what they need.
struct UiLinks {
  std::function<BeatFigures()> beats = [] { return BeatFigures{}; };
  std::function<bool()> nameEditActive = [] { return false; };
  std::function<void()> endNameEdit = [] {};
  // The song chain panel stands in for the track chain panel while the GlobalTrack is current.
  std::function<bool()> globalTrackCurrent = [] { return false; };
  std::function<void()> requestQuit = [] {};
  // Typing a number for a value control: starts the entry, and its text (with the caret while it runs).
  std::function<void()> startValueEntry = [] {};
  std::function<std::string_view()> entryText = [] { return std::string_view(); };
};

struct ButtonRef {
  int32_t panel = -1;
  int32_t button = -1;
};

struct PointerState {
  int32_t draggedControl = -1;
  int32_t draggedPanel = -1;
  Point last;  // screen position of the last mouse move
  int32_t fineCarry = 0;  // pixels of a Shift-drag not yet worth a step
  int32_t movedPanel = -1;  // the panel whose title bar is being dragged
  Point grab;               // where in that panel's frame it was grabbed
  int32_t closingPanel = -1;  // the panel whose close box is held down
  bool shift = false;  // Shift was held at the last press or release: Load imports at full range
};

struct NameEditDisplay {
  bool active = false;
  std::array<ButtonRef, 2> targets;  // the field that shows the name, and the list row of the same program
  // Or the value control whose number is being typed, -1 when none.
  int32_t valuePanel = -1;
  int32_t valueControl = -1;
};

struct Ui {
  Pixels screen;
  Skins skins;
  CaptionTable captions;
  TextRasterizer* text = nullptr;  // not owned
  std::array<PanelWindow, kPanelCount> panels;
  std::vector<int32_t> stacking;  // open panels from the back to the front
  PointerState pointer;
  bool splash = false;
  NameEditDisplay nameEdit;
  UiLinks links;
  std::vector<Rect> changed;  // screen rectangles drawn since the platform last presented
};

// Screen places of the splash and its two lines.
inline constexpr Rect kSplashPlace{368, 195, 688, 365};
inline constexpr Point kSplashProductLine{498, 207};
inline constexpr Point kSplashCaptionLine{498, 220};
inline constexpr const char* kProductLine = "Tonforge v1.20";
inline constexpr int32_t kSplashCaption = 3;

// The main window's own colour where no panel lies.
inline constexpr uint32_t kDesktopColour = 0x101216;

// Start-up: the screen of the main window's size, the skins and captions from the program folder, the ten
// panel records. The panels' own controls are added after this, then OpenStartupPanels.
void StartUi(Ui& ui, int32_t screenWidth, int32_t screenHeight, const std::string& programFolder,
             TextRasterizer& text);
// Opens panels 1, 4, 8, 9 and 0, draws the whole screen and shows the splash over it.
void OpenStartupPanels(Ui& ui);
// Repaints everything: desktop, open panels back to front, the splash while it shows.
void DrawAll(Ui& ui);
// Once per pass of the main loop: follows the end of a name edit and runs the refresh of every panel whose
// redraw was requested.
void TakeRedraws(Ui& ui, ChangeReports& changes);
// The screen rectangles changed since the last call (merged when there are many), for the platform to present.
std::vector<Rect> TakeChangedRects(Ui& ui);

}  // namespace tonforge
