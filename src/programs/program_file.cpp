#include "programs/program_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "programs/program_list.h"
#include "programs/program_modified.h"
#include "shell/files.h"
#include "shell/show_error.h"

namespace tonforge {

namespace {

constexpr std::string_view kNotAProgram = "Not a program file, or a damaged one";

constexpr char kMagic[] = "UEP1";
constexpr char kLegacyMagic[] = "TEP1";
constexpr std::string_view kExtension = ".tep";

// The runtime fields only mean something in a playing copy; a stored program holds them at zero.
void ClearRuntimeFields(Program& p) {
  p.volumeSlide = 0.0f;
  p.transpose = 0;
  p.pitchOffset = 0;
  p.pitchSlide = 0;
  p.panSlide = 0;
}

Track* CurrentTrack(Session& session) { return session.song.tracks.At(session.song.currentTrack); }

std::optional<std::string> AskPath(Session& session, bool save, std::string& folder, std::string defaultName = {}) {
  FileDialogRequest request;
  request.title = save ? "Save Program" : "Load Program";
  request.startFolder = folder;
  request.defaultName = std::move(defaultName);
  request.filters = {{"Program Files (*.tep)", "*.tep"}, {"All Files (*.*)", "*.*"}};
  auto path = save ? session.dialogs.SaveFile(request) : session.dialogs.OpenFile(request);
  if (!path) return std::nullopt;
  RememberFolder(session.folders, *path);
  StoreFolder(session.folders, folder);
  return path;
}

bool WriteProgramFile(Session& session, std::string path, Program& program) {
  ApplyExtensionRule(path, kExtension);
  program.engineCount = static_cast<uint32_t>(UsedChainLength(program.engines));
  bool written = false;
  FileFailure failure{path, std::string(kOutOfMemoryReason)};
  try {
    const std::vector<uint8_t> bytes = EncodeProgramFile(program);
    written = ReplaceFile(path, bytes, &failure);
  } catch (const std::bad_alloc&) {
    written = false;
  }
  if (written) MarkProgramSaved(program);
  else ShowError(session.dialogs, FailureText(kSaveFailed, failure));
  return written;
}

// Reads and decodes a program file for the level. Shows the refusal itself, with the file and the reason.
std::optional<DecodedProgram> ReadAndDecode(Session& session, const std::string& path, uint32_t levelFlag) {
  std::vector<uint8_t> bytes;
  FileFailure failure;
  switch (ReadWholeFile(path, bytes, &failure)) {
    case FileReadStatus::CannotOpen:
      ShowError(session.dialogs, FailureText(kInvalidFile, failure));
      return std::nullopt;
    case FileReadStatus::OutOfMemory:
      ShowError(session.dialogs, "Out Of Memory - Cannot Load Modulator Data");
      return std::nullopt;
    case FileReadStatus::Ok:
      break;
  }
  auto decoded = DecodeProgramFile(bytes, levelFlag, session.dialogs);
  if (!decoded) ShowError(session.dialogs, FailureText(kInvalidFile, {path, std::string(kNotAProgram)}));
  return decoded;
}

std::optional<DecodedProgram> AskAndDecode(Session& session, std::string& folder, uint32_t levelFlag) {
  const auto path = AskPath(session, false, folder);
  if (!path) return std::nullopt;
  return ReadAndDecode(session, *path, levelFlag);
}

void ReportRemovedEngines(Session& session, const DecodedProgram& decoded) {
  if (decoded.invalidEnginesRemoved) ShowInformation(session.dialogs, kInvalidEnginesRemoved);
}

}  // namespace

bool ProgramHeaderIsSound(const Program& p) {
  return std::isfinite(p.level) && std::isfinite(p.volume) && p.pan >= 0 && p.pan <= 200;
}

bool ChainIsSound(const Chain& chain) {
  return std::all_of(chain.begin(), chain.end(), [](const Engine& e) { return EngineImageIsSound(e); });
}

bool SettleLoadedChain(Chain& chain, uint32_t levelFlag) {
  bool removed = false;
  for (Engine& e : chain) {
    if (!IsEngineValidAt(e.type, levelFlag)) {
      InitProgramEngine(e, 0);
      removed = true;
    }
    SettleLoadedEngine(e);
  }
  return removed;
}

void AttachChainBuffers(Chain& chain, Dialogs& dialogs) {
  for (Engine& e : chain) {
    if (e.bufferLength == 0) continue;
    e.left = AllocateSamples(e.bufferLength);
    e.right = AllocateSamples(e.bufferLength);
    if (!e.left || !e.right) {
      ShowError(dialogs, "Out Of Memory - Cannot Initialise Track Engine");
      InitProgramEngine(e, 0);
    }
  }
}

std::string DefaultFileName(std::string_view name, std::string_view extension) {
  std::string file(name);
  std::replace_if(file.begin(), file.end(), [](char c) { return c == ':' || c == '/' || c == '\\'; }, ' ');
  ApplyExtensionRule(file, extension);
  return file;
}

void UpgradeLegacyEngine(Engine& e) {
  constexpr uint32_t kOldReverb = 35;
  if (e.type == kOldReverb) {
    e.type = static_cast<uint32_t>(EngineTypeId::StereoReverbXY);
    e.F[1] = std::sqrt(e.F[1]);
  } else if (e.type > kOldReverb && e.type <= kEngineTypeCount) {
    e.type += 2;  // anything that was not an old type stays unknown instead of wrapping round
  }
  const auto t = static_cast<EngineTypeId>(e.type);
  const bool filter = e.type >= static_cast<uint32_t>(EngineTypeId::MoogVcf) &&
                      e.type <= static_cast<uint32_t>(EngineTypeId::PeakingFilter);
  if (filter) {
    const float rootOfCutoff = std::sqrt(e.F[0]);
    for (DataSlot& s : e.slots) {
      if (s.loaded != 0) s.gain = std::sqrt(s.gain + e.F[0]) - rootOfCutoff;
    }
    e.F[0] = rootOfCutoff;
  }
  if (t == EngineTypeId::PeakingFilter) {
    e.C[1] = e.F[1] * 4.0f * 0.125f;
    e.F[1] = 1.0f - e.C[1];
  }
  if (t == EngineTypeId::BandPassFilter) {
    e.C[1] = e.C[1] * 0.125f;
    e.F[1] = 1.0f - e.C[1];
  }
  if (t == EngineTypeId::BandPassFilter || t == EngineTypeId::BandExcludeFilter || t == EngineTypeId::PeakingFilter) {
    e.F[1] = std::clamp(e.F[1].Load(), 0.01f, 0.99f);
    e.C[1] = 1.0f - e.F[1];
  }
  // A value the rescaling left outside its parameter's range is brought in when the engine is settled.
}

std::vector<uint8_t> EncodeProgramFile(const Program& program) {
  std::vector<uint8_t> bytes;
  bytes.reserve(kProgramFileHeaderSize + kProgramRecordSize + DataBlockBytes(program.engines));
  ByteWriter w(bytes);
  w.Bytes(kMagic, 4);
  WriteProgramRecord(w, program);
  WriteDataBlocks(w, program.engines);
  return bytes;
}

std::optional<DecodedProgram> DecodeProgramFile(std::span<const uint8_t> bytes, uint32_t levelFlag, Dialogs& dialogs) {
  ByteReader r(bytes);
  char magic[4] = {};
  r.Bytes(magic, sizeof magic);
  const bool legacy = std::memcmp(magic, kLegacyMagic, 4) == 0;
  if (r.Failed() || (!legacy && std::memcmp(magic, kMagic, 4) != 0)) return std::nullopt;
  if (!r.Has(kProgramRecordSize)) return std::nullopt;

  DecodedProgram decoded;
  try {
    decoded.program = std::make_unique<Program>();
  } catch (const std::bad_alloc&) {
    ShowError(dialogs, "Out Of Memory - Cannot Create New Program");
    return std::nullopt;
  }
  Program& p = *decoded.program;
  ReadProgramRecord(r, p);
  if (legacy) {
    for (Engine& e : p.engines) UpgradeLegacyEngine(e);
  }
  if (!ProgramHeaderIsSound(p) || !ChainIsSound(p.engines)) return std::nullopt;
  if (!ReadDataBlocks(r, p.engines, dialogs) || !DataBlocksAreFinite(p.engines)) return std::nullopt;

  ClearRuntimeFields(p);
  decoded.invalidEnginesRemoved = SettleLoadedChain(p.engines, levelFlag);
  p.engineCount = static_cast<uint32_t>(UsedChainLength(p.engines));
  MarkProgramSaved(p);
  return decoded;
}

bool SaveProgram(Session& session) {
  StopPlayback(session);
  Program* program = CurrentProgram(session);
  if (program == nullptr) return false;
  auto path = AskPath(session, true, session.folders.instrumentPrograms, DefaultFileName(StoredText(program->name), kExtension));
  if (!path) return false;
  return WriteProgramFile(session, *path, *program);
}

bool SaveProgramChain(Session& session) {
  StopPlayback(session);
  const Track* track = CurrentTrack(session);
  if (track == nullptr) return false;
  auto path = AskPath(session, true, session.folders.trackPrograms, DefaultFileName(StoredText(track->name), kExtension));
  if (!path) return false;
  // The chain is stored as a program built from nothing but the track's name, level, pan and engines.
  Program record;
  record.name = track->name;
  record.level = track->level;
  record.volume = 1.0f;
  record.pan = track->pan;
  record.engines = track->chain;
  return WriteProgramFile(session, *path, record);
}

bool LoadProgramNew(Session& session) {
  StopPlayback(session);
  const auto path = AskPath(session, false, session.folders.instrumentPrograms);
  return path && LoadProgramFileNew(session, *path);
}

bool LoadProgramFileNew(Session& session, const std::string& path) {
  StopPlayback(session);
  auto decoded = ReadAndDecode(session, path, kLevelProgram);
  if (!decoded) return false;
  Program* program = NewProgram(session);
  if (program == nullptr) return false;
  *program = std::move(*decoded->program);
  SelectProgram(session, ProgramCount(session.song) - 1);
  FitProgramBuffers(session, *program);
  ReportRemovedEngines(session, *decoded);
  session.changes.Report(Change::Program);
  return true;
}

bool LoadProgramReplace(Session& session) {
  StopPlayback(session);
  Program* program = CurrentProgram(session);
  if (program == nullptr || !OfferToSaveProgram(session, *program)) return false;
  auto decoded = AskAndDecode(session, session.folders.instrumentPrograms, kLevelProgram);
  if (!decoded) return false;
  // The old engines' sample data goes with the record it is replaced by; the positions they sized are fitted
  // again to what the programs now need.
  *program = std::move(*decoded->program);
  FitProgramBuffers(session, *program);
  ValidateAllTracks(session.song);
  ReportRemovedEngines(session, *decoded);
  session.changes.Report(Change::Program, Change::Chain, Change::Events);
  return true;
}

bool LoadProgramChain(Session& session) {
  StopPlayback(session);
  Track* track = CurrentTrack(session);
  if (track == nullptr) return false;
  const uint32_t levelFlag = session.song.currentTrack == 0 ? kLevelSong : kLevelTrack;
  auto decoded = AskAndDecode(session, session.folders.trackPrograms, levelFlag);
  if (!decoded) return false;
  Program& loaded = *decoded->program;
  AttachChainBuffers(loaded.engines, session.dialogs);
  for (int p = 0; p < kChainLength; ++p) {
    ReleaseTrackEngine(track->chain[p]);
    track->chain[p] = std::move(loaded.engines[p]);
  }
  // The track keeps its own name.
  track->level = loaded.level;
  track->pan = loaded.pan;
  ValidateAllTracks(session.song);
  ReportRemovedEngines(session, *decoded);
  return true;
}

}  // namespace tonforge
