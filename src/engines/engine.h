#pragma once
// The Engine record: one chain position of a program, track or song chain, and the operations that
// initialise, prepare and release it. Field names and order follow the stored image.
#include <array>
#include <cstdint>

#include "engines/catalog.h"
#include "engines/context.h"
#include "engines/samples.h"
#include "shell/devices/dialogs.h"
#include "shell/shared_value.h"

namespace tonforge {

inline constexpr int kWorkingWords = 14;
inline constexpr int32_t kDefaultRootPitch = 2450;
inline constexpr int32_t kHighestPitch = 6099;
// The arpeggiator keeps its step index in option value 2, which has no control: a Program holds the step
// its voices start from, and a file may store another than 0.
inline constexpr int kArpeggioStepOption = 2;

// One 32-bit word of WorkingState: a float or an integer, by type.
union Word {
  float f;
  int32_t i;
  uint32_t u;
};

struct DataSlot {
  std::array<char, 16> name{};
  uint32_t loaded = 0;
  uint32_t looped = 0;
  uint32_t inverted = 0;
  uint32_t reversed = 0;
  uint32_t tempoSync = 0;
  int32_t upperPitch = 0;  // KeyRange: highest pitch this slot plays
  SampleBlock data;         // length samples, owned by the slot (shared with voice copies)
  float playPosition = 0.0f;
  uint32_t length = 0;
  uint32_t loopStart = 0;
  uint32_t loopEnd = 0;
  float gain = 0.0f;
  Word rootOrRate{};  // .i root pitch for wave data, .f step rate for modulator data
};

// The parameters and options are what the engine editor's knobs and buttons and the song's parameter events
// change while the playback thread reads them: shared values, the same bytes as plain ones. A routine that
// reads one many times in a run copies it to a local first.
struct Engine {
  uint32_t type = 0;
  uint32_t loadedSlotCount = 0;
  std::array<Shared<uint32_t>, kOptionCount> options{};
  // The working words change at every run, while the mix reads the type and the options of every engine
  // between runs on another thread: on a cache line of their own they leave those reads alone.
  alignas(64) std::array<Word, kWorkingWords> W{};
  std::array<Shared<float>, kParameterCount> F{};  // parameter value * 0.01
  std::array<Shared<float>, kParameterCount> C{};  // 1 - F
  std::array<DataSlot, kDataSlotCount> slots{};
  uint32_t delayLineCount = 0;
  uint32_t bufferLength = 0;
  uint32_t lineLength = 0;
  std::array<uint32_t, kMaxDelayLines> lineStart{};
  std::array<uint32_t, kMaxDelayLines> lineEnd{};
  std::array<uint32_t, kMaxDelayLines> linePosition{};
  SampleBlock left;   // owned by track and song engines; voice engines point at per-position buffers
  SampleBlock right;
};

// What the pitch controllers and the synchronisation engine may touch of the voice that owns a chain.
struct VoiceRef {
  Engine* chain = nullptr;      // the voice's nine engines
  int32_t* transpose = nullptr; // the voice's transpose in cents
};

// Sets F[k] = value * 0.01 (in double, stored as float) and C[k] = 1 - F[k].
void SetParameter(Engine& engine, int k, int32_t value);

void InitProgramEngine(Engine& engine, uint32_t type);
// Allocates the engine's own delay buffers. On failure shows the out-of-memory message, leaves the engine
// a Thru without buffers and returns false.
bool InitTrackEngine(Engine& engine, uint32_t type, Dialogs& dialogs);
void ReleaseTrackEngine(Engine& engine);
void ClearEngineBuffers(Engine& engine);
// Lays out the delay lines of the engine's type over bufferLength floats (no allocation).
void LayOutDelayLines(Engine& engine);
// Recomputes the derived WorkingState words from parameters, options and the rate; clears W0..W7.
void PrepareEngine(Engine& engine, const OutputRate& rate);

// An arpeggiator's stored step index at or beyond its number of tones becomes 0, the first tone.
void SettleArpeggioStep(Engine& engine);

// Runs one output sample of the engine on ctx.bus. Types 0 and above 47 do nothing.
void ProcessEngine(Engine& engine, VoiceRef voice, int32_t pitch, SampleContext& ctx);
// The same with the high-quality routines the offline render may choose.
void ProcessEngineQuality(Engine& engine, VoiceRef voice, int32_t pitch, SampleContext& ctx);
// Runs the engine over n frames in place: the same as n calls of ProcessEngine (ProcessEngineQuality),
// one frame after the other, at a fraction of the cost.
void ProcessEngineOver(Engine& engine, VoiceRef voice, int32_t pitch, MixBus* frames, uint32_t n,
                       SampleContext& ctx);
void ProcessEngineOverQuality(Engine& engine, VoiceRef voice, int32_t pitch, MixBus* frames, uint32_t n,
                              SampleContext& ctx);

}  // namespace tonforge
