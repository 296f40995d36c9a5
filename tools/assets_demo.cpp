// The demo song: a tour of the factory bank over a four-chord loop (A minor, F, C, G) in five sections, with
// a tempo change into the second half, the drums played as phrases of three one-bar source tracks, track
// chains from Programs/Tracks and a reverb on the song chain.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "assets.h"
#include "sequencer/song.h"
#include "song/song_records.h"

namespace tonforge::assets {
namespace {

constexpr int32_t kTicksPerBeat = 48;
constexpr int32_t kBeatsPerBar = 4;
constexpr int32_t kBar = kTicksPerBeat * kBeatsPerBar;
constexpr int32_t kOpeningTempo = 100, kSecondTempo = 112;
constexpr int32_t kTempoChangeBar = 16, kOutroBar = 32, kEndBar = 34;
constexpr int32_t kOctave = 1200;

int32_t At(int32_t bar, float beat) { return bar * kBar + static_cast<int32_t>(beat * kTicksPerBeat); }

// Cents from C3 (1250).
constexpr int32_t N(int semitonesFromC3) { return kC3 + 100 * semitonesFromC3; }

// The loop, one chord a bar: the bass root and three voices in the middle of the keyboard.
struct Chord {
  int32_t root;
  int32_t voices[3];
};
constexpr Chord kChords[4] = {
    {N(-3), {N(9), N(12), N(16)}},   // A minor
    {N(-7), {N(5), N(9), N(12)}},    // F
    {N(0), {N(7), N(12), N(16)}},    // C
    {N(-5), {N(7), N(11), N(14)}},   // G
};
const Chord& ChordOf(int32_t bar) { return kChords[bar % 4]; }

struct Note {
  float beat;
  int32_t pitch;
  float length;  // beats; 0 lets it ring until the next note
};

// Four-bar melodies, one bar per row.
const std::vector<Note> kMelodyA[4] = {
    {{0, N(24), 1.5f}, {1.5f, N(23), 0.5f}, {2, N(21), 1}, {3, N(19), 1}},
    {{0, N(17), 1.5f}, {1.5f, N(19), 0.5f}, {2, N(21), 2}},
    {{0, N(19), 1}, {1, N(24), 1}, {2, N(28), 1.5f}, {3.5f, N(26), 0.5f}},
    {{0, N(26), 2}, {2, N(23), 1}, {3, N(19), 1}},
};
const std::vector<Note> kMelodyB[4] = {
    {{0, N(21), 0.5f}, {0.5f, N(24), 0.5f}, {1, N(28), 1}, {2.5f, N(26), 0.5f}, {3, N(24), 1}},
    {{0, N(21), 0.75f}, {0.75f, N(24), 0.75f}, {1.5f, N(29), 1.5f}, {3, N(28), 1}},
    {{0, N(28), 0.5f}, {0.5f, N(26), 0.5f}, {1, N(24), 1}, {2, N(19), 0.5f}, {2.5f, N(24), 1.5f}},
    {{0, N(23), 1}, {1, N(26), 1}, {2, N(31), 2}},
};

// The three one-bar drum sources (played only through phrases).
struct Hit {
  float beat;
  const char* drum;
};
const std::vector<Hit> kBeatA = {{0, "Kick Deep"}, {1, "Snare"}, {2, "Kick Deep"}, {2.5f, "Kick Deep"}, {3, "Snare"}};
const std::vector<Hit> kBeatB = {{0, "Kick Punchy"}, {1, "Clap"}, {1.75f, "Kick Punchy"}, {2.5f, "Kick Punchy"},
                                 {3, "Clap"}, {3.5f, "Snare Tight"}};
const std::vector<Hit> kHats = {{0, "Hat Closed"}, {0.5f, "Hat Closed"}, {1, "Hat Closed"}, {1.5f, "Shaker"},
                                {2, "Hat Closed"}, {2.5f, "Hat Closed"}, {3, "Hat Closed"}, {3.5f, "Hat Open"}};

// Which section plays what, by bar range [from, to).
struct Part {
  const char* track;
  const char* program;
  int32_t from, to;
};

class SongWriter {
public:
  explicit SongWriter(Studio& studio) : studio_(studio) {}

  Track& NewTrack(std::string_view name) {
    studio_.song.currentTrack = studio_.song.tracks.Count() - 1;  // insert after the last track
    Track* t = InsertTrack(studio_);
    if (t == nullptr) std::exit(1);
    CopyName(t->name, name);
    return *t;
  }
  void Add(Track& t, int32_t tick, EventType type, int32_t a = 0, int32_t b = 0) {
    if (!InsertEvent(studio_, t, {tick, static_cast<int32_t>(type), a, b})) std::exit(1);
  }
  void Play(Track& t, int32_t bar, const Note& n, const char* program) {
    Add(t, At(bar, n.beat), EventType::NoteOn, n.pitch, BankIndex(program));
    if (n.length > 0.0f) Add(t, At(bar, n.beat + n.length), EventType::NoteOff);
  }
  void Hits(Track& t, const std::vector<Hit>& hits) {
    for (const Hit& h : hits) Add(t, At(0, h.beat), EventType::NoteOn, DrumKey(h.drum), BankIndex("Drum Kit"));
  }
  void Chain(Track& t, std::string_view name) {
    if (!LoadTrackChain(studio_, t, name)) std::exit(1);
  }

private:
  Studio& studio_;
};

}  // namespace

void WriteDemoSong(Studio& studio) {
  Song& song = studio.song;
  song.beatsPerBar = kBeatsPerBar;
  song.ticksPerBeat = kTicksPerBeat;
  song.songLevel = 0.45f;  // room for the drums and the crash on top of the full band
  Track& global = *TrackAt(song, 0);
  CopyName(global.name, "Demo");
  global.events.First()->valueA = kOpeningTempo;
  song.tempo = static_cast<float>(kOpeningTempo);
  UpdateBeatFigures(studio.rate, song.tempo, song.ticksPerBeat);

  SongWriter w(studio);
  Track& padLow = w.NewTrack("Pad Low");
  Track& padMid = w.NewTrack("Pad Mid");
  Track& padHigh = w.NewTrack("Pad High");
  Track& bass = w.NewTrack("Bass");
  Track& lead = w.NewTrack("Lead");
  Track& keys = w.NewTrack("Keys");
  Track& arp = w.NewTrack("Arpeggio");
  Track& drums = w.NewTrack("Drums");
  Track& hats = w.NewTrack("Hats");
  Track& effects = w.NewTrack("Effects");
  // The drum sources after the band, muted: the drum tracks replay them bar by bar.
  const int32_t beatATrack = song.tracks.Count();
  Track& beatA = w.NewTrack("Beat A (source)");
  const int32_t beatBTrack = song.tracks.Count();
  Track& beatB = w.NewTrack("Beat B (source)");
  const int32_t hatsTrack = song.tracks.Count();
  Track& hatsSource = w.NewTrack("Hats (source)");
  for (Track* source : {&beatA, &beatB, &hatsSource}) source->muteState = 1;
  w.Hits(beatA, kBeatA);
  w.Hits(beatB, kBeatB);
  w.Hits(hatsSource, kHats);

  w.Chain(lead, "Stereo Echo");
  w.Chain(keys, "Wide Chorus");
  w.Chain(arp, "Echo Quarter Note");
  w.Chain(drums, "Room Reverb");
  w.Chain(global, "Hall Reverb");
  padLow.level = 0.8f;
  padMid.level = 0.8f;
  padHigh.level = 0.8f;
  arp.level = 0.6f;
  arp.pan = 70;
  keys.pan = 130;
  hats.level = 0.7f;
  hats.pan = 120;
  effects.level = 0.5f;  // the wind and the zaps stay behind the band

  // Pads hold each chord for its bar; which pad changes with the sections.
  Track* pads[3] = {&padLow, &padMid, &padHigh};
  for (int32_t bar = 0; bar < kOutroBar; ++bar) {
    const char* pad = bar < 12 ? "Warm Pad" : bar < 16 ? "Strings" : bar < 24 ? "Glass Pad" : "Choir Pad";
    for (int v = 0; v < 3; ++v) w.Play(*pads[v], bar, {0, ChordOf(bar).voices[v], 0}, pad);
  }
  // The bass: a root on the beat from bar 4, pushed eighths in the second half.
  for (int32_t bar = 4; bar < kOutroBar; ++bar) {
    const int32_t r = ChordOf(bar).root;
    if (bar < kTempoChangeBar)
      for (float beat : {0.0f, 1.5f, 2.0f, 3.0f})
        w.Play(bass, bar, {beat, beat == 3.0f ? r + kOctave : r, 0.75f}, "Pluck Bass");
    else
      for (int e = 0; e < 8; ++e)
        w.Play(bass, bar, {0.5f * e, e % 4 == 3 ? r + kOctave : r, 0.4f}, bar < 24 ? "Acid Bass" : "Filter Bass");
  }
  // The arpeggio: the chord up and down in eighths.
  for (int32_t bar = 0; bar < kOutroBar; ++bar) {
    const char* sound = bar < 8 ? "Music Box" : bar < 16 ? "Harp" : bar < 24 ? "Glockenspiel" : "Marimba";
    const Chord& c = ChordOf(bar);
    const int32_t order[8] = {0, 1, 2, 1, 0, 1, 2, 1};
    for (int e = 0; e < 8; ++e) w.Play(arp, bar, {0.5f * e, c.voices[order[e]] + (e >= 4 ? kOctave : 0), 0}, sound);
  }
  // Keys: off-beat stabs of the chord's top voice.
  for (int32_t bar = 8; bar < kOutroBar; ++bar) {
    const char* sound = bar < kTempoChangeBar ? "Electric Piano" : bar < 24 ? "Brass" : "Drawbar Organ";
    for (float beat : {0.5f, 2.5f}) w.Play(keys, bar, {beat, ChordOf(bar).voices[2], 0.75f}, sound);
  }
  // The lead: melody A on the saw lead, then melody B on the sync lead twice, then A on the whistle.
  for (int32_t bar = 12; bar < kOutroBar; ++bar) {
    const std::vector<Note>& line = bar >= 16 && bar < 24 ? kMelodyB[bar % 4] : kMelodyA[bar % 4];
    const char* sound = bar < kTempoChangeBar ? "Saw Lead" : bar < 24 ? "Sync Lead" : "Square Lead";
    for (const Note& n : line) w.Play(lead, bar, n, sound);
  }
  // Drums: beat A from bar 4, beat B after the tempo change; hats from bar 8; kicks alone in the break.
  for (int32_t bar = 4; bar < kOutroBar; ++bar) {
    if (bar >= 12 && bar < 14) continue;  // a two-bar break
    w.Add(drums, At(bar, 0), EventType::Phrase, bar < kTempoChangeBar ? beatATrack : beatBTrack);
    if (bar >= 8) w.Add(hats, At(bar, 0), EventType::Phrase, hatsTrack);
  }
  for (int32_t bar : {12, 13})
    for (float beat : {0.0f, 2.0f}) w.Play(drums, bar, {beat, kC3, 0}, "Synth Kick");
  // Effects: the wind under the intro, a zap into each section, the crash on the downbeats.
  // The wind fades out over its last three beats (the volume falls by 14 x 0.0005 a tick), then the track's
  // volume is restored for the zaps.
  w.Play(effects, 0, {0, kC4, 7.0f}, "Wind");
  w.Add(effects, At(0, 4), EventType::TrackVolumeSlide, -14);
  w.Add(effects, At(2, 0), EventType::TrackVolumeSlide, 0);
  w.Add(effects, At(2, 0), EventType::TrackVolume, 100);
  for (int32_t bar : {7, 15, 23})
    w.Play(effects, bar, {3, kC5, 0}, "Laser Zap");
  for (int32_t bar : {8, 16, 24, kOutroBar})
    w.Add(effects, At(bar, 0), EventType::NoteOn, DrumKey("Crash"), BankIndex("Drum Kit"));
  w.Add(global, At(kTempoChangeBar, 0), EventType::Tempo, kSecondTempo);

  // The outro: the first chord once more on the bell and pads, fading over the last two bars.
  for (int v = 0; v < 3; ++v) w.Play(*pads[v], kOutroBar, {0, kChords[0].voices[v], 4}, "Warm Pad");
  w.Play(lead, kOutroBar, {0, N(21), 0}, "Bell");
  w.Play(bass, kOutroBar, {0, kChords[0].root, 0}, "Sub Bass");
  w.Add(global, At(kOutroBar, 0), EventType::SongVolumeSlide, -6);
  w.Add(global, At(kEndBar, 0), EventType::End);
}

}  // namespace tonforge::assets
