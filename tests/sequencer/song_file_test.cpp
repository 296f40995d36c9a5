// Song files: the image byte by byte, round trips and legacy upgrades, refusals, every loader fed damaged copies,
// and the copy autosave keeps for recovery.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <sstream>
#include <unistd.h>

#include "audio/playback.h"
#include "audio/voice.h"
#include "programs/program_file.h"
#include "programs/wave_import.h"
#include "sequencer/autosave.h"
#include "sequencer/song.h"
#include "sequencer/song_clock.h"
#include "support/file_rig.h"
#include "support/wave_files.h"

namespace tonforge::testing {
namespace {

constexpr std::size_t kHeader = 4 + kSongImageSize;  // where the first program (or the GlobalTrack) starts

using Rows = std::vector<testing::EventRow>;
std::vector<uint8_t> Saved(FileRig& rig) { return EncodeSong(rig.app); }

TEST(SongFile, ImageSizesAndFieldOffsets) {
  // A new song with an empty program, a track and 25 samples in the song chain: the records' sizes and places.
  // The magic and the program record's own places are pinned by the demo song's load and the program file test.
  // The damaged copies below stand on the sizes of events and of tracks with events; the program file test
  // pins the sample blocks of program engines, written by the same code as the chains'.
  FileRig rig;
  NewProgram(rig.app);
  rig.AddTrack();
  FillSlot(rig.TrackNo(0).chain[2], 1, 25, 0.5f);
  const auto bytes = Saved(rig);
  const std::size_t global = kHeader + 5648;
  const struct { const char* field; std::size_t offset; uint32_t value; } fields[] = {
      {"samples per tick", 4 + 28, Bits(459.375f)},
      {"sample rate", 4 + kSongSampleRateOffset, 44100},
      {"first track reference", 4 + 124, 0},
      {"GlobalTrack name", global, 0x676e6f53},  // "Song"
      {"playing program link", global + 5740, 0},
      {"tempo event", global + kTrackImageSize + 4, 35},
      {"tempo event value A", global + kTrackImageSize + 8, 120},
      {"song chain sample 0, after the tempo event", global + kTrackImageSize + 16, Bits(0.5f)},
      {"track 1 pan, after the song chain's samples", global + kTrackImageSize + 16 + 100 + 64, 100},
  };
  ASSERT_EQ(bytes.size(), 11484u + 5648 + 11332 + 100);
  for (const auto& f : fields) EXPECT_EQ(GetU32(&bytes[f.offset]), f.value) << f.field;
}

TEST(SongFile, SaveLoadSaveIsByteIdentical) {
  FileRig source;
  BuildRichSong(source);
  SetOutputRate(source.app.rate, 22050, 120.0f, 48);
  source.dialogs.paths = {source.dir.File("first.wav")};
  ASSERT_TRUE(SaveSong(source.app));
  EXPECT_EQ(Describe(source.dialogs.requests[0]), "Save Song|My Song.tes|" + source.dir.Root() + "/Songs/|Song Files (*.tes)|*.tes");
  const auto first = ReadBytes(source.dir.File("first.tes"));

  FileRig copy;
  BuildRichSong(copy);  // a different song in the way, replaced whole
  copy.dialogs.threeWayAnswers = {Answer::No};  // its changes are dropped
  copy.dialogs.paths = {source.dir.File("first.wav")};
  ASSERT_TRUE(LoadSong(copy.app));
  EXPECT_EQ(copy.dialogs.requests[0].title, "Load Song");
  EXPECT_EQ(copy.Messages(), std::vector<std::string>{"Save Changes To My:Song?"});  // only the question
  EXPECT_FALSE(copy.app.changes.SongModified());
  EXPECT_EQ(copy.app.folders.songs, source.dir.Root() + "/");
  const Song& song = copy.app.song;
  ASSERT_EQ(std::pair(song.tracks.Count(), song.programs.size()), std::pair(4, 2ul));
  EXPECT_EQ(std::tuple(copy.app.rate.sampleRate, copy.app.rate.samplesPerTick, song.currentTrack, song.currentProgram),
            std::tuple(22050, 229.6875f, 0, 0));
  EXPECT_NE(song.positionBufferSize[3], 0u);  // the buffers below are fitted to it; its value is in the bytes
  for (int32_t t = 1; t < 4; ++t) EXPECT_TRUE(copy.TrackNo(t).voiceBuffers.left[3]) << t;
  EXPECT_TRUE(copy.app.live.voices[0].buffers.right[3] && copy.TrackNo(2).chain[1].left && copy.TrackNo(0).chain[0].right);
  EXPECT_EQ(copy.TrackNo(3).eventCount, 2);
  EXPECT_TRUE(copy.app.changes.Has(Change::Song) && copy.app.changes.Has(Change::Editor));

  ASSERT_EQ(SaveSongFile(copy.app, copy.dir.File("second")), SongFileResult::Done);
  EXPECT_EQ(FirstDifference(ReadBytes(copy.dir.File("second.tes")), first), -1);
}

// What the upgrade does to an engine is the program file test's; a song upgrades its programs and its chains,
// never the program a track was playing.
TEST(SongFile, LegacyFileUpgradesProgramAndChainEnginesOnly) {
  FileRig rig;
  Program& p = *NewProgram(rig.app);
  InitProgramEngine(p.engines[0], Id(EngineTypeId::LowPassFilter));
  SetParameter(p.engines[0], 0, 25);
  Track& track = rig.AddTrack();
  ASSERT_TRUE(InitTrackEngine(track.chain[1], Id(EngineTypeId::StereoReverbXY), rig.dialogs));
  SetParameter(track.chain[1], 1, 25);
  track.playingProgram.engines[0].type = 40;
  auto bytes = Saved(rig);
  std::copy_n("TES1", 4, bytes.begin());
  PutU32(&bytes[kHeader + 5648 + 11332 + 16 + kTrackChainOffset + 620], 35);  // the old reverb

  FileRig loaded;
  ASSERT_EQ(loaded.Load(bytes), SongFileResult::Done);
  EXPECT_EQ(loaded.ProgramEngine(0, 0).F[0], 0.5f);
  const Track& t = loaded.TrackNo(1);
  EXPECT_EQ(std::pair(t.chain[1].type, t.chain[1].F[1].Load()), std::pair(Id(EngineTypeId::StereoReverbXY), 0.5f));
  EXPECT_TRUE(t.chain[1].left);
  EXPECT_EQ(t.playingProgram.engines[0].type, 40u);  // replaced by the next NoteOn, never upgraded
  EXPECT_TRUE(loaded.dialogs.shown.empty());
}

// Bytes a working song can hold that the loader must fix or take as they are.
TEST(SongFile, LoadingSettlesWhatTheFileLeavesOpen) {
  FileRig rig;
  for (int i = 0; i < 3; ++i) rig.AddTrack();
  rig.Add(1, {{10, kPhrase, 9, 0}, {20, kPhrase, 3, 0}, {30, kPhrase, 4, 0}});
  rig.Add(2, {{96, 1, 1, 0}, {48, 1, 2, 0}, {96, 1, 3, 0}, {0, 1, 4, 0}});  // out of order
  rig.Add(0, {{0, kEnd, 0, 0}});
  rig.TrackNo(0).events.First()->tick = 50;  // the tempo event moved by the shifting commands
  ASSERT_TRUE(InitTrackEngine(rig.TrackNo(3).chain[4], Id(EngineTypeId::CombFilter), rig.dialogs));
  auto bytes = Saved(rig);
  const std::size_t track3Chain = kHeader + 11332 + 32 + 11332 + 48 + 11332 + 64 + kTrackChainOffset + 620 * 4;
  PutU32(&bytes[track3Chain], Id(EngineTypeId::BasicWave));                         // a program-only engine
  PutU32(&bytes[kHeader + kTrackChainOffset + 620], Id(EngineTypeId::SineWaveGenerator));  // in the song chain
  PutU32(&bytes[4 + 8], Bits(5000.0f));   // tempo beyond the clock's range
  PutU32(&bytes[4 + 16], 0);              // no ticks per beat
  PutU32(&bytes[4 + kSongSampleRateOffset], 48000);

  FileRig loaded;
  SetOutputRate(loaded.app.rate, 11025, 120.0f, 48);
  ASSERT_EQ(loaded.Load(bytes), SongFileResult::Done);
  EXPECT_EQ(loaded.Events(1), (Rows{{10, kPhrase, 3, 0}, {20, kPhrase, 3, 0}, {30, kPhrase, 3, 0}}));
  EXPECT_EQ(loaded.Events(2), (Rows{{0, 1, 4, 0}, {48, 1, 2, 0}, {96, 1, 1, 0}, {96, 1, 3, 0}}));
  EXPECT_EQ(loaded.Events(0), (Rows{{50, kTempo, 120, 0}, {0, kEnd, 0, 0}}));
  EXPECT_EQ(std::pair(loaded.TrackNo(3).chain[4].type, loaded.TrackNo(0).chain[1].type), std::pair(0u, 0u));
  EXPECT_FALSE(loaded.TrackNo(3).chain[4].left);
  EXPECT_EQ(loaded.Messages(), std::vector<std::string>{std::string(kInvalidEnginesRemoved)});
  EXPECT_EQ(loaded.dialogs.shown.at(0).caption, "Information");
  // 48000 is not a rate of ours: the OutputRate stays.
  EXPECT_EQ(std::tuple(loaded.app.song.tempo, loaded.app.song.ticksPerBeat.Load(), loaded.app.rate.sampleRate,
                       loaded.app.rate.samplesPerBeat), std::tuple(1000.0f, 16, 11025, 11025.0f * 60.0f / 1000.0f));
  EXPECT_TRUE(loaded.app.song.programs.empty());
}

TEST(SongFile, RefusedFilesLeaveTheSongUntouched) {
  FileRig rig;
  testing::Put(NewProgram(rig.app)->engines[0], EngineTypeId::BasicWave, {{0, 8}});
  rig.AddTrack();
  rig.Add(1, {{0, kNote, 2450, 0}});
  ASSERT_TRUE(InitTrackEngine(rig.TrackNo(1).chain[0], Id(EngineTypeId::AmplitudeModulation), rig.dialogs));
  FillSlot(rig.TrackNo(1).chain[0], 0, 4);
  rig.app.song.currentTrack = 0;
  const auto good = Saved(rig);
  const std::size_t track1 = kHeader + 5648 + 32 + 11332 + 16;
  const std::size_t event = track1 + kTrackImageSize;

  // The checks inside one engine record (its slot count, its sample lengths) are the program file test's; here each
  // place of the song that calls them.
  const struct { const char* damage; std::function<void(std::vector<uint8_t>&)> apply; } cases[] = {
      {"wrong magic", [](auto& b) { b[3] = '2'; }},
      {"empty file", [](auto& b) { b.clear(); }},
      {"no tracks", [](auto& b) { PutU32(&b[4 + kSongTrackCountOffset], 0); }},
      {"513 tracks", [](auto& b) { PutU32(&b[4 + kSongTrackCountOffset], 513); }},
      {"more tracks than the file holds", [](auto& b) { PutU32(&b[4 + kSongTrackCountOffset], 3); }},
      {"more programs than the file holds", [](auto& b) { PutU32(&b[4 + kSongProgramCountOffset], 5); }},
      {"more events than the file holds", [=](auto& b) { PutU32(&b[track1 + kTrackEventCountOffset], 1000); }},
      {"event type 39", [=](auto& b) { PutU32(&b[event + 4], 39); }},
      {"program engine type 48", [](auto& b) { PutU32(&b[kHeader + 68 + 620], 48); }},
      {"chain engine type 48", [=](auto& b) { PutU32(&b[track1 + kTrackChainOffset + 620 * 8], 48); }},
      {"chain sample data cut short", [](auto& b) { b.resize(b.size() - 1); }},
      {"tempo not a number", [](auto& b) { PutU32(&b[4 + 8], 0x7fc00000); }},
      {"infinite track level", [=](auto& b) { PutU32(&b[track1 + 44], Bits(-INFINITY)); }},
      {"chain parameter not a number", [=](auto& b) { PutU32(&b[track1 + kTrackChainOffset + 80], 0x7fc00000); }},
      {"sample not a number", [](auto& b) { PutU32(&b[kHeader + 5648], 0x7f800001); }},
  };
  for (const auto& c : cases) {
    FileRig target;
    BuildRichSong(target);
    const auto before = Saved(target);
    auto bytes = good;
    c.apply(bytes);
    EXPECT_EQ(target.Load(bytes), SongFileResult::Invalid) << c.damage;
    EXPECT_EQ(target.Headlines(), std::vector<std::string>{"Invalid File"}) << c.damage;
    EXPECT_EQ(target.dialogs.shown.at(0).caption, "Error");
    // The file is decoded whole before anything is installed: the song's bytes stand for its records.
    EXPECT_EQ(FirstDifference(Saved(target), before), -1) << c.damage;
  }
  // The undamaged bytes load in the same rig, so each refusal above is the damage's doing.
  FileRig target;
  EXPECT_EQ(target.Load(good), SongFileResult::Done);
  EXPECT_EQ(FirstDifference(Saved(target), good), -1);
  // A file that cannot be opened changes nothing (the Load command names it and the reason); a cancelled dialog
  // says nothing.
  EXPECT_EQ(LoadSongFile(target.app, target.dir.File("missing.tes")), SongFileResult::CannotOpen);
  EXPECT_FALSE(LoadSong(target.app));
  EXPECT_TRUE(target.dialogs.shown.empty());
}

// Every loader fed damaged copies of good files: cut at many lengths and with bytes overwritten at random
// (a fixed seed, so every run feeds the same files). Each copy either loads, and then plays without reading
// outside anything, or is refused with its message and changes nothing. The sanitizer build runs the same.
// Program files go through the same engine records as the songs' programs.
// Damaged copies of `good`: every length up to 64 and `cuts` more spread over the file, then `flips` copies
// with one to three bytes, or a whole word, overwritten; half of those land in the first `headerBytes`.
std::vector<std::vector<uint8_t>> DamagedCopies(const std::vector<uint8_t>& good, int cuts, int flips,
                                                std::size_t headerBytes) {
  std::vector<std::vector<uint8_t>> copies;
  for (std::size_t n = 0; n < std::min<std::size_t>(64, good.size()); ++n) copies.emplace_back(good.begin(), good.begin() + n);
  for (int i = 1; i <= cuts; ++i) {
    const std::size_t n = 64 + (good.size() - 64) * i / (cuts + 1);
    copies.emplace_back(good.begin(), good.begin() + n);
  }
  std::mt19937 random(20240601);
  const uint32_t nasty[] = {0xffffffffu, 0x80000000u, 0x7fffffffu, 0x7fc00000u, 0x7f800000u, 0xff800000u,
                            1000000u,    513u,        48u,         39u,         5u,          0x4f000000u};
  for (int i = 0; i < flips; ++i) {
    auto copy = good;
    const std::size_t span = random() % 2 == 0 ? std::min(headerBytes, copy.size()) : copy.size();
    if (random() % 3 == 0) {
      const std::size_t at = (random() % (span - 3)) & ~std::size_t{3};
      PutU32(&copy[at], nasty[random() % std::size(nasty)]);
    } else {
      for (uint32_t k = 0, count = 1 + random() % 3; k < count; ++k) copy[random() % span] = static_cast<uint8_t>(random());
    }
    copies.push_back(std::move(copy));
  }
  return copies;
}

// Plays the song from its start for a few ticks through every engine its notes reach.
void PlayBriefly(Studio& app, int frames) {
  PrepareSongStart(app);
  SampleContext ctx = MakeSampleContext(app);
  for (int f = 0; f < frames; ++f) {
    SongClockStep(app);
    MixSongSample(app, ctx);
  }
  StopPlayback(app);
}

TEST(LoaderRobustness, SongFiles) {
  FileRig source;
  BuildRichSong(source);
  const auto good = EncodeSong(source.app);
  FileRig rig;
  BuildRichSong(rig);
  int loaded = 0, refused = 0;
  for (const auto& copy : DamagedCopies(good, 100, 220, 4 + kSongImageSize + 2 * kProgramRecordSize)) {
    rig.dialogs.shown.clear();
    const auto before = EncodeSong(rig.app);
    auto decoded = DecodeSong(copy, rig.dialogs);
    if (!decoded) {
      ++refused;
      ASSERT_TRUE(rig.dialogs.shown.empty() || rig.dialogs.shown.size() == 1) << copy.size();
      ASSERT_EQ(EncodeSong(rig.app), before) << "a refused file changed the song";
      continue;
    }
    ++loaded;
    InstallSong(rig.app, std::move(*decoded));
    for (const auto& box : rig.dialogs.shown) ASSERT_EQ(box.text, kInvalidEnginesRemoved);
    PlayBriefly(rig.app, 1500);
    // What was loaded saves as a file the loader takes again.
    FakeDialogs again;
    ASSERT_TRUE(DecodeSong(EncodeSong(rig.app), again));
  }
  EXPECT_GT(loaded, 20);
  EXPECT_GT(refused, 100);
}

// A looped wave with a sample chunk, as the import reads it.
std::vector<uint8_t> GoodWave() {
  std::vector<int16_t> samples(400);
  for (int i = 0; i < 400; ++i) samples[i] = static_cast<int16_t>((i * 977) % 65536);
  return testing::MakeWave({.samples = samples, .smpl = testing::SmplChunk{60, 72, 10, 300}});
}

TEST(LoaderRobustness, WaveImports) {
  const std::string refusals[] = {"Not A Wave File", "Invalid File", "44100hz 16-Bit Mono PCM Waves Are Required",
                                  "Could Not Find Data Chunk"};
  int loaded = 0, refused = 0;
  FileRig rig;
  Program& p = *NewProgram(rig.app);
  AppendEvent(rig.app, rig.AddTrack(), {0, Type(EventType::NoteOn), 2450, 0});
  for (const auto& copy : DamagedCopies(GoodWave(), 40, 200, 120)) {
    for (const bool modulator : {false, true}) {
      rig.dialogs.shown.clear();
      InitProgramEngine(p.engines[0], Id(EngineTypeId::SineWaveGenerator));
      Put(p.engines[1], modulator ? EngineTypeId::AmplitudeModulation : EngineTypeId::MultisampledWave, {{1, 8}});
      const Engine kept = p.engines[1];
      if (!ImportWave(p.engines[1], 0, copy, "/w/x.wav", modulator, rig.dialogs)) {
        ++refused;
        const std::vector<std::string> said = rig.Headlines();
        ASSERT_TRUE(said.size() == 1 && std::ranges::count(refusals, said[0]) == 1)
            << ::testing::PrintToString(rig.Messages());
        ASSERT_EQ(p.engines[1].slots[0].loaded, kept.slots[0].loaded);
        ASSERT_EQ(p.engines[1].slots[1].data, kept.slots[1].data);
        continue;
      }
      ++loaded;
      // A header damaged out of the slot's own format is converted by libsndfile, and a box says so.
      const bool converted = !rig.dialogs.shown.empty();
      ASSERT_TRUE(!converted || (rig.dialogs.shown.size() == 1 && rig.dialogs.shown[0].caption == "Import"));
      if (!converted) {
        ASSERT_LE(p.engines[1].slots[0].length * 2u, copy.size()) << "never more samples than the file holds";
      }
      PlayBriefly(rig.app, 1000);
    }
  }
  EXPECT_GT(loaded, 40);
  EXPECT_GT(refused, 40);
}

using namespace std::chrono_literals;

// The copy kept for recovery: written on a clock the test drives, refused folders, recovery at start-up.

struct AutosaveRig : FileRig {
  AutosaveState autosave;
  std::ostringstream said;
  AutosaveClock::time_point start = AutosaveClock::now();
  int32_t edits = 0;

  explicit AutosaveRig(const std::string& folder = {}) {
    autosave.folder = folder.empty() ? dir.File("state/tonforge/autosave") : folder;
    autosave.messages = &said;
    AddTrack();
    app.changes.MarkSongSaved();
  }
  void Edit() { InsertEvent(app, TrackNo(1), {++edits, kNote, 50, 0}); }
  void Tick(int second) {
    RunAutosave(autosave, app, start + std::chrono::seconds(second));
    WaitForAutosave(autosave, app);
  }
  std::string Target() const { return AutosavePath(autosave.folder, app.songFile); }
};

// The copy follows the song on a clock the test drives: at once on the first change after a save, then once an
// interval while it changes, never while a worker owns the song unless a picture of it (the history's) can be
// written instead, gone once the song is saved or the program ends cleanly; never in the user's own file.
TEST(Autosave, WritesOnTheFirstChangeThenEveryIntervalWhileNothingPlays) {
  enum Act { Wait, Edit, Play, PlayWithPicture, Stop, Save };
  enum Holds { Nothing, TheSong, AnOlderSong, ThePicture };
  struct Step { const char* name; int second; Act act; Holds holds; };
  const Step steps[] = {
      {"an unmodified song is not copied", 0, Wait, Nothing},
      {"the first change is copied at once", 1, Edit, TheSong},
      {"a change within the interval waits", 30, Edit, AnOlderSong},
      {"after the interval it is copied", 61, Wait, TheSong},
      {"a change while a song plays waits", 201, Play, AnOlderSong},
      {"copied once playback stops", 401, Stop, TheSong},
      {"a saved song leaves no copy", 402, Save, Nothing},
      {"the first change after the save at once", 403, Edit, TheSong},
      {"a change while the song plays, written from its picture", 464, PlayWithPicture, ThePicture},
  };
  const std::vector<uint8_t> picture{'U', 'E', 'S', '1'};
  AutosaveRig rig;
  const std::string mine = rig.dir.File("mine.tes");
  ASSERT_EQ(SaveSongFile(rig.app, mine), SongFileResult::Done);
  std::vector<uint8_t> saved = ReadBytes(mine);
  for (const Step& s : steps) {
    if (s.act == Edit || s.act == Play || s.act == PlayWithPicture) rig.Edit();
    if (s.act == Play || s.act == PlayWithPicture) rig.app.playback.mode.store(PlaybackMode::Song);
    if (s.act == PlayWithPicture) rig.autosave.encodeWhilePlaying = [&picture] { return picture; };
    if (s.act == Stop) rig.app.playback.mode.store(PlaybackMode::Idle);
    if (s.act == Save) {
      ASSERT_TRUE(SaveSongToItsFile(rig.app)) << s.name;
      saved = ReadBytes(mine);
    }
    rig.Tick(s.second);
    const std::vector<uint8_t> copy = ReadBytes(rig.Target());
    const Holds holds = !std::filesystem::exists(rig.Target()) ? Nothing
                        : copy == EncodeSong(rig.app)          ? TheSong
                        : copy == picture                      ? ThePicture : AnOlderSong;
    EXPECT_EQ(holds, s.holds) << s.name;
    EXPECT_EQ(ReadBytes(mine), saved) << s.name << ": the user's file";
  }
  EXPECT_NE(rig.Target(), mine);
  const std::string owner = std::filesystem::canonical(mine).string() + "\n";  // which file the copy belongs to
  EXPECT_EQ(ReadBytes(rig.Target() + ".song"), std::vector<uint8_t>(owner.begin(), owner.end()));
  EndAutosave(rig.autosave, rig.app);
  for (const std::string& left : {rig.Target(), rig.Target() + ".song"})
    EXPECT_FALSE(std::filesystem::exists(left)) << "a clean end";
  EXPECT_TRUE(rig.said.str().empty()) << rig.said.str();
}

// A folder that cannot be written is said once on the message stream, however often the copy is tried; the song
// stays modified and no box interrupts.
TEST(Autosave, AFolderThatCannotBeWrittenIsSaidOnce) {
  struct Case { const char* name; bool readOnly; };
  for (const Case c : {Case{"below a file", false}, Case{"read-only", true}}) {
    if (c.readOnly && geteuid() == 0) continue;  // the superuser writes anywhere
    testing::TempDir place;
    std::string folder = place.File("autosave");
    if (c.readOnly) {
      std::filesystem::create_directories(folder);
      std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    } else {
      WriteBytes(place.File("file"), {1});
      folder = place.File("file/autosave");
    }
    AutosaveRig rig(folder);
    for (int second = 0; second < 300; second += 61) {
      rig.Edit();
      rig.Tick(second);
    }
    const std::string said = rig.said.str();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << c.name << ": " << said;
    EXPECT_NE(said.find("could not be autosaved"), std::string::npos) << c.name << ": " << said;
    EXPECT_TRUE(rig.app.changes.SongModified() && rig.dialogs.shown.empty()) << c.name;
    if (c.readOnly) std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
  }
}

// At start-up an autosave newer than its song file asks to be recovered: Yes installs it as a modified song
// still belonging to the user's file, which Ctrl+S then fills with exactly the autosave's bytes; No deletes it.
// An older autosave is not offered; a damaged one is refused with "Invalid File" and kept.
TEST(Autosave, RecoveryOffersANewerCopyAndRefusesADamagedOne) {
  enum Copy { Newer, Older, Damaged };
  // box: the first line of the one box shown, if any.
  struct Case { const char* name; bool newSong; Copy copy; bool yes; Recovery result; std::string box; };
  const std::string ask = "Recover Unsaved Changes To Tune?";
  const Case cases[] = {
      {"newer, Yes", false, Newer, true, Recovery::Recovered, ask},
      {"newer, No", false, Newer, false, Recovery::Declined, ask},
      {"older than the file", false, Older, true, Recovery::None, ""},
      {"damaged", false, Damaged, true, Recovery::Invalid, "Invalid File"},
      {"the new song's, Yes", true, Newer, true, Recovery::Recovered, ask},
  };
  for (const Case& c : cases) {
    AutosaveRig source;
    const std::string mine = c.newSong ? "" : source.dir.File("mine.tes");
    if (!c.newSong) {
      ASSERT_EQ(SaveSongFile(source.app, mine), SongFileResult::Done) << c.name;
    }
    std::copy_n("Tune", 5, source.TrackNo(0).name.begin());
    source.Edit();
    source.Tick(0);
    const std::string copy = source.Target();
    ASSERT_TRUE(std::filesystem::exists(copy)) << c.name;
    if (c.copy == Damaged) WriteBytes(copy, {'U', 'E', 'S', '1', 0});
    const std::vector<uint8_t> copied = ReadBytes(copy);
    if (!c.newSong) {
      const auto fileTime = std::filesystem::last_write_time(mine);
      std::filesystem::last_write_time(copy, fileTime + (c.copy == Older ? -1s : 1s));
    }

    AutosaveRig rig(source.autosave.folder);
    if (!c.newSong) {
      ASSERT_EQ(LoadSongFile(rig.app, mine), SongFileResult::Done) << c.name;
    }
    const std::vector<uint8_t> before = EncodeSong(rig.app);
    rig.dialogs.answers = {c.yes};
    EXPECT_EQ(OfferRecovery(rig.autosave, rig.app, mine, rig.start), c.result) << c.name;
    EXPECT_EQ(rig.Headlines(), c.box.empty() ? std::vector<std::string>{} : std::vector{c.box}) << c.name;
    EXPECT_EQ(rig.app.changes.SongModified(), c.result == Recovery::Recovered) << c.name;
    EXPECT_EQ(rig.app.songFile, mine) << c.name;
    EXPECT_EQ(std::filesystem::exists(copy), c.copy != Damaged && c.result != Recovery::Declined) << c.name;
    if (c.copy == Damaged) {
      EXPECT_EQ(ReadBytes(copy + ".damaged"), copied) << c.name << ": kept";
    }
    if (c.result != Recovery::Recovered) {
      EXPECT_EQ(EncodeSong(rig.app), before) << c.name << ": the song untouched";
      continue;
    }
    rig.dialogs.paths = {rig.dir.File("new.tes")};  // where Ctrl+S puts a new song
    ASSERT_TRUE(SaveSongToItsFile(rig.app)) << c.name;
    EXPECT_EQ(ReadBytes(c.newSong ? rig.dir.File("new.tes") : mine), copied) << c.name;
  }
}

}  // namespace
}  // namespace tonforge::testing
