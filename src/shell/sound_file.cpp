#include "shell/sound_file.h"

#include <samplerate.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "shell/files.h"

namespace tonforge {

namespace {

// libsndfile is read in pieces of this many frames; the converter is fed pieces of the same size.
constexpr sf_count_t kPieceFrames = 4096;
constexpr int kConverter = SRC_SINC_BEST_QUALITY;
constexpr std::string_view kNoSamples = "The file holds no samples";

// A file held in memory, read through libsndfile's virtual I/O.
struct MemoryFile {
  std::span<const uint8_t> bytes;
  sf_count_t at = 0;
};

sf_count_t MemoryLength(void* user) { return static_cast<sf_count_t>(static_cast<MemoryFile*>(user)->bytes.size()); }

sf_count_t MemorySeek(sf_count_t offset, int whence, void* user) {
  auto& m = *static_cast<MemoryFile*>(user);
  const sf_count_t size = MemoryLength(user);
  const sf_count_t from = whence == SEEK_CUR ? m.at : whence == SEEK_END ? size : 0;
  m.at = std::clamp<sf_count_t>(from + offset, 0, size);
  return m.at;
}

sf_count_t MemoryRead(void* to, sf_count_t count, void* user) {
  auto& m = *static_cast<MemoryFile*>(user);
  const sf_count_t n = std::clamp<sf_count_t>(MemoryLength(user) - m.at, 0, std::max<sf_count_t>(count, 0));
  if (n > 0) std::memcpy(to, m.bytes.data() + m.at, static_cast<std::size_t>(n));  // an empty file has no data()
  m.at += n;
  return n;
}

sf_count_t MemoryWrite(const void*, sf_count_t, void*) { return 0; }
sf_count_t MemoryTell(void* user) { return static_cast<MemoryFile*>(user)->at; }

struct SoundFileCloser {
  void operator()(SNDFILE* f) const { sf_close(f); }
};
using SoundFilePtr = std::unique_ptr<SNDFILE, SoundFileCloser>;

// libsndfile's own name for a format code, for the kinds the table below does not know.
std::string FormatName(int format, int command) {
  SF_FORMAT_INFO info{};
  info.format = format;
  if (sf_command(nullptr, command, &info, sizeof info) != 0 || info.name == nullptr) return {};
  return info.name;
}

std::string KindOf(int format) {
  const int major = format & SF_FORMAT_TYPEMASK, sub = format & SF_FORMAT_SUBMASK;
  std::string container;
  switch (major) {
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX: container = "WAV"; break;
    case SF_FORMAT_AIFF: container = "AIFF"; break;
    case SF_FORMAT_FLAC: container = "FLAC"; break;
    case SF_FORMAT_OGG: container = "OGG"; break;
    case SF_FORMAT_MPEG: return "MP3";
    default: container = FormatName(major, SFC_GET_FORMAT_MAJOR); break;
  }
  std::string width;
  switch (sub) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8: width = "8-bit"; break;
    case SF_FORMAT_PCM_16: width = "16-bit"; break;
    case SF_FORMAT_PCM_24: width = "24-bit"; break;
    case SF_FORMAT_PCM_32: width = "32-bit"; break;
    case SF_FORMAT_FLOAT: width = "float"; break;
    case SF_FORMAT_DOUBLE: width = "double"; break;
    case SF_FORMAT_VORBIS: width = "Vorbis"; break;
    case SF_FORMAT_OPUS: width = "Opus"; break;
    default: width = FormatName(sub, SFC_GET_FORMAT_SUBTYPE); break;
  }
  return width.empty() ? container : container + " " + width;
}

SoundFacts FactsOf(const SF_INFO& info) {
  return {info.samplerate, info.channels, info.frames, KindOf(info.format)};
}

// libsndfile keeps a file's loops with the end one past their last frame.
void ReadInstrument(SNDFILE* f, MonoSound& sound) {
  SF_INSTRUMENT instrument{};
  if (sf_command(f, SFC_GET_INSTRUMENT, &instrument, sizeof instrument) != SF_TRUE) return;
  sound.unityNote = static_cast<uint32_t>(std::clamp<int>(instrument.basenote, 0, 127));
  if (instrument.loop_count < 1 || instrument.loops[0].mode == SF_LOOP_NONE) return;
  const uint32_t start = instrument.loops[0].start, end = instrument.loops[0].end;
  if (end > start) sound.loop = SoundLoop{start, end - 1};
}

// The mean of every channel, frame by frame, for as long as the file gives samples.
bool ReadMixedDown(SNDFILE* f, int channels, std::vector<float>& mono) {
  std::vector<float> piece(static_cast<std::size_t>(kPieceFrames * channels));
  const float share = 1.0f / static_cast<float>(channels);
  while (true) {
    const sf_count_t got = sf_readf_float(f, piece.data(), kPieceFrames);
    if (got <= 0) break;
    for (sf_count_t i = 0; i < got; ++i) {
      float sum = 0.0f;
      for (int c = 0; c < channels; ++c) sum += piece[static_cast<std::size_t>(i * channels + c)];
      mono.push_back(channels == 1 ? sum : sum * share);
    }
  }
  return !mono.empty();
}

// Converts mono samples from one rate to another in one pass; the refusal when the converter fails.
std::optional<std::string> Convert(std::vector<float>& samples, int32_t from, int32_t to) {
  const double ratio = static_cast<double>(to) / from;
  std::vector<float> out(static_cast<std::size_t>(std::ceil(static_cast<double>(samples.size()) * ratio)) + 16);
  SRC_DATA data{};
  data.data_in = samples.data();
  data.data_out = out.data();
  data.input_frames = static_cast<long>(samples.size());
  data.output_frames = static_cast<long>(out.size());
  data.src_ratio = ratio;
  data.end_of_input = 1;
  if (const int error = src_simple(&data, kConverter, 1); error != 0) return src_strerror(error);
  if (data.output_frames_gen <= 0) return std::string(kNoSamples);
  out.resize(static_cast<std::size_t>(data.output_frames_gen));
  samples = std::move(out);
  return std::nullopt;
}

// A loop's first and last frame at the new rate, within the converted samples.
SoundLoop MoveLoop(SoundLoop loop, double ratio, std::size_t length) {
  const auto last = static_cast<double>(length - 1);
  const double start = std::min(std::round(loop.start * ratio), last);
  const double end = std::clamp(std::round((loop.end + 1.0) * ratio) - 1.0, start, last);
  return {static_cast<uint32_t>(start), static_cast<uint32_t>(end)};
}

}  // namespace

std::string DescribeSound(const SoundFacts& f) {
  const std::string channels = f.channels == 1   ? "mono"
                               : f.channels == 2 ? "stereo"
                                                 : std::to_string(f.channels) + " channels";
  return f.kind + " " + channels + " " + std::to_string(f.rate) + " Hz";
}

std::vector<FileFilter> SoundFileFilters() {
  return {{"Sound Files (*.wav *.aif *.aiff *.flac *.ogg *.oga *.mp3)",
           "*.wav *.WAV *.aif *.AIF *.aiff *.AIFF *.flac *.FLAC *.ogg *.OGG *.oga *.mp3 *.MP3"},
          {"Wave Files (*.wav)", "*.wav *.WAV"},
          {"All Files (*.*)", "*.*"}};
}

std::optional<std::string> ReadMonoSound(std::span<const uint8_t> bytes, int32_t rate, MonoSound& sound) {
  MemoryFile memory{bytes};
  SF_VIRTUAL_IO io{MemoryLength, MemorySeek, MemoryRead, MemoryWrite, MemoryTell};
  SF_INFO info{};
  SoundFilePtr f(sf_open_virtual(&io, SFM_READ, &info, &memory));
  if (!f) return std::string(sf_strerror(nullptr));
  if (info.channels < 1 || info.samplerate < 1) return std::string(kNoSamples);
  try {
    MonoSound read;
    read.source = FactsOf(info);
    // A damaged header may claim any length: no more is set aside than the file has bytes.
    const sf_count_t held = std::min<sf_count_t>(info.frames, MemoryLength(&memory));
    if (held > 0) read.samples.reserve(static_cast<std::size_t>(held));
    if (!ReadMixedDown(f.get(), info.channels, read.samples)) {
      const char* reason = sf_strerror(f.get());
      return std::string(sf_error(f.get()) != SF_ERR_NO_ERROR ? reason : kNoSamples);
    }
    ReadInstrument(f.get(), read);
    const std::size_t fileLength = read.samples.size();
    if (info.samplerate != rate) {
      if (auto refusal = Convert(read.samples, info.samplerate, rate)) return refusal;
    }
    if (read.loop) {
      read.loop->end = std::min<uint32_t>(read.loop->end, static_cast<uint32_t>(fileLength - 1));
      read.loop->start = std::min(read.loop->start, read.loop->end);
      read.loop = MoveLoop(*read.loop, static_cast<double>(rate) / info.samplerate, read.samples.size());
    }
    sound = std::move(read);
  } catch (const std::bad_alloc&) {
    return std::string(kOutOfMemoryReason);
  }
  return std::nullopt;
}

// Streaming.

std::unique_ptr<SoundStream> SoundStream::Open(const std::string& path, uint32_t maxFrames, std::string& reason) {
  FileFailure failure;
  const int fd = OpenRegularFile(path, failure);
  if (fd < 0) {
    reason = failure.reason;
    return nullptr;
  }
  SF_INFO info{};
  SNDFILE* file = sf_open_fd(fd, SFM_READ, &info, SF_TRUE);
  if (file == nullptr) {
    reason = sf_strerror(nullptr);
    close(fd);
    return nullptr;
  }
  std::unique_ptr<SoundStream> s(new SoundStream());
  s->file_ = file;
  s->facts_ = FactsOf(info);
  if (info.channels < 1 || info.samplerate < 1) {
    reason = kNoSamples;
    return nullptr;
  }
  const auto piece = static_cast<std::size_t>(std::max<sf_count_t>(maxFrames, kPieceFrames));
  s->raw_.resize(piece * static_cast<std::size_t>(info.channels));
  s->stereo_.resize(piece * 2);
  s->output_.resize(static_cast<std::size_t>(maxFrames) * 2);
  return s;
}

bool SoundStream::PlayAt(int32_t rate, std::string& reason) {
  if (rate == facts_.rate || converter_ != nullptr) return true;
  int error = 0;
  ratio_ = static_cast<double>(rate) / facts_.rate;
  converter_ = src_callback_new(FeedConverter, kConverter, 2, &error, this);
  if (converter_ == nullptr) reason = src_strerror(error);
  return converter_ != nullptr;
}

SoundStream::~SoundStream() {
  if (converter_ != nullptr) src_delete(converter_);
  if (file_ != nullptr) sf_close(file_);
}

uint32_t SoundStream::ReadFileStereo(float* out, uint32_t frames) {
  const int channels = facts_.channels;
  const sf_count_t got = std::max<sf_count_t>(sf_readf_float(file_, raw_.data(), frames), 0);
  for (sf_count_t i = 0; i < got; ++i) {
    const float* frame = raw_.data() + i * channels;
    out[2 * i] = frame[0];
    out[2 * i + 1] = frame[channels > 1 ? 1 : 0];
  }
  return static_cast<uint32_t>(got);
}

long SoundStream::FeedConverter(void* self, float** data) {
  auto& s = *static_cast<SoundStream*>(self);
  *data = s.stereo_.data();
  return static_cast<long>(s.ReadFileStereo(s.stereo_.data(), static_cast<uint32_t>(s.stereo_.size() / 2)));
}

uint32_t SoundStream::ReadStereo(int16_t* out, uint32_t frames) {
  frames = std::min(frames, static_cast<uint32_t>(output_.size() / 2));
  const long got = converter_ != nullptr ? src_callback_read(converter_, ratio_, frames, output_.data())
                                         : ReadFileStereo(output_.data(), frames);
  const auto n = static_cast<uint32_t>(std::max(got, 0L));
  // libsndfile reads 16-bit samples as v / 32768, so they come back exactly.
  for (uint32_t i = 0; i < 2 * n; ++i)
    out[i] = static_cast<int16_t>(std::lrint(std::clamp(output_[i] * 32768.0f, -32768.0f, 32767.0f)));
  return n;
}

}  // namespace tonforge
