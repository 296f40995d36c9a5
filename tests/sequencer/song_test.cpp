#include <gtest/gtest.h>

#include "support/song_rig.h"

namespace tonforge {
namespace {

using testing::Id;
using testing::SongRig;
using testing::Type;
using V = std::vector<EventValues>;

const int32_t kNoteOn = Type(EventType::NoteOn);
const int32_t kTempo = Type(EventType::Tempo);
const int32_t kPhrase = Type(EventType::Phrase);
const int32_t kProgramParameterAt2 = Type(EventType::ProgramEngineParameter) + 2;
const int32_t kTrackParameterAt0 = Type(EventType::TrackEngineParameter);

TEST(NewSong, HoldsOnlyTheGlobalTrackWithItsTempoEvent) {
  struct Case {
    const char* what;
    int programs;
    int tracks;
  };
  for (const Case& c : {Case{"at start-up", 0, 1}, Case{"over a used song", 3, 4}}) {
    SCOPED_TRACE(c.what);
    SongRig rig;
    rig.AddPrograms(c.programs);
    if (c.programs > 0) rig.SetType(1, 2, Id(EngineTypeId::CombFilter));
    rig.GrowTo(c.tracks);
    rig.app.song.beatsPerBar = 3;
    rig.app.chainEditor.selectedPosition = 5;
    NewSong(rig.app);

    const Song& song = rig.app.song;
    ASSERT_EQ(song.tracks.Count(), 1);
    const Track& global = rig.TrackNo(0);
    EXPECT_STREQ(global.name.data(), "Song");
    EXPECT_EQ(SongRig::Events(global), (V{{0, kTempo, 120, 0}}));
    EXPECT_EQ(global.eventCount, 1);
    EXPECT_TRUE(song.programs.empty());
    EXPECT_EQ(song.beatsPerBar, 8);
    EXPECT_EQ(song.ticksPerBeat, 48);
    EXPECT_EQ(song.songLevel, 1.0f);
    EXPECT_GE(song.seed, 1u);
    EXPECT_LE(song.seed, 10000u);
    EXPECT_EQ(song.positionBufferSize[2], 0u);
    EXPECT_FALSE(rig.app.live.buffers.left[2]);
    EXPECT_EQ(rig.app.chainEditor.chainMode, 0u);
    EXPECT_EQ(rig.app.chainEditor.selectedPosition, 0);
  }
}

TEST(InsertEvent, KeepsTickOrderAndOneNotePerTick) {
  struct Case {
    const char* what;
    int32_t track;
    V before;
    EventValues inserted;
    V after;
  };
  const Case cases[] = {
      {"equal ticks keep insertion order", 1, {{0, 0, 1, 0}, {96, 0, 2, 0}, {96, 0, 3, 0}, {192, 0, 4, 0}}, {96, 0, 9, 0},
       {{0, 0, 1, 0}, {96, 0, 2, 0}, {96, 0, 3, 0}, {96, 0, 9, 0}, {192, 0, 4, 0}}},
      {"a note replaces the note on its tick", 1, {{48, kNoteOn, 1050, 1}}, {48, kNoteOn, 2050, 2}, {{48, kNoteOn, 2050, 2}}},
      {"a note beside another type is added", 1, {{48, 1, 0, 0}}, {48, kNoteOn, 1050, 1}, {{48, 1, 0, 0}, {48, kNoteOn, 1050, 1}}},
      {"ticks are clamped into the song", 1, {{0, 0, 0, 0}}, {-5, 0, 7, 0}, {{0, 0, 0, 0}, {0, 0, 7, 0}}},
      {"the first event of a track", 1, {}, {10, 0, 1, 0}, {{10, 0, 1, 0}}},
      {"the tempo event stays first", 0, {}, {0, 33, 50, 0}, {{0, kTempo, 120, 0}, {0, 33, 50, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SongRig rig;
    rig.AddPrograms(3);
    rig.GrowTo(2);
    Track& track = rig.TrackNo(c.track);
    for (const EventValues& v : c.before) ASSERT_TRUE(InsertEvent(rig.app, track, v));
    ASSERT_TRUE(InsertEvent(rig.app, track, c.inserted));
    EXPECT_EQ(SongRig::Events(track), c.after);
    EXPECT_EQ(track.eventCount, static_cast<int32_t>(c.after.size()));
    EXPECT_EQ(track.selectedEvent, 0);
  }
}

TEST(ValidateEvents, KeepsNotesOnProgramsAndParametersOnTheirEngines) {
  // Program 1 has a low-pass filter at position 2 (Cutoff 1..100, Q 1..100, Wet, nothing at 3); track 1's
  // own chain has an amplifier at position 0 (Left -1000..1000, Right, nothing at 2).
  struct Case {
    const char* what;
    V before;
    V after;
  };
  const Case cases[] = {
      {"parameter before any note", {{0, kProgramParameterAt2, 0, 50}}, {{0, kProgramParameterAt2, 7, 0}}},
      {"note naming a missing program", {{0, kNoteOn, 1050, 5}}, {{0, kNoteOn, 1050, 0}}},
      {"note naming a negative program", {{0, kNoteOn, 1050, -1}}, {{0, kNoteOn, 1050, 0}}},
      {"value above the range", {{0, kNoteOn, 1050, 1}, {1, kProgramParameterAt2, 0, 500}},
       {{0, kNoteOn, 1050, 1}, {1, kProgramParameterAt2, 0, 100}}},
      {"value below the range", {{0, kNoteOn, 1050, 1}, {1, kProgramParameterAt2, 1, -3}},
       {{0, kNoteOn, 1050, 1}, {1, kProgramParameterAt2, 1, 1}}},
      {"parameter the engine lacks", {{0, kNoteOn, 1050, 1}, {1, kProgramParameterAt2, 3, 10}},
       {{0, kNoteOn, 1050, 1}, {1, kProgramParameterAt2, 7, 0}}},
      {"empty position in the note's program", {{0, kNoteOn, 1050, 0}, {1, kProgramParameterAt2, 0, 50}},
       {{0, kNoteOn, 1050, 0}, {1, kProgramParameterAt2, 7, 0}}},
      {"track engine value clamped", {{0, kTrackParameterAt0, 0, 5000}}, {{0, kTrackParameterAt0, 0, 1000}}},
      {"track engine parameter missing", {{0, kTrackParameterAt0, 2, 5}}, {{0, kTrackParameterAt0, 7, 0}}},
      {"a reset is left alone", {{0, kProgramParameterAt2, 7, 33}}, {{0, kProgramParameterAt2, 7, 33}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SongRig rig;
    rig.AddPrograms(3);
    SelectProgram(rig.app, 1);
    rig.SetType(1, 2, Id(EngineTypeId::LowPassFilter));
    rig.GrowTo(2);
    rig.app.song.currentTrack = 1;
    rig.SetType(0, 0, Id(EngineTypeId::Amplifier));
    Track& track = rig.TrackNo(1);
    for (const EventValues& v : c.before) ASSERT_TRUE(AppendEvent(rig.app, track, v));
    ValidateEvents(rig.app.song, track);
    EXPECT_EQ(SongRig::Events(track), c.after);
  }
}

TEST(DeleteEventAt, NeverRemovesTheTempoEvent) {
  struct Case {
    const char* what;
    int32_t track;
    int32_t index;
    std::vector<int32_t> ticksLeft;
  };
  const Case cases[] = {
      {"tempo event", 0, 0, {0, 48, 96}},    {"global event after it", 0, 1, {0, 96}},
      {"past the end", 0, 3, {0, 48, 96}},   {"first event of a track", 1, 0, {48, 96}},
      {"negative index", 1, -1, {0, 48, 96}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SongRig rig;
    rig.GrowTo(2);
    Track& track = rig.TrackNo(c.track);
    if (c.track != 0) AppendEvent(rig.app, track, {0, 0, 0, 0});
    AppendEvent(rig.app, track, {48, 33, 50, 0});
    AppendEvent(rig.app, track, {96, 38, 0, 0});
    DeleteEventAt(rig.app.song, track, c.index);
    std::vector<int32_t> ticks;
    for (const EventValues& v : SongRig::Events(track)) ticks.push_back(v.tick);
    EXPECT_EQ(ticks, c.ticksLeft);
    EXPECT_EQ(track.eventCount, static_cast<int32_t>(c.ticksLeft.size()));
  }
}

TEST(InsertTrack, NamesSeedsChainsAndTheLimitOf512) {
  SongRig rig;
  rig.GrowTo(kMaxTracks);
  ASSERT_EQ(rig.app.song.tracks.Count(), kMaxTracks);
  EXPECT_TRUE(rig.dialogs.shown.empty());
  for (int32_t i : {1, 2, 511}) {
    const Track& t = rig.TrackNo(i);
    EXPECT_EQ(std::string(t.name.data()), "Track " + std::to_string(i));
    EXPECT_GE(t.seed, 1u);
    EXPECT_LE(t.seed, 10000u);
    EXPECT_EQ(t.level, 1.0f);
    EXPECT_EQ(t.pan, 100);
    EXPECT_EQ(t.chain[4].type, 0u);
    EXPECT_EQ(t.chain[4].slots[0].gain, 1.0f);
  }
  EXPECT_EQ(InsertTrack(rig.app), nullptr);
  EXPECT_EQ(rig.Messages(), std::vector<std::string>{"Maximum Number Of Tracks Reached"});
  EXPECT_EQ(rig.app.song.tracks.Count(), kMaxTracks);
}

TEST(InsertTrack, GoesAfterTheCurrentTrackAndRenumbersPhrases) {
  struct Case {
    int32_t current;
    std::vector<int32_t> sourcesAfter;
  };
  for (const Case& c : {Case{2, {1, 2, 4, 5}}, Case{0, {2, 3, 4, 5}}, Case{4, {1, 2, 3, 4}}}) {
    SCOPED_TRACE(c.current);
    SongRig rig;
    rig.GrowTo(5);
    Track& holder = rig.TrackNo(1);
    for (int32_t source : {1, 2, 3, 4}) InsertEvent(rig.app, holder, {source * 10, kPhrase, source, 0});
    rig.app.song.currentTrack = c.current;
    ASSERT_NE(InsertTrack(rig.app), nullptr);
    EXPECT_STREQ(rig.TrackNo(c.current + 1).name.data(), "Track 5");
    EXPECT_EQ(rig.app.song.currentTrack, c.current);
    std::vector<int32_t> sources;
    const int32_t holderIndex = c.current == 0 ? 2 : 1;
    for (const EventValues& v : SongRig::Events(rig.TrackNo(holderIndex))) sources.push_back(v.valueA);
    EXPECT_EQ(sources, c.sourcesAfter);
  }
}

TEST(InsertTrack, GetsVoiceBuffersOrLeavesTheSongUnchanged) {
  const uint32_t combLength = BuildEngineCatalog()[Id(EngineTypeId::CombFilter)].delayBufferLength;
  for (int failAfter : {-1, 0, 1}) {
    SCOPED_TRACE(failAfter);
    SongRig rig;
    rig.AddPrograms(1);
    rig.SetType(1, 3, Id(EngineTypeId::CombFilter));
    if (failAfter >= 0) FailAllocationsForTesting(failAfter, 1);
    Track* track = InsertTrack(rig.app);
    FailAllocationsForTesting(0, 0);
    if (failAfter >= 0) {
      EXPECT_EQ(track, nullptr);
      EXPECT_EQ(rig.Messages(), std::vector<std::string>{"Out Of Memory - Cannot Insert Track"});
      EXPECT_EQ(rig.app.song.tracks.Count(), 1);
      continue;
    }
    ASSERT_NE(track, nullptr);
    ASSERT_TRUE(track->voiceBuffers.left[3] && track->voiceBuffers.right[3]);
    track->voiceBuffers.right[3][combLength - 1] = 1.0f;  // the sanitizer build checks the length
    EXPECT_EQ(track->playingProgram.engines[3].left, track->voiceBuffers.left[3]);
    EXPECT_FALSE(track->voiceBuffers.left[2]);
    EXPECT_FALSE(rig.TrackNo(0).voiceBuffers.left[3]);
  }
}

}  // namespace
}  // namespace tonforge
