#include "audio/output_rate.h"

#include "audio/live_output.h"
#include "audio/playback.h"

namespace tonforge {

void SwitchOutputRate(AppState& app, int32_t sampleRate) {
  if (sampleRate != 11025 && sampleRate != 22050 && sampleRate != 44100) return;
  StopPlayback(app);
  app.ring.staging.fill(0);
  app.ring.blockPending = 0;
  app.ring.writeBlock = 0;
  if (app.sound != nullptr) CreateMixBuffer(app, sampleRate);
  SetOutputRate(app.rate, sampleRate, app.song.tempo, app.song.ticksPerBeat);
  app.redraw.Request(Panel::RenderOutput, Panel::SongChain);
}

}  // namespace tonforge
