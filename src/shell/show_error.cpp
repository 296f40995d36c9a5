#include "shell/show_error.h"

namespace tonforge {

void ShowError(Dialogs& dialogs, std::string_view text) { dialogs.ShowMessage("Error", text, BoxIcon::Error); }

void ShowInformation(Dialogs& dialogs, std::string_view text, std::string_view caption) {
  dialogs.ShowMessage(caption, text, BoxIcon::Information);
}

bool ConfirmCommand(Dialogs& dialogs, std::string_view caption, std::string_view text) {
  return dialogs.AskYesNo(caption, text);
}

}  // namespace tonforge
