#include "programs/data_slot_commands.h"

#include <algorithm>

#include "programs/chain_editing.h"
#include "programs/engine_image.h"

namespace tonforge {

namespace {

bool HasSamples(const DataSlot& s) { return s.loaded != 0 && s.data && s.length != 0; }

uint32_t Toggled(uint32_t flag) { return flag != 0 ? 0 : 1; }

// The wave players (and an empty position) hold a root pitch in a slot's last word; every other type a
// modulator rate. The two commands that write that word only run on the kind of data they are for.
bool HoldsWaveData(const Engine& e) { return e.type <= static_cast<uint32_t>(EngineTypeId::StereoWave); }

}  // namespace

Engine* SelectedEngine(Session& session) {
  const int32_t p = session.chainEditor.selectedPosition;
  const EditedChain chain = CurrentChain(session);
  if (chain.engines == nullptr || p < 0 || p >= kChainLength) return nullptr;
  return &(*chain.engines)[p];
}

void UpdateKeyRanges(Engine& e) {
  for (int k = 0; k < kDataSlotCount; ++k) {
    DataSlot& s = e.slots[k];
    if (s.loaded == 0) continue;
    s.upperPitch = kHighestPitch;
    for (int j = k + 1; j < kDataSlotCount; ++j) {
      if (e.slots[j].loaded == 0) continue;
      // Root pitches from files may be anywhere in the i32 range: the midpoint is taken without overflow.
      s.upperPitch = static_cast<int32_t>((int64_t{e.slots[j].rootOrRate.i} + s.rootOrRate.i) / 2);
      break;
    }
  }
}

void SlotContentChanged(Engine& e) {
  if (e.type == static_cast<uint32_t>(EngineTypeId::MultisampledWave)) UpdateKeyRanges(e);
  e.loadedSlotCount = CountLoadedSlots(e);
}

void ClearSlot(Engine& e, int k) {
  DataSlot& s = e.slots[k];
  s.data.reset();
  s.inverted = 0;
  s.reversed = 0;
  s.tempoSync = 0;
  s.playPosition = 0.0f;
  s.loaded = 0;
  s.looped = 0;
  s.length = 0;
  s.loopStart = 0;
  s.loopEnd = 0;
  SlotContentChanged(e);
}

void ToggleSlotLoop(DataSlot& s) { s.looped = Toggled(s.looped); }

namespace {

// Sample blocks are shared (voice copies, the undo history's pictures): a change to the samples goes into a
// block of the slot's own. False, with nothing changed, when memory for it runs out.
bool OwnSamples(DataSlot& s) {
  if (s.data.use_count() == 1) return true;
  SampleBlock own = CopySamples(s.data, s.length);
  if (!own) return false;
  s.data = std::move(own);
  return true;
}

}  // namespace

void InvertSlot(DataSlot& s) {
  if (!HasSamples(s) || !OwnSamples(s)) return;
  std::for_each(s.data.get(), s.data.get() + s.length, [](float& v) { v = -v; });
  s.inverted = Toggled(s.inverted);
}

void ReverseSlot(DataSlot& s) {
  if (!HasSamples(s) || !OwnSamples(s)) return;
  std::reverse(s.data.get(), s.data.get() + s.length);
  // Loop points beyond the data (an odd import) are taken at the last sample so the mirror stays inside it.
  const uint32_t last = s.length - 1;
  const uint32_t end = std::min(s.loopEnd, last);
  const uint32_t start = std::min(s.loopStart, end);
  s.loopStart = last - end;
  s.loopEnd = last - start;
  s.reversed = Toggled(s.reversed);
}

void SetSlotGain(DataSlot& s, int32_t value) { s.gain = static_cast<float>(std::clamp(value, 0, 100)) * 0.01f; }

void SetSlotPeriod(DataSlot& s, int32_t period, int32_t ticksPerBeat) {
  const auto p = static_cast<float>(std::clamp(period, 1, kMaxSlotPeriod));
  const auto length = static_cast<float>(s.length);
  s.rootOrRate.f = s.tempoSync == 0 ? length * 10000.0f / p * kModulatorRatePerSample
                                    : length * static_cast<float>(ticksPerBeat) / p;
}

void ToggleSlotSync(DataSlot& s, int32_t period, int32_t ticksPerBeat) {
  s.tempoSync = Toggled(s.tempoSync);
  SetSlotPeriod(s, period, ticksPerBeat);
}

void SetSlotRootPitch(Engine& e, int k, int32_t value) {
  e.slots[k].rootOrRate.i = std::clamp(value, 0, kHighestPitch);
  if (e.type == static_cast<uint32_t>(EngineTypeId::MultisampledWave)) UpdateKeyRanges(e);
}

bool RunSlotCommand(Session& session, SlotCommand command, int k, int32_t value) {
  if (k < 0 || k >= kDataSlotCount) return false;
  const bool changesData = command == SlotCommand::Clear || command == SlotCommand::Invert ||
                           command == SlotCommand::Reverse;
  if (changesData) StopPlayback(session);
  Engine* e = SelectedEngine(session);
  if (e == nullptr) return false;
  DataSlot& s = e->slots[k];
  const bool writesRate = command == SlotCommand::Sync || command == SlotCommand::Period;
  if ((writesRate && HoldsWaveData(*e)) || (command == SlotCommand::RootPitch && !HoldsWaveData(*e))) return false;
  const int32_t ticksPerBeat = session.song.ticksPerBeat;
  switch (command) {
    case SlotCommand::Clear:
      ClearSlot(*e, k);
      return s.loaded != 0;
    case SlotCommand::Loop:
      ToggleSlotLoop(s);
      return s.looped != 0;
    case SlotCommand::Invert:
      InvertSlot(s);
      return s.inverted != 0;
    case SlotCommand::Reverse:
      ReverseSlot(s);
      return s.reversed != 0;
    case SlotCommand::Sync:
      ToggleSlotSync(s, value, ticksPerBeat);
      return s.tempoSync != 0;
    case SlotCommand::Gain:
      SetSlotGain(s, value);
      return s.loaded != 0;
    case SlotCommand::Period:
      SetSlotPeriod(s, value, ticksPerBeat);
      return s.loaded != 0;
    case SlotCommand::RootPitch:
      SetSlotRootPitch(*e, k, value);
      return s.loaded != 0;
  }
  return false;
}

}  // namespace tonforge
