#include "audio/output_rate.h"

#include "audio/playback.h"

namespace tonforge {

void SwitchOutputRate(AppState& app, int32_t sampleRate) {
  if (sampleRate != 11025 && sampleRate != 22050 && sampleRate != 44100) return;
  StopPlayback(app);
  SetOutputRate(app.rate, sampleRate, app.song.tempo, app.song.ticksPerBeat);
  app.redraw.Request(Panel::RenderOutput, Panel::SongChain);
}

}  // namespace tonforge
