#pragma once
// A copy of a modified song kept in the user's state folder, so that a crash or a killed process loses at
// most the last minute of work. The copy is written while nothing plays: a worker owns the clock's, the
// tracks' and the voices' fields of the song image while it runs, and the song at rest is what a saved file
// holds. The bytes are made on the main thread and written by a short-lived thread of their own, through the
// same write-beside-then-replace path as Save, so neither the main loop nor the sound waits for the disk.
// The copy never goes to the user's own song file: it lives in its own folder under a name made from the
// song file's full path.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "shell/files.h"
#include "song/session.h"

namespace tonforge {

inline constexpr int kAutosaveSeconds = 60;
inline constexpr int kLongestAutosaveSeconds = 3600;
inline constexpr std::string_view kOwnerExtension = ".song";  // beside an autosave: the song file it belongs to
inline constexpr std::string_view kDamagedExtension = ".damaged";

using AutosaveClock = std::chrono::steady_clock;

// $XDG_STATE_HOME/tonforge/autosave, or ~/.local/state/tonforge/autosave when XDG_STATE_HOME is unset or not
// absolute; empty when neither is known (autosave is then off).
std::string AutosaveFolder(const std::string& xdgStateHome, const std::string& home);
// The autosave of a song file, "<folder>/<file name>-<16 hex digits of its full path>.tes"; of the new song
// (an empty songFile), "<folder>/New Song.tes".
std::string AutosavePath(const std::string& folder, const std::string& songFile);
// "<autosave>.song": one line naming the song file the autosave belongs to (absent for the new song).
std::string AutosaveOwnerPath(const std::string& autosavePath);

// One write on its way to the disk.
struct AutosaveWrite {
  std::string path;
  std::vector<uint8_t> bytes;
  std::string owner;  // the owner file's line; empty for the new song
  uint64_t edits = 0;  // the song's edit count the bytes hold
  std::atomic<uint32_t> done{0};
  bool written = false;
  FileFailure failure;
};

struct AutosaveState {
  AutosaveState() = default;
  AutosaveState(const AutosaveState&) = delete;
  AutosaveState& operator=(const AutosaveState&) = delete;
  ~AutosaveState();

  std::string folder;  // empty: no autosave
  AutosaveClock::duration interval = std::chrono::seconds(kAutosaveSeconds);
  std::ostream* messages = nullptr;  // where a failure is said; standard error when null
  // While a song plays the worker writes the playing state the file holds, so the song is not read then: the
  // copy is made from this, when the application has it (the undo history's latest picture). Without it the
  // copy waits until playback ends.
  std::function<std::vector<uint8_t>()> encodeWhilePlaying;

  std::string songFileSeen;    // the song file the target was made for
  std::string target;          // where the present song's autosave goes
  std::string onDisk;          // the autosave of the present song this run wrote or recovered; empty when none
  uint64_t editsOnDisk = 0;    // the song's edit count that copy holds
  bool attempted = false;      // a write was tried since the song was last unmodified
  AutosaveClock::time_point lastAttempt{};
  bool failureSaid = false;    // a failure is said once, until a write succeeds again
  std::unique_ptr<AutosaveWrite> pending;
  std::thread writer;
};

// Once per pass of the main loop: collects a finished write (saying a failure once), removes the copy of a
// song that was saved, dropped or replaced, and starts a write of a modified song on its first change and
// then every interval while it changes, whenever nothing plays.
void RunAutosave(AutosaveState& autosave, Session& session, AutosaveClock::time_point now);
// Waits for a write in progress and collects it.
void WaitForAutosave(AutosaveState& autosave, Session& session);
// A clean quit: waits for a write in progress and removes the present song's autosave.
void EndAutosave(AutosaveState& autosave, Session& session);

enum class Recovery { None, Recovered, Declined, Invalid };
// At start-up, with the song of songFile (empty: the new song) in place or the new song there instead: an
// autosave of it newer than the file (or of the new song) asks "Recover Unsaved Changes To <name>?". Yes
// installs it as a modified song whose file stays songFile; No deletes it. A damaged one is refused with
// "Invalid File" and kept beside, renamed with ".damaged", for inspection.
Recovery OfferRecovery(AutosaveState& autosave, Session& session, const std::string& songFile,
                       AutosaveClock::time_point now);

}  // namespace tonforge
