#include "programs/program_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "audio/playback.h"
#include "shell/show_error.h"

namespace tonforge {

namespace {

constexpr char kMagic[] = "UEP1";
constexpr char kLegacyMagic[] = "TEP1";
constexpr std::string_view kExtension = ".tep";
constexpr std::string_view kInvalidFile = "Invalid File";
constexpr std::string_view kSaveFailed = "Could Not Save File";

// ---------------------------------------------------------------------------------------------------------
// The program list's bookkeeping. These few functions are the only places where a load touches the list,
// the position buffers and the events, so the program list module can take them over one by one.

// Appends a loaded program, makes it current and keeps the visible rows around it.
void AppendProgram(AppState& app, std::unique_ptr<Program> program) {
  Song& song = app.song;
  song.programs.push_back(std::move(program));
  song.currentProgram = static_cast<int32_t>(song.programs.size()) - 1;
  if (song.currentProgram < song.programListScroll) song.programListScroll = song.currentProgram;
  if (song.currentProgram - song.programListScroll > 8) song.programListScroll = song.currentProgram - 8;
}

void AllocatePositionBuffers(PositionBuffers& buffers, int p, uint32_t size) {
  buffers.left[p] = AllocateSamples(size);
  buffers.right[p] = AllocateSamples(size);
}

// PositionBufferSize[p] is the largest delay buffer any program needs at position p; the live voice and every
// track but the GlobalTrack carry buffers of that size.
void FitPositionBuffers(AppState& app) {
  Song& song = app.song;
  for (int p = 0; p < kChainLength; ++p) {
    uint32_t size = 0;
    for (const auto& program : song.programs) size = std::max(size, program->engines[p].bufferLength);
    if (size == song.positionBufferSize[p]) continue;
    song.positionBufferSize[p] = size;
    AllocatePositionBuffers(app.live.buffers, p, size);
    for (int32_t t = 1; t < song.tracks.Count(); ++t) AllocatePositionBuffers(song.tracks.At(t)->voiceBuffers, p, size);
  }
}

// Keeps one event parameter within its engine's parameter, or turns it into a reset when it has none.
void FitParameterEvent(Event& e, const Engine* engine) {
  const bool known = engine != nullptr && IsKnownType(engine->type) && e.valueA >= 0 && e.valueA < kParameterCount;
  const ParameterSpec* spec = known ? &BuildEngineCatalog()[engine->type].parameters[e.valueA] : nullptr;
  if (spec == nullptr || spec->present == 0) {
    e.valueA = kResetParameter;
    e.valueB = 0;
    return;
  }
  e.valueB = std::clamp(e.valueB, spec->minimum, spec->maximum);
}

// Re-links every track's events to the programs and chains after they changed.
void ValidateEventsOnEveryTrack(AppState& app) {
  const auto programCount = static_cast<int32_t>(app.song.programs.size());
  constexpr auto kProgramParameter = static_cast<int32_t>(EventType::ProgramEngineParameter);
  constexpr auto kTrackParameter = static_cast<int32_t>(EventType::TrackEngineParameter);
  for (int32_t t = 0; t < app.song.tracks.Count(); ++t) {
    Track& track = *app.song.tracks.At(t);
    int32_t current = -1;
    for (Event* e = track.events.First(); e != nullptr; e = EventList::Next(e)) {
      if (e->type == static_cast<int32_t>(EventType::NoteOn)) {
        if (e->valueB < 0 || e->valueB > programCount - 1) e->valueB = 0;
        current = e->valueB;
      } else if (e->type >= kProgramParameter && e->type < kProgramParameter + kChainLength &&
                 e->valueA != kResetParameter) {
        const bool hasProgram = current >= 0 && current < programCount;
        FitParameterEvent(*e, hasProgram ? &app.song.programs[current]->engines[e->type - kProgramParameter] : nullptr);
      } else if (e->type >= kTrackParameter && e->type < kTrackParameter + kChainLength &&
                 e->valueA != kResetParameter) {
        FitParameterEvent(*e, &track.chain[e->type - kTrackParameter]);
      }
    }
  }
}
// ---------------------------------------------------------------------------------------------------------

bool EngineAllowedAt(uint32_t type, uint32_t levelFlag) { return (TypeLevelFlags(type) & levelFlag) != 0; }

bool HeaderIsSound(const Program& p) {
  return std::isfinite(p.level) && std::isfinite(p.volume) && p.pan >= 0 && p.pan <= 200;
}

// The runtime fields only mean something in a playing copy; a stored program holds them at zero.
void ClearRuntimeFields(Program& p) {
  p.volumeSlide = 0.0f;
  p.transpose = 0;
  p.pitchOffset = 0;
  p.pitchSlide = 0;
  p.panSlide = 0;
}

// A stored name up to its NUL (or its whole width when it has none).
template <std::size_t N>
std::string_view NameOf(const std::array<char, N>& name) {
  return std::string_view(name.data(), std::find(name.begin(), name.end(), '\0') - name.begin());
}

Program* CurrentProgram(AppState& app) {
  const Song& song = app.song;
  if (song.currentProgram < 0 || song.currentProgram >= static_cast<int32_t>(song.programs.size())) return nullptr;
  return song.programs[song.currentProgram].get();
}

Track* CurrentTrack(AppState& app) { return app.song.tracks.At(app.song.currentTrack); }

std::optional<std::string> AskPath(AppState& app, bool save, std::string& folder, std::string defaultName = {}) {
  FileDialogRequest request;
  request.title = save ? "Save Program" : "Load Program";
  request.startFolder = folder;
  request.defaultName = std::move(defaultName);
  request.filters = {{"Program Files (*.tep)", "*.tep"}, {"All Files (*.*)", "*.*"}};
  auto path = save ? app.dialogs.SaveFile(request) : app.dialogs.OpenFile(request);
  if (!path) return std::nullopt;
  RememberFolder(app.folders, *path);
  StoreFolder(app.folders, folder);
  return path;
}

bool WriteProgramFile(AppState& app, std::string path, Program& program) {
  ApplyExtensionRule(path, kExtension);
  program.engineCount = CountUsedEngines(program.engines);
  bool written = false;
  try {
    const std::vector<uint8_t> bytes = EncodeProgramFile(program);
    written = ReplaceFile(path, bytes);
  } catch (const std::bad_alloc&) {
    written = false;
  }
  if (!written) ShowError(app.dialogs, kSaveFailed);
  return written;
}

// Asks for a program file and decodes it for the level. Shows the refusal itself.
std::optional<DecodedProgram> AskAndDecode(AppState& app, std::string& folder, uint32_t levelFlag) {
  const auto path = AskPath(app, false, folder);
  if (!path) return std::nullopt;
  std::vector<uint8_t> bytes;
  switch (ReadWholeFile(*path, bytes)) {
    case FileReadStatus::CannotOpen:
      return std::nullopt;
    case FileReadStatus::OutOfMemory:
      ShowError(app.dialogs, "Out Of Memory - Cannot Load Modulator Data");
      return std::nullopt;
    case FileReadStatus::Ok:
      break;
  }
  auto decoded = DecodeProgramFile(bytes, levelFlag, app.dialogs);
  if (!decoded) ShowError(app.dialogs, kInvalidFile);
  return decoded;
}

void ReportRemovedEngines(AppState& app, const DecodedProgram& decoded) {
  if (decoded.invalidEnginesRemoved) ShowInformation(app.dialogs, kInvalidEnginesRemoved);
}

// Gives every chain engine with delay lines its own two buffers; an engine whose buffers cannot be had
// becomes empty.
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

}  // namespace

void ApplyExtensionRule(std::string& path, std::string_view extension) {
  const std::size_t n = path.size();
  if (n > 249) return;
  if (n >= 4 && path[n - 4] == '.') path.resize(n - 4);
  path += extension;
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
    e.F[1] = std::clamp(e.F[1], 0.01f, 0.99f);
    e.C[1] = 1.0f - e.F[1];
  }
  // The older ranges were not all the same as today's: a value the rescaling left outside its parameter's
  // range is brought to the nearest end (the complement stays as the conversion left it).
  if (!IsKnownType(e.type)) return;
  const EngineType& type = BuildEngineCatalog()[e.type];
  for (int k = 0; k < kParameterCount; ++k) {
    const ParameterSpec& spec = type.parameters[k];
    if (spec.present == 0 || !std::isfinite(e.F[k])) continue;
    e.F[k] = std::clamp(e.F[k], static_cast<float>(spec.minimum) * 0.01f, static_cast<float>(spec.maximum) * 0.01f);
  }
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
  if (!HeaderIsSound(p)) return std::nullopt;
  for (const Engine& e : p.engines) {
    if (!EngineImageIsSound(e)) return std::nullopt;
  }
  if (!ReadDataBlocks(r, p.engines, dialogs) || !DataBlocksAreFinite(p.engines)) return std::nullopt;

  ClearRuntimeFields(p);
  for (Engine& e : p.engines) {
    if (!EngineAllowedAt(e.type, levelFlag)) {
      InitProgramEngine(e, 0);
      decoded.invalidEnginesRemoved = true;
    }
    SettleLoadedEngine(e);
  }
  p.engineCount = CountUsedEngines(p.engines);
  return decoded;
}

bool SaveProgram(AppState& app) {
  StopPlayback(app);
  Program* program = CurrentProgram(app);
  if (program == nullptr) return false;
  auto path = AskPath(app, true, app.folders.instrumentPrograms, DefaultFileName(NameOf(program->name), kExtension));
  if (!path) return false;
  return WriteProgramFile(app, *path, *program);
}

bool SaveProgramChain(AppState& app) {
  StopPlayback(app);
  const Track* track = CurrentTrack(app);
  if (track == nullptr) return false;
  auto path = AskPath(app, true, app.folders.trackPrograms, DefaultFileName(NameOf(track->name), kExtension));
  if (!path) return false;
  // The chain is stored as a program built from nothing but the track's name, level, pan and engines.
  Program record;
  record.name = track->name;
  record.level = track->level;
  record.volume = 1.0f;
  record.pan = track->pan;
  record.engines = track->chain;
  return WriteProgramFile(app, *path, record);
}

bool LoadProgramNew(AppState& app) {
  StopPlayback(app);
  auto decoded = AskAndDecode(app, app.folders.instrumentPrograms, kLevelProgram);
  if (!decoded) return false;
  AppendProgram(app, std::move(decoded->program));
  FitPositionBuffers(app);
  ReportRemovedEngines(app, *decoded);
  return true;
}

bool LoadProgramReplace(AppState& app) {
  StopPlayback(app);
  if (CurrentProgram(app) == nullptr) return false;
  auto decoded = AskAndDecode(app, app.folders.instrumentPrograms, kLevelProgram);
  if (!decoded) return false;
  // The old engines' sample data goes with the record it is replaced by.
  *app.song.programs[app.song.currentProgram] = std::move(*decoded->program);
  FitPositionBuffers(app);
  ValidateEventsOnEveryTrack(app);
  ReportRemovedEngines(app, *decoded);
  return true;
}

bool LoadProgramChain(AppState& app) {
  StopPlayback(app);
  Track* track = CurrentTrack(app);
  if (track == nullptr) return false;
  const uint32_t levelFlag = app.song.currentTrack == 0 ? kLevelSong : kLevelTrack;
  auto decoded = AskAndDecode(app, app.folders.trackPrograms, levelFlag);
  if (!decoded) return false;
  Program& loaded = *decoded->program;
  AttachChainBuffers(loaded.engines, app.dialogs);
  for (int p = 0; p < kChainLength; ++p) {
    ReleaseTrackEngine(track->chain[p]);
    track->chain[p] = std::move(loaded.engines[p]);
  }
  // The track keeps its own name.
  track->level = loaded.level;
  track->pan = loaded.pan;
  ValidateEventsOnEveryTrack(app);
  ReportRemovedEngines(app, *decoded);
  return true;
}

}  // namespace tonforge
