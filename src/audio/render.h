#pragma once
// The offline render: the song from the EditCursor to the first End at or after it, written as fast as the
// processor allows into a 16-bit stereo WAV file at the OutputRate, counting clipped samples.
#include <cstdint>
#include <functional>
#include <string>

#include "audio/studio.h"

namespace tonforge {

// The render button of the render panel.
void StartRender(Studio& studio);

// Called once per beat of a render with its percent complete (of the song to its End, or of the frames).
using RenderBeatHook = std::function<void(int64_t percentComplete)>;

enum class RenderResult { Done, NoEnd, StoppedBeforeCursor, CannotCreateFile, WriteFailed };

// What the render button does from its file step on, on the calling thread and without dialogs, into `path`
// as given: the song from the EditCursor to the first End at or after it, with the routines RenderQuality
// selects. Failures are shown as the render button shows them; the statistics stay in studio.render.
RenderResult RenderSongToFile(Studio& studio, const std::string& path, const RenderBeatHook& onBeat = {});
// From the start of the song for exactly `frames` frames of (song clock step, MixSongSample), whatever
// the events are: an End silences the channels but does not end the file.
RenderResult RenderFramesToFile(Studio& studio, const std::string& path, uint64_t frames,
                                const RenderBeatHook& onBeat = {});

// The worker's entries: the standard engine routines, and the interpolating ones chosen by RenderQuality.
void RenderThread(Studio& studio);
void RenderThreadQuality(Studio& studio);

// Called by StopPlayback once the render's worker has ended: finishes the file and tells the user how it went.
void EndRender(Studio& studio);

// The render panel's three statistics lines. The panel's refresh calls it, so it asks for no redraw itself.
void ShowRenderStatistics(Studio& studio);
// The render panel's progress lines (first and third), rewritten by the render thread once per beat.
void ShowRenderProgress(Studio& studio);

// Gives a name the .wav extension: a four-character extension is replaced, anything else gets ".wav"
// appended; names of 250 characters or more are left as they are.
std::string WithWaveExtension(std::string name);

// "Time %d Hours %d Minutes %d Seconds" for an elapsed time in milliseconds.
std::string ElapsedTimeText(int64_t milliseconds);

}  // namespace tonforge
