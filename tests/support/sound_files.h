#pragma once
// Sound files of every kind written with libsndfile for the import and playback tests, and the figures to judge
// what came out: peak level and the frequency of a tone counted by its zero crossings.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

namespace tonforge::testing {

inline constexpr int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

struct ToneFile {
  int format = kWav16;
  int rate = 44100;
  int channels = 1;
  double seconds = 0.5;
  double amplitude = 0.5;  // of the left (or only) channel; the right has half of it
  std::optional<int> loopStart = std::nullopt, loopEnd = std::nullopt;  // frames, the end one past the loop
  int unityNote = 60;
};

// A 1 kHz sine; false when this libsndfile cannot write the format.
inline bool WriteTone(const std::string& path, const ToneFile& t) {
  SF_INFO info{};
  info.samplerate = t.rate;
  info.channels = t.channels;
  info.format = t.format;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  if (f == nullptr) return false;
  if (t.loopStart) {
    SF_INSTRUMENT instrument{};
    instrument.basenote = static_cast<char>(t.unityNote);
    instrument.loop_count = 1;
    instrument.loops[0] = {SF_LOOP_FORWARD, static_cast<uint32_t>(*t.loopStart), static_cast<uint32_t>(*t.loopEnd), 0};
    sf_command(f, SFC_SET_INSTRUMENT, &instrument, sizeof instrument);
  }
  const auto frames = static_cast<std::size_t>(std::lround(t.seconds * t.rate));
  std::vector<float> samples(frames * static_cast<std::size_t>(t.channels));
  for (std::size_t i = 0; i < frames; ++i) {
    const double v = t.amplitude * std::sin(2.0 * M_PI * 1000.0 * static_cast<double>(i) / t.rate);
    for (int c = 0; c < t.channels; ++c) samples[i * t.channels + c] = static_cast<float>(c == 0 ? v : v / 2);
  }
  const bool ok = sf_writef_float(f, samples.data(), static_cast<sf_count_t>(frames)) == static_cast<sf_count_t>(frames);
  return sf_close(f) == 0 && ok;
}

// Every `stride`-th sample from `first`: one channel of interleaved frames.
template <typename T>
std::vector<float> Channel(const T* samples, std::size_t count, std::size_t stride = 1, float scale = 1.0f) {
  std::vector<float> out;
  for (std::size_t i = 0; i < count; i += stride) out.push_back(static_cast<float>(samples[i]) * scale);
  return out;
}

inline float Peak(const std::vector<float>& s) {
  return std::accumulate(s.begin(), s.end(), 0.0f, [](float p, float v) { return std::max(p, std::fabs(v)); });
}

// Upward zero crossings per second at the rate.
inline double ToneFrequency(const std::vector<float>& s, int rate) {
  int crossings = 0;
  for (std::size_t i = 1; i < s.size(); ++i) crossings += s[i - 1] < 0.0f && s[i] >= 0.0f;
  return s.empty() ? 0.0 : crossings * static_cast<double>(rate) / static_cast<double>(s.size());
}

}  // namespace tonforge::testing
