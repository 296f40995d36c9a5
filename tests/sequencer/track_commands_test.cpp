#include <gtest/gtest.h>

#include "sequencer/editing.h"
#include "sequencer/track_commands.h"
#include "support/song_rig.h"

namespace tonforge {
namespace {

using testing::SongRig;
using Sources = std::vector<int32_t>;

// Six tracks; track `holder` gets one Phrase event per source, at ticks 0, 1, 2...
struct TrackRig : SongRig {
  TrackRig(int32_t current, int32_t holder = 1, const Sources& sources = {}, int32_t tracks = 6) : SongRigOf(0, tracks) {
    for (size_t i = 0; i < sources.size(); ++i)
      Add(holder, {{static_cast<int32_t>(i), testing::Type(EventType::Phrase), sources[i], 0}});
    app.song.currentTrack = current;
  }
};

std::vector<std::string> Boxes(const SongRig& rig) {
  std::vector<std::string> out;
  for (const auto& box : rig.dialogs.shown) out.push_back(box.caption + ": " + box.text);
  return out;
}

TEST(DeleteTrackOrSong, AsksTwiceWhenPhrasesUseATrackRenumbersTheRestAndOnTheGlobalTrackDeletesTheSong) {
  struct Case { int32_t current, holder; Sources sources; std::deque<bool> answers; std::vector<std::string> boxes;
                Sources sourcesAfter; int32_t countAfter, currentAfter; };
  const std::string ask = "Delete Track: Are You Sure?";
  const std::string warn = "Warning: Some Phrase Events Use Seleted Track - Still Delete?";
  const Sources all{1, 2, 3, 4, 5};
  const Case cases[] = {
      {3, 1, all, {true, true}, {ask, warn}, {1, 2, 1, 3, 4}, 5, 3},
      {3, 1, all, {true, false}, {ask, warn}, all, 6, 3},
      {3, 1, all, {false}, {ask}, all, 6, 3},
      {2, 5, {2}, {true, false}, {ask, warn}, {2}, 6, 2},  // the last track's Phrase uses track 2
      // Only the deleted track itself replays it: one question; the current track moves back into the list.
      {5, 5, {5}, {true}, {ask}, {}, 5, 4},
  };
  for (const Case& c : cases) {
    TrackRig rig(c.current, c.holder, c.sources);
    rig.app.playback.mode = PlaybackMode::Song;  // a song plays (no worker is needed to see it stopped)
    rig.dialogs.answers = c.answers;
    const bool deleted = c.countAfter == 5;
    EXPECT_EQ(DeleteTrackOrSong(rig.app), deleted ? DeleteResult::TrackDeleted : DeleteResult::Refused);
    EXPECT_TRUE(IsPlaybackIdle(rig.app));
    EXPECT_EQ(Boxes(rig), c.boxes);
    EXPECT_EQ(rig.app.song.tracks.Count(), c.countAfter) << c.current;
    const int32_t holderAfter = deleted && c.holder > c.current ? c.holder - 1 : c.holder;
    if (holderAfter < rig.app.song.tracks.Count()) {
      EXPECT_EQ(rig.Column(holderAfter, 2), c.sourcesAfter) << c.current;
    }
    EXPECT_EQ(rig.app.song.currentTrack, c.currentAfter);
    EXPECT_STREQ(rig.TrackNo(3).name.data(), deleted && c.current == 3 ? "Track 4" : "Track 3");
  }
  // The last normal track goes: the GlobalTrack is current and the insert keys produce song events again.
  SongRig one(1, 2);
  SelectTrack(one.app, 1);
  ASSERT_EQ(one.app.editor.eventGroup, EventGroup::Program);
  one.dialogs.answers = {true};
  ASSERT_EQ(DeleteTrackOrSong(one.app), DeleteResult::TrackDeleted);
  EXPECT_TRUE(one.app.song.currentTrack == 0 && one.app.editor.eventGroup == EventGroup::Song);

  // On the GlobalTrack the song goes: a new song and empty clipboards when answered Yes.
  for (bool yes : {false, true}) {
    SongRig rig(2, 4);
    rig.app.song.currentTrack = 0;
    rig.SetProgramType(0, testing::Id(EngineTypeId::Amplifier));
    CopyEngine(rig.app);
    rig.app.editor.block = {0, 0, 1, 48, 1};
    ASSERT_TRUE(Copy(rig.app));
    rig.app.changes.MarkSongSaved();  // a modified song asks to be saved instead (tests/sequencer/keyboard_test.cpp)
    rig.dialogs.answers = {yes};
    EXPECT_EQ(DeleteTrackOrSong(rig.app), yes ? DeleteResult::SongDeleted : DeleteResult::Refused);
    EXPECT_EQ(Boxes(rig), std::vector<std::string>{"Delete Song: Are You Sure?"});
    EXPECT_EQ(rig.app.song.tracks.Count(), yes ? 1 : 4);
    EXPECT_EQ(rig.app.song.programs.size(), yes ? 0u : 2u);
    EXPECT_EQ(rig.app.engineClipboard.content == 0, yes);
    EXPECT_EQ(rig.app.editor.clipboard.kind == ClipboardKind::Empty, yes);
  }
}

TEST(MoveTrack, ExchangesPhraseSourcesAndFollowsTheTrack) {
  struct Case { int32_t current; bool up, moved; int32_t currentAfter; Sources sourcesAfter; };
  const Case cases[] = {
      {4, true, true, 3, {1, 2, 4, 3, 5}},  {2, false, true, 3, {1, 3, 2, 4, 5}},
      {1, true, false, 1, {1, 2, 3, 4, 5}}, {0, true, false, 0, {1, 2, 3, 4, 5}},
      {5, false, false, 5, {1, 2, 3, 4, 5}}, {0, false, false, 0, {1, 2, 3, 4, 5}},
  };
  for (const Case& c : cases) {
    TrackRig rig(c.current, 5, {1, 2, 3, 4, 5});
    rig.app.playback.mode = PlaybackMode::Song;
    const std::string name = rig.TrackNo(c.current).name.data();
    EXPECT_EQ(c.up ? MoveTrackUp(rig.app) : MoveTrackDown(rig.app), c.moved);
    EXPECT_EQ(rig.app.playback.mode.load(), PlaybackMode::Song);  // moving tracks leaves the song playing
    EXPECT_EQ(rig.app.song.currentTrack, c.currentAfter);
    EXPECT_EQ(rig.TrackNo(c.currentAfter).name.data(), name);
    EXPECT_EQ(rig.Column(5, 2), c.sourcesAfter) << c.current << c.up;
  }
  TrackRig rig(8, 1, {}, 12);
  ASSERT_TRUE(MoveTrackDown(rig.app));
  EXPECT_EQ(rig.app.song.trackListScroll, 1);  // track 9 stays within the nine visible rows
}

TEST(MuteCommands, MuteButtonSwitchOffAndSolo) {
  enum Command { Mute, SwitchOff, Solo };
  struct Case { Command command; int32_t scroll, argument; std::vector<uint32_t> after; };
  // Tracks 1..4 start muted-state 0, 1, 2, 1. The argument is the row (Mute) or the current track.
  const Case cases[] = {
      {Mute, 0, 0, {0, 0, 2, 0}},  // the GlobalTrack's row: muted tracks play, switched-off ones stay off
      {Mute, 0, 1, {1, 1, 2, 1}},  {Mute, 0, 3, {0, 1, 0, 1}}, {Mute, 0, 4, {0, 1, 2, 0}},
      {Mute, 1, 0, {1, 1, 2, 1}},  // scrolled: row 0 is track 1
      {Mute, 0, 7, {0, 1, 2, 1}},  // a row without a track
      {SwitchOff, 0, 3, {0, 1, 0, 1}}, {SwitchOff, 0, 1, {2, 1, 2, 1}}, {SwitchOff, 0, 2, {0, 2, 2, 1}},
      {SwitchOff, 0, 0, {0, 1, 2, 1}}, {Solo, 0, 2, {1, 0, 2, 1}},       {Solo, 0, 3, {1, 1, 0, 1}},
  };
  for (const Case& c : cases) {
    TrackRig rig(c.command == Mute ? 4 : c.argument, 1, {}, 5);
    std::vector<uint32_t> after{0, 1, 2, 1};
    for (int32_t i = 1; i <= 4; ++i) rig.TrackNo(i).muteState = after[i - 1];
    rig.app.song.trackListScroll = c.scroll;
    if (c.command == Mute) PressMuteButton(rig.app, c.argument);
    c.command == Solo ? SoloTrack(rig.app) : c.command == SwitchOff ? SwitchOffTrack(rig.app) : void();
    for (int32_t i = 1; i <= 4; ++i) after[i - 1] = rig.TrackNo(i).muteState;
    EXPECT_EQ(after, c.after) << c.command << " " << c.argument;
    EXPECT_EQ(rig.TrackNo(0).muteState, 0u);
  }
}

TEST(PanelSettings, TrackAndSongControlsWithTheirClamps) {
  struct TrackCase { int32_t seed, pan, level; uint32_t seedAfter; int32_t panAfter; float levelAfter; };
  for (const TrackCase& c : {TrackCase{777, -30, 45, 777, 70, 0.45f}, TrackCase{20000, 150, -5, 10000, 200, 0.0f}}) {
    SongRig rig(0, 3);
    rig.app.song.currentTrack = 2;
    SetTrackSeed(rig.app, c.seed);
    SetTrackPan(rig.app, c.pan);
    SetTrackLevel(rig.app, c.level);
    EXPECT_EQ(std::pair(rig.TrackNo(2).seed, rig.TrackNo(2).pan.Load()), std::pair(c.seedAfter, c.panAfter));
    EXPECT_FLOAT_EQ(rig.TrackNo(2).level, c.levelAfter);
    EXPECT_EQ(rig.TrackNo(1).pan, 100);  // only the current track
  }
  SongRig rig;
  // At 120 beats per minute a beat is 22050 samples at 44100 Hz.
  for (const auto& [ticks, division, ticksAfter, snapAfter, samplesPerTick] :
       {std::tuple{24, 5, 24, 4, 918.75f}, {96, 8, 96, 12, 229.6875f}, {5, 1, 16, 16, 1378.125f},
        {500, 3, 100, 33, 220.5f}}) {
    SetSnapDivision(rig.app, division);
    SetTicksPerBeat(rig.app, ticks);
    EXPECT_EQ(std::pair(rig.app.song.ticksPerBeat.Load(), rig.app.editor.snapStep), std::pair(ticksAfter, snapAfter));
    EXPECT_EQ(rig.app.rate.samplesPerTick, samplesPerTick) << ticks;
  }
  SetBeatsPerBar(rig.app, 3);
  SetSongLevel(rig.app, 80);
  EXPECT_EQ(rig.app.song.beatsPerBar, 3);
  EXPECT_FLOAT_EQ(rig.app.song.songLevel, 0.8f);
}

}  // namespace
}  // namespace tonforge
