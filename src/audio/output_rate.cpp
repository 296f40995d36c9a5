#include "audio/output_rate.h"

#include "audio/live_output.h"
#include "audio/playback.h"

namespace tonforge {

void SwitchOutputRate(Studio& studio, int32_t sampleRate) {
  if (!IsOutputRate(sampleRate)) return;
  StopPlayback(studio);
  studio.ring.staging.fill(0);
  studio.ring.blockPending = 0;
  studio.ring.writeBlock = 0;
  if (studio.sound != nullptr) CreateMixBuffer(studio, sampleRate);
  SetOutputRate(studio.rate, sampleRate, studio.song.tempo, studio.song.ticksPerBeat);
  studio.changes.Report(Change::Output);
}

}  // namespace tonforge
