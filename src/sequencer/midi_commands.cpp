#include "sequencer/midi_commands.h"

#include <array>

#include "engines/engine.h"
#include "programs/program_list.h"
#include "sequencer/editing.h"
#include "sequencer/play_along.h"
#include "sequencer/text_entry.h"
#include "song/voice_loading.h"

namespace tonforge {

namespace {

constexpr uint8_t kNoteOff = 0x80, kNoteOn = 0x90, kControlChange = 0xB0, kProgramChange = 0xC0,
                  kChannelPressure = 0xD0, kPitchBend = 0xE0;
constexpr uint8_t kSustainPedal = 64, kAllSoundOff = 120, kAllNotesOff = 123;
constexpr uint8_t kPedalDown = 64;  // controller values from here up press a switch pedal
constexpr uint8_t kSystemExclusive = 0xF0, kFirstRealTime = 0xF8;
constexpr int32_t kBendCentre = 8192;

// How many data bytes a channel message carries.
int32_t DataLength(uint8_t status) {
  const uint8_t kind = status & 0xF0;
  return kind == kProgramChange || kind == kChannelPressure ? 1 : 2;
}

// The bend of a 14-bit pitch wheel value: the centre is none, the ends are a full bend either way.
int32_t BendOf(int32_t value) {
  const int32_t off = value - kBendCentre;
  return off >= 0 ? off * kPitchBendRange / (kBendCentre - 1) : off * kPitchBendRange / kBendCentre;
}

bool HeldByMidi(const LiveVoice& v) { return v.liveFlag != 0 && v.holder >= kMidiNoteHolder; }

void NoteOn(Session& session, MidiHandler& h, int32_t note, int32_t velocity) {
  Song& song = session.song;
  if (song.programs.empty()) return;
  const int32_t pitch = MidiNotePitch(note);
  if (IsSongPlaying(session)) {
    PlayAlongNote(session, pitch, kMidiNoteHolder + note, static_cast<float>(velocity) / 127.0f, h.bend);
    return;
  }
  // A note below the table's first pitch or past its last does not sound but is recorded as played, as with
  // the note keys.
  if (pitch >= 0 && pitch <= kHighestPitch) {
    if (LiveVoice* v = StartLiveNote(session, pitch, song.currentProgram, kMidiNoteHolder + note)) {
      v->livePitch = pitch + h.bend;
      v->voice.level = v->voice.level * static_cast<float>(velocity) / 127.0f;  // this note only
    }
  }
  RecordNoteAtPitch(session, pitch);
}

void ControlChange(Session& session, uint8_t controller, uint8_t value) {
  if (IsSongPlaying(session)) {
    if (controller == kSustainPedal) SendToPlayAlong(session, PlayedKind::Pedal, value >= kPedalDown ? 1 : 0);
    if (controller == kAllSoundOff || controller == kAllNotesOff) SendToPlayAlong(session, PlayedKind::Silence);
    return;
  }
  if (controller == kSustainPedal) SetSustainPedal(session, value >= kPedalDown);
  if (controller == kAllSoundOff || controller == kAllNotesOff) SilenceLiveVoices(session);
}

void ProgramChange(Session& session, int32_t index) {
  if (index >= ProgramCount(session.song)) return;
  SelectProgram(session, index);
}

void PitchBend(Session& session, MidiHandler& h, int32_t value) {
  h.bend = BendOf(value);
  if (IsSongPlaying(session)) {
    SendToPlayAlong(session, PlayedKind::Bend, h.bend);
    return;
  }
  for (LiveVoice& v : session.live.voices)
    if (HeldByMidi(v)) v.livePitch = v.notePitch + h.bend;
}

}  // namespace

bool FeedMidiByte(MidiParser& p, uint8_t byte, MidiMessage& message) {
  if (byte >= kFirstRealTime) return false;  // clock, start, stop, active sensing: may fall anywhere
  if (byte & 0x80) {
    // A channel status starts a message; System Exclusive and system common end running status, and their
    // data bytes are dropped with the other strays.
    p.status = byte < kSystemExclusive ? byte : 0;
    p.count = 0;
    return false;
  }
  if (p.status == 0) return false;
  p.data[p.count++] = byte;
  if (p.count < DataLength(p.status)) return false;
  message = MidiMessage{p.status, p.data[0], p.count > 1 ? p.data[1] : uint8_t{0}};
  p.count = 0;  // the status stays: the next data bytes are a message of the same kind
  return true;
}

void RunMidiMessage(Session& session, MidiHandler& h, const MidiMessage& m) {
  switch (m.status & 0xF0) {
    case kNoteOn:
      if (m.data2 > 0) {
        NoteOn(session, h, m.data1, m.data2);
        break;
      }
      [[fallthrough]];  // velocity 0 is a release
    case kNoteOff:
      if (IsSongPlaying(session)) ReleasePlayAlongNote(session, kMidiNoteHolder + m.data1);
      else ReleaseLiveNote(session, kMidiNoteHolder + m.data1);
      break;
    case kControlChange: ControlChange(session, m.data1, m.data2); break;
    case kProgramChange: ProgramChange(session, m.data1); break;
    case kPitchBend: PitchBend(session, h, m.data1 | (m.data2 << 7)); break;
    default: break;
  }
}

void PollMidi(Session& session, MidiHandler& h) {
  // A text entry takes the keys, and a render or a wave file owns the sound: then the notes go nowhere, as the
  // note keys'. While a song plays they are played along.
  const bool acting = (IsPlaybackIdle(session) || IsSongPlaying(session)) && !IsTextEntryActive(session);
  std::array<uint8_t, 256> bytes{};
  for (size_t n; (n = h.device.TakeBytes(bytes)) > 0;) {
    for (size_t i = 0; i < n; ++i) {
      MidiMessage message;
      if (FeedMidiByte(h.parser, bytes[i], message) && acting) RunMidiMessage(session, h, message);
    }
    if (n < bytes.size()) break;
  }
}

}  // namespace tonforge
