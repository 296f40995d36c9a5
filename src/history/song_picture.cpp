#include "history/song_picture.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "history/picture_images.h"
#include "programs/engine_image.h"
#include "sequencer/song_image.h"

namespace tonforge {

namespace {

using Ranges = std::vector<std::pair<std::size_t, std::size_t>>;

constexpr std::size_t kWord = kImageWord;


// Within an engine image: the options, the WorkingState words and the parameters with their complements.
constexpr std::size_t kOptionsAt = 2 * kWord;
constexpr std::size_t kWorkingAt = kOptionsAt + kOptionCount * kWord;
constexpr std::size_t kParametersAt = kWorkingAt + kWorkingWords * kWord;
constexpr std::size_t kParametersEnd = kParametersAt + 2 * kParameterCount * kWord;
constexpr std::size_t kSlotPlayPositionAt = 16 + 7 * kWord;  // within a slot image
constexpr std::size_t kSlotLengthAt = kSlotPlayPositionAt + kWord;
constexpr std::size_t kLinePositionAt = kEngineDelayOffset + (3 + 2 * kMaxDelayLines) * kWord;
static_assert(kParametersEnd == kEngineSlotsOffset);
static_assert(kLinePositionAt + (kMaxDelayLines + 2) * kWord == kEngineImageSize);

// Each record's image splits into what a user edits and what is left aside when two songs are compared: the
// playing state (written by the worker, rebuilt when a song starts), derived figures, scrolls and selections.
// Of the edited part, some values are shared with a playing worker and may change under it.
struct Layout {
  Ranges aside;
  Ranges asideAndValues;
};

void AddAside(Layout& l, std::size_t from, std::size_t to) {
  l.aside.emplace_back(from, to);
  l.asideAndValues.emplace_back(from, to);
}

void AddValue(Layout& l, std::size_t from, std::size_t to) { l.asideAndValues.emplace_back(from, to); }

void AddEngine(Layout& l, std::size_t at) {
  AddValue(l, at + kOptionsAt, at + kWorkingAt);
  AddAside(l, at + kWorkingAt, at + kParametersAt);
  AddValue(l, at + kParametersAt, at + kParametersEnd);
  for (std::size_t k = 0; k < kDataSlotCount; ++k) {
    const std::size_t slot = at + kEngineSlotsOffset + k * kDataSlotImageSize;
    AddAside(l, slot + kSlotPlayPositionAt, slot + kSlotPlayPositionAt + kWord);
  }
  AddAside(l, at + kLinePositionAt, at + kLinePositionAt + kMaxDelayLines * kWord);
}

Layout Sorted(Layout l) {
  std::sort(l.aside.begin(), l.aside.end());
  std::sort(l.asideAndValues.begin(), l.asideAndValues.end());
  return l;
}

// Song: seed, beats per bar, ticks per beat, the counts and the song level are the user's; ticks per beat and
// the level may change under a playing worker.
const Layout& SongLayout() {
  static const Layout layout = [] {
    Layout l;
    AddAside(l, 4, 12);
    AddValue(l, 16, 20);
    AddAside(l, 20, kSongTrackCountOffset);
    AddAside(l, kSongTrackCountOffset + kWord, kSongProgramCountOffset);
    AddAside(l, kSongSampleRateOffset, 76);
    AddValue(l, 76, 80);
    AddAside(l, 80, kSongImageSize);
    return Sorted(l);
  }();
  return layout;
}

const Layout& ProgramLayout() {
  static const Layout layout = [] {
    Layout l;
    AddValue(l, 32, 36);  // level
    AddAside(l, 36, 44);  // volume and its slide
    AddAside(l, 48, 56);  // pitch offset and its slide
    AddValue(l, 56, 60);  // pan
    AddAside(l, 60, kProgramEnginesOffset);  // pan slide, engine count
    for (std::size_t p = 0; p < kChainLength; ++p) AddEngine(l, kProgramEnginesOffset + p * kEngineImageSize);
    return Sorted(l);
  }();
  return layout;
}

const Layout& TrackLayout() {
  static const Layout layout = [] {
    Layout l;
    AddAside(l, 36, 40);  // running random
    AddValue(l, 44, 48);  // level
    AddAside(l, 48, 64);  // volume, pitch and their slides
    AddValue(l, 64, 68);  // pan
    AddAside(l, 68, kTrackEventCountOffset);  // pan slide, event list scroll and selection
    AddAside(l, kTrackEventCountOffset + kWord, kTrackChainOffset);  // chain length, phrase, the playing voice
    for (std::size_t p = 0; p < kChainLength; ++p) AddEngine(l, kTrackChainOffset + p * kEngineImageSize);
    return Sorted(l);
  }();
  return layout;
}

bool SameOutside(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, const Ranges& skip) {
  if (a.size() != b.size()) return false;
  std::size_t at = 0;
  for (const auto& [from, to] : skip) {
    if (from > at && std::memcmp(a.data() + at, b.data() + at, from - at) != 0) return false;
    at = std::max(at, to);
  }
  return at >= a.size() || std::memcmp(a.data() + at, b.data() + at, a.size() - at) == 0;
}


// The stored bytes of a record, as its writer lays them out.
template <class Record>
std::vector<uint8_t> StoredImage(const Record& record, std::size_t size, void (*write)(ByteWriter&, const Record&)) {
  std::vector<uint8_t> bytes;
  bytes.reserve(size);
  ByteWriter w(bytes);
  write(w, record);
  return bytes;
}

}  // namespace

bool SameEvents(const std::vector<EventValues>& a, const std::vector<EventValues>& b, bool ticksOnly) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [ticksOnly](const EventValues& x, const EventValues& y) {
    return x.tick == y.tick && (ticksOnly || (x.type == y.type && x.valueA == y.valueA && x.valueB == y.valueB));
  });
}

ChainData DataOf(const Chain& chain) {
  ChainData data;
  for (int p = 0; p < kChainLength; ++p)
    for (int k = 0; k < kDataSlotCount; ++k) data[p][k] = chain[p].slots[k].data;
  return data;
}

bool SameData(const Chain& a, const Chain& b) { return DataOf(a) == DataOf(b); }

std::vector<uint8_t> ProgramImage(const Program& program) {
  return StoredImage(program, kProgramRecordSize, &WriteProgramRecord);
}

std::vector<uint8_t> TrackImage(const Track& track) { return StoredImage(track, kTrackImageSize, &WriteTrackImage); }

std::vector<EventValues> EventsOf(const Track& track) {
  std::vector<EventValues> events;
  events.reserve(static_cast<std::size_t>(track.events.Count()));
  for (const Event* e = track.events.First(); e != nullptr; e = EventList::Next(e)) events.push_back(e->Values());
  return events;
}

namespace {


// The record of `previous` at place i, or one place either side, for which `same` holds.
template <typename T, typename Same>
std::shared_ptr<const T> Shared(const std::vector<std::shared_ptr<const T>>* previous, std::size_t i, Same same) {
  if (previous == nullptr) return nullptr;
  for (std::size_t j : {i, i - 1, i + 1})
    if (j < previous->size() && same(*(*previous)[j])) return (*previous)[j];
  return nullptr;
}

std::shared_ptr<const ProgramPicture> PictureOf(const Program& program, const SongPicture* previous, std::size_t i) {
  // The engine count as a save writes it; the record itself is not written, a playing worker reads it.
  const auto engineCount = static_cast<uint32_t>(UsedChainLength(program.engines));
  std::vector<uint8_t> image = ProgramImage(program);
  PutU32(image.data() + kProgramEngineCountOffset, engineCount);
  const auto same = [&](const ProgramPicture& p) { return p.image == image && SameData(p.program.engines, program.engines); };
  if (auto shared = Shared(previous ? &previous->programs : nullptr, i, same)) return shared;
  auto picture = std::make_shared<ProgramPicture>();
  picture->image = std::move(image);
  picture->program = program;
  picture->program.engineCount = engineCount;
  for (Engine& e : picture->program.engines) {
    e.left.reset();
    e.right.reset();
  }
  return picture;
}

// What the user edits of an engine, from the fields the main thread writes: a playing worker writes the working
// state, the delay lines' positions and the slots' play positions, and those are left as `to` holds them.
void CopyEdited(Engine& to, const Engine& from) {
  to.type = from.type;
  to.loadedSlotCount = from.loadedSlotCount;
  for (int g = 0; g < kOptionCount; ++g) to.options[g] = from.options[g].Load();
  for (int k = 0; k < kParameterCount; ++k) {
    to.F[k] = from.F[k].Load();
    to.C[k] = from.C[k].Load();
  }
  for (int k = 0; k < kDataSlotCount; ++k) {
    DataSlot& s = to.slots[k];
    const DataSlot& f = from.slots[k];
    const float playPosition = s.playPosition;
    s = f;
    s.playPosition = playPosition;
  }
  to.delayLineCount = from.delayLineCount;
  to.bufferLength = from.bufferLength;
  to.lineLength = from.lineLength;
  to.lineStart = from.lineStart;
  to.lineEnd = from.lineEnd;
}

// While a worker plays the track, its playing state is taken from the picture before, not read.
std::vector<uint8_t> PlayingTrackImage(const Track& track, const TrackPicture* before) {
  auto t = std::make_unique<Track>();
  if (before != nullptr) {
    ByteReader r(before->image);
    ReadTrackImage(r, *t);
  }
  t->name = track.name;
  t->seed = track.seed;
  t->muteState = track.muteState;
  t->level = track.level.Load();
  t->pan = track.pan.Load();
  t->eventListScroll = track.eventListScroll;
  t->selectedEvent = track.selectedEvent;
  for (int p = 0; p < kChainLength; ++p) CopyEdited(t->chain[p], track.chain[p]);
  std::vector<uint8_t> image = TrackImage(*t);
  PutU32(image.data() + kTrackEventCountOffset, static_cast<uint32_t>(track.events.Count()));
  return image;
}

// The same for the song record: the edited fields and selections over the picture before.
std::vector<uint8_t> PlayingSongImage(const Song& song, const SongPicture* before, const OutputRate& rate) {
  std::vector<uint8_t> image = before != nullptr ? before->image : std::vector<uint8_t>{};
  if (image.size() != kSongImageSize) {
    image.clear();
    ByteWriter w(image);
    WriteSongImage(w, MakeSongImage(song, rate));
    return image;
  }
  const auto put = [&image](std::size_t at, int32_t v) { PutU32(image.data() + at, static_cast<uint32_t>(v)); };
  PutU32(image.data(), song.seed);
  put(12, song.beatsPerBar);
  put(16, song.ticksPerBeat);
  put(36, song.engineListScroll);
  put(40, song.selectedEngineType);
  put(44, song.trackListScroll);
  put(48, song.currentTrack);
  put(kSongTrackCountOffset, song.tracks.Count());
  put(56, song.programListScroll);
  put(60, song.currentProgram);
  put(kSongProgramCountOffset, static_cast<int32_t>(song.programs.size()));
  const float level = song.songLevel;
  uint32_t bits = 0;
  std::memcpy(&bits, &level, sizeof bits);
  PutU32(image.data() + 76, bits);
  return image;
}

std::shared_ptr<const TrackPicture> PictureOf(const Track& track, const SongPicture* previous, std::size_t i,
                                              bool playing) {
  const TrackPicture* before = previous != nullptr && i < previous->tracks.size() ? previous->tracks[i].get() : nullptr;
  std::vector<uint8_t> image = playing ? PlayingTrackImage(track, before) : TrackImage(track);
  std::vector<EventValues> events = EventsOf(track);
  const ChainData data = DataOf(track.chain);
  const auto same = [&](const TrackPicture& t) {
    return t.image == image && t.data == data && SameEvents(t.events, events, false);
  };
  if (auto shared = Shared(previous ? &previous->tracks : nullptr, i, same)) return shared;
  auto picture = std::make_shared<TrackPicture>();
  picture->image = std::move(image);
  picture->data = data;
  picture->events = std::move(events);
  return picture;
}

bool SameProgram(const ProgramPicture& a, const ProgramPicture& b, const Ranges& skip) {
  return &a == &b || (SameOutside(a.image, b.image, skip) && SameData(a.program.engines, b.program.engines));
}

bool SameTrack(const TrackPicture& a, const TrackPicture& b, const Ranges& skip, bool ticksOnly) {
  return &a == &b || (SameOutside(a.image, b.image, skip) && a.data == b.data && SameEvents(a.events, b.events, ticksOnly));
}


std::size_t BlockBytes(const SampleBlock& block, uint32_t length, std::unordered_set<const void*>& counted) {
  if (!block || !counted.insert(block.get()).second) return 0;
  return std::size_t{length} * sizeof(float);
}

}  // namespace

bool DiffersInValuesOnly(const SongPicture& from, const SongPicture& to) {
  if (from.programs.size() != to.programs.size() || from.tracks.size() != to.tracks.size()) return false;
  if (!SameOutside(from.image, to.image, SongLayout().asideAndValues)) return false;
  for (std::size_t i = 0; i < to.programs.size(); ++i)
    if (!SameProgram(*from.programs[i], *to.programs[i], ProgramLayout().asideAndValues)) return false;
  for (std::size_t i = 0; i < to.tracks.size(); ++i)
    if (!SameTrack(*from.tracks[i], *to.tracks[i], TrackLayout().asideAndValues, true)) return false;
  return true;
}

SongPicture TakePicture(Session& session, const SongPicture* previous) {
  SongPicture picture;
  const Song& song = session.song;
  const bool playing = !IsPlaybackIdle(session);
  if (playing) {
    picture.image = PlayingSongImage(song, previous, session.rate);
  } else {
    ByteWriter w(picture.image);
    WriteSongImage(w, MakeSongImage(song, session.rate));
  }
  picture.programs.reserve(song.programs.size());
  for (std::size_t i = 0; i < song.programs.size(); ++i) picture.programs.push_back(PictureOf(*song.programs[i], previous, i));
  picture.tracks.reserve(static_cast<std::size_t>(song.tracks.Count()));
  for (int32_t i = 0; i < song.tracks.Count(); ++i)
    picture.tracks.push_back(PictureOf(*song.tracks.At(i), previous, static_cast<std::size_t>(i), playing));
  picture.songFile = session.songFile;
  return picture;
}

bool SameSong(const SongPicture& a, const SongPicture& b) {
  if (a.programs.size() != b.programs.size() || a.tracks.size() != b.tracks.size()) return false;
  if (!SameOutside(a.image, b.image, SongLayout().aside)) return false;
  for (std::size_t i = 0; i < a.programs.size(); ++i)
    if (!SameProgram(*a.programs[i], *b.programs[i], ProgramLayout().aside)) return false;
  for (std::size_t i = 0; i < a.tracks.size(); ++i)
    if (!SameTrack(*a.tracks[i], *b.tracks[i], TrackLayout().aside, false)) return false;
  return a.songFile == b.songFile;
}


std::size_t PictureBytes(const SongPicture& picture, std::unordered_set<const void*>& counted) {
  std::size_t bytes = sizeof(SongPicture) + picture.image.capacity() + picture.songFile.capacity() +
                      (picture.programs.capacity() + picture.tracks.capacity()) * sizeof(std::shared_ptr<const void>);
  for (const auto& p : picture.programs) {
    if (!counted.insert(p.get()).second) continue;
    bytes += sizeof(ProgramPicture) + p->image.capacity();
    for (const Engine& e : p->program.engines)
      for (const DataSlot& s : e.slots) bytes += BlockBytes(s.data, s.length, counted);
  }
  for (const auto& t : picture.tracks) {
    if (!counted.insert(t.get()).second) continue;
    bytes += sizeof(TrackPicture) + t->image.capacity() + t->events.capacity() * sizeof(EventValues);
    for (std::size_t p = 0; p < kChainLength; ++p)
      for (std::size_t k = 0; k < kDataSlotCount; ++k) {
        const std::size_t slot = kTrackChainOffset + p * kEngineImageSize + kEngineSlotsOffset + k * kDataSlotImageSize;
        bytes += BlockBytes(t->data[p][k], GetU32(t->image.data() + slot + kSlotLengthAt), counted);
      }
  }
  return bytes;
}

}  // namespace tonforge
