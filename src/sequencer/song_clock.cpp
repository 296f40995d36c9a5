#include "sequencer/song_clock.h"

#include <algorithm>

#include "song/voice_loading.h"

namespace tonforge {

namespace {

constexpr int32_t Type(EventType t) { return static_cast<int32_t>(t); }

constexpr float kPercent = 0.01f;
constexpr float kVolumeSlideStep = 0.0005f;
constexpr float kTempoSlideStep = 0.0125f;

int32_t ClampedSum(int32_t value, int32_t slide, int32_t low, int32_t high) {
  return static_cast<int32_t>(std::clamp<int64_t>(static_cast<int64_t>(value) + slide, low, high));
}

float ClampedVolume(float volume, float slide) { return std::clamp(volume + slide, 0.0f, 1.0f); }

// Parameter A of engine x becomes B percent and the engine is prepared again; A = 7 ("Reset") instead sends
// the engine's four DataSlots back to their start.
void ChangeParameter(Engine& x, int32_t a, int32_t b, const OutputRate& rate) {
  if (a == kResetParameter) {
    for (DataSlot& s : x.slots) s.playPosition = 0.0f;
    return;
  }
  if (a < 0 || a >= kParameterCount) return;
  SetParameter(x, a, b);
  PrepareEngine(x, rate);
}

// Every note restarts the program from its stored state: program-level values set by earlier events are
// replaced by the program's own.
void StartNote(Session& session, const EventValues& e, ChannelEntry& channel) {
  Song& song = session.song;
  if (e.valueB < 0 || e.valueB >= static_cast<int32_t>(song.programs.size())) return;
  Track& t = *channel.track;
  LoadVoice(t.playingProgram, t.voiceBuffers, song.positionBufferSize, *song.programs[e.valueB]);
  t.gate = 1;
  t.notePitch = e.valueA;
  channel.silenceCounter = 0;
}

// A Phrase replays the whole event list of a normal track from the Phrase event's tick. A source that is not
// a normal track of the song is ignored, as is an empty one (a running Phrase then goes on).
void StartPhrase(Session& session, const EventValues& e, Track& t) {
  if (e.valueA < 1 || e.valueA >= session.song.tracks.Count()) return;
  const Track* source = session.song.tracks.At(e.valueA);
  Event* first = source ? source->events.First() : nullptr;
  if (!first) return;
  t.phraseCursor = first;
  t.phraseStartTick = e.tick;
}

// The event types a track and a running Phrase share (1 to 32).
void ApplyTrackEvent(Session& session, const EventValues& e, int32_t channel, bool inPhrase) {
  ChannelEntry& entry = session.channels.entries[channel];
  Track& t = *entry.track;
  Program& v = t.playingProgram;
  const int32_t a = e.valueA;
  const int32_t type = e.type;
  if (type >= Type(EventType::ProgramEngineParameter) && type < Type(EventType::TrackVolume)) {
    ChangeParameter(v.engines[type - Type(EventType::ProgramEngineParameter)], a, e.valueB, session.rate);
    return;
  }
  if (type >= Type(EventType::TrackEngineParameter) && type < Type(EventType::SongVolume)) {
    ChangeParameter(t.chain[type - Type(EventType::TrackEngineParameter)], a, e.valueB, session.rate);
    return;
  }
  switch (static_cast<EventType>(type)) {
    case EventType::NoteOff:
      t.gate = 0;
      if (!inPhrase) t.phraseCursor = nullptr;
      break;
    case EventType::NoteOn: StartNote(session, e, entry); break;
    case EventType::ProgramVolume: v.volume = static_cast<float>(a) * kPercent; break;
    case EventType::ProgramVolumeSlide: v.volumeSlide = static_cast<float>(a) * kVolumeSlideStep; break;
    case EventType::ProgramPan: v.pan = a + 100; break;
    case EventType::ProgramPanSlide: v.panSlide = a / 10; break;
    case EventType::ProgramPitch: v.pitchOffset = a; break;
    case EventType::ProgramPitchSlide: v.pitchSlide = a; break;
    case EventType::TrackVolume: t.volume = static_cast<float>(a) * kPercent; break;
    case EventType::TrackVolumeSlide: t.volumeSlide = static_cast<float>(a) * kVolumeSlideStep; break;
    case EventType::TrackPan: t.pan = a + 100; break;
    case EventType::TrackPanSlide: t.panSlide = a / 10; break;
    case EventType::TrackPitch: t.pitchOffset = a; break;
    case EventType::TrackPitchSlide: t.pitchSlide = a; break;
    default: break;
  }
}

void MoveSlides(Track& t) {
  if (t.volumeSlide != 0.0f) t.volume = ClampedVolume(t.volume, t.volumeSlide);
  if (t.pitchSlide != 0) t.pitchOffset = ClampedSum(t.pitchOffset, t.pitchSlide, -kMaxPitchOffset, kMaxPitchOffset);
  if (t.panSlide != 0) t.pan = ClampedSum(t.pan, t.panSlide, 0, kMaxPan);
  Program& v = t.playingProgram;
  if (v.volumeSlide != 0.0f) v.volume = ClampedVolume(v.volume, v.volumeSlide);
  if (v.pitchSlide != 0) v.pitchOffset = ClampedSum(v.pitchOffset, v.pitchSlide, -kMaxPitchOffset, kMaxPitchOffset);
  if (v.panSlide != 0) v.pan = ClampedSum(v.pan, v.panSlide, 0, kMaxPan);
}

// Only the playing thread writes the rate while a song plays, so a change of ticks per beat made meanwhile
// is taken here, from the samples per beat the clock is using (a tempo event may have just changed them).
void FollowTicksPerBeat(Session& session) {
  const int32_t ticksPerBeat = session.song.ticksPerBeat;
  if (ticksPerBeat == session.clockTicksPerBeat) return;
  session.clockTicksPerBeat = ticksPerBeat;
  session.rate.samplesPerTick = session.rate.samplesPerBeat / static_cast<float>(ticksPerBeat);
}

// Loop the Block: once the Block's last tick has been processed, playback goes on from its first. Only the
// play cursors move; voices, slides, volumes, the tempo and every engine carry on as they are, and a running
// Phrase stops (a Phrase event inside the Block starts it again). Renders and the silent advance never loop.
void LoopBack(Session& session) {
  const int32_t first = session.playback.loopFirst;
  const int32_t last = session.playback.loopLast;
  if (last < first || session.currentTick != last + 1 ||
      session.playback.mode.load(std::memory_order_relaxed) != PlaybackMode::Song)
    return;
  session.currentTick = first;
  for (int32_t c = 0; c < session.channels.count; ++c) {
    Track& t = *session.channels.entries[c].track;
    Event* e = t.events.First();
    while (e != nullptr && e->tick < first) e = EventList::Next(e);
    t.playCursor = e;
    t.phraseCursor = nullptr;
  }
}

template <bool Silent>
ClockStep StepClock(Session& session) {
  Song& song = session.song;
  song.tickAccumulator += 1.0f;
  if (song.tickAccumulator < session.rate.samplesPerTick) return ClockStep::Sample;

  // Song-level slides act from the tick after the event that set them.
  if (song.volumeSlide != 0.0f) song.volume = ClampedVolume(song.volume, song.volumeSlide);
  if (song.tempoSlide != 0.0f) SetSongTempo(session, song.tempo + song.tempoSlide);

  const int64_t tick = session.currentTick;
  for (int32_t c = 0; c < session.channels.count; ++c) {
    Track& t = *session.channels.entries[c].track;
    for (Event* e = t.playCursor; e && e->tick == tick; e = t.playCursor) {
      t.playCursor = EventList::Next(e);
      const EventValues v = e->Values();
      if (Silent && v.type == Type(EventType::End)) return ClockStep::End;
      if (Silent && v.type == Type(EventType::NoteOn)) continue;
      ProcessEvent(session, v, c);
    }
    // A Phrase started just above has its first events due in this same tick.
    for (Event* e = t.phraseCursor; e && static_cast<int64_t>(e->tick) + t.phraseStartTick == tick;
         e = t.phraseCursor) {
      t.phraseCursor = EventList::Next(e);
      const EventValues v = e->Values();
      if (Silent && v.type == Type(EventType::NoteOn)) continue;
      ProcessPhraseEvent(session, v, c);
    }
    MoveSlides(t);
  }
  FollowTicksPerBeat(session);
  song.tickAccumulator -= session.rate.samplesPerTick;
  ++session.currentTick;
  if (!Silent) LoopBack(session);
  session.playback.playheadTick = session.currentTick;
  return ClockStep::Tick;
}

}  // namespace

void SetSongTempo(Session& session, float tempo) {
  session.song.tempo = std::clamp(tempo, kMinTempo, kMaxTempo);
  UpdateBeatFigures(session.rate, session.song.tempo, session.song.ticksPerBeat);
}

ClockStep SongClockStep(Session& session) { return StepClock<false>(session); }

uint32_t SongClockRunToTick(Session& session, uint32_t limit) {
  float accumulator = session.song.tickAccumulator;
  const float samplesPerTick = session.rate.samplesPerTick;
  uint32_t n = 0;
  for (; n < limit; ++n) {
    const float next = accumulator + 1.0f;
    if (!(next < samplesPerTick)) break;  // the same test as the clock step: this sample would tick
    accumulator = next;
  }
  session.song.tickAccumulator = accumulator;
  return n;
}
ClockStep SilentSongClockStep(Session& session) { return StepClock<true>(session); }

void ProcessEvent(Session& session, const EventValues& e, int32_t channel) {
  Song& song = session.song;
  const float a = static_cast<float>(e.valueA);
  switch (static_cast<EventType>(e.type)) {
    case EventType::SongVolume: song.volume = a * kPercent; return;
    case EventType::SongVolumeSlide: song.volumeSlide = a * kVolumeSlideStep; return;
    case EventType::Tempo: SetSongTempo(session, a); return;  // the accumulator is left alone
    case EventType::TempoSlide: song.tempoSlide = a * kTempoSlideStep; return;
    case EventType::Phrase: StartPhrase(session, e, *session.channels.entries[channel].track); return;
    case EventType::End: session.playback.songEndReached.store(1, std::memory_order_release); return;
    default: break;
  }
  if (e.type >= Type(EventType::NoteOff) && e.type < Type(EventType::SongVolume))
    ApplyTrackEvent(session, e, channel, false);
}

void ProcessPhraseEvent(Session& session, const EventValues& e, int32_t channel) {
  if (e.type >= Type(EventType::NoteOff) && e.type < Type(EventType::SongVolume)) ApplyTrackEvent(session, e, channel, true);
}

}  // namespace tonforge
