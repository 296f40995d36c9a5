#include "audio/studio.h"

#include "audio/output_rate.h"
#include "audio/playback.h"

namespace tonforge {

namespace {

// The sound side is only ever installed by a Studio, so the session it is handed is one.
Studio& StudioOf(Session& session) { return static_cast<Studio&>(session); }

}  // namespace

Studio::Studio(Dialogs& dialogs) : Session(dialogs) {
  soundSide.putAtRest = [](Session& s, PlaybackMode ended) { PutAtRest(StudioOf(s), ended); };
  soundSide.switchOutputRate = [](Session& s, int32_t sampleRate) { SwitchOutputRate(StudioOf(s), sampleRate); };
}

Studio::~Studio() { StopPlayback(*this); }

}  // namespace tonforge
