#include "sequencer/song_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <new>

#include "programs/chain_editing.h"
#include "programs/program_file.h"
#include "programs/program_list.h"
#include "programs/program_modified.h"
#include "sequencer/song.h"
#include "shell/files.h"
#include "shell/show_error.h"

namespace tonforge {

namespace {

constexpr std::string_view kNotASong = "Not a song file, or a damaged one";

constexpr char kMagic[] = "UES1";
constexpr char kLegacyMagic[] = "TES1";
constexpr std::string_view kNoMemoryForSong = "Out Of Memory - Cannot Load Song";

bool AllFinite(std::initializer_list<float> values) {
  return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}

bool SongImageIsSound(const SongImage& i) {
  return AllFinite({i.tempo, i.tickAccumulator, i.samplesPerBeat, i.samplesPerTick, i.tempoSlide, i.sampleRateF,
                    i.songLevel, i.volume, i.volumeSlide}) &&
         i.programCount >= 0 && i.trackCount >= 1 && i.trackCount <= kMaxTracks;
}

bool TrackHeaderIsSound(const Track& t) { return AllFinite({t.level, t.volume, t.volumeSlide}) && t.eventCount >= 0; }

// The playing program is neither rebuilt nor upgraded (the next NoteOn replaces it), but its delay-line
// figures are the catalog's for its type all the same: nothing read from a file says how far to index.
void TakeDelayFiguresFromCatalog(Program& voice) {
  for (Engine& e : voice.engines) {
    const bool known = IsKnownType(e.type);
    e.delayLineCount = known ? BuildEngineCatalog()[e.type].delayLineCount : 0;
    e.bufferLength = known ? BuildEngineCatalog()[e.type].delayBufferLength : 0;
    LayOutDelayLines(e);
  }
}

// The events as stored, checked; sorted stably into tick order when they are not (the GlobalTrack's first
// event, the Tempo, stays first whatever its tick: the shifting commands may have moved it).
std::optional<std::vector<EventValues>> ReadEvents(ByteReader& r, int32_t count, int32_t trackCount, bool global) {
  if (!r.Has(uint64_t{static_cast<uint32_t>(count)} * kEventImageSize)) return std::nullopt;
  std::vector<EventValues> events(static_cast<std::size_t>(count));
  for (EventValues& v : events) {
    v = ReadEventImage(r);
    if (v.type < 0 || v.type >= kEventTypeCount) return std::nullopt;
    if (v.type == static_cast<int32_t>(EventType::Phrase) && v.valueA > trackCount - 1) v.valueA = trackCount - 1;
  }
  const auto first = events.begin() + (global && !events.empty() ? 1 : 0);
  const auto byTick = [](const EventValues& a, const EventValues& b) { return a.tick < b.tick; };
  if (!std::is_sorted(first, events.end(), byTick)) std::stable_sort(first, events.end(), byTick);
  return events;
}

// Links the events into the track in order. Memory that runs out leaves the rest of the track's events out.
void AppendEvents(Track& t, const std::vector<EventValues>& events, Dialogs& dialogs) {
  if (events.empty()) return;
  t.eventCount = 0;
  t.selectedEvent = 0;
  t.eventListScroll = 0;
  for (const EventValues& v : events) {
    if (t.events.InsertAfter(t.events.Last(), v) == nullptr) {
      ShowError(dialogs, "Out Of Memory - Cannot Add Event");
      break;
    }
  }
  t.eventCount = t.events.Count();
}

std::unique_ptr<Program> ReadProgram(ByteReader& r, bool legacy, bool& removed, Dialogs& dialogs) {
  if (!r.Has(kProgramRecordSize)) return nullptr;
  auto p = std::make_unique<Program>();
  ReadProgramRecord(r, *p);
  if (legacy) {
    for (Engine& e : p->engines) UpgradeLegacyEngine(e);
  }
  if (!ProgramHeaderIsSound(*p) || !ChainIsSound(p->engines)) return nullptr;
  if (!ReadDataBlocks(r, p->engines, dialogs) || !DataBlocksAreFinite(p->engines)) return nullptr;
  removed = SettleLoadedChain(p->engines, kLevelProgram) || removed;
  MarkProgramSaved(*p);
  return p;
}

std::unique_ptr<Track> ReadTrack(ByteReader& r, bool legacy, int32_t index, int32_t trackCount, bool& removed,
                                 Dialogs& dialogs) {
  if (!r.Has(kTrackImageSize)) return nullptr;
  auto t = std::make_unique<Track>();
  ReadTrackImage(r, *t);
  if (legacy) {
    for (Engine& e : t->chain) UpgradeLegacyEngine(e);
  }
  if (!TrackHeaderIsSound(*t) || !ChainIsSound(t->chain)) return nullptr;
  const auto events = ReadEvents(r, t->eventCount, trackCount, index == 0);
  if (!events || !ReadDataBlocks(r, t->chain, dialogs) || !DataBlocksAreFinite(t->chain)) return nullptr;
  AppendEvents(*t, *events, dialogs);
  removed = SettleLoadedChain(t->chain, index == 0 ? kLevelSong : kLevelTrack) || removed;
  TakeDelayFiguresFromCatalog(t->playingProgram);
  AttachChainBuffers(t->chain, dialogs);
  return t;
}

// The kept fields of the song image; the lists' scrolls and current entries start at 0. A damaged file's tempo
// and bar figures are brought inside the song's ranges, since the editor divides by them and the engines run
// on the tempo.
void ApplySongImage(const SongImage& i, Song& song) {
  song.seed = i.seed;
  song.runningRandom = i.runningRandom;
  song.tempo = std::clamp(i.tempo, kMinTempo, kMaxTempo);
  song.beatsPerBar = std::clamp(i.beatsPerBar, kMinBeatsPerBar, kMaxBeatsPerBar);
  song.ticksPerBeat = std::clamp(i.ticksPerBeat, kMinTicksPerBeat, kMaxTicksPerBeat);
  song.tickAccumulator = i.tickAccumulator;
  song.tempoSlide = i.tempoSlide;
  song.engineListScroll = i.engineListScroll;
  song.selectedEngineType = i.selectedEngineType;
  song.trackListScroll = 0;
  song.currentTrack = 0;
  song.programListScroll = 0;
  song.currentProgram = 0;
  song.songLevel = i.songLevel;
  song.volume = i.volume;
  song.volumeSlide = i.volumeSlide;
}

// Every position's buffers fitted to what the loaded programs need. A position that cannot grow loses the
// engines that needed more than it has.
void FitLoadedPositionBuffers(Session& session) {
  for (int p = 0; p < kChainLength; ++p) {
    if (FitPositionBuffers(session, p)) continue;
    ShowError(session.dialogs, "Out Of Memory - Cannot Initialise Program Engine");
    for (auto& program : session.song.programs) {
      Engine& e = program->engines[p];
      if (e.bufferLength > session.song.positionBufferSize[p]) InitProgramEngine(e, 0);
    }
    FitPositionBuffers(session, p);  // now no larger than what is there: cannot fail
  }
}

std::optional<std::string> AskSongPath(Session& session, bool save, std::string defaultName = {}) {
  FileDialogRequest request;
  request.title = save ? "Save Song" : "Load Song";
  request.startFolder = session.folders.songs;
  request.defaultName = std::move(defaultName);
  request.filters = {{"Song Files (*.tes)", "*.tes"}, {"All Files (*.*)", "*.*"}};
  auto path = save ? session.dialogs.SaveFile(request) : session.dialogs.OpenFile(request);
  if (!path) return std::nullopt;
  RememberFolder(session.folders, *path);
  StoreFolder(session.folders, session.folders.songs);
  return path;
}

}  // namespace

std::vector<uint8_t> EncodeSong(Session& session) {
  Song& song = session.song;
  std::vector<uint8_t> bytes;
  // Sized once: the autosave encodes on the main thread, between two blocks of the live output.
  std::size_t size = 4 + kSongImageSize;
  for (const auto& program : song.programs) size += kProgramRecordSize + DataBlockBytes(program->engines);
  for (int32_t i = 0; i < song.tracks.Count(); ++i) {
    const Track& t = *song.tracks.At(i);
    size += kTrackImageSize + kEventImageSize * static_cast<std::size_t>(t.events.Count()) + DataBlockBytes(t.chain);
  }
  bytes.reserve(size);
  ByteWriter w(bytes);
  w.Bytes(kMagic, 4);
  WriteSongImage(w, MakeSongImage(song, session.rate));
  for (auto& program : song.programs) {
    program->engineCount = static_cast<uint32_t>(UsedChainLength(program->engines));
    WriteProgramRecord(w, *program);
    WriteDataBlocks(w, program->engines);
  }
  for (int32_t i = 0; i < song.tracks.Count(); ++i) {
    const Track& t = *song.tracks.At(i);
    WriteTrackImage(w, t);
    for (const Event* e = t.events.First(); e != nullptr; e = EventList::Next(e)) WriteEventImage(w, *e);
    WriteDataBlocks(w, t.chain);
  }
  return bytes;
}

std::optional<DecodedSong> DecodeSong(std::span<const uint8_t> bytes, Dialogs& dialogs) {
  ByteReader r(bytes);
  char magic[4] = {};
  r.Bytes(magic, sizeof magic);
  const bool legacy = std::memcmp(magic, kLegacyMagic, 4) == 0;
  if (r.Failed() || (!legacy && std::memcmp(magic, kMagic, 4) != 0)) return std::nullopt;
  if (!r.Has(kSongImageSize)) return std::nullopt;
  DecodedSong song;
  ReadSongImage(r, song.image);
  const SongImage& image = song.image;
  if (!SongImageIsSound(image)) return std::nullopt;
  const uint64_t leastBytes = uint64_t{static_cast<uint32_t>(image.programCount)} * kProgramRecordSize +
                              uint64_t{static_cast<uint32_t>(image.trackCount)} * kTrackImageSize;
  if (!r.Has(leastBytes)) return std::nullopt;

  song.programs.reserve(static_cast<std::size_t>(image.programCount));
  for (int32_t i = 0; i < image.programCount; ++i) {
    song.programs.push_back(ReadProgram(r, legacy, song.invalidEnginesRemoved, dialogs));
    if (!song.programs.back()) return std::nullopt;
  }
  song.tracks.reserve(static_cast<std::size_t>(image.trackCount));
  for (int32_t i = 0; i < image.trackCount; ++i) {
    song.tracks.push_back(ReadTrack(r, legacy, i, image.trackCount, song.invalidEnginesRemoved, dialogs));
    if (!song.tracks.back()) return std::nullopt;
  }
  return song;
}

void InstallSong(Session& session, DecodedSong decoded) {
  StopPlayback(session);
  FreeAllPrograms(session);
  ClearEngineClipboard(session);
  DeleteAllTracks(session);

  Song& song = session.song;
  ApplySongImage(decoded.image, song);
  song.programs = std::move(decoded.programs);
  for (auto& track : decoded.tracks) song.tracks.Insert(song.tracks.Count(), std::move(track));
  FitLoadedPositionBuffers(session);

  const int32_t rate = decoded.image.sampleRate;
  if (IsOutputRate(rate) && session.soundSide.switchOutputRate)
    session.soundSide.switchOutputRate(session, rate);
  else if (IsOutputRate(rate))
    SetOutputRate(session.rate, rate, song.tempo, song.ticksPerBeat);
  else
    UpdateBeatFigures(session.rate, song.tempo, song.ticksPerBeat);
  session.changes.ReportAll();
  session.changes.MarkSongSaved();
  if (decoded.invalidEnginesRemoved) ShowInformation(session.dialogs, kInvalidEnginesRemoved);
}

SongFileResult LoadSongFile(Session& session, std::string path, FileFailure* failure) {
  ApplyExtensionRule(path, kSongExtension);
  return LoadSongFileAsNamed(session, path, failure);
}

SongFileResult LoadSongFileAsNamed(Session& session, const std::string& path, FileFailure* failure) {
  StopPlayback(session);
  std::vector<uint8_t> bytes;
  switch (ReadWholeFile(path, bytes, failure)) {
    case FileReadStatus::CannotOpen:
      return SongFileResult::CannotOpen;
    case FileReadStatus::OutOfMemory:
      ShowError(session.dialogs, kNoMemoryForSong);
      return SongFileResult::Failed;
    case FileReadStatus::Ok:
      break;
  }
  std::optional<DecodedSong> decoded;
  try {
    decoded = DecodeSong(bytes, session.dialogs);
  } catch (const std::bad_alloc&) {
    ShowError(session.dialogs, kNoMemoryForSong);
    return SongFileResult::Failed;
  }
  if (!decoded) {
    ShowError(session.dialogs, FailureText(kInvalidFile, {path, std::string(kNotASong)}));
    return SongFileResult::Invalid;
  }
  InstallSong(session, std::move(*decoded));
  session.songFile = path;
  return SongFileResult::Done;
}

SongFileResult SaveSongFile(Session& session, std::string path) {
  StopPlayback(session);
  ApplyExtensionRule(path, kSongExtension);
  bool written = false;
  FileFailure failure{path, std::string(kOutOfMemoryReason)};
  try {
    written = ReplaceFile(path, EncodeSong(session), &failure);
  } catch (const std::bad_alloc&) {
    written = false;
  }
  if (written) {
    session.changes.MarkSongSaved();
    session.songFile = path;
    return SongFileResult::Done;
  }
  ShowError(session.dialogs, FailureText(kSaveFailed, failure));
  return SongFileResult::Failed;
}

bool SaveSong(Session& session) {
  StopPlayback(session);
  const Track* global = TrackAt(session.song, 0);
  const auto path = AskSongPath(session, true, DefaultFileName(global ? StoredText(global->name) : "Song", kSongExtension));
  return path && SaveSongFile(session, *path) == SongFileResult::Done;
}

bool SaveSongToItsFile(Session& session) {
  if (session.songFile.empty()) return SaveSong(session);
  return SaveSongFile(session, session.songFile) == SongFileResult::Done;
}

std::string SongName(const Session& session) {
  const Track* global = TrackAt(session.song, 0);
  const std::string name(global ? StoredText(global->name) : std::string_view());
  return name.empty() ? "Song" : name;
}

bool OfferToSaveChanges(Session& session) {
  if (!session.changes.SongModified()) return true;
  const std::string question = "Save Changes To " + SongName(session) + "?";
  switch (session.dialogs.AskYesNoCancel("Save Changes", question)) {
    case Answer::Yes:
      return SaveSongToItsFile(session);
    case Answer::No:
      return true;
    case Answer::Cancel:
      break;
  }
  return false;
}

bool LoadSong(Session& session) {
  StopPlayback(session);
  if (!OfferToSaveChanges(session)) return false;
  const auto path = AskSongPath(session, false);
  if (!path) return false;
  FileFailure failure;
  const SongFileResult result = LoadSongFile(session, *path, &failure);
  if (result == SongFileResult::CannotOpen) ShowError(session.dialogs, FailureText(kInvalidFile, failure));
  return result == SongFileResult::Done;
}

}  // namespace tonforge
