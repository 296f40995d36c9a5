#pragma once
// MIDI keyboards through the ALSA sequencer, with RtMidi: a virtual input port named "Tonforge" to which every
// hardware MIDI output of the system is connected, at start-up and within a second of being plugged in. The
// RtMidi callback only queues the bytes (lock-free); the idle step takes them on the main thread.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "shell/devices/midi_input.h"

namespace tonforge {

inline constexpr const char* kMidiPortName = "Tonforge";
inline constexpr const char* kMidiUnavailable = "MIDI input is unavailable";

// A single-producer, single-consumer byte queue: the MIDI thread pushes whole messages, the main thread takes
// bytes. A message that does not fit is dropped whole, never cut.
class MidiByteQueue {
public:
  bool PushMessage(const uint8_t* bytes, size_t count);
  size_t Take(std::span<uint8_t> out);

private:
  static constexpr uint32_t kSize = 4096;  // a power of two
  std::array<uint8_t, kSize> bytes_{};
  std::atomic<uint32_t> head_{0};  // next byte to take (consumer)
  std::atomic<uint32_t> tail_{0};  // next byte to fill (producer)
};

class AlsaMidiInput : public MidiInput {
public:
  // Opens the virtual port and connects the hardware inputs. Null when there is no ALSA sequencer (as in
  // containers) or it refuses a client; `reason` then says why.
  static std::unique_ptr<AlsaMidiInput> Open(std::string& reason);
  ~AlsaMidiInput() override;
  AlsaMidiInput(const AlsaMidiInput&) = delete;
  AlsaMidiInput& operator=(const AlsaMidiInput&) = delete;

  size_t TakeBytes(std::span<uint8_t> out) override;

  // The sequencer address of the "Tonforge" port (client, port), for connecting to it by hand.
  int Client() const;
  int Port() const;

  struct Impl;

private:
  AlsaMidiInput();
  std::unique_ptr<Impl> impl_;
};

}  // namespace tonforge
