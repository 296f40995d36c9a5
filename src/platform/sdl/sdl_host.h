#pragma once
// The running program on SDL: the main window, its user interface, the keyboard, the sound card, the dialogs'
// desktop shell. Start-up and the main loop (app/run.h) drive it through the Host interface.
#include <memory>
#include <optional>
#include <string>

#include "app/host.h"
#include "platform/sdl/alsa_midi_input.h"
#include "platform/sdl/sdl_keyboard.h"
#include "platform/sdl/sdl_shell.h"
#include "platform/sdl/sdl_sound_device.h"
#include "platform/sdl/sdl_text.h"
#include "platform/sdl/sdl_window.h"
#include "ui/ui.h"

namespace tonforge {

class SdlHost : public Host {
public:
  // Takes over the opened main window; the program folder is where the skins and captions are read, and
  // `dialogs` shows the desktop shell's boxes.
  SdlHost(std::unique_ptr<SdlWindow> window, std::string programFolder, Dialogs& dialogs);

  void LoadSkins() override;
  Keyboard* OpenKeyboard() override { return &keyboard_; }
  MidiInput* OpenMidiInput() override;
  SoundDevice* OpenSoundDevice(int32_t sampleRate, uint32_t blockFrames) override;
  void LoadCaptionsAndFont() override;
  void BuildPanels(AppState& app) override;
  Shell& DesktopShell() override { return shell_; }
  bool DispatchEvent() override;
  void WaitForEvent(int milliseconds) override;
  bool GestureOpen() const override { return ui_.pointer.draggedControl >= 0; }
  void Refresh(AppState& app) override;
  void FreePanels() override;
  void CloseDevices() override;

  Ui& UserInterface() { return ui_; }
  // The window's size and chosen factor, as it was when it closed (or now, while it is open).
  WindowSettings WindowSettingsNow() const { return window_ ? window_->Settings() : lastWindowSettings_; }
  // Why the sound device could not be opened, in SDL's words (empty when it was).
  const std::string& SoundProblem() const { return soundProblem_; }
  // The device playing the ring, null when there is none (for its figures).
  const SdlSoundDevice* Sound() const { return sound_.get(); }

private:
  void Handle(const WindowEvent& event);
  void PresentChanges();

  std::unique_ptr<SdlWindow> window_;
  std::string title_ = "Tonforge";  // what the window's title bar shows
  std::string programFolder_;
  Ui ui_;
  std::unique_ptr<SdlTextRasterizer> text_;
  SdlKeyboard keyboard_;
  SdlShell shell_;
  std::unique_ptr<SdlSoundDevice> sound_;
  std::string soundProblem_;
  std::unique_ptr<AlsaMidiInput> midi_;
  std::optional<WindowEvent> waiting_;  // taken by WaitForEvent, handled by the next DispatchEvent
  AppState* app_ = nullptr;
  bool firstFrameShown_ = false;
  WindowSettings lastWindowSettings_;
};

}  // namespace tonforge
