// The song clock and what events do when they are reached.
#include <gtest/gtest.h>

#include <functional>

#include "audio/playback.h"
#include "sequencer/song_clock.h"
#include "support/song_rig.h"

namespace tonforge {
namespace {

using testing::kSource;
using testing::SongRig;

// The 1-based sample numbers at which the first ticks are processed.
std::vector<int> TickSamples(AppState& app, int ticks) {
  std::vector<int> at;
  for (int sample = 1; static_cast<int>(at.size()) < ticks; ++sample)
    if (SongClockStep(app) == ClockStep::Tick) at.push_back(sample);
  return at;
}

TEST(SongClock, TicksFallOnTheSamplesTheRateAndTempoGive) {
  struct Case {
    int32_t rate;
    int32_t tempo;
    std::vector<int> samples;
  };
  const Case cases[] = {
      {44100, 120, {1, 460, 919}},  // 459.375 samples per tick, the 0.625 remainder carries over
      {11025, 120, {1, 115, 230}},  // 114.84375 per tick
      {44100, 60, {1, 919, 1838}},  // 918.75 per tick
  };
  for (const Case& c : cases) {
    SongRig rig(c.rate);
    rig.TrackAt(0).events.First()->valueA = c.tempo;
    rig.Start();
    EXPECT_EQ(TickSamples(*rig.app, 3), c.samples) << c.rate << " Hz at " << c.tempo;
  }
}

struct SlideCase {
  const char* name;
  bool onGlobal;
  EventType type;
  int32_t value;
  int32_t throughTick;
  std::function<float(AppState&, Track&)> read;
  float expected;
};

TEST(SongClock, SlidesMovePerTickAndStopAtTheirLimits) {
  auto tempo = [](AppState& a, Track&) { return a.song.tempo; };
  auto trackVolume = [](AppState&, Track& t) { return t.volume; };
  auto songVolume = [](AppState& a, Track&) { return a.song.volume; };
  auto programPan = [](AppState&, Track& t) { return static_cast<float>(t.playingProgram.pan); };
  auto trackPitch = [](AppState&, Track& t) { return static_cast<float>(t.pitchOffset); };
  const SlideCase cases[] = {
      // Song-level slides act from the tick after their event.
      {"tempo, own tick", true, EventType::TempoSlide, 100, 0, tempo, 120.0f},
      {"tempo, next tick", true, EventType::TempoSlide, 100, 1, tempo, 121.25f},
      {"tempo, two ticks", true, EventType::TempoSlide, 100, 2, tempo, 122.5f},
      {"tempo floor", true, EventType::TempoSlide, -100, 200, tempo, 1.0f},
      {"song volume, own tick", true, EventType::SongVolumeSlide, -100, 0, songVolume, 1.0f},
      {"song volume, next tick", true, EventType::SongVolumeSlide, -100, 1, songVolume, 0.95f},
      // Track and program slides act already in the tick of their event.
      {"track volume, own tick", false, EventType::TrackVolumeSlide, -100, 0, trackVolume, 0.95f},
      {"track volume floor", false, EventType::TrackVolumeSlide, -100, 40, trackVolume, 0.0f},
      {"track volume ceiling", false, EventType::TrackVolumeSlide, 100, 3, trackVolume, 1.0f},
      {"pan slide -5 truncates to 0", false, EventType::ProgramPanSlide, -5, 10, programPan, 100.0f},
      {"pan slide -15 is -1", false, EventType::ProgramPanSlide, -15, 10, programPan, 89.0f},
      {"pan slide floor", false, EventType::ProgramPanSlide, -100, 30, programPan, 0.0f},
      {"pitch slide ceiling", false, EventType::TrackPitchSlide, 100, 20, trackPitch, 1200.0f},
  };
  for (const SlideCase& c : cases) {
    SongRig rig;
    Track& track = rig.AddTrack();
    rig.Add(c.onGlobal ? rig.TrackAt(0) : track, 0, c.type, c.value);
    rig.Start();
    rig.RunClockThrough(c.throughTick);
    EXPECT_FLOAT_EQ(c.read(*rig.app, track), c.expected) << c.name;
  }
}

TEST(SongClock, TempoSlideStopsAtOneThousand) {
  SongRig rig;
  rig.Add(rig.TrackAt(0), 0, EventType::Tempo, 999);
  rig.Add(rig.TrackAt(0), 0, EventType::TempoSlide, 100);
  rig.Start();
  rig.RunClockThrough(1);
  EXPECT_FLOAT_EQ(rig.app->song.tempo, 1000.0f);
  rig.RunClockThrough(3);
  EXPECT_FLOAT_EQ(rig.app->song.tempo, 1000.0f);
  EXPECT_FLOAT_EQ(rig.app->rate.samplesPerBeat, 44100.0f * 60.0f / 1000.0f);
}

// Track 1 plays Phrases whose source is track 2 (and track 3, left empty); the checks read track 1.
struct PhraseCase {
  const char* name;
  std::vector<EventValues> onTrack;   // track 1's own events
  std::vector<EventValues> onSource;  // track 2's events
  int32_t throughTick;
  std::function<void(AppState&, Track&)> check;
};

EventValues Ev(int32_t tick, EventType type, int32_t a = 0, int32_t b = 0) {
  return {tick, static_cast<int32_t>(type), a, b};
}

TEST(SongClock, PhrasesReplayAnotherTracksEventsOnThePlayingTrack) {
  using E = EventType;
  const PhraseCase cases[] = {
      {"source ticks are shifted by the phrase tick", {Ev(5, E::Phrase, 2)}, {Ev(0, E::TrackPan, 10), Ev(2, E::TrackPan, 50)},
       7, [](AppState&, Track& t) { EXPECT_EQ(t.pan, 150); }},
      {"first events are due in the phrase's own tick", {Ev(5, E::Phrase, 2)}, {Ev(0, E::TrackPan, 10)}, 5,
       [](AppState&, Track& t) { EXPECT_EQ(t.pan, 110); }},
      {"an empty source leaves the running phrase running", {Ev(0, E::Phrase, 2), Ev(1, E::Phrase, 3)},
       {Ev(3, E::TrackPan, -40)}, 3, [](AppState&, Track& t) {
         EXPECT_EQ(t.pan, 60);
         EXPECT_EQ(t.phraseStartTick, 0);
       }},
      {"a NoteOff inside the phrase releases but the phrase plays on", {Ev(0, E::Phrase, 2)},
       {Ev(0, E::NoteOn, 2450, 0), Ev(1, E::NoteOff), Ev(2, E::TrackPan, 20)}, 2, [](AppState&, Track& t) {
         EXPECT_EQ(t.gate, 0u);
         EXPECT_EQ(t.pan, 120);
       }},
      {"a NoteOff on the track ends the phrase", {Ev(0, E::Phrase, 2), Ev(1, E::NoteOff)}, {Ev(2, E::TrackPan, 20)}, 2,
       [](AppState&, Track& t) {
         EXPECT_EQ(t.pan, 100);
         EXPECT_EQ(t.phraseCursor, nullptr);
       }},
      {"song-level events and phrases inside a phrase are ignored", {Ev(0, E::Phrase, 2)},
       {Ev(0, E::SongVolume, 30), Ev(0, E::Tempo, 60), Ev(0, E::Phrase, 2), Ev(1, E::End), Ev(2, E::TrackPan, 5)}, 2,
       [](AppState& a, Track& t) {
         EXPECT_FLOAT_EQ(a.song.volume, 1.0f);
         EXPECT_FLOAT_EQ(a.song.tempo, 120.0f);
         EXPECT_EQ(a.playback.songEndReached.load(), 0u);
         EXPECT_EQ(t.pan, 105);
       }},
  };
  for (const PhraseCase& c : cases) {
    SongRig rig;
    rig.AddProgram({});
    Track& track = rig.AddTrack();
    Track& source = rig.AddTrack();
    rig.AddTrack();  // track 3: empty
    for (const EventValues& v : c.onTrack) rig.Add(track, v.tick, static_cast<EventType>(v.type), v.valueA, v.valueB);
    for (const EventValues& v : c.onSource) rig.Add(source, v.tick, static_cast<EventType>(v.type), v.valueA, v.valueB);
    source.muteState = 1;  // a muted source still serves as a phrase; its own events do not play
    rig.Start();
    rig.RunClockThrough(c.throughTick);
    SCOPED_TRACE(c.name);
    c.check(*rig.app, track);
  }
}

TEST(SongClock, PhraseWhoseSourceIsNoNormalTrackIsIgnoredEverywhere) {
  for (int32_t badSource : {0, -1, 3, 99}) {
    for (bool silent : {false, true}) {
      SongRig rig;
      Track& track = rig.AddTrack();
      Track& source = rig.AddTrack();
      rig.Add(source, 0, EventType::TrackPan, 30);
      rig.Add(source, 4, EventType::TrackPan, 60);
      rig.Add(track, 0, EventType::Phrase, 2);
      rig.Add(track, 2, EventType::Phrase, badSource);
      rig.Add(rig.TrackAt(0), 0, EventType::SongVolume, 40);  // would replay on track 1 were source 0 taken
      rig.Start();
      if (silent)
        ASSERT_TRUE(AdvanceToTick(*rig.app, 5));
      else
        rig.RunClockThrough(4);
      EXPECT_EQ(track.phraseStartTick, 0) << badSource;
      EXPECT_EQ(track.pan, 160) << badSource;
    }
  }
}

TEST(SongClock, NoteOnRestoresTheProgramsOwnValues) {
  SongRig rig;
  Program& program = rig.AddProgram({kSource, kSource});
  program.volume = 0.8f;
  program.pan = 90;
  program.pitchOffset = 25;
  SetParameter(program.engines[1], 0, 40);
  Track& track = rig.AddTrack();
  rig.Add(track, 0, EventType::NoteOn, 2450, 0);
  rig.Add(track, 1, EventType::ProgramVolume, 10);
  rig.Add(track, 1, EventType::ProgramPan, -100);
  rig.Add(track, 1, EventType::ProgramPitch, -700);
  rig.Add(track, 1, static_cast<EventType>(static_cast<int>(EventType::ProgramEngineParameter) + 1), 0, 90);
  rig.Add(track, 2, EventType::NoteOn, 3050, 0);
  rig.Start();
  rig.RunClockThrough(1);
  const Program& voice = track.playingProgram;
  EXPECT_FLOAT_EQ(voice.volume, 0.1f);
  EXPECT_EQ(voice.pan, 0);
  EXPECT_EQ(voice.pitchOffset, -700);
  EXPECT_FLOAT_EQ(voice.engines[1].F[0], 0.9f);
  rig.RunClockThrough(2);
  EXPECT_FLOAT_EQ(voice.volume, 0.8f);
  EXPECT_EQ(voice.pan, 90);
  EXPECT_EQ(voice.pitchOffset, 25);
  EXPECT_FLOAT_EQ(voice.engines[1].F[0], 0.4f);
  EXPECT_EQ(track.notePitch, 3050);
  EXPECT_EQ(track.gate, 1u);
  EXPECT_FLOAT_EQ(program.volume, 0.8f) << "events change the copy, never the program";
}

TEST(SongClock, ParameterEventsChangeOrRestartAnEngine) {
  struct Case {
    int32_t parameter;
    int32_t value;
    float f1, c1;
    float playPosition;
    int32_t w13;  // a filter's marker that preparation sets
  };
  const Case cases[] = {
      {1, 30, 0.30f, 0.70f, 12.0f, 999},                       // Q = 30: prepared again
      {kResetParameter, 55, 0.01f, 0.99f, 0.0f, 5},            // Reset: slots restart, nothing else
      {9, 55, 0.01f, 0.99f, 12.0f, 5},                         // no such parameter: nothing
  };
  for (const Case& c : cases) {
    SongRig rig;
    Track& track = rig.AddTrack();
    Engine& filter = rig.SetTrackEngine(track, 2, static_cast<uint32_t>(EngineTypeId::LowPassFilter));
    const int32_t type = static_cast<int32_t>(EventType::TrackEngineParameter) + 2;
    rig.Add(track, 1, static_cast<EventType>(type), c.parameter, c.value);
    rig.Start();
    rig.RunClockThrough(0);
    for (DataSlot& s : filter.slots) s.playPosition = 12.0f;
    filter.W[13].i = 5;
    rig.RunClockThrough(1);
    EXPECT_FLOAT_EQ(filter.F[1], c.f1) << c.parameter;
    EXPECT_FLOAT_EQ(filter.C[1], c.c1) << c.parameter;
    EXPECT_EQ(filter.W[13].i, c.w13) << c.parameter;
    for (const DataSlot& s : filter.slots) EXPECT_FLOAT_EQ(s.playPosition, c.playPosition) << c.parameter;
  }
}

TEST(SongClock, SilentAdvanceAppliesAllButNotesAndStopsAtAnEnd) {
  struct Case {
    const char* name;
    int32_t endTick;  // -1: none
    int32_t target;
    bool reached;
    float volume;
  };
  const Case cases[] = {
      {"no end", -1, 10, true, 0.3f},
      {"end after the target", 20, 10, true, 0.3f},
      {"end before the target", 5, 10, false, 0.5f},
      {"end in the tick of a later event stops before it", 6, 10, false, 0.5f},
  };
  for (const Case& c : cases) {
    SongRig rig;
    rig.AddProgram({kSource});
    Track& track = rig.AddTrack();
    rig.Add(track, 0, EventType::NoteOn, 2450, 0);
    rig.Add(track, 2, EventType::TrackVolume, 50);
    rig.Add(track, 6, EventType::TrackVolume, 30);
    // The GlobalTrack plays before track 1 in every tick, so an End at 6 comes before track 1's event at 6.
    if (c.endTick >= 0) rig.Add(rig.TrackAt(0), c.endTick, EventType::End);
    rig.Start();
    EXPECT_EQ(AdvanceToTick(*rig.app, c.target), c.reached) << c.name;
    EXPECT_EQ(track.gate, 0u) << c.name;
    EXPECT_FLOAT_EQ(track.volume, c.volume) << c.name;
    EXPECT_EQ(rig.app->playback.songEndReached.load(), 0u) << c.name;
  }
}

TEST(SongClock, MutedTracksTakeNoPart) {
  SongRig rig;
  Track& playing = rig.AddTrack();
  Track& muted = rig.AddTrack();
  Track& off = rig.AddTrack();
  muted.muteState = 1;
  off.muteState = 2;
  for (Track* t : {&playing, &muted, &off}) rig.Add(*t, 0, EventType::TrackVolume, 20);
  rig.TrackAt(0).muteState = 1;  // the GlobalTrack cannot be muted
  rig.Start();
  rig.RunClockThrough(0);
  ASSERT_EQ(rig.app->channels.count, 2);
  EXPECT_EQ(rig.Channel(0).track, &rig.TrackAt(0));
  EXPECT_EQ(rig.Channel(1).track, &playing);
  EXPECT_FLOAT_EQ(playing.volume, 0.2f);
  EXPECT_FLOAT_EQ(muted.volume, 1.0f);
  EXPECT_FLOAT_EQ(off.volume, 1.0f);
}

TEST(SongClock, EndAndTempoEventsReachTheSong) {
  SongRig rig;
  rig.Add(rig.TrackAt(0), 3, EventType::Tempo, 60);
  rig.Add(rig.TrackAt(0), 4, EventType::End);
  rig.Start();
  rig.RunClockThrough(3);
  EXPECT_FLOAT_EQ(rig.app->rate.samplesPerTick, 918.75f);
  EXPECT_EQ(rig.app->playback.songEndReached.load(), 0u);
  rig.RunClockThrough(4);
  EXPECT_EQ(rig.app->playback.songEndReached.load(), 1u);
}

}  // namespace
}  // namespace tonforge
