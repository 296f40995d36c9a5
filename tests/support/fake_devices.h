#pragma once
// Stand-ins for the devices the program works through, driven by the test.
#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "shell/devices/keyboard.h"
#include "shell/devices/midi_input.h"
#include "shell/devices/shell.h"
#include "shell/devices/sound_device.h"

namespace tonforge::testing {

// A Keyboard whose keys the test holds down and lets go of between polls.
class FakeKeyboard : public Keyboard {
public:
  bool ReadState(KeyStates& state) override {
    if (failReads > 0) {
      --failReads;
      return false;
    }
    state = keys;
    return true;
  }

  // Exactly these keys are down from now on.
  void Hold(const std::vector<uint8_t>& down) {
    keys.fill(0);
    for (uint8_t k : down) keys[k] = kKeyDownBit;
  }

  KeyStates keys{};
  int failReads = 0;  // the next reads fail and leave the caller's array alone
};

// A MidiInput fed by the test: the bytes it queues come out of the next TakeBytes calls in order.
class FakeMidiInput : public MidiInput {
public:
  size_t TakeBytes(std::span<uint8_t> out) override {
    const size_t n = std::min(out.size(), waiting.size());
    std::copy_n(waiting.begin(), n, out.begin());
    waiting.erase(waiting.begin(), waiting.begin() + static_cast<long>(n));
    return n;
  }
  void Send(const std::vector<uint8_t>& bytes) { waiting.insert(waiting.end(), bytes.begin(), bytes.end()); }

  std::vector<uint8_t> waiting;
};

// A Shell that records what it was asked to open.
class FakeShell : public Shell {
public:
  bool OpenDocument(std::string_view path) override {
    opened.emplace_back(path);
    return true;
  }
  std::vector<std::string> opened;
};

// A SoundDevice whose play cursor the test moves, recording every block written into its ring.
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
