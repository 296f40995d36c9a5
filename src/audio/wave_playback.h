#pragma once
// Wave file playback: a 16-bit stereo PCM WAV file at 11025, 22050 or 44100 Hz streamed from the worker thread
// into the output ring, a block at a time and two blocks ahead of the play cursor, at the file's own rate. It
// plays back files such as the offline renders. StopPlayback ends it like any other worker.
#include <string>

#include "audio/studio.h"

namespace tonforge {

// The render panel's "Select Wave" button: stops whatever plays, asks for a WAV file in the remembered renders
// folder and plays it. True when playback started.
bool SelectWave(Studio& studio);

// Select Wave from its file step on, without the dialog: checks the file, switches the OutputRate to its rate
// and starts the worker. A refused file is reported and changes nothing; a file that cannot be opened or read
// changes nothing and is not reported.
bool StartWavePlayback(Studio& studio, const std::string& path);

// The worker's entry: hands the file's samples to the ring block by block until they run out or PlaybackMode
// falls to 0, then closes the file.
void WavePlaybackThread(Studio& studio);

}  // namespace tonforge
