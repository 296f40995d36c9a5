#include "platform/sdl/sdl_dialogs.h"

#include <SDL.h>

#include <cstdio>

#include "platform/sdl/child_process.h"
#include "platform/sdl/sdl_shell.h"

namespace tonforge {
namespace {

Uint32 IconFlag(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::Error: return SDL_MESSAGEBOX_ERROR;
    case BoxIcon::Information: return SDL_MESSAGEBOX_INFORMATION;
    case BoxIcon::Warning: return SDL_MESSAGEBOX_WARNING;
  }
  return SDL_MESSAGEBOX_ERROR;
}

// The folder with its trailing '/', so that choosers open inside it rather than selecting it.
std::string FolderPath(const std::string& folder) {
  if (folder.empty() || folder.back() == '/') return folder;
  return folder + "/";
}

std::string StartPath(const FileDialogRequest& request, FileDialogKind kind) {
  std::string path = FolderPath(request.startFolder);
  if (kind == FileDialogKind::Save) path += request.defaultName;
  return path;
}

// "*.*" means every file on the system the filters were written for; here a name need not have a dot.
std::string Pattern(const FileFilter& filter) { return filter.pattern == "*.*" ? "*" : filter.pattern; }

void StripTrailingNewline(std::string& text) {
  if (!text.empty() && text.back() == '\n') text.pop_back();
}

}  // namespace

std::vector<std::string> ZenityArguments(const std::string& program, const FileDialogRequest& request,
                                         FileDialogKind kind) {
  std::vector<std::string> argv = {program, "--file-selection", "--title=" + request.title};
  const std::string start = StartPath(request, kind);
  if (!start.empty()) argv.push_back("--filename=" + start);
  for (const FileFilter& f : request.filters) argv.push_back("--file-filter=" + f.description + " | " + Pattern(f));
  if (kind == FileDialogKind::Save) argv.insert(argv.end(), {std::string("--save"), std::string("--confirm-overwrite")});
  return argv;
}

std::vector<std::string> KdialogArguments(const std::string& program, const FileDialogRequest& request,
                                          FileDialogKind kind) {
  // kdialog's filter: one "pattern|description" line per filter.
  std::string filter;
  for (const FileFilter& f : request.filters) {
    if (!filter.empty()) filter += '\n';
    filter += Pattern(f) + "|" + f.description;
  }
  std::string start = StartPath(request, kind);
  if (start.empty()) start.push_back('.');
  std::vector<std::string> argv = {program, "--title", request.title,
                                   kind == FileDialogKind::Save ? "--getsavefilename" : "--getopenfilename", start};
  if (!filter.empty()) argv.push_back(filter);
  return argv;
}

std::vector<std::string> ZenityBoxArguments(const std::string& program, std::string_view caption,
                                            std::string_view text, std::optional<BoxIcon> icon) {
  const char* kind = !icon                          ? "--question"
                     : *icon == BoxIcon::Error       ? "--error"
                     : *icon == BoxIcon::Warning     ? "--warning"
                                                     : "--info";
  std::vector<std::string> argv = {program, kind, "--title", std::string(caption), "--text", std::string(text),
                                   "--no-markup", "--no-wrap"};
  // Every question guards something that cannot be undone, so no key answers Yes by itself: No has the focus
  // (Return is No) and stands where the desktop puts its cancel button; Escape or closing the box is No too.
  if (!icon) argv.insert(argv.end(), {"--ok-label", "Yes", "--cancel-label", "No", "--default-cancel"});
  return argv;
}

// The desktop's own box through zenity, which waits for its answer however the process is signalled (SDL's
// zenity box gives up when a wait is interrupted). Nothing when zenity cannot be run.
std::optional<int> ZenityBox(const std::string& program, std::string_view caption, std::string_view text,
                             std::optional<BoxIcon> icon) {
  if (!ProgramExists(program)) return std::nullopt;
  const std::optional<ChildResult> result = RunAndCapture(ZenityBoxArguments(program, caption, text, icon));
  if (!result || result->exitStatus < 0) return std::nullopt;
  return result->exitStatus;
}

void SdlDialogs::ShowMessage(std::string_view caption, std::string_view text, BoxIcon icon) {
  if (ZenityBox(choosers_.zenity, caption, text, icon)) return;
  const std::string c(caption), t(text);
  if (SDL_ShowSimpleMessageBox(IconFlag(icon), c.c_str(), t.c_str(), nullptr) != 0) {
    // No desktop to show it on: the terminal is the only place left where the user can read it.
    std::fprintf(stderr, "%s: %s [%s]\n", c.c_str(), t.c_str(), SDL_GetError());
  }
}

namespace {

// Shows SDL's own box with the buttons, for when zenity cannot. Returns the button's id, or `fallback` named
// on standard error where even SDL cannot show a box.
template <size_t N>
int ShowSdlQuestion(std::string_view caption, std::string_view text, const SDL_MessageBoxButtonData (&buttons)[N],
                    int fallback) {
  const std::string c(caption), t(text);
  SDL_MessageBoxData box{};
  box.flags = SDL_MESSAGEBOX_WARNING;
  box.title = c.c_str();
  box.message = t.c_str();
  box.numbuttons = static_cast<int>(N);
  box.buttons = buttons;
  int answer = fallback;
  if (SDL_ShowMessageBox(&box, &answer) != 0) {
    std::fprintf(stderr, "%s: %s [%s; taken as %s]\n", c.c_str(), t.c_str(), SDL_GetError(),
                 buttons[fallback].text);
    return fallback;
  }
  return answer;
}

}  // namespace

bool SdlDialogs::AskYesNo(std::string_view caption, std::string_view text) {
  if (const std::optional<int> answer = ZenityBox(choosers_.zenity, caption, text, std::nullopt))
    return *answer == 0;
  // As the zenity box: No comes first and has the focus.
  const SDL_MessageBoxButtonData buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
      {0, 1, "Yes"},
  };
  return ShowSdlQuestion(caption, text, buttons, 0) == 1;
}

Answer SdlDialogs::AskYesNoCancel(std::string_view caption, std::string_view text) {
  // Return answers Yes, Escape cancels: a slip of the finger never drops the changes.
  const SDL_MessageBoxButtonData buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 0, "Yes"},
      {0, 1, "No"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 2, "Cancel"},
  };
  const int answer = ShowSdlQuestion(caption, text, buttons, 2);
  return answer == 0 ? Answer::Yes : answer == 1 ? Answer::No : Answer::Cancel;
}

std::optional<std::string> SdlDialogs::OpenFile(const FileDialogRequest& request) {
  return ChooseFile(request, FileDialogKind::Open);
}

std::optional<std::string> SdlDialogs::SaveFile(const FileDialogRequest& request) {
  return ChooseFile(request, FileDialogKind::Save);
}

void SdlDialogs::Beep() { RingBell(); }

std::optional<std::string> SdlDialogs::ChooseFile(const FileDialogRequest& request, FileDialogKind kind) {
  std::vector<std::string> argv;
  if (ProgramExists(choosers_.zenity)) {
    argv = ZenityArguments(choosers_.zenity, request, kind);
  } else if (ProgramExists(choosers_.kdialog)) {
    argv = KdialogArguments(choosers_.kdialog, request, kind);
  } else {
    ShowMessage("Error", kNoFileChooserText, BoxIcon::Error);
    return std::nullopt;
  }
  std::optional<ChildResult> result = RunAndCapture(argv);
  if (!result) {
    ShowMessage("Error", kNoFileChooserText, BoxIcon::Error);
    return std::nullopt;
  }
  // A chooser ends with a non-zero status when the user cancels.
  if (result->exitStatus != 0) return std::nullopt;
  StripTrailingNewline(result->output);
  if (result->output.empty()) return std::nullopt;
  return result->output;
}

}  // namespace tonforge
