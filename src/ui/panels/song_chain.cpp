#include "ui/panels/song_chain.h"

#include <array>

#include "app/app_state.h"
#include "audio/output_rate.h"
#include "programs/chain_editing.h"
#include "programs/program_file.h"
#include "sequencer/song_file.h"
#include "sequencer/track_commands.h"
#include "ui/app_link.h"
#include "ui/draw.h"
#include "ui/name_edit.h"
#include "ui/panels.h"
#include "ui/panels/chain_display.h"

namespace tonforge {

namespace {

constexpr int32_t kPanel = PanelIndex(Panel::SongChain);
constexpr int32_t kName = 0, kFirstOperation = 5, kFirstRate = 15, kHighPriority = 20, kFirstPosition = 21;
constexpr int32_t kEngineLabel = 3;
constexpr int32_t kBeatsPerBar = 0, kTicksPerBeat = 1, kSongLevel = 2;
constexpr std::array<int32_t, 3> kRates{11025, 22050, 44100};
constexpr std::array<int32_t, 3> kRateCaptions{76, 77, 78};

using NameText = PanelTexts<1>;

void RefreshSongChain(Ui& ui, AppState& app, NameText& name) {
  if (FollowTrackSide(ui, app)) return;
  PanelWindow& panel = ui.panels[kPanel];
  if (!panel.open) return;
  const Song& song = app.song;
  const Track* global = TrackAt(song, 0);
  SetAllEnabled(panel, global != nullptr);
  if (global == nullptr) {
    DrawPanel(ui, kPanel);
    return;
  }
  ShowValue(panel.valueControls[kBeatsPerBar], song.beatsPerBar);
  ShowValue(panel.valueControls[kTicksPerBeat], song.ticksPerBeat);
  ShowValue(panel.valueControls[kSongLevel], static_cast<int32_t>(song.songLevel * 100.0f + 0.002f));
  if (!IsNameEditTarget(ui, kPanel, kName)) {
    SetText((*name)[0], global->name.data());
    panel.buttons[kName].text = (*name)[0].data();
  }
  const bool editing = app.chainEditor.chainMode == ChainMode::Track && song.currentTrack == 0;
  ShowEngineOperations(panel, kFirstOperation, kEngineLabel, editing, kLevelSong, app);
  for (size_t i = 0; i < kRates.size(); ++i)
    panel.buttons[kFirstRate + i].style =
        app.rate.sampleRate == kRates[i] ? ButtonStyle::ToggleOn : ButtonStyle::ToggleOff;
  panel.buttons[kHighPriority].style = ButtonStyle::ToggleOff + (app.playback.highPriority != 0 ? 1 : 0);
  const bool trackMode = app.chainEditor.chainMode == ChainMode::Track;
  ShowChain(panel, kFirstPosition, global->chain, app.catalog, trackMode ? app.chainEditor.selectedPosition : -1);
  DrawPanel(ui, kPanel);
}

}  // namespace

void BuildSongChainPanel(Ui& ui, AppState& app) {
  PanelWindow& panel = ui.panels[kPanel];
  const auto command = [&app](void (*run)(AppState&)) {
    return [&app, run](uint32_t) {
      run(app);
      RequestChainPanels(app);
    };
  };
  AddButton(panel, MakeButton(60, RowPlace(0, 0, 2), 4, ButtonStyle::Push, [&ui, &app](uint32_t) {
    StartNameEdit(ui, app, TextField::TrackName, 0, kTrackNameMaximum, {kPanel, kName});
  }));
  // A loaded song changes everything the panels show.
  AddButton(panel, MakeButton(31, RowPlace(0, 3), 2, ButtonStyle::Push, [&app](uint32_t) {
    LoadSong(app);
    app.changes.ReportAll();
  }));
  AddButton(panel, MakeButton(32, RowPlace(0, 4), 2, ButtonStyle::Push, [&app](uint32_t) { SaveSong(app); }));
  AddButton(panel, MakeButton(31, RowPlace(1, 0), 2, ButtonStyle::Push, command([](AppState& a) { LoadProgramChain(a); })));
  AddButton(panel, MakeButton(32, RowPlace(1, 1), 2, ButtonStyle::Push, command([](AppState& a) { SaveProgramChain(a); })));
  AddEngineOperations(panel, app);
  AddRowLabel(panel, ChainCaption::Song, 0);
  AddRowLabel(panel, ChainCaption::Program, 1);
  AddLabel(panel, ChainCaption::OutputRate, RowPlace(1, 2, 3));
  AddRowLabel(panel, ChainCaption::Engine, 2);
  AddRowLabel(panel, ChainCaption::Looks, 2, 4);
  AddLabel(panel, ChainCaption::Chain, {kRowLabelLeft, kChainTop + 8, kRowLeft, kChainTop + 24});
  PanelWindow* self = &panel;
  AddSliderColumn(panel, 0, ChainCaption::Beats, kMaxBeatsPerBar, kMinBeatsPerBar,
                  [&app, self](uint32_t) { SetBeatsPerBar(app, self->valueControls[kBeatsPerBar].value); });
  AddSliderColumn(panel, 1, ChainCaption::Ticks, kMaxTicksPerBeat, kMinTicksPerBeat,
                  [&app, self](uint32_t) { SetTicksPerBeat(app, self->valueControls[kTicksPerBeat].value); });
  AddSliderColumn(panel, 2, ChainCaption::Level, 100, 0,
                  [&app, self](uint32_t) { SetSongLevel(app, self->valueControls[kSongLevel].value); });
  for (size_t i = 0; i < kRates.size(); ++i)
    AddButton(panel, MakeButton(kRateCaptions[i], RowPlace(1, 4 + static_cast<int32_t>(i)), 2, ButtonStyle::ToggleOff,
                                [&app](uint32_t rate) { SwitchOutputRate(app, static_cast<int32_t>(rate)); },
                                static_cast<uint32_t>(kRates[i])));
  AddButton(panel, MakeButton(79, RowPlace(2, 5), 2, ButtonStyle::Push, [&ui, &app](uint32_t) { SelectSkinFile(ui, app); }));
  AddButton(panel, MakeButton(82, RowPlace(2, 6), 2, ButtonStyle::Push, [&ui, &app](uint32_t) { SelectDeckFile(ui, app); }));
  AddButton(panel, MakeButton(80, RowPlace(0, 5, 6), 3, ButtonStyle::ToggleOff, [&app](uint32_t) {
    app.playback.highPriority ^= 1u;
    app.changes.Report(Change::Output);
  }));
  AddChainButtons(panel, [&app](uint32_t position) {
    SelectTrackChainPosition(app, static_cast<int32_t>(position));
    RequestChainPanels(app);
  });
  NameText name = MakePanelTexts<1>();
  panel.refresh = [&ui, &app, name]() mutable { RefreshSongChain(ui, app, name); };
}

}  // namespace tonforge
