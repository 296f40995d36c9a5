#pragma once
// A started core on a temporary program folder holding a new song, and a song with every kind of record, for
// the song file tests and the loader robustness test.
#include <algorithm>
#include <array>
#include <vector>

#include "programs/file_fixtures.h"
#include "programs/program_list.h"
#include "sequencer/song.h"
#include "sequencer/song_file.h"

namespace tonforge::testing {

inline constexpr int32_t Type(EventType t) { return static_cast<int32_t>(t); }
inline constexpr uint32_t Id(EngineTypeId t) { return static_cast<uint32_t>(t); }

// The first offset at which two files differ (the shorter one's length when one is a prefix), or -1: a failure
// names the field instead of printing kilobytes.
inline long FirstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  const auto [i, j] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  return i == a.end() && j == b.end() ? -1 : static_cast<long>(i - a.begin());
}

struct SongFileRig {
  FakeDialogs dialogs;
  TempDir dir;
  AppState app{dialogs};
  SongFileRig() {
    StartCore(app, dir.Root());
    NewSong(app);
  }

  Track& AddTrack() {
    app.song.currentTrack = app.song.tracks.Count() - 1;
    return *InsertTrack(app);
  }
  Track& TrackNo(int32_t i) { return *app.song.tracks.At(i); }
  void Add(int32_t track, std::initializer_list<EventValues> events) {
    for (const EventValues& v : events) AppendEvent(app, TrackNo(track), v);
  }
  std::vector<std::array<int32_t, 4>> Events(int32_t track) {
    std::vector<std::array<int32_t, 4>> out;
    for (Event* e = TrackNo(track).events.First(); e; e = EventList::Next(e)) out.push_back({e->tick, e->type, e->valueA, e->valueB});
    return out;
  }
  // Loads bytes from a file through the loader the commands use.
  SongFileResult Load(const std::vector<uint8_t>& bytes) {
    WriteBytes(dir.File("in.tes"), bytes);
    return LoadSongFile(app, dir.File("in.tes"));
  }
};

inline Engine& Put(Engine& e, EngineTypeId type, std::initializer_list<std::pair<int, uint32_t>> slots = {}) {
  InitProgramEngine(e, Id(type));
  for (auto [k, n] : slots) FillSlot(e, k, n, 0.125f * static_cast<float>(k + 1));
  RecountLoadedSlots(e);
  return e;
}

// Programs with wave, modulator and delay engines; tracks that play both from the first tick with parameter
// events and a Phrase; track and song chains holding their own data. At rest, as a loaded song is, so its
// file saves back unchanged.
inline void BuildRichSong(SongFileRig& rig) {
  Song& song = rig.app.song;
  std::copy_n("My:Song", 8, rig.TrackNo(0).name.begin());
  song.beatsPerBar = 4;
  song.songLevel = 0.8f;
  Program& keys = *NewProgram(rig.app);
  Put(keys.engines[0], EngineTypeId::MultisampledWave, {{0, 300}, {1, 40}});
  keys.engines[0].slots[0].rootOrRate.i = 4850;
  keys.engines[0].slots[0].looped = 1;
  keys.engines[0].slots[0].loopStart = 5;
  Put(keys.engines[1], EngineTypeId::Arpeggiator);
  SetParameter(Put(keys.engines[3], EngineTypeId::CombFilter), 0, 250);
  Program& pad = *NewProgram(rig.app);
  Put(pad.engines[0], EngineTypeId::DownSawGenerator);
  Put(pad.engines[1], EngineTypeId::LowPassFilter, {{0, 9}}).slots[0].rootOrRate.f = 0.05f;
  Put(pad.engines[2], EngineTypeId::StereoReverbXY);
  Put(pad.engines[3], EngineTypeId::VariableSpeedDelay);
  FitAllPositionBuffers(rig.app);

  Track& lead = rig.AddTrack();
  Track& bass = rig.AddTrack();
  rig.AddTrack();
  lead.pan = 60;
  lead.level = 0.5f;
  InitTrackEngine(lead.chain[0], Id(EngineTypeId::Chorus), rig.dialogs);
  FillSlot(lead.chain[0], 0, 17, 0.25f);
  RecountLoadedSlots(lead.chain[0]);
  InitTrackEngine(bass.chain[1], Id(EngineTypeId::SingleTapDelay), rig.dialogs);
  InitTrackEngine(rig.TrackNo(0).chain[0], Id(EngineTypeId::PlateReverb), rig.dialogs);
  rig.Add(1, {{0, Type(EventType::NoteOn), 2450, 0}, {1, Type(EventType::ProgramEngineParameter) + 3, 0, 700},
              {48, Type(EventType::NoteOff), 0, 0}});
  rig.Add(2, {{0, Type(EventType::NoteOn), 3650, 1}, {1, Type(EventType::TrackEngineParameter) + 1, 1, 900}});
  rig.Add(3, {{1, Type(EventType::Phrase), 1, 0}, {200, Type(EventType::NoteOn), 1250, 1}});
  rig.Add(0, {{384, Type(EventType::End), 0, 0}});
  song.currentTrack = 0;
}

}  // namespace tonforge::testing
