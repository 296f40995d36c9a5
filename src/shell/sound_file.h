#pragma once
// Sound files of every kind libsndfile reads (WAV of any PCM or float width, AIFF, FLAC, OGG/Vorbis, MP3 and
// more), read whole for an import into a DataSlot or streamed for Select Wave, and converted to another rate
// with libsamplerate's best sinc converter. Everything that knows those two libraries is here.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "shell/devices/dialogs.h"

struct sf_private_tag;
struct SRC_STATE_tag;

namespace tonforge {

// What a file holds, as libsndfile reports it.
struct SoundFacts {
  int32_t rate = 0;
  int32_t channels = 0;
  int64_t frames = 0;
  std::string kind;  // the container and the sample width: "WAV 24-bit", "FLAC 16-bit", "OGG Vorbis"
};

// "FLAC 24-bit stereo 48000 Hz".
std::string DescribeSound(const SoundFacts& facts);

// A loop from a file's sample or instrument chunk: its first and its last frame.
struct SoundLoop {
  uint32_t start = 0;
  uint32_t end = 0;
};

// A whole file mixed down to one channel at the rate it was asked for.
struct MonoSound {
  SoundFacts source;
  std::vector<float> samples;         // -1..1 as the file holds them (a converted peak may pass 1 a little)
  std::optional<uint32_t> unityNote;  // the MIDI note the file says it was recorded at
  std::optional<SoundLoop> loop;      // moved to the new rate
};

// The filters of every dialog that asks for a sound file: the formats above, WAV alone, and every file.
std::vector<FileFilter> SoundFileFilters();

// Reads a file held in memory, mixes its channels down (their mean) and converts it to `rate`. The refusal in
// libsndfile's (or libsamplerate's) words when it cannot; `sound` is then left as it was.
std::optional<std::string> ReadMonoSound(std::span<const uint8_t> bytes, int32_t rate, MonoSound& sound);

// A file played block by block as interleaved 16-bit stereo: mono is heard on both sides, a file of more
// channels gives its first two. Nothing is read before it is asked for; the buffers are made when it opens, so
// reading allocates nothing.
class SoundStream {
public:
  // Opens the file to be read in pieces of at most `maxFrames`, at its own rate until PlayAt says otherwise.
  // Null, with the system's or libsndfile's reason, when it cannot be read.
  static std::unique_ptr<SoundStream> Open(const std::string& path, uint32_t maxFrames, std::string& reason);
  ~SoundStream();
  SoundStream(const SoundStream&) = delete;
  SoundStream& operator=(const SoundStream&) = delete;

  const SoundFacts& Facts() const { return facts_; }
  // Converts to `rate` from here on when the file has another; false, with libsamplerate's reason, when the
  // converter cannot be made.
  bool PlayAt(int32_t rate, std::string& reason);
  // Fills up to `frames` (at most maxFrames) frames; fewer once the file has ended or cannot be read further.
  uint32_t ReadStereo(int16_t* out, uint32_t frames);

private:
  SoundStream() = default;
  static long FeedConverter(void* self, float** data);
  uint32_t ReadFileStereo(float* out, uint32_t frames);

  sf_private_tag* file_ = nullptr;
  SRC_STATE_tag* converter_ = nullptr;  // null when the file plays at its own rate
  double ratio_ = 1.0;                  // output frames per file frame
  SoundFacts facts_;
  std::vector<float> raw_;      // one piece of the file, all of its channels
  std::vector<float> stereo_;   // the same piece on two channels, the converter's input
  std::vector<float> output_;   // the converter's output
};

}  // namespace tonforge
