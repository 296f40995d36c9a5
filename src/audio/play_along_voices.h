#pragma once
// The notes played along while a song plays, on the song worker: the live voices summed through a copy of the
// current track's chain and added to what the song mix writes to the device, after the song chain and song
// level. Renders never run this, so a song renders the same whoever plays along. A copy's engines start afresh
// (cleared delay lines, prepared state), as the live chains do at a first note.
#include <cstdint>

#include "audio/voice.h"

namespace tonforge {

// Main thread, before the worker starts: copies the current track's chain (the song chain on the GlobalTrack)
// and drops any notes still queued from an earlier playback.
void PreparePlayAlong(Studio& studio);
// Main thread, once per pass while the song plays: when another track has become current, copies its chain and
// hands it to the worker (one hand-over at a time).
void FollowCurrentTrack(Studio& studio);

// Worker, at the start of each block: carries out the notes queued since the last block and hands back the
// recorded ones with the tick where this block starts.
void TakePlayedNotes(Studio& studio);

// The tick whose span the next frame to be mixed falls in.
int32_t TickOfNextFrame(const Studio& studio);

// One frame of the notes played along, panned and levelled by the track, ready to add to the song's frame.
template <class Routines>
MixBus MixPlayAlongFrame(Studio& studio, SampleContext& ctx, Routines& run) {
  PlayAlongChain& pa = studio.playAlong.chains[studio.playAlong.playing];
  ctx.engineRandom = pa.random;
  MixBus voiceSum{};
  for (LiveVoice& v : studio.live.voices) MixLiveVoice(studio, v, ctx, voiceSum, run);
  ctx.bus = voiceSum;
  RunEffectChain(pa.chain, kChainLength, ctx, run);
  pa.random = ctx.engineRandom;
  if (pa.track == nullptr) return ctx.bus;
  if (!pa.global) ScaleBus(ctx.bus, pa.track->level);
  return Panned(studio.tables, ctx.bus, pa.track->pan);
}

// Adds the played-along frames to the song's, holding the sum inside 16 bits.
void AddPlayAlong(Studio& studio, SampleContext& ctx, Frame16* frames, uint32_t count);

}  // namespace tonforge
