#include "programs/chain_editing.h"

#include <utility>

#include "programs/program_list.h"
#include "shell/show_error.h"

namespace tonforge {

namespace {

bool IsChainPosition(int32_t p) { return p >= 0 && p < kChainLength; }

void ReportChainChange(Session& session) { session.changes.Report(Change::Chain); }

void MoveEngine(Session& session, int32_t step) {
  const int32_t from = session.chainEditor.selectedPosition;
  const int32_t to = from + step;
  EditedChain chain = CurrentChain(session);
  if (chain.engines == nullptr || !IsChainPosition(from) || !IsChainPosition(to)) return;
  StopPlayback(session);
  std::array<Engine, kChainLength>& engines = *chain.engines;
  std::swap(engines[from], engines[to]);  // a track engine's own buffers travel with it
  if (chain.program != nullptr) {
    if (!FitPositionBuffers(session, from, to)) {
      std::swap(engines[from], engines[to]);
      ShowError(session.dialogs, "Out Of Memory - Cannot Move Engine");
      return;
    }
    session.chainEditor.selectedPosition = to;
    ValidateAllTracks(session.song);
  } else {
    session.chainEditor.selectedPosition = to;
    ValidateEvents(session.song, *chain.track);
  }
  ReportChainChange(session);
}

void PasteIntoProgram(Session& session, Program& program, int32_t p) {
  Engine incoming =
      CopyEngineWithData(session.engineClipboard.engine, session.dialogs, "Out Of Memory - Cannot Paste Modulator Data");
  if (!ReplaceProgramEngine(session, program, p, std::move(incoming))) {
    ShowError(session.dialogs, "Out Of Memory - Cannot Paste Engine");
    return;
  }
  ValidateAllTracks(session.song);
}

void PasteIntoTrack(Session& session, Track& track, int32_t p) {
  const Engine& source = session.engineClipboard.engine;
  SampleBlock left, right;
  if (source.delayLineCount != 0) {
    left = AllocateSamples(source.bufferLength);
    right = AllocateSamples(source.bufferLength);
    if (!left || !right) {
      ShowError(session.dialogs, "Out Of Memory - Cannot Paste Engine");
      return;
    }
  }
  Engine& target = track.chain[p];
  ReleaseTrackEngine(target);
  target = CopyEngineWithData(source, session.dialogs, "Out Of Memory - Cannot Paste Modulator Data");
  target.left = std::move(left);
  target.right = std::move(right);
  ClearEngineBuffers(target);
  ValidateEvents(session.song, track);
}

}  // namespace

EditedChain CurrentChain(Session& session) {
  EditedChain chain;
  if (session.chainEditor.chainMode == ChainMode::Program) {
    chain.program = CurrentProgram(session);
    if (chain.program != nullptr) chain.engines = &chain.program->engines;
    chain.levelBit = kLevelProgram;
  } else {
    chain.track = TrackAt(session.song, session.song.currentTrack);
    if (chain.track != nullptr) chain.engines = &chain.track->chain;
    chain.levelBit = session.song.currentTrack == 0 ? kLevelSong : kLevelTrack;
  }
  return chain;
}

const TypeList& EngineTypesFor(Session& session) {
  if (session.chainEditor.chainMode == ChainMode::Program) return session.catalog.programEngineTypes;
  return session.song.currentTrack == 0 ? session.catalog.songEngineTypes : session.catalog.trackEngineTypes;
}

void SetChainMode(Session& session, ChainMode mode) {
  if (session.chainEditor.chainMode == mode) return;
  session.chainEditor.chainMode = mode;
  session.song.engineListScroll = 0;
  session.song.selectedEngineType = 0;
  session.changes.Report(Change::Selection);
}

void SelectProgramChainPosition(Session& session, int32_t position) {
  if (!IsChainPosition(position)) return;
  SetChainMode(session, ChainMode::Program);
  session.chainEditor.selectedPosition = position;
}

void SelectTrackChainPosition(Session& session, int32_t position) {
  if (!IsChainPosition(position)) return;
  SetChainMode(session, ChainMode::Track);
  session.chainEditor.selectedPosition = position;
}

void SetEngineType(Session& session) {
  EditedChain chain = CurrentChain(session);
  const int32_t p = session.chainEditor.selectedPosition;
  const TypeList& types = EngineTypesFor(session);
  const int32_t row = session.song.selectedEngineType;
  if (chain.engines == nullptr || !IsChainPosition(p) || row < 0 || row >= static_cast<int32_t>(types.count)) return;
  const uint32_t type = types.types[row];
  StopPlayback(session);
  Engine fresh;
  if (chain.program != nullptr) {
    InitProgramEngine(fresh, type);
    if (!ReplaceProgramEngine(session, *chain.program, p, std::move(fresh)))
      ShowError(session.dialogs, "Out Of Memory - Cannot Initialise Program Engine");
  } else if (InitTrackEngine(fresh, type, session.dialogs)) {  // on failure the old engine stays
    ReleaseTrackEngine((*chain.engines)[p]);
    (*chain.engines)[p] = std::move(fresh);
  }
  ValidateAllTracks(session.song);
  ReportChainChange(session);
}

void MoveEngineUp(Session& session) { MoveEngine(session, -1); }
void MoveEngineDown(Session& session) { MoveEngine(session, +1); }

void CopyEngine(Session& session) {
  EditedChain chain = CurrentChain(session);
  const int32_t p = session.chainEditor.selectedPosition;
  if (chain.engines == nullptr || !IsChainPosition(p)) return;
  const Engine& source = (*chain.engines)[p];
  session.engineClipboard.engine = CopyEngineWithData(source, session.dialogs, "Out Of Memory - Cannot Copy Modulator Data");
  session.engineClipboard.content = TypeLevelFlags(source.type);
  ReportChainChange(session);  // their paste buttons
}

void PasteEngine(Session& session) {
  EditedChain chain = CurrentChain(session);
  const int32_t p = session.chainEditor.selectedPosition;
  if (chain.engines == nullptr || !IsChainPosition(p) || (session.engineClipboard.content & chain.levelBit) == 0) return;
  StopPlayback(session);
  if (chain.program != nullptr)
    PasteIntoProgram(session, *chain.program, p);
  else
    PasteIntoTrack(session, *chain.track, p);
  ReportChainChange(session);
}

void ClearEngineClipboard(Session& session) {
  session.engineClipboard.content = 0;
  session.engineClipboard.engine = Engine{};
}

}  // namespace tonforge
