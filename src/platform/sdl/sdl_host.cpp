#include "platform/sdl/sdl_host.h"

#include <iostream>
#include <vector>

#include "app/app_state.h"
#include "app/dropped_file.h"
#include "app/quit.h"
#include "app/run.h"
#include "ui/app_link.h"
#include "ui/captions.h"
#include "ui/panels.h"
#include "ui/panels/build.h"
#include "ui/panels/engine_editor.h"
#include "ui/pointer.h"

namespace tonforge {

namespace {

std::optional<PointerAction> PointerActionOf(const WindowEvent& e) {
  const bool left = e.button == MouseButton::Left, right = e.button == MouseButton::Right;
  switch (e.kind) {
    case WindowEventKind::ButtonDown:
      if (left) return PointerAction::LeftDown;
      if (right) return PointerAction::RightDown;
      return std::nullopt;
    case WindowEventKind::ButtonUp:
      if (left) return PointerAction::LeftUp;
      if (right) return PointerAction::RightUp;
      return std::nullopt;
    case WindowEventKind::MouseMove: return PointerAction::Move;
    case WindowEventKind::Wheel: return PointerAction::Wheel;
    default: return std::nullopt;
  }
}

}  // namespace

SdlHost::SdlHost(std::unique_ptr<SdlWindow> window, std::string programFolder, Dialogs& dialogs)
    : window_(std::move(window)), programFolder_(std::move(programFolder)), shell_(dialogs) {}

void SdlHost::LoadSkins() {
  ui_.screen = Pixels(kInterfaceWidth, kInterfaceHeight, kDesktopColour);
  // Said once, at start-up; the interface goes on with the pictures it has.
  for (const FileFailure& f : tonforge::LoadSkins(ui_.skins, programFolder_))
    std::cerr << "tonforge: the skin picture cannot be used: " << f.path << ": " << f.reason << "\n";
}

MidiInput* SdlHost::OpenMidiInput() {
  std::string reason;
  midi_ = AlsaMidiInput::Open(reason);
  // Said once and only here: the program plays on from the computer keyboard.
  if (!midi_) std::cerr << "tonforge: " << kMidiUnavailable << ": " << reason << "\n";
  return midi_.get();
}

SoundDevice* SdlHost::OpenSoundDevice(int32_t sampleRate, uint32_t blockFrames) {
  sound_ = SdlSoundDevice::Open(sampleRate, soundProblem_, blockFrames);
  return sound_.get();
}

void SdlHost::LoadCaptionsAndFont() {
  ui_.captions = ReadCaptionFile(programFolder_ + "/Captions.txt");
  text_ = std::make_unique<SdlTextRasterizer>();
  ui_.text = text_.get();
}

void SdlHost::BuildPanels(AppState& app) {
  app_ = &app;
  tonforge::BuildPanels(ui_);
  ConnectUi(ui_, app);
  BuildPanelControls(ui_, app);
  OpenStartupPanels(ui_);
  window_->PresentAll(ui_.screen.data.data(), ui_.screen.width, ui_.screen.height);
  (void)TakeChangedRects(ui_);
}

void SdlHost::Handle(const WindowEvent& event) {
  if (event.kind == WindowEventKind::Quit) {
    if (app_ != nullptr) QuitUnlessChangesWouldBeLost(*app_);
    return;
  }
  if (event.kind == WindowEventKind::Repaint) {
    window_->PresentAll(ui_.screen.data.data(), ui_.screen.width, ui_.screen.height);
    return;
  }
  if (event.kind == WindowEventKind::DropFile) {
    if (app_ != nullptr) OpenDroppedFile(*app_, event.path, {EngineSlotAt(ui_, {event.x, event.y}), event.shift});
    return;
  }
  if (const std::optional<PointerAction> action = PointerActionOf(event))
    HandlePointer(ui_, PointerEvent{*action, Point{event.x, event.y}, event.notches, event.shift, event.clicks});
}

bool SdlHost::DispatchEvent() {
  WindowEvent event;
  if (waiting_) {
    event = *waiting_;
    waiting_.reset();
  } else if (!window_->PollEvent(event)) {
    return false;
  }
  Handle(event);
  return true;
}

void SdlHost::WaitForEvent(int milliseconds) {
  WindowEvent event;
  if (!waiting_ && window_->WaitForEvent(milliseconds, event)) waiting_ = event;
}

void SdlHost::PresentChanges() {
  const std::vector<Rect> changed = TakeChangedRects(ui_);
  if (changed.empty()) return;
  std::vector<WindowRect> rects;
  rects.reserve(changed.size());
  for (const Rect& r : changed) rects.push_back({r.left, r.top, r.Width(), r.Height()});
  window_->Present(ui_.screen.data.data(), ui_.screen.width, ui_.screen.height, rects);
}

void SdlHost::Refresh(AppState& app) {
  ShowPassResult(ui_, app);
  PresentChanges();
  if (std::string title = WindowTitle(app); title != title_) {
    title_ = std::move(title);
    window_->SetTitle(title_);
  }
}

void SdlHost::FreePanels() {
  ui_.panels = {};
  ui_.stacking.clear();
  ui_.text = nullptr;
  text_.reset();
  ui_.captions = {};
}

void SdlHost::CloseDevices() {
  sound_.reset();
  midi_.reset();
  if (window_) lastWindowSettings_ = window_->Settings();
  window_.reset();
}

}  // namespace tonforge
