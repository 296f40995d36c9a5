#pragma once
// What every benchmark needs: dialogs nobody answers, and the context one engine or chain runs in.
#include <memory>
#include <optional>
#include <string>

#include "engines/engine.h"
#include "shell/devices/dialogs.h"
#include "shell/tables.h"

namespace tonforge::bench {

// Shows nothing; every Yes/No question gets the answer given at construction, every file dialog is cancelled.
class SilentDialogs : public Dialogs {
public:
  explicit SilentDialogs(bool answer = false) : answer_(answer) {}
  void ShowMessage(std::string_view, std::string_view, BoxIcon) override {}
  bool AskYesNo(std::string_view, std::string_view) override { return answer_; }
  std::optional<std::string> OpenFile(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> SaveFile(const FileDialogRequest&) override { return std::nullopt; }

private:
  bool answer_;
};

// Tables, a 44100 Hz rate at 120 beats per minute, and a voice of nine engines.
struct EngineBench {
  EngineBench() {
    BuildTables(*tables);
    SetOutputRate(rate, 44100, tempo, ticksPerBeat);
    ctx.tables = tables.get();
    ctx.rate = &rate;
    ctx.tempo = &tempo;
    ctx.ticksPerBeat = &ticksPerBeat;
  }
  VoiceRef Voice() { return VoiceRef{chain, &transpose}; }

  std::unique_ptr<Tables> tables = std::make_unique<Tables>();
  OutputRate rate;
  float tempo = 120.0f;
  Shared<int32_t> ticksPerBeat = 48;
  SampleContext ctx;
  Engine chain[kChainLength]{};
  int32_t transpose = 0;
};

}  // namespace tonforge::bench
