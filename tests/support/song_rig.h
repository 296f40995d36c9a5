#pragma once
// A fresh Studio holding a new song, with shortcuts for building programs, tracks and events.
#include <algorithm>
#include <string>
#include <vector>

#include "audio/studio.h"
#include "programs/chain_editing.h"
#include "programs/program_list.h"
#include "sequencer/song.h"
#include "support/fake_dialogs.h"

namespace tonforge::testing {

using EventRow = std::array<int32_t, 4>;  // tick, type, value A, value B
inline constexpr int32_t Type(EventType t) { return static_cast<int32_t>(t); }
inline constexpr uint32_t Id(EngineTypeId t) { return static_cast<uint32_t>(t); }
// The kinds of event the tests' rows name most.
inline constexpr int32_t kNote = Type(EventType::NoteOn), kTempo = Type(EventType::Tempo),
                         kPhrase = Type(EventType::Phrase), kEnd = Type(EventType::End),
                         kSongVolume = Type(EventType::SongVolume);

// State is the Studio for the core's tests, the whole AppState for the user interface's.
template <class State>
struct SongRigOf {
  explicit SongRigOf(int programs = 0, int32_t tracks = 1) {
    NewSong(app);
    for (int i = 0; i < programs; ++i) NewProgram(app);
    for (app.song.currentTrack = 0; app.song.tracks.Count() < tracks; app.song.currentTrack++) InsertTrack(app);
    app.changes.MarkSongSaved();  // the rig's song stands for one just loaded
  }

  Track& TrackNo(int32_t i) { return *TrackAt(app.song, i); }
  Engine& ProgramEngine(int32_t program, int p) { return app.song.programs[program]->engines[p]; }

  // Sets a type in the current program's chain or the current track's chain with the editor's commands.
  void SetProgramType(int32_t position, uint32_t type) { SetType(ChainMode::Program, position, type); }
  void SetTrackType(int32_t position, uint32_t type) { SetType(ChainMode::Track, position, type); }
  void SetType(ChainMode mode, int32_t position, uint32_t type) {
    app.chainEditor = {mode, position};
    const TypeList& list = EngineTypesFor(app);
    app.song.selectedEngineType =
        static_cast<int32_t>(std::find(list.types.begin(), list.types.begin() + list.count, type) - list.types.begin());
    SetEngineType(app);
  }

  void Add(int32_t track, const std::vector<EventRow>& rows) {
    for (auto [t, type, a, b] : rows) AppendEvent(app, TrackNo(track), {t, type, a, b});
  }
  std::vector<EventRow> Events(int32_t track) {
    std::vector<EventRow> out;
    for (Event* e = TrackNo(track).events.First(); e; e = EventList::Next(e))
      out.push_back({e->tick, e->type, e->valueA, e->valueB});
    return out;
  }
  // One column of Events(track): 0 tick, 1 type, 2 value A, 3 value B.
  std::vector<int32_t> Column(int32_t track, int column) {
    std::vector<int32_t> out;
    for (const EventRow& e : Events(track)) out.push_back(e[column]);
    return out;
  }
  std::vector<std::string> Messages() const {
    std::vector<std::string> out;
    for (const auto& box : dialogs.shown) out.push_back(box.text);
    return out;
  }
  // The boxes' first lines: what was refused, without the file and the reason under it.
  std::vector<std::string> Headlines() const {
    std::vector<std::string> out;
    for (const auto& box : dialogs.shown) out.push_back(box.text.substr(0, box.text.find('\n')));
    return out;
  }

  FakeDialogs dialogs;
  State app{dialogs};
};

using SongRig = SongRigOf<Studio>;

// Gives slot s of the engine n samples counting up from `first` by `step`, looping over all of them; the loaded
// slots are left for the caller to recount.
inline void FillSlot(Engine& e, int s, uint32_t n, float first, float step = 1.0f / 1024.0f) {
  DataSlot& slot = e.slots[s];
  slot.data = AllocateSamples(n);
  for (uint32_t i = 0; i < n; ++i) slot.data[i] = first + step * static_cast<float>(i);
  slot.length = n;
  slot.loaded = 1;
  slot.loopEnd = n - 1;
}
// Samples 1, 2, 3 ..., the loaded slots recounted.
inline void FillSlot(Engine& e, int s, uint32_t n) {
  FillSlot(e, s, n, 1.0f, 1.0f);
  RecountLoadedSlots(e);
}

}  // namespace tonforge::testing
