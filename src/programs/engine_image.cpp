#include "programs/engine_image.h"

#include <algorithm>
#include <cmath>

#include "shell/show_error.h"

namespace tonforge {

namespace {

constexpr std::size_t kWord = 4;  // every stored field but the texts is 32 bits wide
constexpr std::size_t kSlotNameSize = 16;
constexpr std::size_t kProgramNameSize = 32;

static_assert(sizeof(DataSlot{}.name) == kSlotNameSize);
static_assert(sizeof(Program{}.name) == kProgramNameSize);
static_assert(kSlotNameSize + 13 * kWord == kDataSlotImageSize);
static_assert((2 + kOptionCount + kWorkingWords + 2 * kParameterCount) * kWord == kEngineSlotsOffset);
static_assert(kEngineSlotsOffset + kDataSlotCount * kDataSlotImageSize == kEngineDelayOffset);
static_assert(kEngineDelayOffset + (3 + 3 * kMaxDelayLines + 2) * kWord == kEngineImageSize);
static_assert(kProgramNameSize + 8 * kWord == kProgramEngineCountOffset);
static_assert(kProgramEngineCountOffset + kWord == kProgramEnginesOffset);
static_assert(kProgramEnginesOffset + kChainLength * kEngineImageSize == kProgramRecordSize);

void Value(ByteWriter& w, const Word& v) { w.Field(v.u); }
void Value(ByteReader& r, Word& v) { r.Field(v.u); }
template <typename Io, typename T>
void Value(Io& io, T& v) {
  io.Field(v);
}

template <typename Io, typename Array>
void Values(Io& io, Array& values) {
  for (auto& v : values) Value(io, v);
}

// The field lists, each walked by ByteWriter (with a const record) and ByteReader alike.

template <typename Io, typename Slot>
void SlotFields(Io& io, Slot& s) {
  io.Field(s.name);
  io.Field(s.loaded);
  io.Field(s.looped);
  io.Field(s.inverted);
  io.Field(s.reversed);
  io.Field(s.tempoSync);
  io.Field(s.upperPitch);
  io.Reference();  // data
  io.Field(s.playPosition);
  io.Field(s.length);
  io.Field(s.loopStart);
  io.Field(s.loopEnd);
  io.Field(s.gain);
  io.Field(s.rootOrRate.u);
}

template <typename Io, typename E>
void EngineFields(Io& io, E& e) {
  io.Field(e.type);
  io.Field(e.loadedSlotCount);
  Values(io, e.options);
  Values(io, e.W);
  Values(io, e.F);
  Values(io, e.C);
  for (auto& s : e.slots) SlotFields(io, s);
  io.Field(e.delayLineCount);
  io.Field(e.bufferLength);
  io.Field(e.lineLength);
  Values(io, e.lineStart);
  Values(io, e.lineEnd);
  Values(io, e.linePosition);
  io.Reference();  // left buffer
  io.Reference();  // right buffer
}

template <typename Io, typename P>
void ProgramFields(Io& io, P& p) {
  io.Field(p.name);
  io.Field(p.level);
  io.Field(p.volume);
  io.Field(p.volumeSlide);
  io.Field(p.transpose);
  io.Field(p.pitchOffset);
  io.Field(p.pitchSlide);
  io.Field(p.pan);
  io.Field(p.panSlide);
  io.Field(p.engineCount);
  for (auto& e : p.engines) EngineFields(io, e);
}

void ClearReferences(DataSlot& s) { s.data.reset(); }

void ClearReferences(Engine& e) {
  for (DataSlot& s : e.slots) ClearReferences(s);
  e.left.reset();
  e.right.reset();
}

bool IsWavePlayerSlot(uint32_t type) { return type <= static_cast<uint32_t>(EngineTypeId::StereoWave); }

// Only what no routine can bound is refused: a value that is not a number. Root pitches, loop points and
// play positions of any size are bounded where they are used, and a slot imported from an empty wave holds
// no samples at all.
bool SlotIsSound(const DataSlot& s, uint32_t type) {
  if (s.loaded == 0) return true;
  if (!std::isfinite(s.gain) || !std::isfinite(s.playPosition)) return false;
  return IsWavePlayerSlot(type) || std::isfinite(s.rootOrRate.f);
}

// The fraction SetParameter stores for a user's integer, so a clamped value is one the panel could set.
float StoredFraction(int32_t value) {
  return static_cast<float>(static_cast<double>(value) * static_cast<double>(0.01f));
}

}  // namespace

void WriteDataSlot(ByteWriter& w, const DataSlot& s) { SlotFields(w, s); }

void ReadDataSlot(ByteReader& r, DataSlot& s) {
  SlotFields(r, s);
  ClearReferences(s);
}

void WriteEngine(ByteWriter& w, const Engine& e) { EngineFields(w, e); }

void ReadEngine(ByteReader& r, Engine& e) {
  EngineFields(r, e);
  ClearReferences(e);
}

void WriteProgramRecord(ByteWriter& w, const Program& p) { ProgramFields(w, p); }

void ReadProgramRecord(ByteReader& r, Program& p) {
  ProgramFields(r, p);
  for (Engine& e : p.engines) ClearReferences(e);
}

void WriteDataBlocks(ByteWriter& w, const Chain& chain) {
  for (const Engine& e : chain) {
    for (const DataSlot& s : e.slots) {
      if (s.loaded == 0) continue;
      if (s.data) w.Floats(s.data.get(), s.length);
      else w.Zeros(4 * std::size_t{s.length});
    }
  }
}

uint64_t DataBlockBytes(const Chain& chain) {
  uint64_t bytes = 0;
  for (const Engine& e : chain) {
    for (const DataSlot& s : e.slots) {
      if (s.loaded != 0) bytes += uint64_t{s.length} * kWord;
    }
  }
  return bytes;
}

bool ReadDataBlocks(ByteReader& r, Chain& chain, Dialogs& dialogs) {
  if (!r.Has(DataBlockBytes(chain))) return false;
  for (Engine& e : chain) {
    for (DataSlot& s : e.slots) {
      if (s.loaded == 0 || s.length == 0) continue;
      s.data = AllocateSamples(s.length);
      if (!s.data) {
        ShowError(dialogs, "Out Of Memory - Cannot Load Modulator Data");
        s.loaded = 0;
        r.Skip(std::size_t{s.length} * kWord);
        continue;
      }
      r.Floats(s.data.get(), s.length);
    }
  }
  return !r.Failed();
}

bool DataBlocksAreFinite(const Chain& chain) {
  for (const Engine& e : chain) {
    for (const DataSlot& s : e.slots) {
      if (s.loaded == 0 || !s.data) continue;
      for (uint32_t i = 0; i < s.length; ++i) {
        if (!std::isfinite(s.data[i])) return false;
      }
    }
  }
  return true;
}

bool EngineImageIsSound(const Engine& e) {
  if (!IsKnownType(e.type) || e.loadedSlotCount > kDataSlotCount) return false;
  for (int k = 0; k < kParameterCount; ++k) {
    if (!std::isfinite(e.F[k]) || !std::isfinite(e.C[k])) return false;
  }
  for (const DataSlot& s : e.slots) {
    if (!SlotIsSound(s, e.type)) return false;
  }
  return true;
}

void ClampParametersIntoRange(Engine& e) {
  if (!IsKnownType(e.type)) return;
  const EngineType& t = BuildEngineCatalog()[e.type];
  for (int k = 0; k < kParameterCount; ++k) {
    const ParameterSpec& p = t.parameters[k];
    if (p.present == 0 || !std::isfinite(e.F[k])) continue;
    const float clamped = std::clamp(e.F[k].Load(), StoredFraction(p.minimum), StoredFraction(p.maximum));
    if (clamped == e.F[k]) continue;
    e.F[k] = clamped;
    e.C[k] = 1.0f - clamped;
  }
}

void SettleLoadedEngine(Engine& e) {
  ClampParametersIntoRange(e);
  e.delayLineCount = 0;
  e.bufferLength = 0;
  if (IsKnownType(e.type)) {
    const EngineType& t = BuildEngineCatalog()[e.type];
    e.delayLineCount = t.delayLineCount;
    e.bufferLength = t.delayBufferLength;
    const uint32_t step = e.options[kArpeggioStepOption];
    for (int g = 0; g < kOptionCount; ++g) {
      if (t.options[g].present == 0) e.options[g] = 0;
    }
    if (e.type == static_cast<uint32_t>(EngineTypeId::Arpeggiator)) {
      e.options[kArpeggioStepOption] = step;
      SettleArpeggioStep(e);
    }
  }
  LayOutDelayLines(e);
  e.W.fill(Word{});
  for (DataSlot& s : e.slots) s.loaded = s.loaded != 0 ? 1 : 0;
  e.loadedSlotCount = CountLoadedSlots(e);
}

uint32_t CountLoadedSlots(const Engine& e) {
  uint32_t count = 0;
  while (count < kDataSlotCount && e.slots[count].loaded != 0) ++count;
  return count;
}

}  // namespace tonforge
