#include "engines/engine.h"

#include <algorithm>
#include <cmath>

#include "engines/family_rows.h"
#include "shell/show_error.h"

namespace tonforge {

namespace {

// The parts of initialisation that program and track engines share: a zeroed record with the type's
// defaults and delay-line figures, but no buffers.
void InitRecord(Engine& e, uint32_t type) {
  e = Engine{};
  e.type = type;
  const EngineType& t = BuildEngineCatalog()[type];
  e.delayLineCount = t.delayLineCount;
  e.bufferLength = t.delayBufferLength;
  LayOutDelayLines(e);
  for (int k = 0; k < kParameterCount; ++k) SetParameter(e, k, t.parameters[k].defaultValue);
  for (int g = 0; g < kOptionCount; ++g) e.options[g] = t.options[g].defaultValue;
  for (DataSlot& s : e.slots) {
    s.gain = 1.0f;
    s.rootOrRate.i = kDefaultRootPitch;
    s.upperPitch = kHighestPitch;
  }
}

}  // namespace

void SetParameter(Engine& e, int k, int32_t value) {
  e.F[k] = static_cast<float>(static_cast<double>(value) * static_cast<double>(0.01f));
  e.C[k] = 1.0f - e.F[k];
}

void LayOutDelayLines(Engine& e) {
  e.lineLength = e.delayLineCount != 0 ? e.bufferLength / e.delayLineCount : 0;
  for (uint32_t i = 0; i < kMaxDelayLines; ++i) {
    const bool used = i < e.delayLineCount;
    e.lineStart[i] = used ? i * e.lineLength : 0;
    e.lineEnd[i] = used ? e.lineStart[i] + e.lineLength : 0;
    e.linePosition[i] = e.lineStart[i];
  }
}

void InitProgramEngine(Engine& e, uint32_t type) { InitRecord(e, IsKnownType(type) ? type : 0); }

bool InitTrackEngine(Engine& e, uint32_t type, Dialogs& dialogs) {
  InitRecord(e, IsKnownType(type) ? type : 0);
  if (e.delayLineCount != 0) {
    e.left = AllocateSamples(e.bufferLength);
    if (e.left) e.right = AllocateSamples(e.bufferLength);
    if (!e.left || !e.right) {
      ShowError(dialogs, "Out Of Memory - Cannot Initialise Track Engine");
      e.left.reset();
      e.right.reset();
      e.type = 0;
      e.delayLineCount = 0;
      e.bufferLength = 0;
      LayOutDelayLines(e);
      return false;
    }
  }
  ClearEngineBuffers(e);
  return true;
}

void ReleaseTrackEngine(Engine& e) {
  if (e.delayLineCount != 0) {
    e.left.reset();
    e.right.reset();
    e.delayLineCount = 0;
    e.bufferLength = 0;
    e.lineLength = 0;
    e.linePosition.fill(0);
  }
  for (DataSlot& s : e.slots) {
    if (s.loaded != 0) {
      s.data.reset();
      s.loaded = 0;
    }
  }
}

void ClearEngineBuffers(Engine& e) {
  if (e.left) std::fill_n(e.left.get(), e.bufferLength, 0.0f);
  if (e.right) std::fill_n(e.right.get(), e.bufferLength, 0.0f);
}

void PrepareEngine(Engine& e, const OutputRate& rate) {
  std::fill_n(e.W.begin(), 8, Word{});
  if (const Prepare prepare = PreparationOf(e.type)) prepare(e, rate);
}

}  // namespace tonforge
