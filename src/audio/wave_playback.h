#pragma once
// Sound file playback: any file libsndfile reads streamed from the worker thread into the output ring, a block
// at a time and two blocks ahead of the play cursor, never loaded whole. A file at 11025, 22050 or 44100 Hz
// plays at its own rate (the output switches to it, as for the offline renders); any other is converted to the
// output's rate as it plays. StopPlayback ends it like any other worker.
#include <string>

#include "audio/studio.h"

namespace tonforge {

// The render panel's "Select Wave" button: stops whatever plays, asks for a sound file in the remembered renders
// folder and plays it. True when playback started.
bool SelectWave(Studio& studio);

// Select Wave from its file step on, without the dialog: opens the file, switches the OutputRate to its rate when
// it is one of the three and starts the worker. A file that cannot be read is reported with the reason and
// changes nothing.
bool StartWavePlayback(Studio& studio, const std::string& path);

// The worker's entry: hands the file's frames to the ring block by block until they run out or PlaybackMode
// falls to 0, then closes the file.
void WavePlaybackThread(Studio& studio);

}  // namespace tonforge
