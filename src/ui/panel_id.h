#pragma once
// The ten panels, numbered as the interface lays them out and as the panel records are stored.
#include <cstdint>

#include "shell/changes.h"

namespace tonforge {

enum class Panel : uint32_t {
  ControlCentre = 0,
  ProgramList = 1,
  RenderOutput = 2,
  TrackChain = 3,
  ProgramEditor = 4,
  EventList = 5,
  SongChain = 6,
  TrackList = 7,
  EngineEditor = 8,
  EngineTypeList = 9,
};
inline constexpr int kPanelCount = 10;

constexpr int32_t PanelIndex(Panel p) { return static_cast<int32_t>(p); }

// The panels (one bit per Panel) that show what the reported changes (one bit per Change) touched.
uint32_t PanelsShowing(uint32_t changes);

}  // namespace tonforge
