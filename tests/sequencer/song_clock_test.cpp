// The song clock and what events do when they are reached.
#include <gtest/gtest.h>

#include <functional>

#include "support/play_rig.h"

namespace tonforge {
namespace {

using testing::kSource;
using testing::PlayRig;
using E = EventType;

TEST(SongClock, TicksFallOnTheSamplesTheRateAndTempoGive) {
  struct Case {
    int32_t rate, tempo;
    std::vector<int> samples;  // 1-based samples on which ticks 0, 1, 2 are processed
  };
  for (const Case& c : {Case{44100, 120, {1, 460, 919}}, Case{11025, 120, {1, 115, 230}},
                        Case{44100, 60, {1, 919, 1838}}}) {
    PlayRig rig(c.rate);
    rig.Global().events.First()->valueA = c.tempo;
    rig.Start();
    std::vector<int> at;
    for (int sample = 1; at.size() < 3; ++sample)
      if (SongClockStep(*rig.app) == ClockStep::Tick) at.push_back(sample);
    EXPECT_EQ(at, c.samples) << c.rate << " Hz at " << c.tempo;
  }
}

TEST(SongClock, SlidesMovePerTickAndStopAtTheirLimits) {
  using Read = std::function<float(AppState&, Track&)>;
  const Read tempo = [](AppState& a, Track&) { return a.song.tempo; };
  const Read songVolume = [](AppState& a, Track&) { return a.song.volume; };
  const Read trackVolume = [](AppState&, Track& t) { return t.volume; };
  const Read programPan = [](AppState&, Track& t) { return static_cast<float>(t.playingProgram.pan); };
  const Read trackPitch = [](AppState&, Track& t) { return static_cast<float>(t.pitchOffset); };
  struct Case {
    bool onGlobal;
    E type;
    int32_t value, startTempo, throughTick;
    Read read;
    float expected;
  };
  const Case cases[] = {
      // Song-level slides act from the tick after their event; track and program slides in its own tick.
      {true, E::TempoSlide, 100, 120, 0, tempo, 120.0f},
      {true, E::TempoSlide, 100, 120, 2, tempo, 122.5f},
      {true, E::TempoSlide, -100, 120, 200, tempo, 1.0f},
      {true, E::TempoSlide, 100, 999, 3, tempo, 1000.0f},
      {true, E::SongVolumeSlide, -100, 120, 1, songVolume, 0.95f},
      {false, E::TrackVolumeSlide, -100, 120, 0, trackVolume, 0.95f},
      {false, E::TrackVolumeSlide, -100, 120, 40, trackVolume, 0.0f},
      {false, E::TrackVolumeSlide, 100, 120, 3, trackVolume, 1.0f},
      {false, E::ProgramPanSlide, -5, 120, 10, programPan, 100.0f},  // -5 / 10 truncates to 0
      {false, E::ProgramPanSlide, -15, 120, 10, programPan, 89.0f},
      {false, E::ProgramPanSlide, -100, 120, 30, programPan, 0.0f},
      {false, E::TrackPitchSlide, 100, 120, 20, trackPitch, 1200.0f},
  };
  for (const Case& c : cases) {
    PlayRig rig;
    Track& track = rig.AddTrack();
    rig.Global().events.First()->valueA = c.startTempo;
    rig.Add(c.onGlobal ? rig.Global() : track, 0, c.type, c.value);
    rig.Start();
    rig.RunClockThrough(c.throughTick);
    EXPECT_FLOAT_EQ(c.read(*rig.app, track), c.expected) << static_cast<int>(c.type) << " " << c.throughTick;
  }
}

TEST(SongClock, PhrasesReplayAnotherTracksEventsOnThePlayingTrack) {
  struct Case {
    const char* name;
    std::vector<EventValues> onTrack, onSource;  // track 1 plays; track 2 is the source; track 3 is empty
    int32_t throughTick, pan;
    uint32_t gate;
  };
  auto ev = [](int32_t tick, E type, int32_t a = 0) { return EventValues{tick, static_cast<int32_t>(type), a, 0}; };
  const Case cases[] = {
      {"ticks shifted by the phrase tick", {ev(5, E::Phrase, 2)}, {ev(0, E::TrackPan, 10), ev(2, E::TrackPan, 50)}, 7,
       150, 0},
      {"first events due in the phrase's tick", {ev(5, E::Phrase, 2)}, {ev(0, E::TrackPan, 10)}, 5, 110, 0},
      {"empty source: the running phrase goes on", {ev(0, E::Phrase, 2), ev(1, E::Phrase, 3)},
       {ev(3, E::TrackPan, -40)}, 3, 60, 0},
      {"NoteOff inside: released, phrase plays on", {ev(0, E::Phrase, 2)},
       {ev(0, E::NoteOn, 2450), ev(1, E::NoteOff), ev(2, E::TrackPan, 20)}, 2, 120, 0},
      {"NoteOff on the track ends the phrase", {ev(0, E::Phrase, 2), ev(1, E::NoteOff)}, {ev(2, E::TrackPan, 20)}, 2,
       100, 0},
      {"song events, phrases and End inside are ignored", {ev(0, E::Phrase, 2)},
       {ev(0, E::NoteOn, 2450), ev(0, E::SongVolume, 30), ev(0, E::Phrase, 2), ev(1, E::End), ev(2, E::TrackPan, 5)},
       2, 105, 1},
  };
  for (const Case& c : cases) {
    PlayRig rig;
    rig.AddProgram({});
    Track& track = rig.AddTrack();
    Track& source = rig.AddTrack();
    rig.AddTrack();
    for (const EventValues& v : c.onTrack) rig.Add(track, v.tick, static_cast<E>(v.type), v.valueA);
    for (const EventValues& v : c.onSource) rig.Add(source, v.tick, static_cast<E>(v.type), v.valueA);
    source.muteState = 1;  // a muted track still serves as a source
    rig.Start();
    rig.RunClockThrough(c.throughTick);
    EXPECT_EQ(track.pan, c.pan) << c.name;
    EXPECT_EQ(track.gate, c.gate) << c.name;
    EXPECT_FLOAT_EQ(rig.app->song.volume, 1.0f) << c.name;
    EXPECT_EQ(rig.app->playback.songEndReached.load(), 0u) << c.name;
  }
}

TEST(SongClock, PhraseWhoseSourceIsNoNormalTrackIsIgnored) {
  for (int32_t badSource : {0, -1, 3, 99}) {
    for (bool silent : {false, true}) {
      PlayRig rig;
      Track& track = rig.AddTrack();
      Track& source = rig.AddTrack();
      rig.Add(source, 0, E::TrackPan, 30);
      rig.Add(source, 4, E::TrackPan, 60);
      rig.Add(track, 0, E::Phrase, 2);
      rig.Add(track, 2, E::Phrase, badSource);
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
  PlayRig rig;
  Program& program = rig.AddProgram({kSource, kSource});
  program.volume = 0.8f;
  program.pan = 90;
  SetParameter(program.engines[1], 0, 40);
  Track& track = rig.AddTrack();
  rig.Add(track, 0, E::NoteOn, 2450, 0);
  rig.Add(track, 1, E::ProgramVolume, 10);
  rig.Add(track, 1, E::ProgramPan, -100);
  rig.Add(track, 1, static_cast<E>(static_cast<int>(E::ProgramEngineParameter) + 1), 0, 90);
  rig.Add(track, 2, E::NoteOn, 3050, 0);
  rig.Start();
  const Program& voice = track.playingProgram;
  rig.RunClockThrough(1);
  EXPECT_FLOAT_EQ(voice.volume, 0.1f);
  EXPECT_EQ(voice.pan, 0);
  EXPECT_FLOAT_EQ(voice.engines[1].F[0], 0.9f);
  rig.RunClockThrough(2);
  EXPECT_FLOAT_EQ(voice.volume, 0.8f);
  EXPECT_EQ(voice.pan, 90);
  EXPECT_FLOAT_EQ(voice.engines[1].F[0], 0.4f);
  EXPECT_EQ(track.notePitch, 3050);
  EXPECT_FLOAT_EQ(program.volume, 0.8f) << "events change the copy, never the program";
}

TEST(SongClock, ParameterEventsChangeOrRestartAnEngine) {
  struct Case {
    int32_t parameter, value;
    float f1, position;
    int32_t marker;  // W13, which preparing a filter sets to 999
  };
  // Q = 30 prepares the filter again; "Reset" (7) restarts its slots and nothing else; 9 is no parameter.
  for (const Case& c : {Case{1, 30, 0.30f, 12.0f, 999}, Case{kResetParameter, 55, 0.01f, 0.0f, 5},
                        Case{9, 55, 0.01f, 12.0f, 5}}) {
    PlayRig rig;
    Track& track = rig.AddTrack();
    Engine& filter = rig.SetTrackEngine(track, 2, static_cast<uint32_t>(EngineTypeId::LowPassFilter));
    rig.Add(track, 1, static_cast<E>(static_cast<int>(E::TrackEngineParameter) + 2), c.parameter, c.value);
    rig.Start();
    rig.RunClockThrough(0);
    for (DataSlot& s : filter.slots) s.playPosition = 12.0f;
    filter.W[13].i = 5;
    rig.RunClockThrough(1);
    EXPECT_FLOAT_EQ(filter.F[1], c.f1) << c.parameter;
    EXPECT_FLOAT_EQ(filter.C[1], 1.0f - c.f1) << c.parameter;
    EXPECT_EQ(filter.W[13].i, c.marker) << c.parameter;
    EXPECT_FLOAT_EQ(filter.slots[3].playPosition, c.position) << c.parameter;
  }
}

TEST(SongClock, SilentAdvanceAppliesAllButNotesAndStopsAtAnEnd) {
  struct Case {
    int32_t endTick;  // -1: none
    bool reached;
    float volume;
  };
  // The GlobalTrack plays first in every tick, so an End at 6 comes before track 1's event at 6.
  for (const Case& c : {Case{-1, true, 0.3f}, Case{20, true, 0.3f}, Case{5, false, 0.5f}, Case{6, false, 0.5f}}) {
    PlayRig rig;
    rig.AddProgram({kSource});
    Track& track = rig.AddTrack();
    rig.Add(track, 0, E::NoteOn, 2450, 0);
    rig.Add(track, 2, E::TrackVolume, 50);
    rig.Add(track, 6, E::TrackVolume, 30);
    if (c.endTick >= 0) rig.Add(rig.Global(), c.endTick, E::End);
    rig.Start();
    EXPECT_EQ(AdvanceToTick(*rig.app, 10), c.reached) << c.endTick;
    EXPECT_EQ(track.gate, 0u) << c.endTick;
    EXPECT_FLOAT_EQ(track.volume, c.volume) << c.endTick;
    EXPECT_EQ(rig.app->playback.songEndReached.load(), 0u) << c.endTick;
  }
}

}  // namespace
}  // namespace tonforge
