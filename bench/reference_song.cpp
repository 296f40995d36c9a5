#include "reference_song.h"

#include <algorithm>
#include <cmath>

#include "audio/playback.h"
#include "song/voice_loading.h"

namespace tonforge::bench {

namespace {

constexpr uint32_t kModulatorLength = 4410;

uint32_t TypeOf(EngineTypeId t) { return static_cast<uint32_t>(t); }

void AddEvent(Track& t, Event*& last, int32_t tick, EventType type, int32_t a = 0, int32_t b = 0) {
  last = t.events.InsertAfter(last, {tick, static_cast<int32_t>(type), a, b});
  ++t.eventCount;
}

// A looped sine sweep in slot s, as a modulator import would leave it.
void LoadSweep(Engine& e, int s) {
  DataSlot& slot = e.slots[s];
  slot.data = AllocateSamples(kModulatorLength);
  for (uint32_t i = 0; i < kModulatorLength; ++i)
    slot.data[i] = 0.4f * static_cast<float>(std::sin(2.0 * M_PI * i / kModulatorLength));
  slot.length = kModulatorLength;
  slot.loaded = 1;
  slot.looped = 1;
  slot.loopEnd = kModulatorLength - 1;
  slot.rootOrRate.f = static_cast<float>(kModulatorLength) * 2.2675738e-6f * static_cast<float>(1 + s);
  e.loadedSlotCount = static_cast<uint32_t>(s + 1);
}

}  // namespace

std::unique_ptr<Studio> ReferenceSong(Dialogs& dialogs, int32_t trackCount, bool withEnd) {
  auto app = std::make_unique<Studio>(dialogs);
  StartCore(*app, ".");
  Song& song = app->song;
  song.seed = 77;

  for (const EngineTypeId source : {EngineTypeId::UpSawGenerator, EngineTypeId::PulseWaveGenerator,
                                    EngineTypeId::SineWaveGenerator, EngineTypeId::UpSawGenerator}) {
    auto program = std::make_unique<Program>();
    for (Engine& e : program->engines) InitProgramEngine(e, 0);
    InitProgramEngine(program->engines[0], TypeOf(source));
    InitProgramEngine(program->engines[1], TypeOf(EngineTypeId::LowPassFilter));
    SetParameter(program->engines[1], 0, 40);
    SetParameter(program->engines[1], 1, 30);
    LoadSweep(program->engines[1], 0);
    InitProgramEngine(program->engines[2], TypeOf(EngineTypeId::Chorus));
    LoadSweep(program->engines[2], 0);
    LoadSweep(program->engines[2], 1);
    program->level = 0.1f;
    for (int p = 0; p < kChainLength; ++p)
      song.positionBufferSize[p] = std::max(song.positionBufferSize[p], program->engines[p].bufferLength);
    song.programs.push_back(std::move(program));
  }

  for (int32_t n = 0; n <= trackCount; ++n) {
    auto t = std::make_unique<Track>();
    t->seed = 1 + static_cast<uint32_t>(n);
    for (Engine& e : t->chain) InitTrackEngine(e, 0, dialogs);
    Event* last = nullptr;
    if (n == 0) {
      std::copy_n("Song", 4, t->name.begin());
      InitTrackEngine(t->chain[0], TypeOf(EngineTypeId::StereoReverbXY), dialogs);
      AddEvent(*t, last, 0, EventType::Tempo, 120);
      if (withEnd) AddEvent(*t, last, kReferenceBeats * kReferenceTicksPerBeat, EventType::End);
    } else {
      InitTrackEngine(t->chain[0], TypeOf(EngineTypeId::BasicDelay), dialogs);
      for (int p = 0; p < kChainLength; ++p) {
        if (song.positionBufferSize[p] == 0) continue;
        t->voiceBuffers.left[p] = AllocateSamples(song.positionBufferSize[p]);
        t->voiceBuffers.right[p] = AllocateSamples(song.positionBufferSize[p]);
      }
      for (int32_t beat = 0; beat < kReferenceBeats; ++beat)
        AddEvent(*t, last, beat * kReferenceTicksPerBeat, EventType::NoteOn, 1850 + 100 * ((beat + n) % 24), n % 4);
    }
    song.tracks.Insert(n, std::move(t));
  }
  PrepareSongStart(*app);
  return app;
}

}  // namespace tonforge::bench
