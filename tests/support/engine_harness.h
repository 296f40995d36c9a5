#pragma once
// A small rig for driving one engine sample by sample: tables, a rate, a tempo and a voice of nine engines.
#include <array>
#include <cstring>
#include <memory>
#include <ostream>
#include <random>
#include <utility>
#include <vector>

#include "engines/contract.h"
#include "engines/engine.h"
#include "shell/tables.h"
#include "support/fake_dialogs.h"

namespace tonforge {

// Failure messages name the engine type.
inline std::ostream& operator<<(std::ostream& out, EngineTypeId type) {
  return out << BuildEngineCatalog()[static_cast<uint32_t>(type)].name.data();
}

namespace testing {

using Settings = std::vector<std::pair<int, int32_t>>;  // (parameter, value)

// Uniform noise in -1..1, the same for a given seed on every run.
inline std::vector<float> Noise(int n, unsigned seed = 7) {
  std::minstd_rand gen(seed);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  std::vector<float> v(n);
  for (float& x : v) x = u(gen);
  return v;
}

// Appends the words of `bytes` bytes at p, for comparing state bit for bit.
inline void AppendBits(std::vector<uint32_t>& bits, const void* p, size_t bytes) {
  const size_t at = bits.size();
  bits.resize(at + bytes / 4);
  std::memcpy(bits.data() + at, p, bytes);
}

// What an engine keeps between runs, bit for bit: its working words, line positions, slot positions and buffers.
inline std::vector<uint32_t> EngineBits(const Engine& e) {
  std::vector<uint32_t> bits;
  AppendBits(bits, e.W.data(), sizeof e.W);
  AppendBits(bits, e.linePosition.data(), sizeof e.linePosition);
  for (const DataSlot& slot : e.slots) AppendBits(bits, &slot.playPosition, sizeof slot.playPosition);
  if (e.left) AppendBits(bits, e.left.get(), e.bufferLength * sizeof(float));
  if (e.right) AppendBits(bits, e.right.get(), e.bufferLength * sizeof(float));
  return bits;
}

struct EngineRig {
  explicit EngineRig(int32_t sampleRate = 44100) {
    BuildTables(*tables);
    SetOutputRate(rate, sampleRate, tempo, ticksPerBeat);
    ctx.tables = tables.get();
    ctx.rate = &rate;
    ctx.tempo = &tempo;
    ctx.ticksPerBeat = &ticksPerBeat;
  }

  // Makes chain position `position` of the voice a track-style engine of `type` with its own buffers and the
  // given parameters, prepared at the rig's rate.
  Engine& Make(EngineTypeId type, const Settings& params = {}, int position = 0) {
    Engine& e = chain[position];
    InitTrackEngine(e, static_cast<uint32_t>(type), dialogs);
    for (auto [k, v] : params) SetParameter(e, k, v);
    PrepareEngine(e, rate);
    return e;
  }

  VoiceRef Voice() { return VoiceRef{chain.data(), &transpose}; }

  // Runs one sample with the given input and returns the bus.
  MixBus Step(Engine& e, float left, float right, int32_t pitch = kDefaultRootPitch, bool quality = false) {
    ctx.bus = {left, right};
    (quality ? ProcessEngineQuality : ProcessEngine)(e, Voice(), pitch, ctx);
    return ctx.bus;
  }

  // Runs n samples of a source from silence and collects the left channel.
  std::vector<float> RunLeft(Engine& e, int n, int32_t pitch = kDefaultRootPitch, bool quality = false) {
    std::vector<float> out(n);
    for (int i = 0; i < n; ++i) out[i] = Step(e, 0.0f, 0.0f, pitch, quality).left;
    return out;
  }

  // Loads slot s with the given samples (as a wave import would) and updates the loaded count.
  void LoadSlot(Engine& e, int s, const std::vector<float>& samples, bool modulator = false) {
    DataSlot& slot = e.slots[s];
    slot.data = AllocateSamples(samples.size());
    std::copy(samples.begin(), samples.end(), slot.data.get());
    slot.length = static_cast<uint32_t>(samples.size());
    slot.loaded = 1;
    slot.loopStart = 0;
    slot.loopEnd = slot.length - 1;
    slot.playPosition = 0.0f;
    if (modulator) slot.rootOrRate.f = static_cast<float>(slot.length) * 2.2675738e-6f;
    uint32_t count = 0;
    while (count < kDataSlotCount && e.slots[count].loaded) ++count;
    e.loadedSlotCount = count;
  }

  // Loads every data slot the type offers: wave slots with noise at root pitches a fifth apart, modulators with
  // noise at full gain; slot 1 plays once and runs out, the others loop.
  void LoadEverySlot(Engine& e, unsigned seed = 11) {
    const EngineType& type = BuildEngineCatalog()[e.type];
    for (int s = 0; s < kDataSlotCount; ++s) {
      const SlotKind kind = type.dataSlots[s].kind;
      if (kind == SlotKind::None) continue;
      LoadSlot(e, s, Noise(kind == SlotKind::Wave ? 900 : 300, seed + s), kind == SlotKind::Modulator);
      DataSlot& slot = e.slots[s];
      slot.looped = s == 1 ? 0 : 1;
      slot.gain = 1.0f;
      if (kind == SlotKind::Wave) slot.rootOrRate.i = 1850 + 700 * s;
      if (kind == SlotKind::Modulator) slot.rootOrRate.f *= static_cast<float>(3 + s);
    }
  }

  // A modulator slot that holds one value for ever.
  void Hold(Engine& e, int s, float value) {
    LoadSlot(e, s, {value}, true);
    e.slots[s].looped = 1;
  }

  FakeDialogs dialogs;
  std::unique_ptr<Tables> tables = std::make_unique<Tables>();
  OutputRate rate;
  float tempo = 120.0f;
  Shared<int32_t> ticksPerBeat = 48;
  SampleContext ctx;
  std::array<Engine, kChainLength> chain{};
  int32_t transpose = 0;
};

}  // namespace testing
}  // namespace tonforge
