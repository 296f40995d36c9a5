#pragma once
// Every message box and file dialog the core shows goes through this interface, so the core never
// touches the desktop and tests can script the answers.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tonforge {

enum class BoxIcon { Error, Information, Warning };

enum class Answer { Yes, No, Cancel };

// One filter line of a file dialog: a description such as "Song Files" and a pattern such as "*.tes".
struct FileFilter {
  std::string description;
  std::string pattern;
};

struct FileDialogRequest {
  std::string title;
  std::string startFolder;      // where the dialog opens; may not exist
  std::string defaultName;      // pre-filled file name (save dialogs)
  std::vector<FileFilter> filters;
};

class Dialogs {
public:
  virtual ~Dialogs() = default;
  // Error and information boxes. Returns nothing useful: the user can only acknowledge.
  virtual void ShowMessage(std::string_view caption, std::string_view text, BoxIcon icon) = 0;
  // A Yes/No question; true only for Yes.
  virtual bool AskYesNo(std::string_view caption, std::string_view text) = 0;
  // A Yes/No/Cancel question. A desktop that cannot ask it answers Cancel, which leaves everything as it was.
  virtual Answer AskYesNoCancel(std::string_view, std::string_view) { return Answer::Cancel; }
  // The chosen full path, or nothing when the user cancelled.
  virtual std::optional<std::string> OpenFile(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> SaveFile(const FileDialogRequest& request) = 0;
  // The system bell; a desktop without one stays silent.
  virtual void Beep() {}
};

}  // namespace tonforge
