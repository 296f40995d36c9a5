#include "sequencer/autosave.h"

#include <filesystem>
#include <iostream>
#include <new>
#include <system_error>

#include "sequencer/song_file.h"
#include "shell/show_error.h"

namespace tonforge {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kNewSongAutosave = "New Song";
constexpr std::size_t kLongestStem = 100;  // of the song file's name, in the autosave's name
constexpr std::string_view kNotASong = "Not a song file, or a damaged one";

// FNV-1a: the same path gives the same name in every run and on every machine.
uint64_t PathHash(std::string_view text) {
  uint64_t h = 14695981039346656037ull;
  for (const char c : text) h = (h ^ static_cast<uint8_t>(c)) * 1099511628211ull;
  return h;
}

// One name for every way of naming the same file: relative, through "..", or through a link.
std::string FullSongPath(const std::string& songFile) {
  std::error_code ec;
  const fs::path full = fs::weakly_canonical(fs::absolute(songFile, ec), ec);
  return ec ? songFile : full.string();
}

std::string OwnerLine(const std::string& songFile) { return FullSongPath(songFile) + "\n"; }

void RemoveAutosaveFiles(const std::string& path) {
  std::error_code ec;
  fs::remove(path, ec);
  fs::remove(AutosaveOwnerPath(path), ec);
}

void Say(AutosaveState& autosave, const std::string& line) {
  (autosave.messages != nullptr ? *autosave.messages : std::cerr) << "tonforge: " << line << "\n";
}

// On the writer thread: the folder, the song, then the line naming its file.
void WriteAutosave(AutosaveWrite& w) {
  const fs::path folder = fs::path(w.path).parent_path();
  std::error_code ec;
  if (fs::create_directories(folder, ec)) fs::permissions(folder, fs::perms::owner_all, ec);
  if (ec) {
    w.failure = {folder.string(), ec.message()};
    return;
  }
  w.written = ReplaceFile(w.path, w.bytes, &w.failure);
  if (w.written && !w.owner.empty()) {
    const auto* line = reinterpret_cast<const uint8_t*>(w.owner.data());
    w.written = ReplaceFile(AutosaveOwnerPath(w.path), {line, w.owner.size()}, &w.failure);
  }
}

void CollectFinishedWrite(AutosaveState& autosave) {
  if (!autosave.pending || autosave.pending->done.load(std::memory_order_acquire) == 0) return;
  if (autosave.writer.joinable()) autosave.writer.join();
  const AutosaveWrite& w = *autosave.pending;
  if (w.written) {
    autosave.onDisk = w.path;
    autosave.editsOnDisk = w.edits;
    autosave.failureSaid = false;
  } else if (!autosave.failureSaid) {
    autosave.failureSaid = true;
    Say(autosave, "the song could not be autosaved to " + w.failure.path + ": " + w.failure.reason +
                      "; until this is mended only Save keeps its changes");
  }
  autosave.pending.reset();
}

void StartWrite(AutosaveState& autosave, Session& session, const std::string& path, AutosaveClock::time_point now) {
  autosave.attempted = true;
  autosave.lastAttempt = now;
  auto w = std::make_unique<AutosaveWrite>();
  w->path = path;
  w->edits = session.changes.SongReportCount();
  try {
    w->bytes = IsPlaybackIdle(session) ? EncodeSong(session) : autosave.encodeWhilePlaying();
    if (w->bytes.empty()) throw std::bad_alloc();
    if (!session.songFile.empty()) w->owner = OwnerLine(session.songFile);
  } catch (const std::bad_alloc&) {
    w->failure = {path, std::string(kOutOfMemoryReason)};
    w->done.store(1, std::memory_order_release);
    autosave.pending = std::move(w);
    return;
  }
  AutosaveWrite* job = w.get();
  autosave.pending = std::move(w);
  try {
    autosave.writer = std::thread([job] {
      WriteAutosave(*job);
      job->done.store(1, std::memory_order_release);
    });
  } catch (const std::system_error&) {
    WriteAutosave(*job);  // no thread to be had: the main loop waits for the disk this once
    job->done.store(1, std::memory_order_release);
  }
}

}  // namespace

std::string AutosaveFolder(const std::string& xdgStateHome, const std::string& home) {
  if (!xdgStateHome.empty() && xdgStateHome.front() == '/') return xdgStateHome + "/tonforge/autosave";
  if (!home.empty()) return home + "/.local/state/tonforge/autosave";
  return "";
}

std::string AutosavePath(const std::string& folder, const std::string& songFile) {
  if (songFile.empty()) return folder + "/" + std::string(kNewSongAutosave) + std::string(kSongExtension);
  const std::string full = FullSongPath(songFile);
  std::string stem = fs::path(full).stem().string().substr(0, kLongestStem);
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(PathHash(full)));
  return folder + "/" + stem + "-" + hex + std::string(kSongExtension);
}

std::string AutosaveOwnerPath(const std::string& autosavePath) { return autosavePath + std::string(kOwnerExtension); }

AutosaveState::~AutosaveState() {
  if (writer.joinable()) writer.join();
}

void RunAutosave(AutosaveState& autosave, Session& session, AutosaveClock::time_point now) {
  CollectFinishedWrite(autosave);
  if (autosave.folder.empty() || autosave.pending) return;
  const bool modified = session.changes.SongModified();
  if (session.songFile != autosave.songFileSeen || autosave.target.empty()) {
    autosave.songFileSeen = session.songFile;
    autosave.target = AutosavePath(autosave.folder, session.songFile);
  }
  // A saved, dropped or renamed song leaves nothing to recover under its old name.
  if (!autosave.onDisk.empty() && (!modified || autosave.onDisk != autosave.target)) {
    RemoveAutosaveFiles(autosave.onDisk);
    autosave.onDisk.clear();
  }
  if (!modified) {
    autosave.attempted = false;
    return;
  }
  if (!IsPlaybackIdle(session) && !autosave.encodeWhilePlaying) return;
  if (!autosave.onDisk.empty() && session.changes.SongReportCount() == autosave.editsOnDisk) return;
  if (autosave.attempted && now - autosave.lastAttempt < autosave.interval) return;
  StartWrite(autosave, session, autosave.target, now);
}

void WaitForAutosave(AutosaveState& autosave, Session&) {
  if (autosave.writer.joinable()) autosave.writer.join();
  CollectFinishedWrite(autosave);
}

void EndAutosave(AutosaveState& autosave, Session& session) {
  WaitForAutosave(autosave, session);
  if (autosave.onDisk.empty()) return;
  RemoveAutosaveFiles(autosave.onDisk);
  autosave.onDisk.clear();
}

Recovery OfferRecovery(AutosaveState& autosave, Session& session, const std::string& songFile,
                       AutosaveClock::time_point now) {
  if (autosave.folder.empty()) return Recovery::None;
  const std::string path = AutosavePath(autosave.folder, songFile);
  std::error_code ec;
  const auto autosaved = fs::last_write_time(path, ec);
  if (ec) return Recovery::None;
  if (!songFile.empty()) {
    const auto saved = fs::last_write_time(songFile, ec);
    if (!ec && saved >= autosaved) return Recovery::None;  // saved since: the file holds the newer song
    std::vector<uint8_t> owner;
    if (ReadWholeFile(AutosaveOwnerPath(path), owner) == FileReadStatus::Ok &&
        std::string(owner.begin(), owner.end()) != OwnerLine(songFile))
      return Recovery::None;  // another file's name came to the same digits
  }
  std::vector<uint8_t> bytes;
  FileFailure failure{path, std::string(kNotASong)};
  std::optional<DecodedSong> decoded;
  if (ReadWholeFile(path, bytes, &failure) == FileReadStatus::Ok) {
    try {
      decoded = DecodeSong(bytes, session.dialogs);
    } catch (const std::bad_alloc&) {
      failure.reason = kOutOfMemoryReason;
    }
  }
  if (!decoded) {
    // Kept for whoever wants to look into it, out of the way of the next autosave.
    const std::string kept = path + std::string(kDamagedExtension);
    fs::rename(path, kept, ec);
    if (!ec) failure.reason += "; kept as " + kept;
    ShowError(session.dialogs, FailureText(kInvalidFile, failure));
    return Recovery::Invalid;
  }
  const std::string_view stored = decoded->tracks.empty() ? "" : StoredText(decoded->tracks[0]->name);
  const std::string name = stored.empty() ? "Song" : std::string(stored);
  if (!session.dialogs.AskYesNo("Recover Unsaved Changes", "Recover Unsaved Changes To " + name + "?")) {
    RemoveAutosaveFiles(path);
    return Recovery::Declined;
  }
  InstallSong(session, std::move(*decoded));
  session.songFile = songFile;  // Save goes to the user's file, never to the autosave
  session.changes.MarkSongModified();
  autosave.onDisk = path;
  autosave.editsOnDisk = session.changes.SongReportCount();
  autosave.attempted = true;
  autosave.lastAttempt = now;
  return Recovery::Recovered;
}

}  // namespace tonforge
