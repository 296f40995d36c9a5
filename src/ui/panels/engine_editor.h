#pragma once
// The engine editor: the engine at the selected position of the edited chain, with its seven parameters,
// four options and four DataSlot blocks, each control shown only where the engine's type has a use for it.
#include <cstdint>

#include "ui/ui.h"

namespace tonforge {

struct AppState;

namespace EngineEditorControl {
// Buttons: an up and a down arrow per parameter, the four options, then fourteen per DataSlot block.
inline constexpr int32_t ParameterUp = 0, ParameterDown = 1;  // + 2 * parameter
inline constexpr int32_t FirstOption = 14;
inline constexpr int32_t FirstSlotButton = 18, SlotButtonCount = 14;
enum SlotButton : int32_t {
  LoadWave = 0, LoadModulator, Clear, Name, Loop, Invert, Reverse, Sync,
  GainUp, GainDown, PeriodDown, PeriodUp, RootDown, RootUp,
};
// Value controls: the seven parameters, then gain, period and root pitch per block.
inline constexpr int32_t FirstSlotControl = 7, SlotControlCount = 3;
enum SlotControl : int32_t { Gain = 0, Period, RootPitch };
// Labels: the seven parameter names, then four per block, then the options' heading.
inline constexpr int32_t FirstSlotLabel = 7, SlotLabelCount = 4;
enum SlotLabel : int32_t { SlotName = 0, GainName, PeriodName, RootName };
inline constexpr int32_t OptionsLabel = 23;

inline constexpr int32_t SlotButtonIndex(int slot, SlotButton b) { return FirstSlotButton + SlotButtonCount * slot + b; }
inline constexpr int32_t SlotControlIndex(int slot, SlotControl c) { return FirstSlotControl + SlotControlCount * slot + c; }
inline constexpr int32_t SlotLabelIndex(int slot, SlotLabel l) { return FirstSlotLabel + SlotLabelCount * slot + l; }
}  // namespace EngineEditorControl

// Captions of the block's slider names and of the options' heading.
inline constexpr int32_t kGainCaption = 84, kPeriodCaption = 85, kRootPitchCaption = 86, kOptionsCaption = 87;

void BuildEngineEditorPanel(Ui& ui, AppState& app);

// The DataSlot block of the open engine editor under a screen point, uncovered by another panel; -1 when none.
int EngineSlotAt(const Ui& ui, Point screen);

}  // namespace tonforge
