#include "programs/wave_import.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "programs/data_slot_commands.h"
#include "shell/bytes.h"
#include "shell/files.h"
#include "shell/show_error.h"
#include "shell/sound_file.h"

namespace tonforge {

namespace {

constexpr std::string_view kFormatRequired = "44100hz 16-Bit Mono PCM Waves Are Required";
constexpr std::string_view kNoMemoryForData = "Out Of Memory - Cannot Load Data";

constexpr int32_t kSlotRate = 44100;
constexpr uint32_t kSmplWithNote = 36;
constexpr uint32_t kSmplWithLoop = 60;

// Offsets of the "smpl" fields from the identifier.
constexpr std::size_t kSmplUnityNote = 20, kSmplLoopStart = 52, kSmplLoopEnd = 56;

bool FormatIsImportable(const WaveFormat& f) {
  return f.formatTag == 1 && f.channels == 1 && f.sampleRate == 44100 && f.bitsPerSample == 16;
}

// The first "smpl" chunk big enough to hold a unity note, with the fields of it that the file holds.
void ReadSampleChunk(std::span<const uint8_t> bytes, ImportedWave& wave) {
  for (auto at = FindChunk(bytes, "smpl"); at; at = FindChunk(bytes, "smpl", *at + 1)) {
    const auto size = U32At(bytes, *at + 4);
    if (!size || *size < kSmplWithNote) continue;
    wave.unityNote = U32At(bytes, *at + kSmplUnityNote);
    const auto start = U32At(bytes, *at + kSmplLoopStart);
    const auto end = U32At(bytes, *at + kSmplLoopEnd);
    if (*size >= kSmplWithLoop && start && end) {
      // Loop points beyond the samples would send the player past its data: they stop at the last sample.
      wave.hasLoop = true;
      wave.loopEnd = std::min(*end, wave.length - 1);
      wave.loopStart = std::min(*start, wave.loopEnd);
    }
    return;
  }
}

std::string_view BaseName(std::string_view path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// libsndfile reads 16-bit samples as v / 32768: the same factor takes them back, so a 16-bit file's samples
// reach the slot exactly when no rate was converted.
int16_t Pcm16FromSound(float x) {
  return static_cast<int16_t>(std::lrint(std::clamp(x * 32768.0f, -32768.0f, 32767.0f)));
}
// The inverse of SampleFromPcm16, for samples already in the slot's scale.
int16_t Pcm16FromSample(float x) {
  const float scaled = x < 0.0f ? std::max(x * 32768.0f, -32768.0f) : std::min(x * 32767.0f, 32767.0f);
  return static_cast<int16_t>(std::lrint(scaled));
}

// Scales the samples so that the largest reaches full range; the factor in decibels, 0 for silence.
double ScaleToFullRange(float* samples, uint32_t n) {
  float peak = 0.0f;
  for (uint32_t i = 0; i < n; ++i) peak = std::max(peak, std::fabs(samples[i]));
  if (peak <= 0.0f) return 0.0;
  const float gain = 1.0f / peak;
  for (uint32_t i = 0; i < n; ++i) samples[i] = SampleFromPcm16(Pcm16FromSample(samples[i] * gain));
  return 20.0 * std::log10(static_cast<double>(gain));
}

std::string FullRangeText(double decibels) {
  char text[48];
  std::snprintf(text, sizeof text, ", scaled to full range (%+.1f dB)", decibels);
  return text;
}

}  // namespace

float SampleFromPcm16(int16_t v) { return v < 0 ? v * 3.0517578e-5f : v * 3.051851e-5f; }

std::array<char, 16> SlotNameFromPath(std::string_view path) {
  const auto slash = path.find_last_of('/');
  std::string_view base = slash == std::string_view::npos ? path : path.substr(slash + 1);
  base = base.substr(0, std::min(base.find('.'), std::size_t{15}));
  std::array<char, 16> name{};
  std::copy(base.begin(), base.end(), name.begin());
  return name;
}

int32_t RootPitchFromUnityNote(uint32_t note) {
  const int64_t root = int64_t{note} * 100 - 1150;
  return static_cast<int32_t>(std::clamp<int64_t>(root, 0, kHighestPitch));
}

bool IsSlotFormatWave(std::span<const uint8_t> bytes) {
  if (!IsWaveForm(bytes)) return false;
  const auto fmt = FindChunk(bytes, "fmt ");
  return fmt && FormatIsImportable(ReadWaveFormat(bytes, *fmt));
}

std::optional<std::string> ConvertImportWave(std::span<const uint8_t> bytes, std::string_view path, ImportLevel level,
                                             ImportedWave& wave, std::string& said) {
  MonoSound sound;
  if (auto refusal = ReadMonoSound(bytes, kSlotRate, sound)) return refusal;
  if (sound.samples.size() > UINT32_MAX) return std::string(kOutOfMemoryReason);
  const auto n = static_cast<uint32_t>(sound.samples.size());
  SampleBlock samples = AllocateSamples(n);
  if (!samples) return std::string(kOutOfMemoryReason);
  for (uint32_t i = 0; i < n; ++i) samples[i] = SampleFromPcm16(Pcm16FromSound(sound.samples[i]));
  said = std::string(BaseName(path)) + ": " + DescribeSound(sound.source) + " to 44100 Hz 16-bit mono, " +
         std::to_string(n) + " samples";
  if (sound.loop) said += ", loop kept";
  if (level == ImportLevel::FullRange) said += FullRangeText(ScaleToFullRange(samples.get(), n));
  wave = ImportedWave{};
  wave.data = std::move(samples);
  wave.length = n;
  wave.unityNote = sound.unityNote;
  if (sound.loop) {
    wave.hasLoop = true;
    wave.loopStart = sound.loop->start;
    wave.loopEnd = sound.loop->end;
  }
  return std::nullopt;
}

std::optional<std::string_view> ReadImportWave(std::span<const uint8_t> bytes, ImportedWave& wave) {
  if (!IsWaveForm(bytes)) return kNotAWave;
  const auto fmt = FindChunk(bytes, "fmt ");
  if (!fmt) return kInvalidFile;
  if (!FormatIsImportable(ReadWaveFormat(bytes, *fmt))) return kFormatRequired;
  const auto data = FindChunk(bytes, "data");
  if (!data) return kNoDataChunk;
  // A size that runs past the end of the file is cut at the end: only the samples the file holds are taken.
  const std::size_t first = *data + kChunkHeader;
  const std::size_t held = first <= bytes.size() ? bytes.size() - first : 0;
  const auto size = std::min<uint64_t>(U32At(bytes, *data + 4).value_or(0), held);
  const auto n = static_cast<uint32_t>(size / 2);  // an odd last byte is dropped
  if (n == 0) return kInvalidFile;

  SampleBlock samples = AllocateSamples(n);
  if (!samples) return kNoMemoryForData;
  for (uint32_t i = 0; i < n; ++i) {
    const uint16_t raw = GetU16(&bytes[first + 2 * i]);
    samples[i] = SampleFromPcm16(static_cast<int16_t>(raw));
  }
  wave = ImportedWave{};
  wave.data = std::move(samples);
  wave.length = n;
  ReadSampleChunk(bytes, wave);
  return std::nullopt;
}

bool ImportWave(Engine& e, int k, std::span<const uint8_t> bytes, std::string_view path, bool modulator,
                Dialogs& dialogs, ImportLevel level) {
  ImportedWave wave;
  std::string said;
  if (IsSlotFormatWave(bytes)) {
    if (const auto refusal = ReadImportWave(bytes, wave)) {
      ShowError(dialogs, *refusal);
      return false;
    }
    if (level == ImportLevel::FullRange) {
      const double decibels = ScaleToFullRange(wave.data.get(), wave.length);
      said = std::string(BaseName(path)) + ":" + FullRangeText(decibels).substr(1);
    }
  } else if (const auto refusal = ConvertImportWave(bytes, path, level, wave, said)) {
    ShowError(dialogs, FailureText(kInvalidFile, {std::string(path), *refusal}));
    return false;
  }
  DataSlot& s = e.slots[k];
  s.data = std::move(wave.data);
  s.length = wave.length;
  s.loaded = 1;
  s.name = SlotNameFromPath(path);
  // New samples start from the beginning and carry none of the old data's in-place edits.
  s.playPosition = 0.0f;
  s.inverted = 0;
  s.reversed = 0;
  if (modulator) {
    s.tempoSync = 0;
    s.rootOrRate.f = static_cast<float>(s.length) * kModulatorRatePerSample;
  }
  s.looped = 0;
  s.loopStart = 0;
  s.loopEnd = s.length - 1;
  if (wave.unityNote) {
    if (e.type <= static_cast<uint32_t>(EngineTypeId::StereoWave)) s.rootOrRate.i = RootPitchFromUnityNote(*wave.unityNote);
    if (wave.hasLoop) {
      s.looped = 1;
      s.loopStart = wave.loopStart;
      s.loopEnd = wave.loopEnd;
    }
  }
  SlotContentChanged(e);
  if (!said.empty()) ShowInformation(dialogs, said, "Import");
  return true;
}

namespace {

bool ImportFile(Session& session, Engine& engine, int k, const std::string& path, bool modulator, ImportLevel level) {
  std::vector<uint8_t> bytes;
  FileFailure failure;
  switch (ReadWholeFile(path, bytes, &failure)) {
    case FileReadStatus::CannotOpen:
      ShowError(session.dialogs, FailureText(kInvalidFile, failure));
      return false;
    case FileReadStatus::OutOfMemory:
      ShowError(session.dialogs, "Out Of Memory - Cannot Load Wave");
      return false;
    case FileReadStatus::Ok:
      break;
  }
  return ImportWave(engine, k, bytes, path, modulator, session.dialogs, level);
}

bool LoadSlotData(Session& session, int k, bool modulator, ImportLevel level) {
  StopPlayback(session);
  Engine* engine = SelectedEngine(session);
  if (engine == nullptr || k < 0 || k >= kDataSlotCount) return false;
  std::string& folder = modulator ? session.folders.modulators : session.folders.waves;
  FileDialogRequest request;
  request.title = modulator ? "Load Modulator" : "Load Wave";
  request.startFolder = folder;
  request.filters = SoundFileFilters();
  const auto path = session.dialogs.OpenFile(request);
  if (!path) return false;
  RememberFolder(session.folders, *path);
  StoreFolder(session.folders, folder);
  return ImportFile(session, *engine, k, *path, modulator, level);
}

}  // namespace

bool LoadWave(Session& session, int k, ImportLevel level) { return LoadSlotData(session, k, false, level); }
bool LoadModulator(Session& session, int k, ImportLevel level) { return LoadSlotData(session, k, true, level); }

bool ImportSoundFile(Session& session, int k, const std::string& path, ImportLevel level) {
  StopPlayback(session);
  Engine* engine = SelectedEngine(session);
  if (engine == nullptr || k < 0 || k >= kDataSlotCount || !IsKnownType(engine->type)) return false;
  const SlotKind kind = session.catalog[engine->type].dataSlots[k].kind;
  if (kind == SlotKind::None) return false;
  return ImportFile(session, *engine, k, path, kind != SlotKind::Wave, level);
}

}  // namespace tonforge
