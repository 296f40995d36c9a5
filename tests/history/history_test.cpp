// Undo and redo: random edits from every family on the demo song come back byte for byte; a drag is one step;
// the depth holds.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "audio/voice.h"
#include "history/history.h"
#include "programs/data_slot_commands.h"
#include "programs/program_file.h"
#include "programs/wave_import.h"
#include "sequencer/editing.h"
#include "sequencer/song_file.h"
#include "sequencer/text_entry.h"
#include "sequencer/track_commands.h"
#include "support/file_rig.h"
#include "support/song_rig.h"
#include "tool_paths.h"

namespace tonforge::testing {
namespace {

const std::string kApp = std::string(TONFORGE_SOURCE_DIR) + "/app/";

struct HistoryRig : SongRig {
  HistoryRig() {
    EXPECT_EQ(LoadSongFileAsNamed(app, kApp + "Songs/Demo.tes"), SongFileResult::Done);
    app.changes.MarkSongSaved();
    StartHistory(history, app);
  }
  std::vector<uint8_t> Bytes() { return EncodeSong(app); }
  int32_t Pick(int32_t n) { return n <= 0 ? 0 : std::uniform_int_distribution<int32_t>(0, n - 1)(random); }
  // Ends a pass of the main loop: the pass's edits are one step.
  void Pass() { FollowEdits(history, app); }
  void Type(TextField field, int32_t target, int32_t maximum, const std::string& text) {
    StartTextEntry(app, field, target, maximum);
    for (char c : text) TypeTextEntryCharacter(app, c);
    if (IsTextEntryActive(app)) TypeTextEntryCharacter(app, kEnterCharacter);
  }
  void ChainType(ChainMode mode) {
    app.chainEditor = {mode, Pick(kChainLength)};
    const TypeList& list = EngineTypesFor(app);
    SetType(mode, app.chainEditor.selectedPosition, list.types[static_cast<std::size_t>(Pick(list.count))]);
  }

  History history;
  std::mt19937 random;
};

using Command = std::function<void(HistoryRig&)>;

// Every family a user edits, each with random arguments; the selections they start from are random too.
const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      [](HistoryRig& r) { AddEvent(r.app); },
      [](HistoryRig& r) { DeleteSelectedEvent(r.app); },
      [](HistoryRig& r) { CycleEventType(r.app, r.Pick(4)); },
      [](HistoryRig& r) { EditValueA(r.app, r.Pick(4)); if (IsTextEntryActive(r.app)) r.Type(TextField::ValueA, 0, 7, "7"); },
      [](HistoryRig& r) { r.Type(TextField::ValueB, r.Pick(20), kEventValueMaximum, std::to_string(r.Pick(99))); },
      [](HistoryRig& r) { r.Pick(2) ? TransposeUp(r.app) : TransposeDown(r.app); },
      [](HistoryRig& r) { r.Pick(2) ? MoveSelectedEventUp(r.app) : MoveSelectedEventDown(r.app); },
      [](HistoryRig& r) { ReplaceProgram(r.app); },
      [](HistoryRig& r) { Copy(r.app); MoveCursorRight(r.app, 96); Paste(r.app); },
      [](HistoryRig& r) { r.Pick(2) ? Cut(r.app) : DeleteBlock(r.app); },
      [](HistoryRig& r) { const int g = r.Pick(4); g == 0 ? OpenGap(r.app) : g == 1 ? CloseGap(r.app) : g == 2 ? InsertBar(r.app) : DeleteBar(r.app); },
      [](HistoryRig& r) { if (!IsRecording(r.app)) ToggleEditMode(r.app); RecordNote(r.app, 50 + 100 * r.Pick(12)); },
      [](HistoryRig& r) { InsertTrackCommand(r.app); },
      [](HistoryRig& r) { r.dialogs.answers = {true}; if (r.app.song.currentTrack != 0) DeleteTrackOrSong(r.app); },
      [](HistoryRig& r) { r.Pick(2) ? MoveTrackUp(r.app) : MoveTrackDown(r.app); },
      [](HistoryRig& r) { const int m = r.Pick(3); m == 0 ? PressMuteButton(r.app, r.Pick(9)) : m == 1 ? SoloTrack(r.app) : SwitchOffTrack(r.app); },
      [](HistoryRig& r) { r.Type(TextField::TrackName, r.app.song.currentTrack, kTrackNameMaximum, "Take " + std::to_string(r.Pick(9))); },
      [](HistoryRig& r) { SetTrackLevel(r.app, r.Pick(101)); SetTrackPan(r.app, r.Pick(201) - 100); SetTrackSeed(r.app, r.Pick(1000)); },
      [](HistoryRig& r) { r.ChainType(ChainMode::Track); },
      [](HistoryRig& r) { r.Pick(2) ? NewCurrentProgram(r.app) : CopyProgram(r.app); },
      [](HistoryRig& r) { r.dialogs.answers = {true}; DeleteProgram(r.app); },
      [](HistoryRig& r) { LoadProgramFileNew(r.app, kApp + "Programs/Instruments/Bell.tep"); },
      [](HistoryRig& r) { r.Type(TextField::ProgramName, r.app.song.currentProgram, kProgramNameMaximum, "Patch"); },
      [](HistoryRig& r) { SetProgramLevel(r.app, r.Pick(101)); SetProgramPan(r.app, r.Pick(201) - 100); },
      [](HistoryRig& r) { AutoLevelProgram(r.app); },
      [](HistoryRig& r) { r.ChainType(ChainMode::Program); },
      [](HistoryRig& r) {
        r.app.chainEditor = {ChainMode::Program, r.Pick(kChainLength)};
        if (Engine* e = SelectedEngine(r.app)) {
          SetParameter(*e, r.Pick(kParameterCount), r.Pick(101));
          e->options[r.Pick(kOptionCount)] = static_cast<uint32_t>(r.Pick(3));
          r.app.changes.Report(Change::Engine);
        }
      },
      [](HistoryRig& r) {
        r.app.chainEditor = {ChainMode::Program, r.Pick(3)};
        r.dialogs.paths = {kApp + "Waves/Clap.wav"};
        const int k = r.Pick(kDataSlotCount);
        if (r.Pick(3) == 0) LoadWave(r.app, k);
        else RunSlotCommand(r.app, static_cast<SlotCommand>(r.Pick(8)), k, r.Pick(3000));
        r.app.changes.Report(Change::Engine);
      },
      [](HistoryRig& r) { SetBeatsPerBar(r.app, 1 + r.Pick(16)); SetTicksPerBeat(r.app, 16 + r.Pick(80)); SetSongLevel(r.app, r.Pick(101)); },
      [](HistoryRig& r) { SelectTrack(r.app, 0); r.ChainType(ChainMode::Track); },
      [](HistoryRig& r) { r.Type(TextField::TrackName, 0, kTrackNameMaximum, "Tune"); },
      [](HistoryRig& r) {
        r.dialogs.threeWayAnswers = {Answer::No};
        r.dialogs.answers = {true};
        r.dialogs.paths = {kApp + "Songs/Demo.tes"};
        if (r.Pick(2)) LoadSong(r.app);
        else if (SelectTrack(r.app, 0), true) DeleteTrackOrSong(r.app);
      },
  };
  return commands;
}

// Selections are no steps, but they decide where the next edit lands.
void Select(HistoryRig& r) {
  SelectTrack(r.app, r.Pick(r.app.song.tracks.Count()));
  if (Track* t = TrackAt(r.app.song, r.app.song.currentTrack)) SelectEventIndex(r.app, r.Pick(t->events.Count()));
  MoveCursorRight(r.app, r.Pick(400));
  SelectProgram(r.app, r.Pick(ProgramCount(r.app.song)));
}

TEST(History, RandomEditsUndoToTheSavedBytesAndRedoToTheEdited) {
  for (uint32_t seed : {1u, 2u, 3u, 4u}) {
    HistoryRig r;
    r.random.seed(seed);
    std::vector<uint8_t> before;  // the song as saved just before the first edit
    for (int n = 0; n < 250; ++n) {
      Select(r);
      r.Pass();  // a selection is a pass of its own, as a click is
      const auto c = static_cast<std::size_t>(r.Pick(static_cast<int32_t>(Commands().size())));
      if (r.history.at == 0) before = r.Bytes();
      Commands()[c](r);
      r.Pass();
    }
    const int steps = static_cast<int>(r.history.at);
    const std::vector<uint8_t> after = r.Bytes();
    // What an autosave writes while a song plays (the autosave test): the latest picture holds the song file as a
    // save makes it.
    EXPECT_TRUE(EncodePicture(r.history.steps[r.history.at].picture, r.dialogs) == after) << "seed " << seed;
    while (Undo(r.history, r.app)) {}
    EXPECT_EQ(FirstDifference(r.Bytes(), before), -1) << "seed " << seed << " after undoing " << steps << " steps";
    EXPECT_FALSE(r.app.changes.SongModified()) << "seed " << seed;
    while (Redo(r.history, r.app)) {}
    EXPECT_TRUE(r.Bytes() == after) << "seed " << seed;
    EXPECT_GT(steps, 100) << "seed " << seed;
  }
}

TEST(History, StepsAndDepth) {
  struct Case { const char* name; std::function<void(HistoryRig&)> edit; std::size_t steps; };
  const Case cases[] = {
      {"one drag of a knob, many passes", [](HistoryRig& r) {
         for (int v = 0; v < 40; ++v) { SetSongLevel(r.app, v); FollowEdits(r.history, r.app, true); }
         r.Pass();
       }, 1},
      {"one typed name", [](HistoryRig& r) {
         StartTextEntry(r.app, TextField::TrackName, 1, kTrackNameMaximum);
         for (char c : std::string("Lead")) { TypeTextEntryCharacter(r.app, c); r.Pass(); }
         TypeTextEntryCharacter(r.app, kEnterCharacter);
         r.Pass();
       }, 1},
      {"a selection alone", [](HistoryRig& r) { SelectTrack(r.app, 2); r.Pass(); }, 0},
      {"1,200 edits keep 1,000", [](HistoryRig& r) {
         for (int v = 0; v < 1200; ++v) { SetSongLevel(r.app, v % 2 ? 10 : 20); r.Pass(); }
       }, kHistoryDepth},
  };
  for (const Case& c : cases) {
    HistoryRig r;
    c.edit(r);
    EXPECT_EQ(r.history.at, c.steps) << c.name;
    std::size_t undone = 0;
    while (Undo(r.history, r.app)) ++undone;
    EXPECT_EQ(undone, c.steps) << c.name;
  }
}

}  // namespace
}  // namespace tonforge::testing
