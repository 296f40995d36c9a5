#include "audio/play_along_voices.h"

#include "song/voice_loading.h"

namespace tonforge {

namespace {

// The copy of one engine of the chain, with delay lines of its own; one whose lines cannot be had plays as Thru.
void CopyEngine(PlayAlongChain& pa, int p, const Engine& source, const OutputRate& rate) {
  Engine& e = pa.chain[p];
  e = source;
  if (e.delayLineCount == 0) {
    e.left.reset();  // never the track's own lines
    e.right.reset();
  } else {
    if (pa.bufferLength[p] < e.bufferLength || !pa.buffers.left[p] || !pa.buffers.right[p]) {
      pa.buffers.left[p] = AllocateSamples(e.bufferLength);
      pa.buffers.right[p] = AllocateSamples(e.bufferLength);
      pa.bufferLength[p] = pa.buffers.left[p] && pa.buffers.right[p] ? e.bufferLength : 0;
    }
    if (pa.bufferLength[p] == 0) {
      e = Engine{};
    } else {
      e.left = pa.buffers.left[p];
      e.right = pa.buffers.right[p];
      LayOutDelayLines(e);
    }
  }
  ClearEngineBuffers(e);
  PrepareEngine(e, rate);
}

void CopyCurrentChain(Studio& studio, PlayAlongChain& pa) {
  const Track* current = TrackAt(studio.song, studio.song.currentTrack);
  pa.track = current;
  pa.global = studio.song.currentTrack == 0;
  pa.random = studio.random.engine;
  for (int p = 0; p < kChainLength; ++p) CopyEngine(pa, p, current ? current->chain[p] : Engine{}, studio.rate);
}

int16_t AddHeld(int16_t song, float along) {
  const int32_t sum = static_cast<int32_t>(song) + ToSample16(along, nullptr);
  return static_cast<int16_t>(std::clamp<int32_t>(sum, INT16_MIN, INT16_MAX));
}

void Heard(Studio& studio, const PlayedNote& n, int32_t tick) {
  if (n.track < 0) return;
  // A full queue loses the record of the note, never the song's sound.
  (void)studio.playback.heard.Push(HeardNote{n.kind, n.holder, n.pitch, n.program, n.track, tick, n.serial});
}

}  // namespace

void PreparePlayAlong(Studio& studio) {
  PlayAlongState& along = studio.playAlong;
  CopyCurrentChain(studio, along.chains[0]);
  along.playing = 0;
  along.requested = 0;
  along.inUse.store(0, std::memory_order_relaxed);
  along.sounding = false;
  studio.playback.played.Drain();  // no worker runs: the main thread may stand in for the consumer
}

void FollowCurrentTrack(Studio& studio) {
  PlayAlongState& along = studio.playAlong;
  const Track* current = TrackAt(studio.song, studio.song.currentTrack);
  if (current == nullptr || current == along.chains[along.requested].track) return;
  if (along.inUse.load(std::memory_order_acquire) != along.requested) return;  // the last hand-over is under way
  const uint32_t next = 1 - along.requested;
  CopyCurrentChain(studio, along.chains[next]);
  if (studio.playback.played.Push(PlayedNote{PlayedKind::Chain, kNoHolder, static_cast<int32_t>(next)}))
    along.requested = next;
}

int32_t TickOfNextFrame(const Studio& studio) {
  // The clock processes a tick on the frame that brings the accumulator to samples per tick; until then the
  // frames belong to the tick before.
  const bool ticksNext = studio.song.tickAccumulator + 1.0f >= studio.rate.samplesPerTick;
  return std::max(studio.currentTick - (ticksNext ? 0 : 1), 0);
}

void TakePlayedNotes(Studio& studio) {
  for (PlayedNote n; studio.playback.played.Pop(n);) {
    switch (n.kind) {
      case PlayedKind::Start:
        if (LiveVoice* v = StartLiveNote(studio, n.pitch, n.program, n.holder, LiveChains::PlayAlong)) {
          v->livePitch = n.pitch + n.bend;
          v->voice.level = v->voice.level * n.level;
          studio.playAlong.sounding = true;
        }
        Heard(studio, n, TickOfNextFrame(studio));
        break;
      case PlayedKind::Release:
        ReleaseLiveNote(studio, n.holder);
        Heard(studio, n, TickOfNextFrame(studio));
        break;
      case PlayedKind::Pedal: SetSustainPedal(studio, n.pitch != 0); break;
      case PlayedKind::Silence: SilenceLiveVoices(studio); break;
      case PlayedKind::Chain:
        studio.playAlong.playing = static_cast<uint32_t>(n.pitch) & 1u;
        studio.playAlong.inUse.store(studio.playAlong.playing, std::memory_order_release);
        break;
      case PlayedKind::Bend:
        for (LiveVoice& v : studio.live.voices)
          if (v.liveFlag != 0 && v.holder >= kMidiNoteHolder) v.livePitch = v.notePitch + n.pitch;
        break;
    }
  }
}

void AddPlayAlong(Studio& studio, SampleContext& ctx, Frame16* frames, uint32_t count) {
  if (!studio.playAlong.sounding) return;
  StandardRoutines run;
  for (uint32_t i = 0; i < count; ++i) {
    const MixBus along = MixPlayAlongFrame(studio, ctx, run);
    frames[i] = {AddHeld(frames[i].left, along.left), AddHeld(frames[i].right, along.right)};
  }
}

}  // namespace tonforge
