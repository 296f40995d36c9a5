#pragma once
// A SoundDevice whose play cursor the test moves, recording every block written into its ring.
#include <atomic>
#include <mutex>
#include <vector>

#include "shell/devices/sound_device.h"

namespace tonforge::testing {

class FakeSoundDevice : public SoundDevice {
public:
  struct Block { uint32_t offset = 0; std::vector<int16_t> samples; };
  uint32_t PlayCursor() override { return cursor.load(); }
  bool WriteBlock(uint32_t offset, const int16_t* samples, uint32_t bytes) override {
    std::lock_guard<std::mutex> guard(lock);
    writes.push_back({offset, std::vector<int16_t>(samples, samples + bytes / 2)});
    return offset + bytes <= kRingBlocks * blockBytes;
  }
  bool Recreate(int32_t sampleRate) override {
    recreatedAt.push_back(sampleRate);
    return !refuseRecreate;
  }

  void PlayInBlock(uint32_t block) { cursor.store(block * blockBytes + 100); }
  size_t WriteCount() {
    std::lock_guard<std::mutex> guard(lock);
    return writes.size();
  }
  Block Write(size_t i) {
    std::lock_guard<std::mutex> guard(lock);
    return writes.at(i);
  }

  std::atomic<uint32_t> cursor{0};
  uint32_t blockBytes = kBlockBytes;  // the ring's block, as the studio was set to
  bool refuseRecreate = false;
  std::vector<int32_t> recreatedAt;  // the rate of every Recreate, in order

private:
  std::mutex lock;
  std::vector<Block> writes;
};

}  // namespace tonforge::testing
