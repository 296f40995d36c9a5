#pragma once
// The session as the sound side sees it: the session plus the sound device, the output ring it plays and the
// offline render. Everything that makes sound takes a Studio.
#include "audio/audio_state.h"
#include "audio/song_mixer.h"
#include "shell/devices/sound_device.h"
#include "song/session.h"

namespace tonforge {

struct Studio : Session {
  // Fills in the session's sound side, so that the commands below reach this studio's workers and device.
  explicit Studio(Dialogs& dialogs);
  // Ends a worker that is still running before what it uses goes: the ring, the render and wave files, the
  // mixer's threads.
  ~Studio();

  SoundDevice* sound = nullptr;  // not owned; null when no device could be opened
  OutputRing ring;
  RenderState render;
  WavePlaybackState wavePlayback;
  SongMixer mixer;
  PlayAlongState playAlong;
};

}  // namespace tonforge
