#pragma once
// A Dialogs that records every box and answers as the test scripted it.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "shell/devices/dialogs.h"

namespace tonforge::testing {

struct ShownBox { std::string caption; std::string text; BoxIcon icon; };

class FakeDialogs : public Dialogs {
public:
  void ShowMessage(std::string_view caption, std::string_view text, BoxIcon icon) override {
    shown.push_back({std::string(caption), std::string(text), icon});
  }
  bool AskYesNo(std::string_view caption, std::string_view text) override {
    shown.push_back({std::string(caption), std::string(text), BoxIcon::Warning});
    if (answers.empty()) return false;
    const bool a = answers.front();
    answers.pop_front();
    return a;
  }
  Answer AskYesNoCancel(std::string_view caption, std::string_view text) override {
    shown.push_back({std::string(caption), std::string(text), BoxIcon::Warning});
    if (threeWayAnswers.empty()) return Answer::Cancel;
    const Answer a = threeWayAnswers.front();
    threeWayAnswers.pop_front();
    return a;
  }
  std::optional<std::string> OpenFile(const FileDialogRequest& request) override { return Next(request); }
  std::optional<std::string> SaveFile(const FileDialogRequest& request) override { return Next(request); }

  std::vector<ShownBox> shown;
  std::deque<bool> answers;                        // Yes/No answers in order; No once exhausted
  std::deque<Answer> threeWayAnswers;              // Yes/No/Cancel answers in order; Cancel once exhausted
  std::deque<std::optional<std::string>> paths;    // file dialog results in order; cancel once exhausted
  std::vector<FileDialogRequest> requests;

private:
  std::optional<std::string> Next(const FileDialogRequest& request) {
    requests.push_back(request);
    if (paths.empty()) return std::nullopt;
    auto p = paths.front();
    paths.pop_front();
    return p;
  }
};

}  // namespace tonforge::testing
