#include <gtest/gtest.h>

#include "support/song_rig.h"

namespace tonforge {
namespace {

using testing::Id;
using testing::SongRig;
using testing::Type;
using V = std::vector<testing::EventRow>;

const int32_t kNote = Type(EventType::NoteOn), kTempo = Type(EventType::Tempo), kPhrase = Type(EventType::Phrase);
const int32_t kParameter2 = Type(EventType::ProgramEngineParameter) + 2;
const int32_t kTrackParameter0 = Type(EventType::TrackEngineParameter);

TEST(NewSong, HoldsOnlyTheGlobalTrackWithItsTempoEvent) {
  SongRig rig(2, 4);  // a used song: programs, tracks, buffers, settings
  rig.SetProgramType(2, Id(EngineTypeId::CombFilter));
  rig.app.song.beatsPerBar = 3;
  NewSong(rig.app);
  const Song& s = rig.app.song;
  ASSERT_EQ(s.tracks.Count(), 1);
  EXPECT_STREQ(rig.TrackNo(0).name.data(), "Song");
  EXPECT_EQ(rig.Events(0), (V{{0, kTempo, 120, 0}}));
  EXPECT_EQ(rig.TrackNo(0).eventCount, 1);
  EXPECT_TRUE(s.programs.empty() && s.beatsPerBar == 8 && s.ticksPerBeat == 48 && s.seed >= 1 && s.seed <= 10000);
  EXPECT_TRUE(s.positionBufferSize[2] == 0 && !rig.app.live.voices[0].buffers.left[2] && rig.app.chainEditor.chainMode == ChainMode::Track);
}

TEST(InsertEvent, KeepsTickOrderAndOneNotePerTickButNeverMovesTheTempoEvent) {
  struct Case { int32_t track; V before; testing::EventRow inserted; V after; };
  const Case cases[] = {
      {1, {{0, 0, 1, 0}, {96, 0, 2, 0}, {96, 0, 3, 0}, {192, 0, 4, 0}}, {96, 0, 9, 0},
       {{0, 0, 1, 0}, {96, 0, 2, 0}, {96, 0, 3, 0}, {96, 0, 9, 0}, {192, 0, 4, 0}}},
      {1, {{48, kNote, 1050, 1}}, {48, kNote, 2050, 2}, {{48, kNote, 2050, 2}}},
      {1, {{48, 1, 0, 0}}, {48, kNote, 1050, 1}, {{48, 1, 0, 0}, {48, kNote, 1050, 1}}},
      {1, {{0, 0, 0, 0}}, {-5, 0, 7, 0}, {{0, 0, 0, 0}, {0, 0, 7, 0}}},
      {0, {}, {0, 33, 50, 0}, {{0, kTempo, 120, 0}, {0, 33, 50, 0}}},
  };
  for (const Case& c : cases) {
    SongRig rig(3, 2);
    rig.Add(c.track, c.before);
    auto [t, type, a, b] = c.inserted;
    EXPECT_TRUE(InsertEvent(rig.app, rig.TrackNo(c.track), {t, type, a, b})) << a;
    EXPECT_EQ(rig.Events(c.track), c.after) << a;
    EXPECT_EQ(rig.TrackNo(c.track).eventCount, static_cast<int32_t>(c.after.size())) << a;
  }
  SongRig rig;
  rig.Add(0, {{48, 38, 0, 0}});
  for (int32_t index : {0, 2, -1, 0, 1}) DeleteEventAt(rig.app.song, rig.TrackNo(0), index);
  EXPECT_EQ(rig.Events(0), (V{{0, kTempo, 120, 0}}));
  EXPECT_EQ(rig.TrackNo(0).eventCount, 1);
}

// Program 1 has a low-pass filter at 2 (Cutoff 1..100, Q 1..100, Wet, nothing at 3); track 1's chain an
// amplifier at 0 (Left -1000..1000, Right, nothing at 2).
TEST(ValidateEvents, KeepsNotesOnProgramsAndParametersOnTheirEngines) {
  const testing::EventRow note1{0, kNote, 1050, 1};
  const int32_t p2 = kParameter2, t0 = kTrackParameter0;
  const std::vector<std::pair<V, V>> cases = {
      {{{0, p2, 0, 50}}, {{0, p2, 7, 0}}},  // no note before it
      {{{0, kNote, 1050, 5}}, {{0, kNote, 1050, 0}}},
      {{note1, {1, p2, 0, 500}}, {note1, {1, p2, 0, 100}}},
      {{note1, {1, p2, 1, -3}}, {note1, {1, p2, 1, 1}}},
      {{note1, {1, p2, 3, 10}}, {note1, {1, p2, 7, 0}}},
      {{{0, kNote, 1050, 0}, {1, p2, 0, 50}}, {{0, kNote, 1050, 0}, {1, p2, 7, 0}}},
      {{{0, t0, 0, 5000}, {0, t0, 2, 5}}, {{0, t0, 0, 1000}, {0, t0, 7, 0}}},
  };
  for (const auto& [before, after] : cases) {
    SongRig rig(3, 2);
    SelectProgram(rig.app, 1);
    rig.SetProgramType(2, Id(EngineTypeId::LowPassFilter));
    rig.SetTrackType(0, Id(EngineTypeId::Amplifier));
    rig.Add(1, before);
    ValidateEvents(rig.app.song, rig.TrackNo(1));
    EXPECT_EQ(rig.Events(1), after);
  }
}

TEST(InsertTrack, GoesAfterTheCurrentTrackRenumbersPhrasesAndRefusesThe513thOrOneWithoutMemory) {
  SongRig full(0, kMaxTracks), starved(1);
  starved.SetProgramType(3, Id(EngineTypeId::CombFilter));
  FailAllocationsForTesting(1, 1);
  for (SongRig* rig : {&full, &starved}) {
    const int32_t count = rig->app.song.tracks.Count();
    EXPECT_EQ(InsertTrack(rig->app), nullptr);
    EXPECT_EQ(rig->app.song.tracks.Count(), count);
  }
  FailAllocationsForTesting(0, 0);
  // The list itself refuses a 513th track however it is inserted, and has no tracks outside 0..511.
  EXPECT_EQ(full.app.song.tracks.Insert(1, std::make_unique<Track>()), nullptr);
  EXPECT_TRUE(TrackAt(full.app.song, -1) == nullptr && TrackAt(full.app.song, kMaxTracks) == nullptr);
  EXPECT_STREQ(full.TrackNo(511).name.data(), "Track 511");
  EXPECT_EQ(full.Messages(), std::vector<std::string>{"Maximum Number Of Tracks Reached"});
  EXPECT_EQ(starved.Messages(), std::vector<std::string>{"Out Of Memory - Cannot Insert Track"});
  // A new track goes after the current one; phrases naming the tracks after it follow them.
  for (const auto& [current, sources] :
       {std::pair{2, std::vector{1, 2, 4, 5}}, {0, {2, 3, 4, 5}}, {4, {1, 2, 3, 4}}}) {
    SongRig rig(0, 5);
    rig.Add(1, {{1, kPhrase, 1, 0}, {2, kPhrase, 2, 0}, {3, kPhrase, 3, 0}, {4, kPhrase, 4, 0}});
    rig.app.song.currentTrack = current;
    EXPECT_NE(InsertTrack(rig.app), nullptr) << current;
    EXPECT_STREQ(rig.TrackNo(current + 1).name.data(), "Track 5") << current;
    EXPECT_EQ(rig.Column(current == 0 ? 2 : 1, 2), sources) << current;
  }
}

}  // namespace
}  // namespace tonforge
