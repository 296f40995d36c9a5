#include "ui/app_link.h"

#include "audio/playback.h"
#include "app/app_state.h"
#include "app/quit.h"
#include "sequencer/text_entry.h"
#include "shell/files.h"
#include "shell/show_error.h"
#include "ui/draw.h"
#include "ui/panels.h"

namespace tonforge {

namespace {

void SelectPicture(Ui& ui, AppState& app, SkinPicture which, std::string_view title) {
  StopPlayback(app);
  FileDialogRequest request;
  request.title = std::string(title);
  request.startFolder = app.folders.programFolder + "/Skins/";
  request.filters = {{"Bitmap Files (*.bmp)", "*.bmp"}, {"All Files (*.*)", "*.*"}};
  const std::optional<std::string> path = app.dialogs.OpenFile(request);
  if (!path) return;
  FileFailure failure;
  if (!LoadSkinPicture(ui.skins, which, *path, &failure)) {
    ShowError(app.dialogs, FailureText(kInvalidFile, failure));
    return;
  }
  SampleColours(ui.skins);
  for (int32_t p = 0; p < kPanelCount; ++p) RequestRedraw(ui, p);
}

}  // namespace

void ConnectUi(Ui& ui, AppState& app) {
  ui.links.beats = [&app] { return BeatFigures{app.song.ticksPerBeat, app.song.beatsPerBar}; };
  ui.links.nameEditActive = [&app] { return IsTextEntryActive(app); };
  ui.links.endNameEdit = [&app] { EndTextEntry(app); };
  ui.links.globalTrackCurrent = [&app] { return app.song.currentTrack == 0; };
  ui.links.requestQuit = [&app] { QuitUnlessChangesWouldBeLost(app); };
  ui.links.startValueEntry = [&app] { StartTextEntry(app, TextField::ControlValue, 0, kEventValueMaximum); };
  ui.links.entryText = [&app] { return std::string_view(app.textEntry.text.data()); };
}

void SelectSkinFile(Ui& ui, AppState& app) { SelectPicture(ui, app, SkinPicture::Skin, "Select Skin File"); }
void SelectDeckFile(Ui& ui, AppState& app) { SelectPicture(ui, app, SkinPicture::Deck, "Select Deck File"); }

}  // namespace tonforge
