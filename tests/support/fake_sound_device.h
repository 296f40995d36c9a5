#pragma once
// A SoundDevice whose play cursor the test moves, recording every block written into its ring.
#include <atomic>
#include <mutex>
#include <vector>

#include "platform/sound_device.h"

namespace tonforge::testing {

class FakeSoundDevice : public SoundDevice {
public:
  struct Block {
    uint32_t offset = 0;
    std::vector<int16_t> samples;
  };
  uint32_t PlayCursor() override { return cursor.load(); }
  bool WriteBlock(uint32_t offset, const int16_t* samples, uint32_t bytes) override {
    std::lock_guard<std::mutex> guard(lock);
    writes.push_back({offset, std::vector<int16_t>(samples, samples + bytes / 2)});
    return offset + bytes <= kRingBytes;
  }
  bool Recreate(int32_t) override { return !refuseRecreate; }

  void PlayInBlock(uint32_t block) { cursor.store(block * kBlockBytes + 100); }
  size_t WriteCount() {
    std::lock_guard<std::mutex> guard(lock);
    return writes.size();
  }
  Block Write(size_t i) {
    std::lock_guard<std::mutex> guard(lock);
    return writes.at(i);
  }

  std::atomic<uint32_t> cursor{0};
  bool refuseRecreate = false;

private:
  std::mutex lock;
  std::vector<Block> writes;
};

}  // namespace tonforge::testing
