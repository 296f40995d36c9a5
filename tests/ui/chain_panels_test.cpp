#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "sequencer/editing.h"
#include "support/app_panels_rig.h"

namespace tonforge {
namespace {

using testing::AppPanelsRig;

constexpr int32_t kCentre = PanelIndex(Panel::ControlCentre), kTrack = PanelIndex(Panel::TrackChain), kEditor = PanelIndex(Panel::ProgramEditor), kSong = PanelIndex(Panel::SongChain);
constexpr uint32_t kReverb = testing::Id(EngineTypeId::BasicReverb);  // allowed in every chain

struct Step {
  const char* what;
  std::function<void(AppPanelsRig&)> act;
  std::function<void(AppPanelsRig&)> check;
};

// Which of a chain panel's engine operations (Copy, Paste, Up, Down from `first`) are shown.
std::string Operations(AppPanelsRig& rig, int32_t panel, int32_t first) {
  std::string shown;
  for (int32_t b = first; b < first + 4; ++b) shown += rig.Shown(panel, b) ? '1' : '0';
  return shown;
}

// The track, program and song panels worked through one session: the chain buttons pick the chain being
// edited, the engine operations follow it and the clipboard, the controls set the track and the song, and the
// track and song panels replace each other as the current track changes sides.
TEST(ChainPanels, ChainsTrackAndSongSettingsUnderTheMouse) {
  AppPanelsRig rig(1, 3);
  ASSERT_EQ(TypeLevelFlags(kReverb), kLevelProgram | kLevelTrack | kLevelSong);
  rig.app().song.currentTrack = 1;
  rig.song.SetTrackType(2, kReverb);
  rig.app().chainEditor = {ChainMode::Program, 0};
  const std::string reverb = rig.app().catalog[kReverb].abbreviation.data();
  const Step steps[] = {
      {"song layout", [](AppPanelsRig& r) { r.Press(kCentre, 0); },
       [&](AppPanelsRig& r) {
         EXPECT_TRUE(r.Open(kTrack) && !r.Open(kSong) && !r.Open(kEditor));
         EXPECT_EQ(r.B(kTrack, 15 + 2).text, reverb);
         EXPECT_EQ(Operations(r, kTrack, 5), "0000");  // the program's chain is still the one edited
         EXPECT_EQ(r.P(kTrack).labels[3].enabled, 0u);
       }},
      {"track chain position 2", [](AppPanelsRig& r) { r.Press(kTrack, 15 + 2); },
       [](AppPanelsRig& r) {
         EXPECT_EQ(r.app().chainEditor.chainMode, ChainMode::Track);
         EXPECT_EQ(r.app().chainEditor.selectedPosition, 2);
         for (int32_t p = 0; p < kChainLength; ++p)
           EXPECT_EQ(r.B(kTrack, 15 + p).style, p == 2 ? ButtonStyle::Push : ButtonStyle::ListRow) << p;
         EXPECT_EQ(Operations(r, kTrack, 5), "1011");  // nothing to paste yet
       }},
      {"copy engine", [](AppPanelsRig& r) { r.Press(kTrack, 5); },
       [](AppPanelsRig& r) { EXPECT_EQ(Operations(r, kTrack, 5), "1111"); }},
      {"move it down", [](AppPanelsRig& r) { r.Press(kTrack, 8); },
       [&](AppPanelsRig& r) {
         EXPECT_EQ(r.song.TrackNo(1).chain[3].type, kReverb);
         EXPECT_EQ(r.B(kTrack, 15 + 3).text, reverb);
         EXPECT_EQ(r.B(kTrack, 15 + 3).style, ButtonStyle::Push);
       }},
      {"switch off", [](AppPanelsRig& r) { r.Press(kTrack, 1); },
       [](AppPanelsRig& r) {
         EXPECT_EQ(r.song.TrackNo(1).muteState, 2u);
         EXPECT_EQ(r.B(kTrack, 1).style, ButtonStyle::ToggleOn);
       }},
      {"level down a step, pan up a step", [](AppPanelsRig& r) { r.Press(kTrack, 14), r.Press(kTrack, 11); },
       [](AppPanelsRig& r) {
         EXPECT_FLOAT_EQ(r.song.TrackNo(1).level, 0.99f);
         EXPECT_EQ(r.song.TrackNo(1).pan, 101);
         EXPECT_EQ(r.P(kTrack).valueControls[2].value, 99);
       }},
      {"program editor", [](AppPanelsRig& r) { r.Toggle(kEditor); },
       [](AppPanelsRig& r) {
         EXPECT_TRUE(r.Open(kEditor) && !r.Open(kTrack));
         EXPECT_EQ(Operations(r, kEditor, 4), "0000");
       }},
      {"program chain position 1, paste", [](AppPanelsRig& r) { r.Press(kEditor, 12 + 1), r.Press(kEditor, 5); },
       [&](AppPanelsRig& r) {
         EXPECT_EQ(r.app().chainEditor.chainMode, ChainMode::Program);
         EXPECT_EQ(r.song.ProgramEngine(0, 1).type, kReverb);
         EXPECT_EQ(r.B(kEditor, 12 + 1).text, reverb);
         EXPECT_EQ(Operations(r, kEditor, 4), "1111");
       }},
      {"back to the track, then the GlobalTrack becomes current",
       [](AppPanelsRig& r) {
         r.Toggle(kTrack);
         SelectTrack(r.app(), 0);
         r.Redraw();
       },
       [](AppPanelsRig& r) {
         EXPECT_TRUE(r.Open(kSong) && !r.Open(kTrack));
         EXPECT_EQ(r.B(kCentre, OpenerButton(kSong)).style, ButtonStyle::ToggleOn);
         EXPECT_EQ(Operations(r, kSong, 5), "0000");  // still the program's chain
       }},
      {"the program editor takes the song panel's place", [](AppPanelsRig& r) { r.Toggle(kEditor); },
       [](AppPanelsRig& r) { EXPECT_TRUE(r.Open(kEditor) && !r.Open(kSong) && !r.Open(kTrack)); }},
      {"and the track toggle gives it back", [](AppPanelsRig& r) { r.Toggle(kTrack); },
       [](AppPanelsRig& r) {
         EXPECT_TRUE(r.Open(kSong) && !r.Open(kEditor) && !r.Open(kTrack));
         EXPECT_EQ(r.B(kCentre, OpenerButton(kTrack)).style, ButtonStyle::ToggleOn);
       }},
      {"the program layout closes it, the song layout brings it back", [](AppPanelsRig& r) { r.Press(kCentre, 1); },
       [](AppPanelsRig& r) {
         EXPECT_TRUE(r.Open(kEditor) && !r.Open(kSong));
         r.Press(kCentre, 0);
         EXPECT_TRUE(r.Open(kSong) && !r.Open(kEditor));
       }},
      {"song chain position 0: the reverb may be pasted there", [](AppPanelsRig& r) { r.Press(kSong, 21); },
       [](AppPanelsRig& r) { EXPECT_EQ(Operations(r, kSong, 5), "1111"); }},
      {"22050 Hz, high priority, one more beat per bar, song level down",
       [](AppPanelsRig& r) { r.Press(kSong, 16), r.Press(kSong, 20), r.Press(kSong, 9), r.Press(kSong, 14); },
       [](AppPanelsRig& r) {
         EXPECT_EQ(r.app().rate.sampleRate, 22050);
         EXPECT_EQ(r.B(kSong, 15).style, ButtonStyle::ToggleOff);
         EXPECT_EQ(r.B(kSong, 16).style, ButtonStyle::ToggleOn);
         EXPECT_EQ(r.app().playback.highPriority, 1u);
         EXPECT_EQ(r.B(kSong, 20).style, ButtonStyle::ToggleOn);
         EXPECT_EQ(r.app().song.beatsPerBar, 9);
         EXPECT_FLOAT_EQ(r.app().song.songLevel, 0.99f);
       }},
      {"a normal track again", [](AppPanelsRig& r) { SelectTrack(r.app(), 2), r.Redraw(); },
       [](AppPanelsRig& r) {
         EXPECT_TRUE(r.Open(kTrack) && !r.Open(kSong));
         EXPECT_STREQ(r.B(kTrack, 0).text, r.song.TrackNo(2).name.data());
         EXPECT_EQ(r.B(kTrack, 1).style, ButtonStyle::ToggleOff);
       }},
      {"the program layout closes the track panel", [](AppPanelsRig& r) { r.Press(kCentre, 1); },
       [](AppPanelsRig& r) { EXPECT_TRUE(r.Open(kEditor) && !r.Open(kTrack) && !r.Open(kSong)); }},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    s.act(rig);
    s.check(rig);
  }
}

}  // namespace
}  // namespace tonforge
