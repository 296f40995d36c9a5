// The song clock and what events do when they are reached.
#include <gtest/gtest.h>

#include <functional>

#include "support/play_rig.h"

namespace tonforge::testing {
namespace {

using E = EventType;

E Plus(E type, int position) { return static_cast<E>(static_cast<int>(type) + position); }

// Where the ticks fall on the samples is pinned by the render tests' file lengths and mixes.
TEST(SongClock, SlidesMovePerTickAndStopAtTheirLimits) {
  using Read = std::function<float(Studio&, Track&)>;
  const Read tempo = [](Studio& a, Track&) { return a.song.tempo; };
  const Read songVolume = [](Studio& a, Track&) { return a.song.volume; };
  const Read trackVolume = [](Studio&, Track& t) { return t.volume; };
  const Read programPan = [](Studio&, Track& t) { return static_cast<float>(t.playingProgram.pan); };
  const Read trackPitch = [](Studio&, Track& t) { return static_cast<float>(t.pitchOffset); };
  struct Case { E type; int32_t value, startTempo, throughTick; Read read; float expected; };
  // Song-level slides act from the tick after their event; track and program slides in its own tick.
  const Case cases[] = {
      {E::TempoSlide, 100, 120, 0, tempo, 120.0f},          {E::TempoSlide, 100, 120, 2, tempo, 122.5f},
      {E::TempoSlide, -100, 120, 200, tempo, 1.0f},         {E::TempoSlide, 100, 999, 3, tempo, 1000.0f},
      {E::SongVolumeSlide, -100, 120, 1, songVolume, 0.95f}, {E::TrackVolumeSlide, -100, 120, 0, trackVolume, 0.95f},
      {E::TrackVolumeSlide, -100, 120, 40, trackVolume, 0.0f}, {E::TrackVolumeSlide, 100, 120, 3, trackVolume, 1.0f},
      {E::ProgramPanSlide, -5, 120, 10, programPan, 100.0f},  // -5 / 10 truncates to 0
      {E::ProgramPanSlide, -15, 120, 10, programPan, 89.0f}, {E::ProgramPanSlide, -100, 120, 30, programPan, 0.0f},
      {E::TrackPitchSlide, 100, 120, 20, trackPitch, 1200.0f},
  };
  for (const Case& c : cases) {
    PlayRig rig;
    Track& track = rig.AddTrack();
    rig.SetTempo(c.startTempo);
    const bool onGlobal = c.type == E::TempoSlide || c.type == E::SongVolumeSlide;
    rig.Add(onGlobal ? rig.Global() : track, 0, c.type, c.value);
    rig.Start();
    rig.RunClockThrough(c.throughTick);
    EXPECT_FLOAT_EQ(c.read(*rig.app, track), c.expected) << int(c.type) << " " << c.throughTick;
  }
}

TEST(SongClock, PhrasesReplayAnotherTracksEventsOnThePlayingTrack) {
  struct Ev { int32_t tick; E type; int32_t a = 0; };
  // Track 1 plays; track 2 is the source; track 3 is empty.
  struct Case { const char* name; std::vector<Ev> onTrack, onSource; int32_t throughTick, pan; uint32_t gate; };
  const Case cases[] = {
      {"ticks shifted by the phrase", {{5, E::Phrase, 2}}, {{0, E::TrackPan, 10}, {2, E::TrackPan, 50}}, 7, 150, 0},
      {"first events due in the phrase's tick", {{5, E::Phrase, 2}}, {{0, E::TrackPan, 10}}, 5, 110, 0},
      {"empty source: the running phrase goes on", {{0, E::Phrase, 2}, {1, E::Phrase, 3}}, {{3, E::TrackPan, -40}}, 3,
       60, 0},
      {"NoteOff inside: released, phrase plays on", {{0, E::Phrase, 2}},
       {{0, E::NoteOn, 2450}, {1, E::NoteOff}, {2, E::TrackPan, 20}}, 2, 120, 0},
      {"NoteOff on the track ends the phrase", {{0, E::Phrase, 2}, {1, E::NoteOff}}, {{2, E::TrackPan, 20}}, 2, 100, 0},
      {"song events, phrases and End inside are ignored", {{0, E::Phrase, 2}},
       {{0, E::NoteOn, 2450}, {0, E::SongVolume, 30}, {0, E::Phrase, 2}, {1, E::End}, {2, E::TrackPan, 5}}, 2, 105, 1},
  };
  for (const Case& c : cases) {
    PlayRig rig;
    rig.AddProgram({});
    Track& track = rig.AddTrack();
    Track& source = rig.AddTrack();
    rig.AddTrack();
    for (const Ev& v : c.onTrack) rig.Add(track, v.tick, v.type, v.a);
    for (const Ev& v : c.onSource) rig.Add(source, v.tick, v.type, v.a);
    source.muteState = 1;  // a muted track still serves as a source
    rig.Start();
    rig.RunClockThrough(c.throughTick);
    EXPECT_TRUE(track.pan == c.pan && track.gate == c.gate) << c.name;
    EXPECT_TRUE(rig.app->song.volume == 1.0f && rig.app->playback.songEndReached.load() == 0) << c.name;
  }
  // A phrase whose source is no normal track is ignored, in playback and in the silent advance alike.
  for (int32_t badSource : {0, -1, 3, 99}) {
    for (bool silent : {false, true}) {
      PlayRig rig;
      Track& track = rig.AddTrack();
      Track& source = rig.AddTrack();
      for (auto [on, tick, type, value] : {std::tuple{&source, 0, E::TrackPan, 30}, {&source, 4, E::TrackPan, 60},
                                           {&track, 0, E::Phrase, 2}, {&track, 2, E::Phrase, badSource}})
        rig.Add(*on, tick, type, value);
      rig.Start();
      silent ? void(AdvanceToTick(*rig.app, 5)) : rig.RunClockThrough(4);  // what the advance returns is pinned below
      EXPECT_TRUE(track.phraseStartTick == 0 && track.pan == 160) << badSource << " " << silent;
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
  for (auto [tick, type, a, b] : {std::tuple{0, E::NoteOn, 2450, 0}, {1, E::ProgramVolume, 10, 0},
                                  {1, E::ProgramPan, -100, 0}, {1, Plus(E::ProgramEngineParameter, 1), 0, 90},
                                  {2, E::NoteOn, 3050, 0}})
    rig.Add(track, tick, type, a, b);
  rig.Start();
  const Program& voice = track.playingProgram;
  // Through tick 1 the events change the voice; the NoteOn at 2 brings the program's own values back.
  for (auto [tick, volume, pan, f0] : {std::tuple{1, 0.1f, 0, 0.9f}, {2, 0.8f, 90, 0.4f}}) {
    rig.RunClockThrough(tick);
    EXPECT_FLOAT_EQ(voice.volume, volume);
    EXPECT_EQ(voice.pan, pan);
    EXPECT_FLOAT_EQ(voice.engines[1].F[0], f0);
  }
  EXPECT_EQ(track.notePitch, 3050);
  EXPECT_FLOAT_EQ(program.volume, 0.8f) << "events change the copy, never the program";
}

TEST(SongClock, ParameterEventsChangeOrRestartAnEngine) {
  struct Case { int32_t parameter, value; float f1, position; int32_t marker; };  // marker: W13, 999 when prepared
  // Q = 30 prepares the filter again; "Reset" (7) restarts its slots and nothing else; 9 is no parameter.
  for (const Case& c :
       {Case{1, 30, 0.30f, 12.0f, 999}, {kResetParameter, 55, 0.01f, 0.0f, 5}, {9, 55, 0.01f, 12.0f, 5}}) {
    PlayRig rig;
    Track& track = rig.AddTrack();
    Engine& filter = rig.SetTrackEngine(track, 2, EngineTypeId::LowPassFilter);
    rig.Add(track, 1, Plus(E::TrackEngineParameter, 2), c.parameter, c.value);
    rig.Start();
    rig.RunClockThrough(0);
    for (DataSlot& s : filter.slots) s.playPosition = 12.0f;
    filter.W[13].i = 5;
    rig.RunClockThrough(1);
    EXPECT_FLOAT_EQ(filter.F[1], c.f1) << c.parameter;
    EXPECT_EQ(std::pair(filter.W[13].i, filter.slots[3].playPosition), std::pair(c.marker, c.position)) << c.parameter;
  }
}

TEST(SongClock, SilentAdvanceAppliesAllButNotesAndStopsAtAnEnd) {
  // The GlobalTrack plays first in every tick, so an End at 6 comes before track 1's event at 6.
  for (const auto& [endTick, reached, volume] : {std::tuple{-1, true, 0.3f}, {20, true, 0.3f}, {5, false, 0.5f},
                                                 {6, false, 0.5f}}) {
    PlayRig rig;
    Track& track = rig.NoteTrack(0.5f);
    rig.Add(track, 2, E::TrackVolume, 50);
    rig.Add(track, 6, E::TrackVolume, 30);
    if (endTick >= 0) rig.End(endTick);
    rig.Start();
    EXPECT_EQ(AdvanceToTick(*rig.app, 10), reached) << endTick;
    EXPECT_TRUE(track.gate == 0 && rig.app->playback.songEndReached.load() == 0) << endTick;
    EXPECT_FLOAT_EQ(track.volume, volume) << endTick;
  }
}

}  // namespace
}  // namespace tonforge::testing
