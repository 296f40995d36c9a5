#include "programs/program_list.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>

#include "programs/chain_editing.h"
#include "programs/program_modified.h"
#include "shell/show_error.h"
#include "song/voice_loading.h"

namespace tonforge {

namespace {

// New blocks for one position of every voice: the live voices first, then tracks 1.. in list order.
struct BufferPlan {
  int position = 0;
  uint32_t size = 0;
  bool change = false;
  std::vector<SampleBlock> blocks;  // left and right per voice
};

int32_t LiveVoiceCount(const Session& session) { return static_cast<int32_t>(session.live.voices.size()); }

int32_t VoiceCount(const Session& session) {
  return LiveVoiceCount(session) + std::max(session.song.tracks.Count() - 1, 0);
}

// A size of 0 needs no blocks: committing it releases the buffers.
bool AllocatePlan(const Session& session, BufferPlan& plan) {
  if (plan.size == 0) return true;
  const std::size_t count = 2 * static_cast<std::size_t>(VoiceCount(session));
  try {
    plan.blocks.reserve(count);
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (std::size_t i = 0; i < count; ++i) {
    plan.blocks.push_back(AllocateSamples(plan.size));
    if (!plan.blocks.back()) {
      plan.blocks.clear();
      return false;
    }
  }
  return true;
}

// Decides the new size of position p and allocates for it. False only when the position must grow and
// cannot; a shrink that cannot get memory keeps the present, larger buffers.
bool PlanFit(const Session& session, int p, BufferPlan& plan) {
  plan.position = p;
  plan.size = PositionNeed(session.song, p);
  const uint32_t present = session.song.positionBufferSize[p];
  if (plan.size == present) return true;
  plan.change = AllocatePlan(session, plan);
  return plan.change || plan.size < present;
}

void SetVoiceBuffers(Program& voice, PositionBuffers& buffers, int p, SampleBlock left, SampleBlock right) {
  buffers.left[p] = std::move(left);
  buffers.right[p] = std::move(right);
  voice.engines[p].left = buffers.left[p];
  voice.engines[p].right = buffers.right[p];
}

void Commit(Session& session, BufferPlan& plan) {
  if (!plan.change) return;
  const int p = plan.position;
  auto block = [&plan](std::size_t i) { return i < plan.blocks.size() ? std::move(plan.blocks[i]) : SampleBlock{}; };
  std::size_t next = 0;
  for (LiveVoice& v : session.live.voices) {
    SetVoiceBuffers(v.voice, v.buffers, p, block(next), block(next + 1));
    next += 2;
  }
  for (int32_t i = 1; i < session.song.tracks.Count(); ++i, next += 2) {
    Track& t = *session.song.tracks.At(i);
    SetVoiceBuffers(t.playingProgram, t.voiceBuffers, p, block(next), block(next + 1));
  }
  session.song.positionBufferSize[p] = plan.size;
}

void ReleaseSlotData(Engine& e) {
  for (DataSlot& s : e.slots) {
    if (s.loaded != 0) {
      s.data.reset();
      s.loaded = 0;
    }
  }
  e.loadedSlotCount = 0;
}

// Removes the notes that play program `index` and moves the later programs' notes down one.
void ForgetProgramInEvents(Song& song, Track& track, int32_t index) {
  const bool global = IsGlobalTrack(song, track);
  std::vector<Event*> doomed;
  for (Event* e = track.events.First(); e != nullptr; e = EventList::Next(e)) {
    if (e->type != static_cast<int32_t>(EventType::NoteOn)) continue;
    if (e->valueB == index && !(global && e == track.events.First()))
      doomed.push_back(e);
    else if (e->valueB > index)
      e->valueB = e->valueB - 1;
  }
  for (Event* e : doomed) track.events.Erase(e);
  SyncEventCount(track);
  KeepSelectionInList(track);
}

}  // namespace

Program* CurrentProgram(Session& session) {
  const int32_t i = session.song.currentProgram;
  if (i < 0 || i >= ProgramCount(session.song)) return nullptr;
  return session.song.programs[i].get();
}

int32_t ProgramCount(const Song& song) { return static_cast<int32_t>(song.programs.size()); }

Program* NewProgram(Session& session) {
  StopPlayback(session);
  Song& song = session.song;
  std::unique_ptr<Program> program;
  try {
    program = std::make_unique<Program>();
    song.programs.reserve(song.programs.size() + 1);
  } catch (const std::bad_alloc&) {
    ShowError(session.dialogs, "Out Of Memory - Cannot Create New Program");
    return nullptr;
  }
  std::snprintf(program->name.data(), program->name.size(), "Program %d", static_cast<int>(ProgramCount(song)));
  for (Engine& e : program->engines) InitProgramEngine(e, 0);  // empty positions need no buffers
  MarkProgramSaved(*program);  // nothing in it to lose
  song.programs.push_back(std::move(program));
  if (ProgramCount(song) == 1) SelectProgram(session, 0);
  session.changes.Report(Change::ProgramList);
  return song.programs.back().get();
}

void NewCurrentProgram(Session& session) {
  if (NewProgram(session) != nullptr) SelectProgram(session, ProgramCount(session.song) - 1);
}

void CopyProgram(Session& session) {
  if (CurrentProgram(session) == nullptr) return;
  const int32_t source = session.song.currentProgram;
  Program* copy = NewProgram(session);
  if (copy == nullptr) return;
  const Program& original = *session.song.programs[source];
  const bool originalModified = IsProgramModified(original);
  *copy = original;
  for (int p = 0; p < kChainLength; ++p)
    copy->engines[p] = CopyEngineWithData(original.engines[p], session.dialogs, "Out Of Memory - Cannot Create New Program");
  // The copy holds changes not saved when its original did; its data blocks are new, not an edit.
  if (!originalModified) MarkProgramSaved(*copy);
  session.changes.Report(Change::ProgramList);
}

void DeleteProgram(Session& session) {
  Program* program = CurrentProgram(session);
  if (program == nullptr) return;
  if (!ConfirmCommand(session.dialogs, "Delete Program")) return;
  StopPlayback(session);
  Song& song = session.song;
  const int32_t index = song.currentProgram;
  for (int p = 0; p < kChainLength; ++p) ReleaseProgramEngine(session, program->engines[p], p);
  song.programs.erase(song.programs.begin() + index);
  for (int32_t i = 0; i < song.tracks.Count(); ++i) {
    Track& track = *song.tracks.At(i);
    ForgetProgramInEvents(song, track, index);
    ValidateEvents(song, track);
  }
  const int32_t count = ProgramCount(song);
  if (song.currentProgram >= count) song.currentProgram = count - 1;
  FollowCurrentProgram(song);
  if (count == 0 && session.chainEditor.chainMode == ChainMode::Program) SetChainMode(session, ChainMode::Track);
  session.changes.Report(Change::ProgramList, Change::Program, Change::Events);
}

void FreeAllPrograms(Session& session) {
  StopPlayback(session);
  Song& song = session.song;
  song.programs.clear();
  song.currentProgram = 0;
  song.programListScroll = 0;
  // Every need is now zero, so this only releases and cannot fail.
  FitAllPositionBuffers(session);
}

void FollowCurrentProgram(Song& song) {
  if (song.currentProgram < song.programListScroll) song.programListScroll = song.currentProgram;
  if (song.currentProgram - song.programListScroll > kProgramListRows - 1)
    song.programListScroll = song.currentProgram - (kProgramListRows - 1);
  song.programListScroll = std::max(song.programListScroll, 0);
}

void SelectProgram(Session& session, int32_t index) {
  if (index < 0 || index >= ProgramCount(session.song)) return;
  session.song.currentProgram = index;
  FollowCurrentProgram(session.song);
  session.changes.Report(Change::Selection);
}

void SelectProgramRow(Session& session, int32_t row) {
  if (row < 0 || row >= kProgramListRows) return;
  SelectProgram(session, session.song.programListScroll + row);
}

void SetProgramLevel(Session& session, int32_t percent) {
  if (Program* p = CurrentProgram(session)) p->level = static_cast<float>(std::clamp(percent, 0, 100)) * 0.01f;
  session.changes.Report(Change::Program);
}

void SetProgramPan(Session& session, int32_t pan) {
  if (Program* p = CurrentProgram(session)) p->pan = std::clamp(pan, -100, 100) + 100;
  session.changes.Report(Change::Program);
}

bool IsEngineValidAt(uint32_t type, uint32_t levelBit) {
  return IsKnownType(type) && (TypeLevelFlags(type) & levelBit) != 0;
}

Engine CopyEngineWithData(const Engine& source, Dialogs& dialogs, std::string_view failureText) {
  Engine copy = source;
  copy.left.reset();
  copy.right.reset();
  for (DataSlot& s : copy.slots) {
    if (s.loaded == 0) {
      s.data.reset();
      continue;
    }
    s.data = CopySamples(s.data, s.length);
    if (!s.data) {
      ShowError(dialogs, failureText);
      s.loaded = 0;
    }
  }
  RecountLoadedSlots(copy);
  return copy;
}

void RecountLoadedSlots(Engine& engine) {
  uint32_t n = 0;
  while (n < kDataSlotCount && engine.slots[n].loaded != 0) ++n;
  engine.loadedSlotCount = n;
}

void ReleaseProgramEngine(Session& session, Engine& engine, int position) {
  ReleaseSlotData(engine);
  if (engine.bufferLength != 0 && engine.bufferLength == session.song.positionBufferSize[position]) {
    engine.delayLineCount = 0;
    engine.bufferLength = 0;
    engine.lineLength = 0;
    FitPositionBuffers(session, position);  // a shrink: cannot fail
  }
}

uint32_t PositionNeed(const Song& song, int position) {
  uint32_t need = 0;
  for (const auto& program : song.programs) need = std::max(need, program->engines[position].bufferLength);
  return need;
}

bool FitPositionBuffers(Session& session, int position) {
  BufferPlan plan;
  if (!PlanFit(session, position, plan)) return false;
  Commit(session, plan);
  return true;
}

bool FitPositionBuffers(Session& session, int first, int second) {
  BufferPlan a, b;
  if (!PlanFit(session, first, a) || !PlanFit(session, second, b)) return false;
  Commit(session, a);
  Commit(session, b);
  return true;
}

bool FitAllPositionBuffers(Session& session) {
  bool all = true;
  for (int p = 0; p < kChainLength; ++p) all = FitPositionBuffers(session, p) && all;
  return all;
}

void FitProgramBuffers(Session& session, Program& program) {
  for (int p = 0; p < kChainLength; ++p) {
    if (FitPositionBuffers(session, p)) continue;
    ShowError(session.dialogs, "Out Of Memory - Cannot Initialise Program Engine");
    InitProgramEngine(program.engines[p], 0);
    FitPositionBuffers(session, p);  // back to what the other programs need: no growth
  }
}

bool ReplaceProgramEngine(Session& session, Program& program, int position, Engine incoming) {
  Engine outgoing = std::move(program.engines[position]);
  program.engines[position] = std::move(incoming);
  if (!FitPositionBuffers(session, position)) {
    program.engines[position] = std::move(outgoing);
    return false;
  }
  return true;  // the outgoing engine's sample data goes with it
}

bool SetLiveVoiceCount(Session& session, int32_t count) {
  StopPlayback(session);
  SilenceLiveVoices(session);
  std::vector<LiveVoice>& voices = session.live.voices;
  count = std::clamp(count, 1, kMaxLiveVoices);
  const std::size_t before = voices.size();
  try {
    voices.resize(static_cast<std::size_t>(count));
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (std::size_t i = before; i < voices.size(); ++i) {
    for (int p = 0; p < kChainLength; ++p) {
      const uint32_t size = session.song.positionBufferSize[p];
      if (size == 0) continue;
      SampleBlock left = AllocateSamples(size), right = AllocateSamples(size);
      if (!left || !right) {
        voices.resize(i);  // the voices that have their buffers stay
        return false;
      }
      SetVoiceBuffers(voices[i].voice, voices[i].buffers, p, std::move(left), std::move(right));
    }
  }
  return true;
}

void AttachVoiceBuffers(Program& voice, const PositionBuffers& buffers) {
  for (int p = 0; p < kChainLength; ++p) {
    voice.engines[p].left = buffers.left[p];
    voice.engines[p].right = buffers.right[p];
  }
}

}  // namespace tonforge
