#pragma once
// A fresh AppState holding a new song, with shortcuts for building programs, tracks and events.
#include <algorithm>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "programs/chain_editing.h"
#include "programs/program_list.h"
#include "sequencer/song.h"
#include "support/fake_dialogs.h"

namespace tonforge {

inline bool operator==(const EventValues& a, const EventValues& b) {
  return a.tick == b.tick && a.type == b.type && a.valueA == b.valueA && a.valueB == b.valueB;
}
inline void PrintTo(const EventValues& v, std::ostream* os) {
  *os << "{" << v.tick << ", " << v.type << ", " << v.valueA << ", " << v.valueB << "}";
}

}  // namespace tonforge

namespace tonforge::testing {

inline int32_t Type(EventType t) { return static_cast<int32_t>(t); }
inline uint32_t Id(EngineTypeId t) { return static_cast<uint32_t>(t); }

struct SongRig {
  SongRig() { NewSong(app); }

  Track& TrackNo(int32_t i) { return *TrackAt(app.song, i); }

  // Appends tracks until the song has `count` (the current track moves to each new one).
  void GrowTo(int32_t count) {
    while (app.song.tracks.Count() < count) {
      app.song.currentTrack = app.song.tracks.Count() - 1;
      InsertTrack(app);
    }
  }

  void AddPrograms(int n) {
    for (int i = 0; i < n; ++i) NewProgram(app);
  }

  // Sets the engine type at a position of the edited chain through the editor's own commands.
  void SetType(uint32_t mode, int32_t position, uint32_t type) {
    if (mode == 1)
      SelectProgramChainPosition(app, position);
    else
      SelectTrackChainPosition(app, position);
    const TypeList& list = EngineTypesFor(app);
    app.song.selectedEngineType =
        static_cast<int32_t>(std::find(list.types.begin(), list.types.begin() + list.count, type) - list.types.begin());
    SetEngineType(app);
  }

  static std::vector<EventValues> Events(const Track& track) {
    std::vector<EventValues> out;
    for (Event* e = track.events.First(); e; e = EventList::Next(e)) out.push_back({e->tick, e->type, e->valueA, e->valueB});
    return out;
  }

  std::vector<std::string> Messages() const {
    std::vector<std::string> out;
    for (const auto& box : dialogs.shown) out.push_back(box.text);
    return out;
  }

  FakeDialogs dialogs;
  AppState app{dialogs};
};

// Gives slot s of the engine `n` samples counting up from `first`.
inline void FillSlot(Engine& e, int s, uint32_t n, float first = 1.0f) {
  DataSlot& slot = e.slots[s];
  slot.data = AllocateSamples(n);
  for (uint32_t i = 0; i < n; ++i) slot.data[i] = first + static_cast<float>(i);
  slot.length = n;
  slot.loaded = 1;
  RecountLoadedSlots(e);
}

}  // namespace tonforge::testing
