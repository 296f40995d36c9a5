#pragma once
// What a run of the synthesizer stands on above the core: the display with its panels, the keyboard, a MIDI
// keyboard and the sound card. The platform layer implements it; the start-up and shutdown sequences (app/run.h) call it in the
// order the program depends on, and tests implement it with fakes.
#include <cstdint>

#include "shell/devices/keyboard.h"
#include "shell/devices/midi_input.h"
#include "shell/devices/shell.h"
#include "shell/devices/sound_device.h"

namespace tonforge {

struct AppState;

class Host {
public:
  virtual ~Host() = default;

  // Start-up, in this order. The skins of the display: a missing picture leaves its surface blank.
  virtual void LoadSkins() = 0;
  // The keyboard device, or null when it cannot be read (the keys then do nothing; nothing is reported).
  virtual Keyboard* OpenKeyboard() = 0;
  // MIDI input from every MIDI keyboard connected to the program, or null when the system has none to offer
  // (the platform says so once, never in a box).
  virtual MidiInput* OpenMidiInput() = 0;
  // The sound device playing a ring of eight blocks of blockFrames at the rate, or null when there is none.
  virtual SoundDevice* OpenSoundDevice(int32_t sampleRate, uint32_t blockFrames) = 0;
  // The caption table and the panels' font.
  virtual void LoadCaptionsAndFont() = 0;
  // Every panel with its controls, the start-up layout and the splash, over the state they show.
  virtual void BuildPanels(AppState& app) = 0;
  virtual Shell& DesktopShell() = 0;

  // The main loop. Handles one waiting window event; false when none waits.
  virtual bool DispatchEvent() = 0;
  // Waits at most `milliseconds` for an event to arrive; the next DispatchEvent takes it.
  virtual void WaitForEvent(int milliseconds) = 0;
  // Whether a knob or slider is being dragged: its edits make one undo step, closed when the button comes up.
  virtual bool GestureOpen() const { return false; }
  // Draws the panels whose redraw was requested since the last pass and shows what changed.
  virtual void Refresh(AppState& app) = 0;

  // Shutdown, in this order: the panels' resources, then the sound device, the MIDI input, the keyboard and
  // the display.
  virtual void FreePanels() = 0;
  virtual void CloseDevices() = 0;
};

}  // namespace tonforge
