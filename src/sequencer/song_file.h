#pragma once
// Song files (*.tes): the song image, every program with its sample data, and every track with its events
// and its chain's sample data. A file is read and checked whole into new records before the current song is
// replaced, so a damaged file changes nothing.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sequencer/song_image.h"
#include "shell/files.h"
#include "song/session.h"

namespace tonforge {

inline constexpr std::string_view kSongExtension = ".tes";

// "UES1", the song image, the programs, the tracks. Programs get their engine count first.
std::vector<uint8_t> EncodeSong(Session& session);

struct DecodedSong {
  SongImage image;
  std::vector<std::unique_ptr<Program>> programs;
  std::vector<std::unique_ptr<Track>> tracks;  // GlobalTrack first; chain buffers attached
  bool invalidEnginesRemoved = false;
};

// Reads and checks a whole song file. Nothing is returned when it is not a sound song file: wrong magic, a
// count that the bytes after it cannot hold, 0 or more than 512 tracks, an unknown engine type (after the
// legacy upgrade), a loaded-slot count above four, missing sample data, an unknown event type, or a value
// that is not a finite number. Events out of tick order are sorted stably (the GlobalTrack's first event
// stays first); Phrase sources beyond the last track name the last track; engines not allowed at their chain
// level come back empty. Out-of-memory messages for single blocks, buffers or events go to `dialogs`; those
// items are left empty and the load goes on.
std::optional<DecodedSong> DecodeSong(std::span<const uint8_t> bytes, Dialogs& dialogs);

// Replaces the current song with a decoded one: programs, tracks, position buffers, current track and
// program 0, and the OutputRate switched to the song's stored rate when it is 11025, 22050 or 44100.
void InstallSong(Session& session, DecodedSong song);

enum class SongFileResult { Done, CannotOpen, Invalid, Failed };

// Without dialogs, for the commands, the headless renderer and the asset generator. Loading shows "Invalid
// File" for a file that is refused and leaves the song untouched; saving writes beside the target and renames,
// showing "Could Not Save File" and keeping the old file when anything fails.
SongFileResult LoadSongFile(Session& session, std::string path, FileFailure* failure = nullptr);
// The same for exactly the file named, without the dialogs' extension rule (the headless renderer's).
SongFileResult LoadSongFileAsNamed(Session& session, const std::string& path, FileFailure* failure = nullptr);
SongFileResult SaveSongFile(Session& session, std::string path);

// The song panel's commands: stop playback, ask for a path in the Songs folder, load or save. True only when
// the song or the file changed.
bool SaveSong(Session& session);
bool LoadSong(Session& session);
// Ctrl+S: saves to the file the song came from or was last saved to, asking for a path only for a new song.
bool SaveSongToItsFile(Session& session);
// The GlobalTrack's name, "Song" when it has none.
std::string SongName(const Session& session);
// Before the song is dropped (quit, load, new): when it is modified, asks "Save Changes To <name>?". True
// when the caller may go on: the song was not modified, the user answered No, or Yes and the save succeeded.
bool OfferToSaveChanges(Session& session);

}  // namespace tonforge
