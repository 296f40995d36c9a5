#include "ui/panels/track_list.h"

#include <algorithm>
#include <array>
#include <memory>

#include "app/app_state.h"
#include "audio/playback.h"
#include "sequencer/editing.h"
#include "sequencer/play_along.h"
#include "sequencer/track_commands.h"
#include "ui/draw.h"
#include "ui/panels.h"
#include "ui/panels/panel_parts.h"
#include "ui/panels/song_view.h"

namespace tonforge {

namespace {

namespace C = TrackListControl;
constexpr int32_t kPanel = PanelIndex(Panel::TrackList);

constexpr int32_t kPlayCaption = 39, kStopCaption = 40, kNewCaption = 29, kDeleteCaption = 30, kUpCaption = 57,
                  kDownCaption = 58, kSnapCaption = 65, kLoopCaption = 153, kEditModeCaption = 63, kTrackNameCaption = 34;
constexpr int32_t kOctaveCaptions = 108, kGroupCaptions = 104, kSlideCaptions = 94;

// Frame kinds of the skin: 16 x 16 arrows, 32 x 16, 48 x 16 push buttons, 16 x 32 mute buttons.
constexpr uint32_t kArrow = 0, kSmall = 1, kPush = 2, kTall = 6;

constexpr int32_t kRowA = 24, kRowB = 40;  // the two rows of buttons above the ruler
constexpr int32_t kMuteLeft = 512;
constexpr int32_t kBottomRow = 388;

constexpr uint32_t kHorizontal = ValueFlag::Enabled | ValueFlag::Horizontal | ValueFlag::StartIsLower;
constexpr uint32_t kVertical = ValueFlag::Enabled | ValueFlag::Vertical | ValueFlag::StartIsLower;

Rect At(int32_t x, int32_t y, int32_t w, int32_t h) { return {x, y, x + w, y + h}; }

// Which insert buttons act where: the GlobalTrack takes volume and tempo, a normal track in the track or
// program group volume, pitch and pan.
struct InsertsShown {
  bool volume, pitch, pan, tempo;
};

InsertsShown InsertsFor(AppState& app) {
  if (app.song.currentTrack == 0) return {true, false, false, true};
  const bool normalGroup = app.editor.eventGroup == EventGroup::Track || app.editor.eventGroup == EventGroup::Program;
  return {normalGroup, normalGroup, normalGroup, false};
}

uint32_t ToggleStyle(uint32_t flag) { return flag != 0 ? ButtonStyle::ToggleOn : ButtonStyle::ToggleOff; }

void RefreshMuteButtons(PanelWindow& p, AppState& app) {
  const Song& song = app.song;
  const int32_t count = song.tracks.Count();
  for (int32_t row = 0; row < kTrackListRowCount; ++row) {
    Button& b = p.buttons[C::FirstMute + row];
    const Track* track = TrackAt(song, song.trackListScroll + row);
    SetEnabled(b, track != nullptr);
    if (track == nullptr) continue;
    b.style = ButtonStyle::ToggleOff + std::min<uint32_t>(track->muteState, 2);
    if (song.trackListScroll + row == 0 && count >= 2) {
      bool anyMuted = false;
      for (int32_t t = 1; t < count; ++t) anyMuted = anyMuted || TrackAt(song, t)->muteState == 1;
      b.style = anyMuted ? ButtonStyle::ToggleOn : ButtonStyle::Editing;
    }
  }
}

void RefreshTrackList(Ui& ui, AppState& app, std::array<char, 33>& trackName) {
  FollowTrackPanels(ui);
  PanelWindow& p = ui.panels[kPanel];
  if (!p.open) return;
  app.editor.trackListShown = 1;
  const Song& song = app.song;
  const EditorState& editor = app.editor;
  std::vector<Button>& b = p.buttons;

  b[C::Play].style = ToggleStyle(!IsPlaybackIdle(app) || app.playback.playButtonPressed != 0);
  b[C::Snap].style = ToggleStyle(editor.snap);
  b[C::EditMode].style = ToggleStyle(editor.editMode);
  b[C::Loop].style = ToggleStyle(editor.loop);
  b[C::Octave].captionOrValue = kOctaveCaptions + std::clamp(editor.octave, 0, kMaxOctave);
  b[C::Group].captionOrValue = kGroupCaptions + std::clamp(static_cast<int32_t>(editor.eventGroup), 0, 2);
  b[C::Slide].captionOrValue = kSlideCaptions + (editor.slide != 0 ? 1 : 0);
  b[C::CursorPosition].captionOrValue = editor.drawnPlayhead >= 0 ? editor.drawnPlayhead : app.editCursor;

  const InsertsShown inserts = InsertsFor(app);
  SetEnabled(b[C::InsertVolume], inserts.volume);
  SetEnabled(b[C::InsertPitch], inserts.pitch);
  SetEnabled(b[C::InsertPan], inserts.pan);
  SetEnabled(b[C::InsertTempo], inserts.tempo);

  std::vector<ValueControl>& v = p.valueControls;
  SetRange(v[C::SnapDivisionSlider], 1, kMaxSnapDivision, std::clamp(editor.snapDivision, 1, kMaxSnapDivision));
  const int32_t barLength = std::max(BarLength(song), 1);
  SetRange(v[C::ViewSlider], 0, kMaxTick / barLength, app.editCursor / barLength);
  SetRange(v[C::CursorSlider], 0, kMaxTick, app.editCursor);
  const int32_t count = song.tracks.Count();
  const bool severalTracks = count > 1;
  ValueControl& tracks = v[C::TrackListSlider];
  SetRange(tracks, 0, severalTracks ? count - 1 : tracks.end, song.currentTrack);
  SetEnabled(tracks, severalTracks);
  SetEnabled(b[C::TrackListUp], severalTracks);
  SetEnabled(b[C::TrackListDown], severalTracks);

  RefreshMuteButtons(p, app);
  const Track* current = TrackAt(song, song.currentTrack);
  p.labels[C::TrackName].text = current != nullptr ? KeepText(trackName, current->name) : kNoText;
  DrawPanel(ui, kPanel);
}

}  // namespace

void BuildTrackListPanel(Ui& ui, AppState& app) {
  PanelWindow& p = ui.panels[kPanel];
  // Every command of this panel shows its own effect on the panel as well.
  const auto command = [&ui, &app](auto run) {
    return Command(ui, app, [run](AppState& a, uint32_t argument) {
      run(a, argument);
      a.changes.Report(Change::Editor);
    });
  };
  const auto control = [&p](int32_t index) -> ValueControl& { return p.valueControls[index]; };
  const auto add = [&p](int32_t caption, Rect rect, uint32_t frame, uint32_t style, ControlHandler handler,
                        uint32_t argument = 0) {
    return AddButton(p, MakeButton(caption, rect, frame, style, std::move(handler), argument));
  };
  const auto arrow = [&p](Rect rect, uint32_t stepFlag, int32_t attached, ControlHandler handler) {
    // The track list slider stands; the others lie.
    const bool towardStart = (stepFlag & (ButtonFlag::StepDown | ButtonFlag::BeatDown)) != 0;
    const int32_t caption = attached == C::TrackListSlider ? (towardStart ? kArrowUpCaption : kArrowDownCaption)
                                                           : (towardStart ? kArrowLeftCaption : kArrowRightCaption);
    Button b = MakeButton(caption, rect, kArrow, ButtonStyle::Push, std::move(handler));
    b.flags |= stepFlag;
    b.attachedControl = static_cast<uint32_t>(attached);
    return AddButton(p, std::move(b));
  };

  const ControlHandler snapDivision =
      command([control](AppState& a, uint32_t) { SetSnapDivision(a, control(C::SnapDivisionSlider).value); });
  const ControlHandler goToBar = command([control](AppState& a, uint32_t) { GoToBar(a, control(C::ViewSlider).value); });
  const ControlHandler selectTrack =
      command([control](AppState& a, uint32_t) { SelectTrack(a, control(C::TrackListSlider).value); });
  const ControlHandler moveCursor =
      command([control](AppState& a, uint32_t) { SetCursorFromSlider(a, control(C::CursorSlider).value); });

  // Row A: transport, record switch, track commands, snap.
  add(kPlayCaption, At(8, kRowA, 48, 16), kPush, ButtonStyle::ToggleOff,
      command([](AppState& a, uint32_t) { StartSongPlayback(a); }));
  add(kStopCaption, At(56, kRowA, 48, 16), kPush, ButtonStyle::Push,
      command([](AppState& a, uint32_t) { StopPlayback(a); }));
  add(kNewCaption, At(160, kRowA, 48, 16), kPush, ButtonStyle::Push,
      command([](AppState& a, uint32_t) { InsertTrackCommand(a); }));
  add(kDeleteCaption, At(208, kRowA, 48, 16), kPush, ButtonStyle::Push,
      command([](AppState& a, uint32_t) { DeleteTrackOrSong(a); }));
  add(kSnapCaption, At(360, kRowA, 48, 16), kPush, ButtonStyle::ToggleOff,
      command([](AppState& a, uint32_t) { ToggleSnap(a); }));
  arrow(At(408, kRowA, 16, 16), ButtonFlag::StepDown, C::SnapDivisionSlider, snapDivision);
  arrow(At(520, kRowA, 16, 16), ButtonFlag::StepUp, C::SnapDivisionSlider, snapDivision);
  // Row B: octave, tracks up and down, group, slide, the inserts, the resets (Loop comes last, between them).
  add(kOctaveCaptions, At(392, kRowB, 48, 16), kPush, ButtonStyle::Push,
      command([](AppState& a, uint32_t) { CycleOctave(a); }));
  add(kUpCaption, At(256, kRowA, 48, 16), kPush, ButtonStyle::Push,
      command([](AppState& a, uint32_t) { MoveTrackUp(a); }));
  add(kDownCaption, At(304, kRowA, 48, 16), kPush, ButtonStyle::Push,
      command([](AppState& a, uint32_t) { MoveTrackDown(a); }));
  add(kGroupCaptions, At(440, kRowB, 48, 16), kPush, ButtonStyle::Push,
      command([](AppState& a, uint32_t) { CycleEventGroup(a); }));
  add(kSlideCaptions, At(488, kRowB, 48, 16), kPush, ButtonStyle::Push,
      command([](AppState& a, uint32_t) { ToggleSlide(a); }));
  add(kInsertVolumeCaption, At(8, kRowB, 48, 16), kPush, ButtonStyle::Push,
      command([](AppState& a, uint32_t) { InsertVolume(a); }));
  add(kInsertPitchCaption, At(56, kRowB, 48, 16), kPush, ButtonStyle::Push,
      command([](AppState& a, uint32_t) { InsertPitch(a); }));
  add(kInsertPanCaption, At(104, kRowB, 48, 16), kPush, ButtonStyle::Push,
      command([](AppState& a, uint32_t) { InsertPan(a); }));
  add(kInsertTempoCaption, At(152, kRowB, 48, 16), kPush, ButtonStyle::Push,
      command([](AppState& a, uint32_t) { InsertTempo(a); }));
  for (int32_t position = 0; position < kChainLength; ++position) {
    Button reset = MakeButton(position + 1, At(248 + 16 * position, kRowB, 16, 16), kArrow, ButtonStyle::Push,
                              command([](AppState& a, uint32_t pos) { InsertEngineReset(a, static_cast<int32_t>(pos)); }),
                              static_cast<uint32_t>(position));
    reset.flags |= ButtonFlag::ShowNumber;
    AddButton(p, std::move(reset));
  }
  add(kEditModeCaption, At(104, kRowA, 48, 16), kPush, ButtonStyle::ToggleOff,
      command([](AppState& a, uint32_t) { ToggleEditMode(a); }));
  // The view slider sits between the ruler and the rows; the track list slider left of the rows; the cursor
  // slider under them.
  arrow(At(32, 72, 16, 16), ButtonFlag::StepDown, C::ViewSlider, goToBar);
  arrow(At(512, 72, 16, 16), ButtonFlag::StepUp, C::ViewSlider, goToBar);
  Button position = MakeButton(0, At(144, kBottomRow, 32, 16), kSmall, ButtonStyle::Field);
  position.flags |= ButtonFlag::ShowBarBeat;
  AddButton(p, std::move(position));
  arrow(At(16, 88, 16, 16), ButtonFlag::StepDown, C::TrackListSlider, selectTrack);
  arrow(At(16, 360, 16, 16), ButtonFlag::StepUp, C::TrackListSlider, selectTrack);
  arrow(At(184, kBottomRow, 16, 16), ButtonFlag::BeatDown, C::CursorSlider, moveCursor);
  arrow(At(512, kBottomRow, 16, 16), ButtonFlag::BeatUp, C::CursorSlider, moveCursor);
  for (int32_t row = 0; row < kTrackListRowCount; ++row)
    add(0, At(kMuteLeft, kSongViewTop + kSongViewRowHeight * row, 16, 32), kTall, ButtonStyle::ToggleOff,
        command([](AppState& a, uint32_t r) { PressMuteButton(a, static_cast<int32_t>(r)); }),
        static_cast<uint32_t>(row));

  // Row B again, between the inserts and the resets.
  add(kLoopCaption, At(200, kRowB, 48, 16), kPush, ButtonStyle::ToggleOff,
      command([](AppState& a, uint32_t) { ToggleLoop(a); }));

  AddValueControl(p, MakeValueControl(kHorizontal, 424, kRowA, 96, 1, kMaxSnapDivision, 4, snapDivision));
  AddValueControl(p, MakeValueControl(kHorizontal, kSongViewLeft, 72, kViewWidth, 0, 1, 0, goToBar));
  AddValueControl(p, MakeValueControl(kVertical, 8, 104, 256, 0, 0, 0, selectTrack));
  AddValueControl(p, MakeValueControl(kHorizontal, 200, kBottomRow, 312, 0, kMaxTick, 0, moveCursor));
  AddLabel(p, kTrackNameCaption, At(8, kBottomRow - 1, 128, 16));

  p.refresh = [&ui, &app, trackName = std::make_shared<std::array<char, 33>>()] {
    RefreshTrackList(ui, app, *trackName);
  };
  p.drawExtra = [&ui, &app] { DrawSongView(ui, app, kPanel); };
  p.wheelScroll = C::TrackListSlider;
  p.wheelScrollSideways = C::ViewSlider;
  p.pressExtra = [&ui, &app](Point at) {
    if (PressSongView(app, at)) ShowCommandResult(ui, app);
  };
}

}  // namespace tonforge
