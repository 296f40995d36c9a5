// The SDL sound device: the ring callback in isolation, and the whole device on SDL's disk driver, whose
// output file holds exactly what the device played.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdlib>
#include <thread>
#include <vector>

#include "audio/live_output.h"
#include "platform/sdl/sdl_sound_device.h"
#include "support/file_rig.h"

namespace tonforge {
namespace {

std::vector<int16_t> LoudBlock(int16_t seed) {
  std::vector<int16_t> block(kBlockBytes / 2);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<int16_t>(seed + static_cast<int>(i % 1000) * 31);
  return block;
}

// The core writes two blocks ahead of the cursor; whatever it writes there is played once the cursor gets
// there, whole, even when the cursor wraps around the end of the ring in between.
// At the default block and at the smallest (the low-latency ring of eight 1024-byte blocks).
TEST(SdlSoundDevice, RingCallbackPlaysTheBlockWrittenTwoAheadAndWrapsTheCursor) {
  for (const uint32_t frames : {kBlockFrames, 256u}) {
    const uint32_t blockBytes = frames * kFrameBytes, ringBytes = RingBytesFor(frames);
    struct Case {
      uint32_t startCursor;
      uint32_t target;  // the block two ahead of the cursor's
    } cases[] = {{0, 2}, {5 * blockBytes + 100, 7}, {6 * blockBytes + 4, 0}, {ringBytes - 4, 1}};
    for (const Case& c : cases) {
      SCOPED_TRACE(std::to_string(frames) + " " + std::to_string(c.startCursor));
      auto ring = std::make_unique<AudioRing>();
      ring->size = ringBytes;
      ring->cursor = c.startCursor;
      std::vector<int16_t> block = LoudBlock(static_cast<int16_t>(c.target + 1));
      block.resize(blockBytes / 2);
      std::memcpy(ring->bytes.data() + c.target * blockBytes, block.data(), blockBytes);

      // Three blocks in callbacks of an odd size, so that one of them straddles the end of the ring.
      const uint32_t played3 = 3 * blockBytes;
      std::vector<uint8_t> played(played3);
      for (uint32_t at = 0; at < played3;) {
        const uint32_t n = std::min<uint32_t>(frames * 3 / 8 * 4, played3 - at);
        PlayRing(*ring, played.data() + at, static_cast<int>(n));
        at += n;
      }
      EXPECT_EQ(ring->cursor.load(), (c.startCursor + played3) % ringBytes);
      const uint32_t blockStartsAfter = (c.target * blockBytes + ringBytes - c.startCursor) % ringBytes;
      ASSERT_LE(blockStartsAfter + blockBytes, played3);
      EXPECT_EQ(0, std::memcmp(played.data() + blockStartsAfter, block.data(), blockBytes));
      for (uint32_t i = 0; i < blockStartsAfter; ++i) ASSERT_EQ(played[i], 0) << "at " << i;
    }
  }
}

// Writes a loud block two ahead of where a freshly opened device plays, as the core does, and lets the device
// play past it. Returns the ring block written: still on the device's first lap, so also its place in the file.
uint32_t PlayOneBlock(SdlSoundDevice& device, const std::vector<int16_t>& block) {
  const uint32_t target = TargetBlock(device.PlayCursor());
  EXPECT_TRUE(device.WriteBlock(target * kBlockBytes, block.data(), kBlockBytes));
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (device.PlayCursor() / kBlockBytes <= target && std::chrono::steady_clock::now() < giveUp)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the disk driver writes what it was handed
  return target;
}

// The file holds silence, then the whole block. SDL may put a buffer of silence of its own ahead of the ring's
// bytes (when its thread runs once before the device is unpaused), so the block may stand later than its ring
// place, never earlier.
void ExpectPlayedFromZero(const std::string& file, const std::vector<int16_t>& block, uint32_t target) {
  const std::vector<uint8_t> bytes = testing::ReadBytes(file);
  const auto loud = std::find_if(bytes.begin(), bytes.end(), [](uint8_t b) { return b != 0; });
  ASSERT_NE(loud, bytes.end()) << file << " holds only silence";
  const size_t at = static_cast<size_t>(loud - bytes.begin());
  EXPECT_GE(at, target * kBlockBytes) << file;
  ASSERT_GE(bytes.size(), at + kBlockBytes) << file;
  EXPECT_EQ(0, std::memcmp(bytes.data() + at, block.data(), kBlockBytes)) << file;
}

TEST(SdlSoundDevice, DiskDriverPlaysTheRingFromZeroBeforeAndAfterARateSwitch) {
  testing::TempDir dir;
  const std::string first = dir.File("44100.raw"), second = dir.File("22050.raw");
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", first.c_str(), 1);
  const std::vector<int16_t> block = LoudBlock(1000);
  uint32_t targets[2] = {};
  {
    std::string reason;
    std::unique_ptr<SdlSoundDevice> device = SdlSoundDevice::Open(44100, reason);
    ASSERT_TRUE(device) << reason;
    EXPECT_EQ(device->SampleRate(), 44100);
    targets[0] = PlayOneBlock(*device, block);

    setenv("SDL_DISKAUDIOFILE", second.c_str(), 1);
    ASSERT_TRUE(device->Recreate(22050)) << device->LastError();
    EXPECT_EQ(device->SampleRate(), 22050);
    targets[1] = PlayOneBlock(*device, block);
    EXPECT_FALSE(device->WriteBlock(kRingBytes - 4, block.data(), 8));  // would pass the end of the ring
  }
  ExpectPlayedFromZero(first, block, targets[0]);
  ExpectPlayedFromZero(second, block, targets[1]);  // the old ring's block is gone: the new device starts silent
}

TEST(SdlSoundDevice, NoAudioDriverGivesNoDeviceAndSaysWhy) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  std::string reason;
  EXPECT_EQ(SdlSoundDevice::Open(44100, reason), nullptr);
  EXPECT_FALSE(reason.empty());
}

}  // namespace
}  // namespace tonforge
