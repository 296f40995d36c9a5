#include "ui/panels/event_list.h"

#include <algorithm>
#include <array>
#include <memory>

#include "app/app_state.h"
#include "sequencer/editing.h"
#include "ui/draw.h"
#include "ui/name_edit.h"
#include "ui/panels.h"
#include "ui/panels/panel_parts.h"

namespace tonforge {

namespace {

namespace C = EventListControl;
constexpr int32_t kPanel = PanelIndex(Panel::EventList);
constexpr int32_t kTypeCaptions = 112, kTrackNameCaption = 34;
constexpr uint32_t kSmall = 1, kPush = 2, kWide = 3;
constexpr uint32_t kShowFlags = ButtonFlag::ShowNumber | ButtonFlag::ShowNoteName | ButtonFlag::ShowBarBeat;
constexpr int32_t kRowTop = 56, kRowHeight = 16;

Rect At(int32_t x, int32_t y, int32_t w, int32_t h) { return {x, y, x + w, y + h}; }

void ShowAs(Button& b, uint32_t showFlag, int32_t value, const char* text = kNoText) {
  b.flags = (b.flags & ~kShowFlags) | showFlag | ButtonFlag::Enabled;
  b.captionOrValue = value;
  b.text = text;
}

// The name of the parameter an engine parameter event changes: in the program its last earlier NoteOn
// started (types 9 to 17) or in the track's own chain (24 to 32); "Reset" for value A 7.
const char* ParameterName(AppState& app, const Track& track, const EventValues& e, int32_t lastProgram) {
  if (e.valueA < 0 || e.valueA >= kParameterCount) return kResetText;
  const Engine* engine = nullptr;
  if (e.type < static_cast<int32_t>(EventType::TrackVolume)) {
    if (lastProgram < 0 || lastProgram >= static_cast<int32_t>(app.song.programs.size())) return kResetText;
    engine = &app.song.programs[lastProgram]->engines[e.type - static_cast<int32_t>(EventType::ProgramEngineParameter)];
  } else {
    engine = &track.chain[e.type - static_cast<int32_t>(EventType::TrackEngineParameter)];
  }
  if (!IsKnownType(engine->type)) return kResetText;
  return app.catalog[engine->type].parameters[e.valueA].label.data();
}

void RefreshRow(Ui& ui, AppState& app, PanelWindow& p, const Track* track, int32_t row, Event* e,
                int32_t lastProgram) {
  Button& time = p.buttons[C::FieldIndex(row, C::Time)];
  Button& kind = p.buttons[C::FieldIndex(row, C::Kind)];
  Button& a = p.buttons[C::FieldIndex(row, C::ValueA)];
  Button& b = p.buttons[C::FieldIndex(row, C::ValueB)];
  const bool editingA = IsNameEditTarget(ui, kPanel, C::FieldIndex(row, C::ValueA));
  const bool editingB = IsNameEditTarget(ui, kPanel, C::FieldIndex(row, C::ValueB));
  for (Button* field : {&time, &kind, &a, &b})
    if ((field != &a || !editingA) && (field != &b || !editingB)) SetEnabled(*field, false);
  if (e == nullptr || track == nullptr) return;
  const bool selected = track->eventListScroll + row == track->selectedEvent;
  const uint32_t style = selected ? ButtonStyle::Push : ButtonStyle::ListRow;
  ShowAs(time, ButtonFlag::ShowBarBeat, e->tick);
  time.style = style;
  const int32_t type = e->type;
  ShowAs(kind, 0, kTypeCaptions + std::clamp(type, 0, kEventTypeCount - 1));
  kind.style = ButtonStyle::Field;

  const bool programParameter = type >= static_cast<int32_t>(EventType::ProgramEngineParameter) &&
                                type < static_cast<int32_t>(EventType::TrackVolume);
  // A program parameter event before any note has no engine to name: it can only restart.
  if (programParameter && lastProgram < 0 && (e->valueA != kResetParameter || e->valueB != 0)) {
    e->valueA = kResetParameter;
    e->valueB = 0;
  }
  if (!editingA) {
    switch (HowValueAIsEdited(type)) {
      case ValueAEditing::None: break;
      case ValueAEditing::Note: ShowAs(a, ButtonFlag::ShowNoteName, e->valueA); break;
      case ValueAEditing::Number: ShowAs(a, ButtonFlag::ShowNumber, e->valueA); break;
      case ValueAEditing::ParameterCycle: ShowAs(a, 0, 0, ParameterName(app, *track, e->Values(), lastProgram)); break;
    }
    a.style = style;
  }
  if (!editingB) {
    const bool number = type == static_cast<int32_t>(EventType::NoteOn) ||
                        (IsEngineParameterType(type) && e->valueA != kResetParameter);
    if (number) ShowAs(b, ButtonFlag::ShowNumber, e->valueB);
    b.style = style;
  }
}

void RefreshEventList(Ui& ui, AppState& app, std::array<char, 33>& trackName) {
  PanelWindow& p = ui.panels[kPanel];
  if (!p.open) return;
  Track* track = EditedTrack(app);
  const int32_t count = track != nullptr ? track->events.Count() : 0;
  const bool any = count > 0;
  for (int32_t b = C::Delete; b <= C::TransposeDown; ++b) SetEnabled(p.buttons[b], any);
  SetEnabled(p.buttons[C::Add], track != nullptr);
  const bool scrolls = count >= 2;
  ValueControl& slider = p.valueControls[C::ListSlider];
  if (scrolls) SetRange(slider, 0, count - 1, std::clamp(track->selectedEvent, 0, count - 1));
  SetEnabled(slider, scrolls);
  SetEnabled(p.buttons[C::ListUp], scrolls);
  SetEnabled(p.buttons[C::ListDown], scrolls);
  SetEnabled(p.labels[C::TrackName], any);
  p.labels[C::TrackName].text = track != nullptr ? KeepText(trackName, track->name) : kNoText;

  const int32_t first = track != nullptr ? track->eventListScroll : 0;
  int32_t index = 0, lastProgram = -1, row = 0;
  Event* e = track != nullptr ? track->events.First() : nullptr;
  for (; e != nullptr && row < kEventListRowCount; e = EventList::Next(e), ++index) {
    if (index >= first) RefreshRow(ui, app, p, track, row++, e, lastProgram);
    if (e->type == static_cast<int32_t>(EventType::NoteOn)) lastProgram = e->valueB;
  }
  for (; row < kEventListRowCount; ++row) RefreshRow(ui, app, p, track, row, nullptr, -1);
  DrawPanel(ui, kPanel);
}

// Value A of an engine parameter event cycles through the parameters; of the other kinds it is typed.
void StartValueEdit(Ui& ui, AppState& app, int32_t row, C::Field field) {
  Event* e = EventOfRow(app, row);
  Track* track = EditedTrack(app);
  if (e == nullptr || track == nullptr) return;
  if (field == C::ValueA && IsEngineParameterType(e->type)) {
    EditValueA(app, row);
    return;
  }
  StartNameEdit(ui, app, field == C::ValueA ? TextField::ValueA : TextField::ValueB, track->eventListScroll + row,
                kEventValueMaximum, {kPanel, C::FieldIndex(row, field)});
}

}  // namespace

void BuildEventListPanel(Ui& ui, AppState& app) {
  PanelWindow& p = ui.panels[kPanel];
  const auto command = [&ui, &app](void (*run)(Session&)) {
    return Command(ui, app, [run](AppState& a, uint32_t) {
      run(a);
      ReportEditorChange(a);
    });
  };
  const auto push = [&p](int32_t caption, Rect rect, ControlHandler handler) {
    AddButton(p, MakeButton(caption, rect, kPush, ButtonStyle::Push, std::move(handler)));
  };
  push(29, At(8, 24, 48, 16), command(AddEvent));
  push(30, At(56, 24, 48, 16), command(DeleteSelectedEvent));
  push(57, At(104, 24, 48, 16), command(MoveSelectedEventUp));
  push(58, At(152, 24, 48, 16), command(MoveSelectedEventDown));
  push(47, At(200, 24, 48, 16), command(ReplaceProgram));
  push(89, At(8, 40, 48, 16), command(TransposeUp));
  push(90, At(56, 40, 48, 16), command(TransposeDown));

  const auto rowCommand = [&ui, &app](void (*run)(Session&, int32_t)) {
    return Command(ui, app, [run](AppState& a, uint32_t row) {
      run(a, static_cast<int32_t>(row));
      ReportEditorChange(a);
    });
  };
  const auto valueEdit = [&ui, &app](C::Field field) {
    return [&ui, &app, field](uint32_t row) {
      StartValueEdit(ui, app, static_cast<int32_t>(row), field);
      ShowCommandResult(ui, app);
    };
  };
  for (int32_t row = 0; row < kEventListRowCount; ++row) {
    const int32_t y = kRowTop + kRowHeight * row;
    const uint32_t argument = static_cast<uint32_t>(row);
    AddButton(p, MakeButton(0, At(8, y, 32, 16), kSmall, ButtonStyle::ListRow, rowCommand(SelectEventRow), argument));
    AddButton(p, MakeButton(0, At(40, y, 72, 16), kWide, ButtonStyle::Field, rowCommand(CycleEventType), argument));
    AddButton(p, MakeButton(0, At(112, y, 56, 16), kPush, ButtonStyle::ListRow, valueEdit(C::ValueA), argument));
    AddButton(p, MakeButton(0, At(168, y, 32, 16), kSmall, ButtonStyle::ListRow, valueEdit(C::ValueB), argument));
  }
  const ControlHandler followSlider = Command(ui, app, [&p](AppState& a, uint32_t) {
    SelectEventIndex(a, p.valueControls[C::ListSlider].value);
    ReportEditorChange(a);
  });
  p.wheelScroll = C::ListSlider;
  AddVerticalSlider(p, {208, 88, 112, 0, 1, 0}, followSlider);
  AddLabel(p, kTrackNameCaption, At(104, 40, 144, 16));
  p.refresh = [&ui, &app, trackName = std::make_shared<std::array<char, 33>>()] {
    RefreshEventList(ui, app, *trackName);
  };
}

}  // namespace tonforge
