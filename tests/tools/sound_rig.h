#pragma once
// Renders one note of a factory program (optionally through a factory track chain) with the program
// renderer, in the process, and measures what a listener would: level, tail, pitch and offset.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "audio/render.h"
#include "programs/program_file.h"
#include "sequencer/song.h"
#include "support/fake_dialogs.h"
#include "support/file_rig.h"

namespace tonforge::testing {

inline const std::filesystem::path kFactory = std::filesystem::path(TONFORGE_SOURCE_DIR) / "app";

// The left plus right halves of a render, frame by frame, and what the render counted.
struct Heard {
  std::vector<float> mono;  // (L + R) / 2
  std::vector<float> left, right;
  uint32_t clipped = 0;
};

// One note of `program` at `pitch` for `seconds`; `chain` names a track chain of Programs/Tracks to play it
// through, and `noteSeconds` lets the note go after that long (0 holds it).
inline std::optional<Heard> RenderFactoryNote(const std::string& program, int32_t pitch, float seconds,
                                              const std::string& chain = {}, float noteSeconds = 0.0f) {
  FakeDialogs dialogs;
  TempDir dir;
  Studio app(dialogs);
  StartCore(app, dir.Root());
  NewSong(app);
  if (!LoadProgramFileNew(app, (kFactory / "Programs" / "Instruments" / (program + ".tep")).string())) return std::nullopt;
  Track* track = InsertTrack(app);
  if (track == nullptr) return std::nullopt;
  if (!chain.empty()) {
    dialogs.paths.push_back((kFactory / "Programs" / "Tracks" / (chain + ".tep")).string());
    app.song.currentTrack = 1;
    if (!LoadProgramChain(app)) return std::nullopt;
  }
  AppendEvent(app, *track, {0, static_cast<int32_t>(EventType::NoteOn), pitch, 0});
  if (noteSeconds > 0.0f) {
    const auto tick = static_cast<int32_t>(noteSeconds * 44100.0f / app.rate.samplesPerTick);
    AppendEvent(app, *track, {tick, static_cast<int32_t>(EventType::NoteOff), 0, 0});
  }
  const auto frames = static_cast<uint64_t>(seconds * 44100.0f);
  if (RenderFramesToFile(app, dir.File("note.wav"), frames) != RenderResult::Done || !dialogs.shown.empty())
    return std::nullopt;
  const auto bytes = ReadBytes(dir.File("note.wav"));
  constexpr size_t kHeader = 44;
  Heard h;
  h.clipped = app.render.samplesClipped.load();
  for (size_t i = kHeader; i + 3 < bytes.size(); i += 4) {
    const auto l = static_cast<int16_t>(bytes[i] | bytes[i + 1] << 8);
    const auto r = static_cast<int16_t>(bytes[i + 2] | bytes[i + 3] << 8);
    h.left.push_back(l / 32768.0f);
    h.right.push_back(r / 32768.0f);
    h.mono.push_back((h.left.back() + h.right.back()) * 0.5f);
  }
  return h;
}

inline size_t Frame(float seconds) { return static_cast<size_t>(seconds * 44100.0f); }

inline float Peak(const std::vector<float>& v, float from = 0.0f, float to = 1e9f) {
  float p = 0.0f;
  for (size_t i = Frame(from); i < std::min(v.size(), Frame(to)); ++i) p = std::max(p, std::fabs(v[i]));
  return p;
}
inline float Rms(const std::vector<float>& v, float from, float to) {
  double sum = 0.0;
  const size_t a = Frame(from), b = std::min(v.size(), Frame(to));
  for (size_t i = a; i < b; ++i) sum += double{v[i]} * v[i];
  return b > a ? static_cast<float>(std::sqrt(sum / static_cast<double>(b - a))) : 0.0f;
}
inline float Mean(const std::vector<float>& v) {
  double sum = 0.0;
  for (float x : v) sum += x;
  return v.empty() ? 0.0f : static_cast<float>(sum / static_cast<double>(v.size()));
}
inline float Decibels(float level) { return 20.0f * std::log10(std::max(level, 1e-9f)); }
// The last moment the sound is at or above `level`, in seconds.
inline float LastAbove(const std::vector<float>& v, float level) {
  for (size_t i = v.size(); i-- > 0;)
    if (std::fabs(v[i]) >= level) return static_cast<float>(i + 1) / 44100.0f;
  return 0.0f;
}

// A Hann-windowed stretch of the sound, and the strength of one frequency in it (Goertzel's recurrence).
inline std::vector<double> Windowed(const std::vector<float>& v, float from, float to) {
  const size_t a = Frame(from), n = std::min(v.size(), Frame(to)) - a;
  std::vector<double> w(n);
  for (size_t i = 0; i < n; ++i)
    w[i] = v[a + i] * (0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(n)));
  return w;
}
inline float Strength(const std::vector<double>& windowed, double hz) {
  const double k = 2.0 * std::cos(2.0 * std::numbers::pi * hz / 44100.0);
  double s1 = 0.0, s2 = 0.0;
  for (double x : windowed) {
    const double s0 = x + k * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  return static_cast<float>(std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - k * s1 * s2)));
}

// The frequency of pitch p in cents (2450 is middle C, 261.63 Hz).
inline double PitchHz(int32_t pitch) { return 261.63 * std::pow(2.0, (pitch - 2450) / 1200.0); }

// The energy within half a semitone either side of `pitch`: where it is centred, in cents (a detuned pair
// or a vibrato counts as the pitch between its extremes), and its strongest component.
struct Around {
  float cents = 100.0f;
  float strongest = 0.0f;
};
inline Around AroundPitch(const std::vector<double>& windowed, int32_t pitch) {
  double weighted = 0.0, total = 0.0;
  Around a;
  for (int32_t c = -50; c <= 50; c += 2) {
    const double s = Strength(windowed, PitchHz(pitch + c));
    weighted += s * s * c;
    total += s * s;
    a.strongest = std::max(a.strongest, static_cast<float>(s));
  }
  if (total > 0.0) a.cents = static_cast<float>(weighted / total);
  return a;
}

}  // namespace tonforge::testing
