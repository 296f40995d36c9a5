#pragma once
// The offline render: the song from the EditCursor to the first End at or after it, written as fast as the
// processor allows into a 16-bit stereo WAV file at the OutputRate, counting clipped samples.
#include <cstdint>
#include <string>

#include "shell/app_state.h"

namespace tonforge {

// The render button of the render panel.
void StartRender(AppState& app);

// The worker's entries: the standard engine routines, and the interpolating ones chosen by RenderQuality.
void RenderThread(AppState& app);
void RenderThreadQuality(AppState& app);

// Called by StopPlayback once the render's worker has ended: finishes the file and tells the user how it went.
void EndRender(AppState& app);

// The render panel's three statistics lines.
void ShowRenderStatistics(AppState& app);
// The render panel's progress lines (first and third), rewritten by the render thread once per beat.
void ShowRenderProgress(AppState& app);

// Gives a name the .wav extension: a four-character extension is replaced, anything else gets ".wav"
// appended; names of 250 characters or more are left as they are.
std::string WithWaveExtension(std::string name);

// "Time %d Hours %d Minutes %d Seconds" for an elapsed time in milliseconds.
std::string ElapsedTimeText(int64_t milliseconds);

}  // namespace tonforge
