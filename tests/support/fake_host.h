#pragma once
// A Host with fake devices whose main loop runs a script: each pass without an event calls `onIdle` with the
// pass number, so a test can press keys or answer questions at chosen moments.
#include <functional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/host.h"
#include "support/fake_devices.h"

namespace tonforge::testing {

class FakeHost : public Host {
public:
  void LoadSkins() override { steps.push_back("skins"); }
  Keyboard* OpenKeyboard() override {
    steps.push_back("keyboard");
    return &keyboard;
  }
  MidiInput* OpenMidiInput() override {
    steps.push_back("midi");
    return midiFails ? nullptr : &midi;
  }
  SoundDevice* OpenSoundDevice(int32_t, uint32_t frames) override {
    steps.push_back("sound");
    blockFrames = frames;
    return soundFails ? nullptr : &sound;
  }
  void LoadCaptionsAndFont() override { steps.push_back("captions"); }
  void BuildPanels(AppState&) override { steps.push_back("panels"); }
  Shell& DesktopShell() override { return shell; }
  bool DispatchEvent() override { return false; }
  void WaitForEvent(int) override {
    ++passes;
    if (onIdle) onIdle(passes);
  }
  void Refresh(AppState&) override {}
  void FreePanels() override { steps.push_back("free panels"); }
  void CloseDevices() override { steps.push_back("close devices"); }

  FakeKeyboard keyboard;
  FakeShell shell;
  FakeMidiInput midi;
  FakeSoundDevice sound;
  bool soundFails = false;
  bool midiFails = false;
  uint32_t blockFrames = 0;  // what the device was asked for
  int passes = 0;
  std::function<void(int)> onIdle;
  std::vector<std::string> steps;
};

}  // namespace tonforge::testing
