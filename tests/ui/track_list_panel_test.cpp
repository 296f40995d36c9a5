#include <gtest/gtest.h>

#include "sequencer/editing.h"
#include "support/panel_rig.h"
#include "ui/panels/song_view.h"
#include "ui/panels/track_list.h"

namespace tonforge {
namespace {

using testing::PanelRig;
using testing::SkinPattern;
using testing::Type;
namespace C = TrackListControl;

constexpr int32_t kTrackList = PanelIndex(Panel::TrackList), kTrackChain = PanelIndex(Panel::TrackChain), kSongChain = PanelIndex(Panel::SongChain);

struct TrackListRig : PanelRig {
  explicit TrackListRig(int32_t tracks, int programs = 1) : PanelRig(programs, tracks) {
    BuildTrackListPanel(UI(), App());
    OpenPanel(UI(), kTrackList);
  }
  // A point of the song view: the tick's column on a visible row.
  Point ViewPoint(int32_t row, int32_t tick) {
    return {kSongViewLeft + tick - App().editor.viewStart, kSongViewTop + kSongViewRowHeight * row + 10};
  }
  uint32_t Pixel(Point outer) { return rig.ScreenAt(kTrackList, outer); }
};

// Presses in the song view select the row's track and the tick; the chain panel follows the track.
TEST(TrackListPanel, PressesInTheSongViewSelectTrackAndTick) {
  struct Case {
    const char* what;
    int32_t current;
    int32_t openChain;
    uint32_t snap;
    int32_t row, tick;
    int32_t wantTrack, wantCursor, wantOpenChain;
  };
  const Case cases[] = {
      {"track 0 replaces the track panel by the song panel", 2, kTrackChain, 0, 0, 100, 0, 100, kSongChain},
      {"a normal track replaces the song panel by the track panel", 0, kSongChain, 0, 2, 30, 2, 30, kTrackChain},
      {"the same kind of track keeps the panel", 1, kTrackChain, 0, 2, 463, 2, 463, kTrackChain},
      {"snap takes the tick down to the step", 1, kTrackChain, 1, 1, 30, 1, 24, kTrackChain},
      {"a row with no track selects nothing", 1, kTrackChain, 0, 5, 200, 1, 0, kTrackChain},
  };
  for (const Case& c : cases) {
    TrackListRig r(3);
    r.App().song.currentTrack = c.current;
    r.App().editor.snap = c.snap;
    OpenPanel(r.UI(), c.openChain);
    r.Click(kTrackList, r.ViewPoint(c.row, c.tick));
    EXPECT_EQ(r.App().song.currentTrack, c.wantTrack) << c.what;
    EXPECT_EQ(r.App().editCursor, c.wantCursor) << c.what;
    EXPECT_TRUE(r.P(c.wantOpenChain).open) << c.what;
    EXPECT_FALSE(r.P(c.wantOpenChain == kSongChain ? kTrackChain : kSongChain).open) << c.what;
    EXPECT_EQ(r.P(0).buttons[OpenerButton(kTrackChain)].style, ButtonStyle::ToggleOn) << c.what;
  }
}

TEST(TrackListPanel, InsertButtonsAreShownExactlyWhereTheyAct) {
  struct Case {
    int32_t track;
    EventGroup group;
    std::vector<int32_t> shown;
  };
  const Case cases[] = {
      {0, EventGroup::Song, {C::InsertVolume, C::InsertTempo}},
      {1, EventGroup::Track, {C::InsertVolume, C::InsertPitch, C::InsertPan}},
      {1, EventGroup::Program, {C::InsertVolume, C::InsertPitch, C::InsertPan}},
      {1, EventGroup::Song, {}},
  };
  for (const Case& c : cases) {
    TrackListRig r(2);
    r.App().song.currentTrack = c.track;
    r.App().editor.eventGroup = c.group;
    r.Redraw(kTrackList);
    EXPECT_EQ(r.ShownButtons(kTrackList, C::InsertVolume, C::InsertTempo + 1), c.shown) << c.track;
  }
  // A shown insert button inserts at the cursor; a hidden one takes no click.
  TrackListRig r(2);
  r.App().song.currentTrack = 1;
  r.App().editor.eventGroup = EventGroup::Track;
  r.App().editCursor = 96;
  r.Redraw(kTrackList);
  r.ClickButton(kTrackList, C::InsertPan);
  r.ClickButton(kTrackList, C::InsertTempo);
  EXPECT_EQ(r.song.Events(1), (std::vector<testing::EventRow>{{96, Type(EventType::TrackPan), 0, 0}}));
}

TEST(TrackListPanel, MuteButtonsFollowTheVisibleTracks) {
  struct Case {
    std::vector<uint32_t> muteStates;  // tracks 1 and up
    int32_t scroll;
    std::vector<uint32_t> styles;  // rows with a track; the other rows are hidden
  };
  const Case cases[] = {
      {{}, 0, {ButtonStyle::ToggleOff}},
      {{0, 2}, 0, {ButtonStyle::Editing, ButtonStyle::ToggleOff, ButtonStyle::Field}},
      {{1, 0}, 0, {ButtonStyle::ToggleOn, ButtonStyle::ToggleOn, ButtonStyle::ToggleOff}},
      {{1, 0}, 1, {ButtonStyle::ToggleOn, ButtonStyle::ToggleOff}},
  };
  for (const Case& c : cases) {
    TrackListRig r(static_cast<int32_t>(c.muteStates.size()) + 1);
    for (size_t t = 0; t < c.muteStates.size(); ++t) r.song.TrackNo(static_cast<int32_t>(t) + 1).muteState = c.muteStates[t];
    r.App().song.trackListScroll = c.scroll;
    r.Redraw(kTrackList);
    for (int32_t row = 0; row < kTrackListRowCount; ++row) {
      const bool hasTrack = row < static_cast<int32_t>(c.styles.size());
      EXPECT_EQ(r.Shown(kTrackList, C::FirstMute + row), hasTrack) << row;
      if (hasTrack) {
        EXPECT_EQ(r.B(kTrackList, C::FirstMute + row).style, c.styles[row]) << row;
      }
    }
  }
  // The GlobalTrack's mute button lets every muted track play again.
  TrackListRig r(3);
  r.song.TrackNo(1).muteState = 1;
  r.song.TrackNo(2).muteState = 2;
  r.Redraw(kTrackList);
  r.ClickButton(kTrackList, C::FirstMute);
  EXPECT_EQ(r.song.TrackNo(1).muteState, 0u);
  EXPECT_EQ(r.song.TrackNo(2).muteState, 2u);
  EXPECT_EQ(r.B(kTrackList, C::FirstMute).style, ButtonStyle::Editing);
}

TEST(TrackListPanel, SlidersAndSwitchesShowTheEditor) {
  TrackListRig one(1);
  EXPECT_FALSE(one.ControlShown(kTrackList, C::TrackListSlider));
  EXPECT_FALSE(one.Shown(kTrackList, C::TrackListUp));
  EXPECT_FALSE(one.Shown(kTrackList, C::TrackListDown));

  TrackListRig r(4);
  r.App().editCursor = 1000;
  r.App().editor.octave = 2;
  r.App().editor.eventGroup = EventGroup::Track;
  r.App().editor.slide = 1;
  r.App().editor.snap = 1;
  r.Redraw(kTrackList);
  const std::vector<ValueControl>& v = r.P(kTrackList).valueControls;
  EXPECT_EQ(v[C::ViewSlider].end, 99999 / 384);
  EXPECT_EQ(v[C::ViewSlider].value, 1000 / 384);
  EXPECT_EQ(v[C::CursorSlider].value, 1000);
  EXPECT_EQ(v[C::TrackListSlider].end, 3);
  EXPECT_EQ(v[C::TrackListSlider].value, 3);
  EXPECT_EQ(r.B(kTrackList, C::Octave).captionOrValue, 110);
  EXPECT_EQ(r.B(kTrackList, C::Group).captionOrValue, 105);
  EXPECT_EQ(r.B(kTrackList, C::Slide).captionOrValue, 95);
  EXPECT_EQ(r.B(kTrackList, C::Snap).style, ButtonStyle::ToggleOn);
  EXPECT_EQ(r.B(kTrackList, C::EditMode).style, ButtonStyle::ToggleOff);
  EXPECT_EQ(r.B(kTrackList, C::Play).style, ButtonStyle::ToggleOff);

  // Arrows step their sliders and run the slider's command.
  r.ClickButton(kTrackList, C::TrackListUp);
  EXPECT_EQ(r.App().song.currentTrack, 2);
  r.ClickButton(kTrackList, C::CursorUp);
  EXPECT_EQ(r.App().editCursor, 1048);
  r.ClickButton(kTrackList, C::ViewUp);
  EXPECT_EQ(r.App().editCursor, 3 * 384);
  r.ClickButton(kTrackList, C::SnapDivisionUp);
  EXPECT_EQ(r.App().editor.snapDivision, 5);
  EXPECT_EQ(r.App().editor.snapStep, 9);
  r.ClickButton(kTrackList, C::EditMode);
  EXPECT_EQ(r.App().editor.editMode, 1u);
  EXPECT_EQ(r.B(kTrackList, C::EditMode).style, ButtonStyle::ToggleOn);
}

// One pixel per tick from x 48; every piece from the skin: row strips, block strips, palette columns.
TEST(TrackListPanel, TheSongViewIsDrawnFromTheSkin) {
  TrackListRig r(3, 2);
  r.song.Add(1, {{100, Type(EventType::NoteOn), 2450, 1}, {130, Type(EventType::TrackPan), 0, 0}});
  r.song.Add(2, {{140, Type(EventType::Phrase), 13, 0}});
  r.App().song.currentTrack = 1;
  r.App().editCursor = 200;
  r.App().editor.block = {1, 300, 2, 310, 2};
  r.Redraw(kTrackList);
  struct Case {
    const char* what;
    int32_t row, tick;
    int32_t sourceX, sourceTop;
  };
  const Case cases[] = {
      {"current row background", 1, 5, 5, 192},
      {"other row background", 2, 5, 5, 224},
      {"GlobalTrack row background", 0, 5, 5, 224},
      {"note of program 1 at pitch 2450", 1, 100, 42 + 31 + 24, 320},
      {"track pan event", 1, 130, Type(EventType::TrackPan) + 3, 320},
      {"phrase of source 13", 2, 140, 228 + 3, 320},
      {"beat line", 2, 48, 1, 320},
      {"bar line", 2, 384, 2, 320},
      {"cursor on the current row", 1, 200, 0, 320},
      {"no cursor on other rows", 2, 200, 200, 224},
      {"block on its track", 2, 305, 305, 224 + 64},
      {"block ends with its end tick", 2, 311, 311, 224},
  };
  for (const Case& c : cases) {
    const Point at = r.ViewPoint(c.row, c.tick);
    const int32_t dy = at.y - (kSongViewTop + kSongViewRowHeight * c.row);
    EXPECT_EQ(r.Pixel(at), SkinPattern(c.sourceX, c.sourceTop + dy)) << c.what;
  }
  // The mute column stands where the deck draws it, from (512, 88) one row every 32 pixels, in its style's skin.
  for (int32_t row : {0, 2}) {
    const Button& mute = r.B(kTrackList, C::FirstMute + row);
    const Rect source = ButtonSource(mute.style, mute.frameKind, false);
    EXPECT_EQ(r.Pixel({512 + 1, 88 + 32 * row + 1}), SkinPattern(source.left + 1, source.top + 1)) << "mute " << row;
  }
  // The ruler names bars in the second colour, other beats in the first (block glyphs of the stand-in font).
  EXPECT_EQ(r.Pixel({48 - 9 + 1, 58}), r.UI().skins.colours.songViewBar);
  EXPECT_EQ(r.Pixel({96 - 9 + 1, 58}), r.UI().skins.colours.songView);
}

// While a song plays the playhead crosses every row in the cursor's colour, the position field shows its tick
// and the view turns a page when the playhead leaves it; once playing ends the view returns to the EditCursor.
TEST(TrackListPanel, ThePlayheadMovesWithTheSongAndTurnsTheView) {
  TrackListRig r(3);
  r.App().song.currentTrack = 1;
  r.App().editCursor = 200;
  PlaybackState& p = r.App().playback;
  p.mode.store(PlaybackMode::Song);  // as the worker runs it; the clock's tick comes from the test
  struct Step {
    int32_t tick, viewStart;
  };
  for (const Step s : {Step{250, 0}, {463, 0}, {464, 464}, {700, 464}, {1000, 1000}}) {
    p.playheadTick = s.tick;
    EXPECT_TRUE(FollowPlayhead(r.App())) << s.tick;
    EXPECT_FALSE(FollowPlayhead(r.App())) << s.tick;  // nothing new to draw until the clock moves
    r.Redraw(kTrackList);
    EXPECT_EQ(r.App().editor.viewStart, s.viewStart) << s.tick;
    EXPECT_EQ(r.B(kTrackList, C::CursorPosition).captionOrValue, s.tick) << s.tick;
    for (int32_t row : {0, 2}) {
      const Point at = r.ViewPoint(row, s.tick);
      EXPECT_EQ(r.Pixel(at), SkinPattern(0, 320 + at.y - (kSongViewTop + kSongViewRowHeight * row))) << s.tick;
    }
  }
  p.mode.store(PlaybackMode::Idle);
  EXPECT_TRUE(FollowPlayhead(r.App()));
  r.Redraw(kTrackList);
  EXPECT_TRUE(r.App().editCursor == 200 && r.App().editor.viewStart == 200);
  EXPECT_EQ(r.B(kTrackList, C::CursorPosition).captionOrValue, 200);
}

}  // namespace
}  // namespace tonforge
