#include "platform/sdl/sdl_sound_device.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace tonforge {
namespace {

// About 23 ms at 44100 Hz: small enough that the cursor moves in fine steps through a 16384-byte block.
// Smaller blocks get a buffer of one block, so the device adds no more than a block to the latency.
constexpr uint32_t kCallbackFrames = 1024;

void SDLCALL RingCallback(void* userdata, Uint8* stream, int length) {
  PlayRing(*static_cast<AudioRing*>(userdata), stream, length);
}

}  // namespace

void PlayRing(AudioRing& ring, uint8_t* out, int length) {
  uint32_t cursor = ring.cursor.load(std::memory_order_relaxed);
  uint32_t left = length > 0 ? static_cast<uint32_t>(length) : 0;
  while (left > 0) {
    const uint32_t run = std::min(left, ring.size - cursor);
    std::memcpy(out, ring.bytes.data() + cursor, run);
    out += run;
    left -= run;
    cursor = (cursor + run) % ring.size;
  }
  ring.cursor.store(cursor, std::memory_order_release);
}

std::unique_ptr<SdlSoundDevice> SdlSoundDevice::Open(int32_t sampleRate, std::string& reason, uint32_t blockFrames) {
  if (!IsLiveBlockFrames(blockFrames)) blockFrames = kBlockFrames;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    reason = SDL_GetError();
    return nullptr;
  }
  std::unique_ptr<SdlSoundDevice> device(new SdlSoundDevice());
  device->ring_->size = RingBytesFor(blockFrames);
  device->wantedFrames_ = static_cast<Uint16>(std::min(kCallbackFrames, blockFrames));
  if (!device->OpenDevice(sampleRate)) {
    reason = device->lastError_;
    return nullptr;  // the destructor gives the audio subsystem back
  }
  return device;
}

SdlSoundDevice::~SdlSoundDevice() {
  CloseDevice();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlSoundDevice::OpenDevice(int32_t sampleRate) {
  SDL_AudioSpec want{};
  want.freq = sampleRate;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = wantedFrames_;
  want.callback = RingCallback;
  want.userdata = ring_.get();
  // No changes allowed: SDL converts whatever the card wants, so the ring's format always holds.
  SDL_AudioSpec got{};
  const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &got, 0);
  if (id == 0) {
    lastError_ = SDL_GetError();
    return false;
  }
  device_ = id;
  sampleRate_ = sampleRate;
  bufferFrames_ = got.samples;
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

void SdlSoundDevice::CloseDevice() {
  if (device_ != 0) SDL_CloseAudioDevice(device_);
  device_ = 0;
  sampleRate_ = 0;
}

uint32_t SdlSoundDevice::PlayCursor() { return ring_->cursor.load(std::memory_order_acquire); }

bool SdlSoundDevice::WriteBlock(uint32_t offset, const int16_t* samples, uint32_t bytes) {
  if (offset > ring_->size || bytes > ring_->size - offset) return false;
  // The callback runs under the device lock, so it never reads a half-copied block.
  if (device_ != 0) SDL_LockAudioDevice(device_);
  std::memcpy(ring_->bytes.data() + offset, samples, bytes);
  if (device_ != 0) SDL_UnlockAudioDevice(device_);
  return true;
}

bool SdlSoundDevice::Recreate(int32_t sampleRate) {
  CloseDevice();
  // A new device starts silent at position 0, like a freshly created looping buffer.
  ring_->bytes.fill(0);  // the whole array: a ring smaller than it only ever plays its start
  ring_->cursor.store(0, std::memory_order_release);
  return OpenDevice(sampleRate);
}

}  // namespace tonforge
