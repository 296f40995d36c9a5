#include "ui/panels/chain_display.h"

#include "app/app_state.h"
#include "programs/chain_editing.h"
#include "ui/panels.h"

namespace tonforge {

namespace {

constexpr int32_t kTrackChain = PanelIndex(Panel::TrackChain);
constexpr int32_t kSongChain = PanelIndex(Panel::SongChain);
constexpr int32_t kRowHeight = 16;
constexpr int32_t kSliderLabelHalf = 18;  // slider labels are 36 wide, centred over the knob

}  // namespace

Rect RowPlace(int32_t row, int32_t first, int32_t last) {
  const int32_t top = kRowTop[static_cast<size_t>(row)];
  return {kRowLeft + first * kSlotWidth, top, kRowLeft + last * kSlotWidth + kPushWidth, top + kRowHeight};
}

Rect RowField(int32_t row, int32_t width) {
  const int32_t top = kRowTop[static_cast<size_t>(row)];
  return {kRowLeft, top, kRowLeft + width, top + kRowHeight};
}

int32_t AddRowLabel(PanelWindow& panel, int32_t caption, int32_t row, int32_t slot) {
  const int32_t top = kRowTop[static_cast<size_t>(row)];
  const Rect place = slot < 0 ? Rect{kRowLabelLeft, top, kRowLeft, top + kRowHeight} : RowPlace(row, slot);
  return AddLabel(panel, caption, place);
}

int32_t AddSliderColumn(PanelWindow& panel, int32_t column, int32_t caption, int32_t top, int32_t bottom,
                        ControlHandler handler) {
  const int32_t x = kSliderColumns[static_cast<size_t>(column)];
  const int32_t middle = x + kVerticalKnobWidth / 2;
  AddLabel(panel, caption, {middle - kSliderLabelHalf, kSliderTop - 32, middle + kSliderLabelHalf, kSliderTop - 16});
  return AddVerticalSlider(panel, {x, kSliderTop, kSliderLength, top, bottom, top}, std::move(handler));
}

int32_t AddChainButtons(PanelWindow& panel, ControlHandler select) {
  int32_t first = -1;
  for (int32_t p = 0; p < kChainLength; ++p) {
    const int32_t left = kRowLeft + p * kChainButtonSize;
    const int32_t b = AddButton(panel, MakeButton(0, {left, kChainTop, left + kChainButtonSize, kChainTop + kChainButtonSize},
                                                  5, ButtonStyle::ListRow, select, static_cast<uint32_t>(p)));
    if (first < 0) first = b;
  }
  return first;
}

void ShowChain(PanelWindow& panel, int32_t first, const Chain& chain, const EngineCatalog& catalog, int32_t selected) {
  for (int32_t p = 0; p < kChainLength; ++p) {
    Button& b = panel.buttons[static_cast<size_t>(first + p)];
    const uint32_t type = chain[static_cast<size_t>(p)].type;
    // The catalog lives for the whole run, so the button may point at its abbreviation.
    b.text = IsKnownType(type) ? catalog[type].abbreviation.data() : kNoText;
    b.style = p == selected ? ButtonStyle::Push : ButtonStyle::ListRow;
  }
}

int32_t AddEngineOperations(PanelWindow& panel, AppState& app) {
  using Command = void (*)(Session&);
  constexpr std::array<std::pair<int32_t, Command>, 4> kOperations{{
      {45, CopyEngine}, {50, PasteEngine}, {27, MoveEngineUp}, {28, MoveEngineDown}}};
  int32_t first = -1;
  for (size_t i = 0; i < kOperations.size(); ++i) {
    const Command command = kOperations[i].second;
    const int32_t b = AddButton(panel, MakeButton(kOperations[i].first, RowPlace(2, static_cast<int32_t>(i)), 2,
                                                  ButtonStyle::Push, [&app, command](uint32_t) {
                                                    command(app);
                                                    RequestChainPanels(app);
                                                  }));
    if (first < 0) first = b;
  }
  return first;
}

void ShowEngineOperations(PanelWindow& panel, int32_t first, int32_t label, bool editing, uint32_t levelFlag,
                          const AppState& app) {
  for (int32_t i = 0; i < 4; ++i) SetEnabled(panel.buttons[static_cast<size_t>(first + i)], editing);
  SetEnabled(panel.buttons[static_cast<size_t>(first + 1)], editing && (app.engineClipboard.content & levelFlag) != 0);
  SetEnabled(panel.labels[static_cast<size_t>(label)], editing);
}

void RequestChainPanels(AppState& app) {
  app.changes.Report(Change::Selection);
}

bool FollowTrackSide(Ui& ui, AppState& app) {
  const bool global = app.song.currentTrack == 0;
  const int32_t wrong = global ? kTrackChain : kSongChain;
  if (!ui.panels[static_cast<size_t>(wrong)].open) return false;
  ClosePanel(ui, wrong);
  OpenPanel(ui, global ? kSongChain : kTrackChain);
  return true;
}

}  // namespace tonforge
