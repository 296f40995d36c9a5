// MIDI input on the ALSA sequencer: the queue between RtMidi's thread and the idle step, and, where the
// system has a sequencer, a note from a port plugged in after start-up.
#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/sdl/alsa_midi_input.h"

namespace tonforge {
namespace {

std::vector<uint8_t> TakeAll(MidiInput& input) {
  std::vector<uint8_t> out(64);
  out.resize(input.TakeBytes(out));
  return out;
}

// Whole messages in order, taken in pieces as the idle step asks; a message that does not fit is dropped
// whole, so a full queue never leaves half a note.
TEST(MidiByteQueue, WholeMessagesInOrderAndNoneCut) {
  MidiByteQueue queue;
  const uint8_t on[] = {0x90, 60, 100}, off[] = {0x80, 60, 0};
  ASSERT_TRUE(queue.PushMessage(on, 3) && queue.PushMessage(off, 3));
  std::vector<uint8_t> got(4);
  ASSERT_EQ(queue.Take(got), 4u);
  got.resize(6);
  ASSERT_EQ(queue.Take(std::span(got).subspan(4)), 2u);
  EXPECT_EQ(got, (std::vector<uint8_t>{0x90, 60, 100, 0x80, 60, 0}));

  const std::vector<uint8_t> filler(4095, 0xF8);
  ASSERT_TRUE(queue.PushMessage(filler.data(), filler.size()));
  EXPECT_FALSE(queue.PushMessage(on, 3)) << "two of its bytes would have fitted";
  std::vector<uint8_t> all(8192);
  EXPECT_EQ(queue.Take(all), 4095u);
  EXPECT_TRUE(queue.PushMessage(on, 3)) << "room again once taken";  // and across the wrap of the indices
  EXPECT_EQ(queue.Take(all), 3u);
  EXPECT_EQ(std::vector<uint8_t>(all.begin(), all.begin() + 3), (std::vector<uint8_t>{0x90, 60, 100}));
}

// A keyboard-like port that appears after start-up is connected within a second, and its Note On arrives as
// the bytes of a Note On.
TEST(AlsaMidiInput, AHardwarePortPluggedInLaterPlaysIntoTonforge) {
  std::string reason;
  std::unique_ptr<AlsaMidiInput> input = AlsaMidiInput::Open(reason);
  if (!std::filesystem::exists("/dev/snd/seq")) {
    EXPECT_EQ(input, nullptr);
    EXPECT_FALSE(reason.empty());
    GTEST_SKIP() << "no ALSA sequencer here (/dev/snd/seq): " << reason;
  }
  ASSERT_NE(input, nullptr) << reason;
  snd_seq_t* keyboard = nullptr;
  ASSERT_GE(snd_seq_open(&keyboard, "default", SND_SEQ_OPEN_OUTPUT, 0), 0);
  snd_seq_set_client_name(keyboard, "Test keyboard");
  const int port = snd_seq_create_simple_port(keyboard, "Keys", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                              SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_HARDWARE);
  ASSERT_GE(port, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));  // the next scan connects it

  std::vector<uint8_t> got;
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (got.size() < 3 && std::chrono::steady_clock::now() < giveUp) {
    snd_seq_event_t ev;
    snd_seq_ev_clear(&ev);
    snd_seq_ev_set_source(&ev, port);
    snd_seq_ev_set_subs(&ev);
    snd_seq_ev_set_direct(&ev);
    snd_seq_ev_set_noteon(&ev, 0, 60, 100);
    if (got.empty()) snd_seq_event_output_direct(keyboard, &ev);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const std::vector<uint8_t> more = TakeAll(*input);
    got.insert(got.end(), more.begin(), more.end());
  }
  snd_seq_close(keyboard);
  EXPECT_EQ(got, (std::vector<uint8_t>{0x90, 60, 100}));
}

}  // namespace
}  // namespace tonforge
