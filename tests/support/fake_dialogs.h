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
    return Next(answers, false);
  }
  Answer AskYesNoCancel(std::string_view caption, std::string_view text) override {
    shown.push_back({std::string(caption), std::string(text), BoxIcon::Warning});
    return Next(threeWayAnswers, Answer::Cancel);
  }
  std::optional<std::string> OpenFile(const FileDialogRequest& request) override {
    requests.push_back(request);
    return Next(paths, std::optional<std::string>());
  }
  std::optional<std::string> SaveFile(const FileDialogRequest& request) override { return OpenFile(request); }

  std::vector<ShownBox> shown;
  std::deque<bool> answers;                        // Yes/No answers in order; No once exhausted
  std::deque<Answer> threeWayAnswers;              // Yes/No/Cancel answers in order; Cancel once exhausted
  std::deque<std::optional<std::string>> paths;    // file dialog results in order; cancel once exhausted
  std::vector<FileDialogRequest> requests;

private:
  // The next scripted answer, or `otherwise` once they are used up.
  template <class T>
  static T Next(std::deque<T>& script, T otherwise) {
    if (script.empty()) return otherwise;
    T next = script.front();
    script.pop_front();
    return next;
  }
};

}  // namespace tonforge::testing
