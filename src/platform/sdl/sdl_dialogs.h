#pragma once
// Message boxes through SDL, which on this desktop shows them with zenity; where no box can be shown the text
// goes to standard error and a question counts as No. Boxes get no owner window: SDL then skips zenity for
// its own X11 box, which fails on a bare X server. Open and save dialogs run the desktop's file chooser as a
// child process (zenity, or kdialog where zenity is missing).
#include <optional>
#include <string>
#include <vector>

#include "shell/devices/dialogs.h"

namespace tonforge {

enum class FileDialogKind { Open, Save };

// The programs asked for a file name; tests point them at scripts of their own.
struct FileChoosers {
  std::string zenity = "zenity";
  std::string kdialog = "kdialog";
};

// The argument vectors handed to each chooser; argv[0] is the chooser program.
std::vector<std::string> ZenityArguments(const std::string& program, const FileDialogRequest& request,
                                         FileDialogKind kind);
std::vector<std::string> KdialogArguments(const std::string& program, const FileDialogRequest& request,
                                          FileDialogKind kind);

// zenity's message box (icon given) or Yes/No question (no icon) for a caption and a text.
std::vector<std::string> ZenityBoxArguments(const std::string& program, std::string_view caption,
                                            std::string_view text, std::optional<BoxIcon> icon);

// Shown when the desktop has no file chooser at all.
inline constexpr const char* kNoFileChooserText = "No File Dialog Available - Please Install zenity";

class SdlDialogs : public Dialogs {
public:
  explicit SdlDialogs(FileChoosers choosers = {}) : choosers_(std::move(choosers)) {}

  void ShowMessage(std::string_view caption, std::string_view text, BoxIcon icon) override;
  bool AskYesNo(std::string_view caption, std::string_view text) override;
  Answer AskYesNoCancel(std::string_view caption, std::string_view text) override;
  std::optional<std::string> OpenFile(const FileDialogRequest& request) override;
  std::optional<std::string> SaveFile(const FileDialogRequest& request) override;
  void Beep() override;

private:
  std::optional<std::string> ChooseFile(const FileDialogRequest& request, FileDialogKind kind);

  FileChoosers choosers_;
};

}  // namespace tonforge
