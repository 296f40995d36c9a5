#pragma once
// The sound card through SDL audio: a 16-bit stereo device at the OutputRate whose callback plays our own
// looping ring from the play cursor, the way a looping hardware buffer would.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "shell/devices/sound_device.h"

namespace tonforge {

inline constexpr const char* kCouldNotOpenSoundDevice = "Could Not Open Sound Device";

// The ring the device plays in a loop: eight blocks, `size` bytes of `bytes`. The cursor is the byte the device
// takes next; any thread may read it.
struct AudioRing {
  std::array<uint8_t, kRingBytes> bytes{};
  uint32_t size = kRingBytes;
  std::atomic<uint32_t> cursor{0};
};

// The device callback: fills `out` with the next `length` bytes of the ring from the cursor, wrapping at the
// end, and moves the cursor past them.
void PlayRing(AudioRing& ring, uint8_t* out, int length);

class SdlSoundDevice : public SoundDevice {
public:
  // Opens the default output device at sampleRate, playing the (silent) ring of eight blocks of blockFrames
  // from position 0, with a device buffer no longer than a block. Null when there is no usable audio device;
  // `reason` then says why, in SDL's words.
  static std::unique_ptr<SdlSoundDevice> Open(int32_t sampleRate, std::string& reason,
                                              uint32_t blockFrames = kBlockFrames);
  ~SdlSoundDevice() override;
  SdlSoundDevice(const SdlSoundDevice&) = delete;
  SdlSoundDevice& operator=(const SdlSoundDevice&) = delete;

  uint32_t PlayCursor() override;
  bool WriteBlock(uint32_t offset, const int16_t* samples, uint32_t bytes) override;
  // Closes the device and opens it again at sampleRate with a silent ring played from position 0. On failure
  // the device stays closed, the cursor stands still and LastError says why.
  bool Recreate(int32_t sampleRate) override;

  // The rate the device really plays at (0 while closed), and SDL's reason for the last failure.
  int32_t SampleRate() const { return sampleRate_; }
  // The frames SDL takes per callback: the device's own share of the latency.
  uint32_t DeviceBufferFrames() const { return bufferFrames_; }
  const std::string& LastError() const { return lastError_; }

private:
  SdlSoundDevice() = default;
  bool OpenDevice(int32_t sampleRate);
  void CloseDevice();

  std::unique_ptr<AudioRing> ring_ = std::make_unique<AudioRing>();
  uint32_t device_ = 0;
  int32_t sampleRate_ = 0;
  uint16_t wantedFrames_ = 1024;
  uint32_t bufferFrames_ = 0;
  std::string lastError_;
};

}  // namespace tonforge
