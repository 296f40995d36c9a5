#pragma once
#include <string_view>

#include "shell/devices/dialogs.h"

namespace tonforge {

// The error box: caption "Error" with the stop icon.
void ShowError(Dialogs& dialogs, std::string_view text);
// The information box: caption "Information" unless another is given.
void ShowInformation(Dialogs& dialogs, std::string_view text, std::string_view caption = "Information");
// A Yes/No warning; the command goes on only on Yes.
bool ConfirmCommand(Dialogs& dialogs, std::string_view caption, std::string_view text = "Are You Sure?");

}  // namespace tonforge
