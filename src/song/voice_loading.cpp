#include "song/voice_loading.h"

#include <algorithm>

namespace tonforge {

namespace {

void PrepareChain(Chain& chain, const OutputRate& rate) {
  for (Engine& e : chain) PrepareEngine(e, rate);
}

// A free voice (neither sounding nor fading), else the one started first.
LiveVoice& PickLiveVoice(LiveVoiceState& live) {
  LiveVoice* oldest = &live.voices.front();
  for (LiveVoice& v : live.voices) {
    if (v.liveFlag == 0 && v.fadeLeft == 0) return v;
    if (v.startOrder - live.nextOrder < oldest->startOrder - live.nextOrder) oldest = &v;  // wraps with the count
  }
  return *oldest;
}

// Ends a voice with a short fade, so its end does not click.
void StartFade(const Session& session, LiveVoice& v) {
  v.liveFlag = 0;
  v.sustained = 0;
  v.holder = kNoHolder;
  v.fadeLength = std::max<uint32_t>(1, static_cast<uint32_t>(session.rate.sampleRate * kReleaseFadeMilliseconds / 1000));
  v.fadeLeft = v.fadeLength;
}

}  // namespace

void LoadVoice(Program& voice, const PositionBuffers& buffers, const std::array<uint32_t, kChainLength>& bufferSize,
               const Program& program) {
  voice.level = program.level;
  voice.volume = program.volume;
  voice.volumeSlide = program.volumeSlide;
  voice.transpose = program.transpose;
  voice.pitchOffset = program.pitchOffset;
  voice.pitchSlide = program.pitchSlide;
  voice.pan = program.pan;
  voice.panSlide = program.panSlide;
  voice.engineCount = program.engineCount;
  for (int p = 0; p < kChainLength; ++p) {
    Engine& e = voice.engines[p];
    e = program.engines[p];
    e.left = buffers.left[p];
    e.right = buffers.right[p];
    if (!IsKnownType(e.type)) continue;
    const uint32_t needed = BuildEngineCatalog()[e.type].delayBufferLength;
    if (BuildEngineCatalog()[e.type].delayLineCount == 0) continue;
    if (!e.left || !e.right || bufferSize[p] < needed) {
      e.type = 0;
      continue;
    }
    std::fill_n(e.left.get(), needed, 0.0f);
    std::fill_n(e.right.get(), needed, 0.0f);
  }
}

LiveVoice* StartLiveNote(Session& session, int32_t pitch, int32_t programIndex, int32_t holder, LiveChains chains) {
  Song& song = session.song;
  LiveVoiceState& live = session.live;
  if (pitch > kHighestPitch || programIndex < 0 || programIndex >= static_cast<int32_t>(song.programs.size()) ||
      live.voices.empty())
    return nullptr;
  LiveVoice& v = PickLiveVoice(live);
  // The chains start afresh with a note, as one voice always had them; while other notes of a chord still sound
  // through them, a restart would cut their tails and click, so the chains then carry on.
  const bool othersSounding = std::any_of(live.voices.begin(), live.voices.end(),
                                          [&v](const LiveVoice& o) { return &o != &v && o.liveFlag != 0; });
  v.livePitch = pitch;
  v.notePitch = pitch;
  v.liveFlag = 1;
  v.holder = holder;
  v.sustained = 0;
  v.fadeLeft = 0;
  v.startOrder = live.nextOrder++;
  live.noteStarted = 1;
  Program& program = *song.programs[programIndex];
  if (chains == LiveChains::PlayAlong) {
    // The song's chains and programs are the song's: only the voice's own copy is prepared.
    LoadVoice(v.voice, v.buffers, song.positionBufferSize, program);
    PrepareChain(v.voice.engines, session.rate);
    return &v;
  }
  if (!othersSounding) {
    if (Track* global = song.tracks.At(0)) PrepareChain(global->chain, session.rate);
    if (Track* current = song.tracks.At(song.currentTrack)) PrepareChain(current->chain, session.rate);
  }
  PrepareChain(program.engines, session.rate);
  LoadVoice(v.voice, v.buffers, song.positionBufferSize, program);
  return &v;
}

void ReleaseLiveNote(Session& session, int32_t holder) {
  LiveVoiceState& live = session.live;
  if (holder == kNoHolder || (holder < kMidiNoteHolder && live.keysHold != 0)) return;
  for (LiveVoice& v : live.voices) {
    if (v.liveFlag == 0 || v.holder != holder) continue;
    v.holder = kNoHolder;
    if (live.sustainPedal != 0)
      v.sustained = 1;
    else
      StartFade(session, v);
  }
}

void SetSustainPedal(Session& session, bool down) {
  LiveVoiceState& live = session.live;
  live.sustainPedal = down ? 1 : 0;
  if (down) return;
  for (LiveVoice& v : live.voices)
    if (v.liveFlag != 0 && v.sustained != 0) StartFade(session, v);
}

void SilenceLiveVoices(Session& session) {
  for (LiveVoice& v : session.live.voices) {
    v.liveFlag = 0;
    v.fadeLeft = 0;
    v.sustained = 0;
    v.holder = kNoHolder;
  }
}

bool AnyLiveVoiceSounds(const Session& session) {
  for (const LiveVoice& v : session.live.voices)
    if (v.liveFlag != 0 || v.fadeLeft != 0) return true;
  return false;
}

}  // namespace tonforge
