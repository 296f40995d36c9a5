#pragma once
// The ten panels' controls and refresh routines, over the state they show and command.
namespace tonforge {

struct AppState;
struct Ui;

// After the panel records exist (BuildPanels) and before the start-up layout opens.
void BuildPanelControls(Ui& ui, AppState& app);

// Once per pass of the main loop: the commands' redraws, the chain panel that follows the current track, and
// the recording keys' view of whether the track list is shown.
void ShowPassResult(Ui& ui, AppState& app);

}  // namespace tonforge
