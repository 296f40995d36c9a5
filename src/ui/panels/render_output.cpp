#include "ui/panels/render_output.h"

#include <array>

#include "app/app_state.h"
#include "audio/output_rate.h"
#include "audio/playback.h"
#include "audio/render.h"
#include "audio/wave_playback.h"
#include "ui/draw.h"
#include "ui/panels.h"
#include "ui/panels/panel_parts.h"

namespace tonforge {

namespace {

constexpr int32_t kPanel = PanelIndex(Panel::RenderOutput);
constexpr int32_t kQuality = 0, kFirstRate = 1, kFirstLine = 3;
constexpr int32_t kNormalCaption = 96;  // 97 for high quality
constexpr std::array<int32_t, 3> kRates{11025, 22050, 44100};
constexpr std::array<int32_t, 3> kRateCaptions{76, 77, 78};

using LineTexts = PanelTexts<3>;

void RefreshRenderOutput(Ui& ui, AppState& app, LineTexts& lines) {
  PanelWindow& panel = ui.panels[kPanel];
  if (!panel.open) return;
  // While a render runs its worker keeps the progress lines up to date; otherwise the statistics of the last
  // render are shown.
  if (app.playback.mode.load(std::memory_order_acquire) != PlaybackMode::Render) ShowRenderStatistics(app);
  for (int i = 0; i < 3; ++i) {
    SetText((*lines)[i], app.render.text.LineText(i));
    panel.labels[kFirstLine + i].text = (*lines)[i].data();
  }
  for (size_t i = 0; i < kRates.size(); ++i)
    panel.buttons[kFirstRate + i].style =
        app.rate.sampleRate == kRates[i] ? ButtonStyle::ToggleOn : ButtonStyle::ToggleOff;
  panel.buttons[kQuality].captionOrValue = kNormalCaption + (app.render.quality != 0 ? 1 : 0);
  DrawPanel(ui, kPanel);
}

}  // namespace

void BuildRenderOutputPanel(Ui& ui, AppState& app) {
  PanelWindow& panel = ui.panels[kPanel];
  AddLabel(panel, 35, {16, 26, 240, 42});
  AddButton(panel, MakeButton(kNormalCaption, {36, 46, 164, 62}, 3, ButtonStyle::Field, [&app](uint32_t) {
    app.render.quality ^= 1u;
    app.changes.Report(Change::Output);
  }));
  AddLabel(panel, 98, {16, 122, 240, 138});
  for (size_t i = 0; i < kRates.size(); ++i) {
    const int32_t left = 48 + static_cast<int32_t>(i) * 56;
    AddButton(panel, MakeButton(kRateCaptions[i], {left, 142, left + 48, 158}, 2, ButtonStyle::ToggleOff,
                                [&app](uint32_t rate) { SwitchOutputRate(app, static_cast<int32_t>(rate)); },
                                static_cast<uint32_t>(kRates[i])));
  }
  AddButton(panel, MakeButton(46, {172, 46, 220, 62}, 2, ButtonStyle::Push, [&app](uint32_t) {
    StartRender(app);
    app.changes.Report(Change::Transport);
  }));
  AddLabel(panel, 36, {16, 166, 240, 182});
  AddButton(panel, MakeButton(39, {76, 186, 124, 202}, 2, ButtonStyle::Push, [&app](uint32_t) {
    SelectWave(app);
    app.changes.Report(Change::Transport);
  }));
  AddButton(panel, MakeButton(40, {132, 186, 180, 202}, 2, ButtonStyle::Push, [&app](uint32_t) {
    StopPlayback(app);
    app.changes.Report(Change::Transport);
  }));
  for (int i = 0; i < 3; ++i) AddLabel(panel, 0, {16, 66 + 16 * i, 240, 82 + 16 * i});
  LineTexts lines = MakePanelTexts<3>();
  panel.refresh = [&ui, &app, lines]() mutable { RefreshRenderOutput(ui, app, lines); };
}

}  // namespace tonforge
