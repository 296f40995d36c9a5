#include "app/dropped_file.h"

#include <algorithm>
#include <cctype>

#include "programs/data_slot_commands.h"
#include "programs/program_file.h"
#include "programs/wave_import.h"
#include "sequencer/song_file.h"
#include "shell/show_error.h"

namespace tonforge {

namespace {

constexpr std::string_view kNoSlotForSounds = "The Selected Engine Takes No Sound Files";

bool EndsWith(std::string_view path, std::string_view extension) {
  if (path.size() < extension.size()) return false;
  return std::equal(extension.begin(), extension.end(), path.end() - static_cast<long>(extension.size()),
                    [](char e, char p) { return std::tolower(static_cast<unsigned char>(p)) == e; });
}

bool OpenSong(AppState& app, const std::string& path) {
  StopPlayback(app);
  if (!OfferToSaveChanges(app)) return false;
  FileFailure failure;
  const SongFileResult result = LoadSongFile(app, path, &failure);
  if (result == SongFileResult::CannotOpen) ShowError(app.dialogs, FailureText(kInvalidFile, failure));
  // A loaded song changes everything the panels show.
  if (result == SongFileResult::Done) app.changes.ReportAll();
  return result == SongFileResult::Done;
}

bool OpenSound(AppState& app, const std::string& path, DropPlace place) {
  const int k = SlotForDroppedSound(app, place.slot);
  if (k < 0) {
    ShowError(app.dialogs, kNoSlotForSounds);
    return false;
  }
  const bool done = ImportSoundFile(app, k, path, place.fullRange ? ImportLevel::FullRange : ImportLevel::AsRecorded);
  if (done) app.changes.Report(Change::Engine);
  return done;
}

}  // namespace

DroppedKind KindOfDroppedFile(std::string_view path) {
  if (EndsWith(path, ".tes")) return DroppedKind::Song;
  if (EndsWith(path, ".tep")) return DroppedKind::Program;
  return DroppedKind::Sound;
}

int SlotForDroppedSound(Session& session, int dropped) {
  const Engine* e = SelectedEngine(session);
  if (e == nullptr || !IsKnownType(e->type)) return -1;
  const auto& slots = session.catalog[e->type].dataSlots;
  const auto takes = [&](int k) { return slots[k].kind != SlotKind::None; };
  if (dropped >= 0 && dropped < kDataSlotCount && takes(dropped)) return dropped;
  for (int k = 0; k < kDataSlotCount; ++k)
    if (takes(k) && e->slots[k].loaded == 0) return k;
  for (int k = 0; k < kDataSlotCount; ++k)
    if (takes(k)) return k;
  return -1;
}

bool OpenDroppedFile(AppState& app, const std::string& path, DropPlace place) {
  switch (KindOfDroppedFile(path)) {
    case DroppedKind::Song: return OpenSong(app, path);
    case DroppedKind::Program: {
      const bool done = LoadProgramFileNew(app, path);
      if (done) app.changes.Report(Change::ProgramList, Change::Program);
      return done;
    }
    case DroppedKind::Sound: return OpenSound(app, path, place);
  }
  return false;
}

}  // namespace tonforge
