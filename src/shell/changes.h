#pragma once
// What a command changed. Commands report it here; the user interface decides which panels show each kind,
// and whatever else must hear of edits (the title's modified mark, an undo history) listens to the same
// reports. The core never names a panel.
#include <atomic>
#include <cstdint>

namespace tonforge {

enum class Change : uint32_t {
  Song,          // the song's own settings: name, beats per bar, ticks per beat, level, tempo
  TrackList,     // tracks added, removed, moved, renamed, muted, soloed, their levels, pans and seeds
  Events,        // the events of a track
  CurrentTrack,  // which track is being edited
  ProgramList,   // programs added, removed or reordered
  Program,       // a program's name, level, pan or chain contents as a whole (a load, Auto Level)
  Engine,        // an engine's parameters, options or DataSlots
  Chain,         // which engine types stand in a chain
  Output,        // the output rate, the render's settings and figures
  Transport,     // playing, rendering, a wave file starting or ending
  Editor,        // the edit cursor, the Block and the editing switches
  Selection,     // which program, chain, chain position, engine type or event is selected: nothing saved
};
inline constexpr int kChangeKindCount = 12;

constexpr uint32_t ChangeBit(Change c) { return 1u << static_cast<uint32_t>(c); }

// The kinds that change what a song file holds; a report of one marks the song modified.
inline constexpr uint32_t kSongChangingKinds = ChangeBit(Change::Song) | ChangeBit(Change::TrackList) |
                                               ChangeBit(Change::Events) | ChangeBit(Change::ProgramList) |
                                               ChangeBit(Change::Program) | ChangeBit(Change::Engine) |
                                               ChangeBit(Change::Chain);

// Written by commands on the main thread and, for the end of a song or a wave file, by the worker.
class ChangeReports {
public:
  void Report(Change c) {
    pending_.fetch_or(ChangeBit(c), std::memory_order_relaxed);
    reports_.fetch_add(1, std::memory_order_relaxed);
    if ((ChangeBit(c) & kSongChangingKinds) == 0) return;
    modified_.store(1, std::memory_order_relaxed);
    songReports_.fetch_add(1, std::memory_order_relaxed);
  }
  template <typename... C>
  void Report(Change first, C... rest) {
    Report(first);
    (Report(rest), ...);
  }
  // A loaded or new song: everything may have changed, but the song is as its file (or a new one) holds it,
  // so the modified mark is left to whoever loaded it.
  void ReportAll() {
    pending_.store((1u << kChangeKindCount) - 1u, std::memory_order_relaxed);
    reports_.fetch_add(1, std::memory_order_relaxed);
    songReports_.fetch_add(1, std::memory_order_relaxed);
  }
  bool Has(Change c) const { return (pending_.load(std::memory_order_relaxed) & ChangeBit(c)) != 0; }
  // Hands the pending set to the listener and clears it.
  uint32_t Take() { return pending_.exchange(0, std::memory_order_relaxed); }
  // Whether the song differs from what was last saved, loaded or made new.
  bool SongModified() const { return modified_.load(std::memory_order_relaxed) != 0; }
  void MarkSongModified() { modified_.store(1, std::memory_order_relaxed); }
  void MarkSongSaved() { modified_.store(0, std::memory_order_relaxed); }
  // Counts the reports, for an undo history to follow the song and its selections.
  uint64_t ReportCount() const { return reports_.load(std::memory_order_relaxed); }
  uint64_t SongReportCount() const { return songReports_.load(std::memory_order_relaxed); }

private:
  std::atomic<uint32_t> pending_{0};
  std::atomic<uint32_t> modified_{0};
  std::atomic<uint64_t> reports_{0};
  std::atomic<uint64_t> songReports_{0};
};

}  // namespace tonforge
