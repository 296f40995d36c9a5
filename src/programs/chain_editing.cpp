#include "programs/chain_editing.h"

#include <utility>

#include "audio/playback.h"
#include "programs/program_list.h"
#include "sequencer/song.h"
#include "shell/show_error.h"

namespace tonforge {

namespace {

constexpr uint32_t kProgramMode = 1;
constexpr uint32_t kTrackMode = 0;

bool IsChainPosition(int32_t p) { return p >= 0 && p < kChainLength; }

void MoveEngine(AppState& app, int32_t step) {
  const int32_t from = app.chainEditor.selectedPosition;
  const int32_t to = from + step;
  EditedChain chain = CurrentChain(app);
  if (chain.engines == nullptr || !IsChainPosition(from) || !IsChainPosition(to)) return;
  StopPlayback(app);
  std::array<Engine, kChainLength>& engines = *chain.engines;
  std::swap(engines[from], engines[to]);  // a track engine's own buffers travel with it
  if (chain.program != nullptr) {
    if (!FitPositionBuffers(app, from, to)) {
      std::swap(engines[from], engines[to]);
      ShowError(app.dialogs, "Out Of Memory - Cannot Move Engine");
      return;
    }
    app.chainEditor.selectedPosition = to;
    ValidateAllTracks(app.song);
  } else {
    app.chainEditor.selectedPosition = to;
    ValidateEvents(app.song, *chain.track);
  }
  // Panels to redraw: the chain editor and the engine editor.
}

void PasteIntoProgram(AppState& app, Program& program, int32_t p) {
  Engine incoming =
      CopyEngineWithData(app.engineClipboard.engine, app.dialogs, "Out Of Memory - Cannot Paste Modulator Data");
  if (!ReplaceProgramEngine(app, program, p, std::move(incoming))) {
    ShowError(app.dialogs, "Out Of Memory - Cannot Paste Engine");
    return;
  }
  ValidateAllTracks(app.song);
}

void PasteIntoTrack(AppState& app, Track& track, int32_t p) {
  const Engine& source = app.engineClipboard.engine;
  SampleBlock left, right;
  if (source.delayLineCount != 0) {
    left = AllocateSamples(source.bufferLength);
    right = AllocateSamples(source.bufferLength);
    if (!left || !right) {
      ShowError(app.dialogs, "Out Of Memory - Cannot Paste Engine");
      return;
    }
  }
  Engine& target = track.chain[p];
  ReleaseTrackEngine(target);
  target = CopyEngineWithData(source, app.dialogs, "Out Of Memory - Cannot Paste Modulator Data");
  target.left = std::move(left);
  target.right = std::move(right);
  ClearEngineBuffers(target);
  ValidateEvents(app.song, track);
}

}  // namespace

EditedChain CurrentChain(AppState& app) {
  EditedChain chain;
  if (app.chainEditor.chainMode == kProgramMode) {
    chain.program = CurrentProgram(app);
    if (chain.program != nullptr) chain.engines = &chain.program->engines;
    chain.levelBit = kLevelProgram;
  } else {
    chain.track = TrackAt(app.song, app.song.currentTrack);
    if (chain.track != nullptr) chain.engines = &chain.track->chain;
    chain.levelBit = app.song.currentTrack == 0 ? kLevelSong : kLevelTrack;
  }
  return chain;
}

const TypeList& EngineTypesFor(AppState& app) {
  if (app.chainEditor.chainMode == kProgramMode) return app.catalog.programEngineTypes;
  return app.song.currentTrack == 0 ? app.catalog.songEngineTypes : app.catalog.trackEngineTypes;
}

void SetChainMode(AppState& app, uint32_t mode) {
  if (app.chainEditor.chainMode == mode) return;
  app.chainEditor.chainMode = mode;
  app.song.engineListScroll = 0;
  app.song.selectedEngineType = 0;
  // Panels to redraw: the chain editors and the engine type list.
}

void SelectProgramChainPosition(AppState& app, int32_t position) {
  if (!IsChainPosition(position)) return;
  SetChainMode(app, kProgramMode);
  app.chainEditor.selectedPosition = position;
}

void SelectTrackChainPosition(AppState& app, int32_t position) {
  if (!IsChainPosition(position)) return;
  SetChainMode(app, kTrackMode);
  app.chainEditor.selectedPosition = position;
}

void SetEngineType(AppState& app) {
  EditedChain chain = CurrentChain(app);
  const int32_t p = app.chainEditor.selectedPosition;
  const TypeList& types = EngineTypesFor(app);
  const int32_t row = app.song.selectedEngineType;
  if (chain.engines == nullptr || !IsChainPosition(p) || row < 0 || row >= static_cast<int32_t>(types.count)) return;
  const uint32_t type = types.types[row];
  StopPlayback(app);
  Engine fresh;
  if (chain.program != nullptr) {
    InitProgramEngine(fresh, type);
    if (!ReplaceProgramEngine(app, *chain.program, p, std::move(fresh)))
      ShowError(app.dialogs, "Out Of Memory - Cannot Initialise Program Engine");
  } else if (InitTrackEngine(fresh, type, app.dialogs)) {  // on failure the old engine stays
    ReleaseTrackEngine((*chain.engines)[p]);
    (*chain.engines)[p] = std::move(fresh);
  }
  ValidateAllTracks(app.song);
  // Panels to redraw: the chain editor and the engine editor.
}

void MoveEngineUp(AppState& app) { MoveEngine(app, -1); }
void MoveEngineDown(AppState& app) { MoveEngine(app, +1); }

void CopyEngine(AppState& app) {
  EditedChain chain = CurrentChain(app);
  const int32_t p = app.chainEditor.selectedPosition;
  if (chain.engines == nullptr || !IsChainPosition(p)) return;
  const Engine& source = (*chain.engines)[p];
  app.engineClipboard.engine = CopyEngineWithData(source, app.dialogs, "Out Of Memory - Cannot Copy Modulator Data");
  app.engineClipboard.content = TypeLevelFlags(source.type);
  // Panels to redraw: the chain editors (their paste buttons).
}

void PasteEngine(AppState& app) {
  EditedChain chain = CurrentChain(app);
  const int32_t p = app.chainEditor.selectedPosition;
  if (chain.engines == nullptr || !IsChainPosition(p) || (app.engineClipboard.content & chain.levelBit) == 0) return;
  StopPlayback(app);
  if (chain.program != nullptr)
    PasteIntoProgram(app, *chain.program, p);
  else
    PasteIntoTrack(app, *chain.track, p);
  // Panels to redraw: the chain editor and the engine editor.
}

void ClearEngineClipboard(AppState& app) {
  app.engineClipboard.content = 0;
  app.engineClipboard.engine = Engine{};
}

}  // namespace tonforge
