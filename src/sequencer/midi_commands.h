#pragma once
// A MIDI keyboard plays the LiveVoice and records the way the computer keyboard's note keys do. Once per pass
// of the idle step the handler reads the bytes that arrived, splits them into messages and carries out each:
// Note On starts a live voice (level scaled by velocity) and records a NoteOn, Note Off (or Note On at velocity
// 0) releases that note's voice, the sustain pedal (controller 64) holds released notes until lifted,
// controllers 120 and 123 silence every live voice, Program Change chooses a program and pitch bend moves the
// pitch of the MIDI notes. Everything else is ignored.
#include <cstdint>

#include "shell/devices/midi_input.h"
#include "song/session.h"

namespace tonforge {

inline constexpr int32_t kMidiMiddleC = 60;
inline constexpr int32_t kMiddleCPitch = 2450;      // the oscillators' 261.63 Hz
inline constexpr int32_t kPitchPerSemitone = 100;
inline constexpr int32_t kPitchBendRange = 200;     // a full bend either way, in pitch units

// The pitch (cents) a MIDI note plays at.
constexpr int32_t MidiNotePitch(int32_t note) { return kMiddleCPitch + (note - kMidiMiddleC) * kPitchPerSemitone; }

// One complete channel message: the status byte (with its channel) and up to two data bytes.
struct MidiMessage {
  uint8_t status = 0;
  uint8_t data1 = 0;
  uint8_t data2 = 0;
};

// Reassembles messages from a byte stream: running status is honoured for channel messages, System Exclusive
// and system common messages are skipped whole, real-time bytes are skipped wherever they fall, and data bytes
// that belong to no message are dropped.
struct MidiParser {
  uint8_t status = 0;  // the running status; 0 when data bytes belong to nothing
  uint8_t data[2]{};
  int32_t count = 0;   // data bytes collected for the current message
};

// Feeds one byte; true when it completed a channel message, written to `message`.
bool FeedMidiByte(MidiParser& parser, uint8_t byte, MidiMessage& message);

struct MidiHandler {
  explicit MidiHandler(MidiInput& device) : device(device) {}

  MidiInput& device;
  MidiParser parser;
  int32_t bend = 0;  // pitch units, -200..200; moves every voice a MIDI note holds
};

// One pass: takes every waiting byte and carries out the messages. While a song plays the notes, pedal and
// wheel are played along (and recorded in real time); while a render or a wave file owns the sound the bytes
// are taken and dropped, so nothing stale plays once it stops.
void PollMidi(Session& session, MidiHandler& handler);

// Carries out one message (what PollMidi does with each).
void RunMidiMessage(Session& session, MidiHandler& handler, const MidiMessage& message);

}  // namespace tonforge
