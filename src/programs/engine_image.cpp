#include "programs/engine_image.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

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

template <std::size_t N>
void ReadText(ByteReader& r, std::array<char, N>& text) {
  r.Bytes(text.data(), N);
  text[N - 1] = '\0';
}

template <typename T, std::size_t N>
void WriteWords(ByteWriter& w, const std::array<T, N>& words) {
  for (const T& v : words) {
    if constexpr (std::is_same_v<T, float> || std::is_same_v<T, Shared<float>>) w.F32(v);
    else if constexpr (std::is_same_v<T, Word>) w.U32(v.u);
    else w.U32(v);
  }
}

template <typename T, std::size_t N>
void ReadWords(ByteReader& r, std::array<T, N>& words) {
  for (T& v : words) {
    if constexpr (std::is_same_v<T, float> || std::is_same_v<T, Shared<float>>) v = r.F32();
    else if constexpr (std::is_same_v<T, Word>) v.u = r.U32();
    else v = r.U32();
  }
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

void WriteDataSlot(ByteWriter& w, const DataSlot& s) {
  w.Bytes(s.name.data(), s.name.size());
  w.U32(s.loaded);
  w.U32(s.looped);
  w.U32(s.inverted);
  w.U32(s.reversed);
  w.U32(s.tempoSync);
  w.I32(s.upperPitch);
  w.U32(0);  // data reference
  w.F32(s.playPosition);
  w.U32(s.length);
  w.U32(s.loopStart);
  w.U32(s.loopEnd);
  w.F32(s.gain);
  w.U32(s.rootOrRate.u);
}

void ReadDataSlot(ByteReader& r, DataSlot& s) {
  ReadText(r, s.name);
  s.loaded = r.U32();
  s.looped = r.U32();
  s.inverted = r.U32();
  s.reversed = r.U32();
  s.tempoSync = r.U32();
  s.upperPitch = r.I32();
  r.Skip(kWord);
  s.data.reset();
  s.playPosition = r.F32();
  s.length = r.U32();
  s.loopStart = r.U32();
  s.loopEnd = r.U32();
  s.gain = r.F32();
  s.rootOrRate.u = r.U32();
}

void WriteEngine(ByteWriter& w, const Engine& e) {
  w.U32(e.type);
  w.U32(e.loadedSlotCount);
  WriteWords(w, e.options);
  WriteWords(w, e.W);
  WriteWords(w, e.F);
  WriteWords(w, e.C);
  for (const DataSlot& s : e.slots) WriteDataSlot(w, s);
  w.U32(e.delayLineCount);
  w.U32(e.bufferLength);
  w.U32(e.lineLength);
  WriteWords(w, e.lineStart);
  WriteWords(w, e.lineEnd);
  WriteWords(w, e.linePosition);
  w.Zeros(2 * kWord);  // left and right buffer references
}

void ReadEngine(ByteReader& r, Engine& e) {
  e.type = r.U32();
  e.loadedSlotCount = r.U32();
  ReadWords(r, e.options);
  ReadWords(r, e.W);
  ReadWords(r, e.F);
  ReadWords(r, e.C);
  for (DataSlot& s : e.slots) ReadDataSlot(r, s);
  e.delayLineCount = r.U32();
  e.bufferLength = r.U32();
  e.lineLength = r.U32();
  ReadWords(r, e.lineStart);
  ReadWords(r, e.lineEnd);
  ReadWords(r, e.linePosition);
  r.Skip(2 * kWord);
  e.left.reset();
  e.right.reset();
}

void WriteProgramRecord(ByteWriter& w, const Program& p) {
  w.Bytes(p.name.data(), p.name.size());
  w.F32(p.level);
  w.F32(p.volume);
  w.F32(p.volumeSlide);
  w.I32(p.transpose);
  w.I32(p.pitchOffset);
  w.I32(p.pitchSlide);
  w.I32(p.pan);
  w.I32(p.panSlide);
  w.U32(p.engineCount);
  for (const Engine& e : p.engines) WriteEngine(w, e);
}

void ReadProgramRecord(ByteReader& r, Program& p) {
  ReadText(r, p.name);
  p.level = r.F32();
  p.volume = r.F32();
  p.volumeSlide = r.F32();
  p.transpose = r.I32();
  p.pitchOffset = r.I32();
  p.pitchSlide = r.I32();
  p.pan = r.I32();
  p.panSlide = r.I32();
  p.engineCount = r.U32();
  for (Engine& e : p.engines) ReadEngine(r, e);
}

void WriteDataBlocks(ByteWriter& w, const Chain& chain) {
  for (const Engine& e : chain) {
    for (const DataSlot& s : e.slots) {
      if (s.loaded == 0) continue;
      for (uint32_t i = 0; i < s.length; ++i) w.F32(s.data ? s.data[i] : 0.0f);
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
