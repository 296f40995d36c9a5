// Song playback on the worker thread, the live output and sound file playback: the hand-over of the sound
// between the threads, the ring's blocks, the output rate, and single values edited, undone and redone while a
// song plays (the thread sanitizer build runs these too).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "audio/live_output.h"
#include "audio/output_rate.h"
#include "audio/playback.h"
#include "audio/wave_playback.h"
#include "history/history.h"
#include "programs/program_list.h"
#include "sequencer/editing.h"
#include "sequencer/track_commands.h"
#include "support/fake_devices.h"
#include "support/file_rig.h"
#include "support/play_rig.h"
#include "support/song_rig.h"
#include "support/sound_files.h"
#include "support/wave_files.h"

namespace tonforge::testing {
namespace {


constexpr auto kSong = PlaybackMode::Song;

TEST(Playback, PlayButtonTogglesAndAnEndLetsTheIdleStepStop) {
  PlayRig rig;
  Studio& app = *rig.app;
  rig.End(2);
  app.playback.highPriority = 1;  // refused without privileges; playback goes on regardless
  for (bool pressAgain : {true, false}) {
    app.live.voices[0].liveFlag = 1;
    StartSongPlayback(app);
    ASSERT_EQ(app.playback.mode.load(), kSong);
    EXPECT_TRUE(app.playback.playButtonPressed == 1 && app.live.voices[0].liveFlag == 0);
    ASSERT_TRUE(WaitFor([&] { return app.playback.songEndReached.load() == 1; }));
    EXPECT_EQ(app.playback.mode.load(), kSong) << "the worker runs on with the song chain's tails";
    pressAgain ? StartSongPlayback(app) : StopPlayback(app);  // what the idle step does on the End
    EXPECT_TRUE(IsPlaybackIdle(app) && app.playback.workerRunning.load() == 0) << pressAgain;
    EXPECT_EQ(app.playback.playButtonPressed, 0u);
    EXPECT_FALSE(app.playback.worker.joinable());
  }
}

// At every latency, on the smallest and the largest blocks: the song worker keeps two blocks ahead of the play
// cursor; the live output renders one block ahead of what it writes and waits for the device.
TEST(Playback, WorkerAndLiveOutputWriteAheadOfThePlayCursor) {
  struct Step { uint32_t playBlock; LiveOutputStep result; size_t writes; uint32_t lastBlock; };
  const Step steps[] = {
      {0, LiveOutputStep::Rendered, 1, 2},  // renders and writes two blocks ahead
      {0, LiveOutputStep::Rendered, 1, 2},  // renders the next block and leaves it pending
      {0, LiveOutputStep::Polled, 1, 2},    // only polls until the device moves on
      {1, LiveOutputStep::Wrote, 2, 3},     // the pending block goes out; nothing is rendered
      {1, LiveOutputStep::Rendered, 2, 3},
      {6, LiveOutputStep::Wrote, 3, 0},     // the ring wraps
  };
  for (const uint32_t frames : {4096u, 256u}) {
    SCOPED_TRACE(frames);
    PlayRig worker, live;
    for (PlayRig* rig : {&worker, &live}) {
      rig->app->ring.blockFrames = frames;
      rig->device.blockBytes = frames * kFrameBytes;
    }
    StartSongPlayback(*worker.app);
    // The device stands still between steps: exactly one block is written per block the cursor moves on.
    size_t writes = 0;
    for (const auto& [playBlock, target] : {std::pair{0u, 2u}, {1u, 3u}, {2u, 4u}, {6u, 0u}, {7u, 1u}}) {
      worker.device.PlayInBlock(playBlock);
      ++writes;
      ASSERT_TRUE(WaitFor([&] { return worker.device.WriteCount() >= writes; })) << playBlock;
      std::this_thread::sleep_for(std::chrono::milliseconds(30));  // room for a wrong extra write to show
      ASSERT_EQ(worker.device.WriteCount(), writes) << playBlock;
      EXPECT_EQ(worker.device.Write(writes - 1).offset, target * frames * kFrameBytes);
      EXPECT_EQ(worker.device.Write(writes - 1).samples.size(), 2 * frames);
    }
    StopPlayback(*worker.app);
    EXPECT_EQ(worker.app->ring.writeBlock, 1u) << "the idle step carries on from the worker's ring position";

    for (const Step& s : steps) {
      live.device.PlayInBlock(s.playBlock);
      EXPECT_EQ(ServeLiveOutput(*live.app), s.result) << s.writes;
      ASSERT_EQ(live.device.WriteCount(), s.writes);
      EXPECT_EQ(live.device.Write(s.writes - 1).offset, s.lastBlock * frames * kFrameBytes);
    }
    // With no note and empty chains every block is silence, a whole block of it.
    const auto block = live.device.Write(2).samples;
    EXPECT_EQ(std::count(block.begin(), block.end(), 0), static_cast<long>(frames * 2));
  }
}

TEST(Playback, StartPreparesAndStopRestsEveryTrack) {
  PlayRig rig;
  Track& track = rig.AddTrack();
  Engine& delay = rig.SetTrackEngine(track, 4, EngineTypeId::BasicDelay);
  Engine& reverb = rig.SetTrackEngine(rig.Global(), 1, EngineTypeId::BasicReverb);
  Program& p = rig.AddProgram({0, 0, testing::kGain});
  p.engineCount = 9;
  rig.SetTempo(60);
  track.phraseCursor = track.events.First();
  track.volumeSlide = 0.5f;
  rig.app->song.tempoSlide = 2.0f;
  PrepareSongStart(*rig.app);
  EXPECT_TRUE(track.chainLength == 5 && p.engineCount == 3u && track.phraseCursor == nullptr);
  EXPECT_FLOAT_EQ(track.volumeSlide, 0.0f);
  EXPECT_FLOAT_EQ(rig.app->song.tempoSlide, 0.0f);

  // Echoes must not carry into the next start; voices and values go back to rest.
  std::fill_n(delay.left.get(), delay.bufferLength, 0.5f);
  std::fill_n(reverb.right.get(), reverb.bufferLength, 0.5f);
  track.volume = 0.2f, track.gate = 1, track.pitchOffset = 300, track.runningRandom = 5;
  rig.app->song.tempo = 200.0f;
  rig.app->playback.mode.store(kSong);  // as if a worker had just ended
  StopPlayback(*rig.app);
  EXPECT_EQ(std::count(delay.left.get(), delay.left.get() + delay.bufferLength, 0.0f), 44104);
  EXPECT_EQ(std::count(reverb.right.get(), reverb.right.get() + reverb.bufferLength, 0.0f), 19416);
  EXPECT_FLOAT_EQ(track.volume, 1.0f);
  EXPECT_TRUE(track.gate == 0 && track.pitchOffset == 0 && track.runningRandom == track.seed);
  EXPECT_FLOAT_EQ(rig.app->song.tempo, 60.0f) << "tempo from the song's first event";
}

TEST(OutputRateSwitch, SetsTheRateFiguresReopensTheDeviceAndStopsPlayback) {
  // Samples per beat: rate x 60 / 90 beats per minute; per tick: that / 24 ticks per beat.
  const struct { int32_t rate; float factor; int32_t step; float samplesPerBeat, samplesPerTick; } rates[] = {
      {11025, 4.0f, 4, 7350.0f, 306.25f}, {22050, 2.0f, 2, 14700.0f, 612.5f}, {44100, 1.0f, 1, 29400.0f, 1225.0f}};
  for (const auto& c : rates) {
    PlayRig rig(c.rate == 44100 ? 22050 : 44100);
    Studio& app = *rig.app;
    app.song.tempo = 90.0f;
    app.song.ticksPerBeat = 24;
    app.ring.staging.fill(77);
    app.ring.blockPending = 1;
    SwitchOutputRate(app, c.rate);
    const OutputRate& r = app.rate;
    EXPECT_TRUE(r.sampleRate == c.rate && r.rateHz == static_cast<float>(c.rate) && r.rateFactor == c.factor &&
                r.rateStep == c.step) << c.rate;
    EXPECT_EQ(r.samplesPerBeat, c.samplesPerBeat) << c.rate;
    EXPECT_EQ(r.samplesPerTick, c.samplesPerTick) << c.rate;
    EXPECT_EQ(rig.device.recreatedAt, std::vector<int32_t>{c.rate});
    EXPECT_TRUE(app.ring.staging[0] == 0 && app.ring.staging.back() == 0 && app.ring.blockPending == 0);
    EXPECT_TRUE(app.changes.Has(Change::Output));
    EXPECT_TRUE(rig.dialogs.shown.empty());
  }

  // While a song plays: other rates are ignored, one of ours stops the song, and a device that will not reopen
  // is reported.
  PlayRig rig;
  Studio& app = *rig.app;
  rig.Add(rig.Global(), 100000, EventType::End);
  StartSongPlayback(app);
  ASSERT_EQ(app.playback.mode.load(), PlaybackMode::Song);
  for (int32_t other : {48000, 0, -44100, 88200}) SwitchOutputRate(app, other);
  EXPECT_EQ(app.playback.mode.load(), PlaybackMode::Song);
  EXPECT_EQ(app.rate.sampleRate, 44100);
  EXPECT_TRUE(rig.device.recreatedAt.empty());

  rig.device.refuseRecreate = true;
  SwitchOutputRate(app, 11025);
  EXPECT_TRUE(IsPlaybackIdle(app) && app.playback.workerRunning.load() == 0);
  EXPECT_EQ(app.rate.samplesPerTick, 11025.0f * 60.0f / 120.0f / 48.0f);
  ASSERT_EQ(rig.dialogs.shown.size(), 1u);
  EXPECT_EQ(rig.dialogs.shown[0].text, "Could Not Create Mix Sound Buffer");
  // Without a device (the render tool's --rate, whose tests cover it) only the figures change.
}

// A source of 0.5 played through a gain of 0.5 on the current track. A note key drops the pending block; a
// chord sums its voices before the track's chain, and a released voice fades out in 5 ms without a step.
TEST(LiveOutput, NoteKeyDropsThePendingBlockAndAChordSumsAndFadesOut) {
  PlayRig rig;
  rig.AddProgram({kSource}).engines[0].F[0] = 0.5f;
  Engine& gain = rig.SetTrackEngine(rig.AddTrack(), 0, kGain);
  gain.F[0] = gain.F[1] = 0.5f;
  rig.app->song.currentTrack = 1;
  rig.app->song.songLevel = 0.1f;  // never applied to the live output
  ServeLiveOutputWith(*rig.app, rig.routines);
  ServeLiveOutputWith(*rig.app, rig.routines);  // a silent block now waits
  StartLiveNote(*rig.app, 2450, 0);
  EXPECT_EQ(ServeLiveOutputWith(*rig.app, rig.routines), LiveOutputStep::Rendered);
  rig.device.PlayInBlock(1);
  ServeLiveOutputWith(*rig.app, rig.routines);
  ASSERT_EQ(rig.device.WriteCount(), 2u);
  // The note from the block's first frame, through the current track's chain.
  EXPECT_EQ(rig.device.Write(1).samples.front(), 8191);

  ASSERT_TRUE(SetLiveVoiceCount(*rig.app, 4));  // which silences the note
  rig.app->live.keysHold = 0;
  StartLiveNote(*rig.app, 2450, 0, 1);
  StartLiveNote(*rig.app, 2850, 0, 2);
  SampleContext ctx = MakeSampleContext(*rig.app);
  auto next = [&] { return MixLiveSampleWith(*rig.app, ctx, rig.routines).left; };
  EXPECT_EQ(next(), 16383);  // two voices of 0.25 each after the track's gain
  ReleaseLiveNote(*rig.app, 2);
  const int fade = 44100 * kReleaseFadeMilliseconds / 1000;
  int previous = 16383, largestStep = 0, frames = 0;
  for (int sample = next(); sample != 8191 && frames < 1000; sample = next(), ++frames) {
    largestStep = std::max(largestStep, std::abs(sample - previous));
    previous = sample;
  }
  EXPECT_EQ(frames, fade);
  EXPECT_LE(largestStep, 8192 / fade + 1);
  EXPECT_EQ(next(), 8191);  // the held voice alone
  EXPECT_FALSE(rig.app->live.voices[1].fadeLeft != 0 || rig.app->live.voices[1].liveFlag != 0);
}

TEST(LiveOutput, StartLiveNoteIgnoresImpossibleNotes) {
  for (const auto& [pitch, program, starts] : {std::tuple{6100, 0, false}, {2450, 1, false}, {2450, -1, false},
                                               {6099, 0, true}}) {
    PlayRig rig;
    rig.AddProgram({kSource}).transpose = 30;
    StartLiveNote(*rig.app, pitch, program);
    EXPECT_EQ(rig.app->live.voices[0].liveFlag, starts ? 1u : 0u) << pitch << " " << program;
    EXPECT_EQ(rig.app->live.noteStarted, starts ? 1u : 0u);
    EXPECT_EQ(rig.app->live.voices[0].voice.transpose, starts ? 30 : 0);
  }
}

// Interleaved stereo samples that differ from frame to frame and from side to side.
std::vector<int16_t> StereoRamp(uint32_t frames) {
  std::vector<int16_t> s(frames * 2);
  for (uint32_t i = 0; i < s.size(); ++i) s[i] = static_cast<int16_t>(static_cast<int32_t>(i * 7919 % 65521) - 32760);
  return s;
}

// Moves the play cursor one block at a time, each time once the worker has written its block, until the worker
// has ended. Returns the samples of every block written, in order.
std::vector<int16_t> PlayToTheEnd(PlayRig& rig) {
  uint32_t moves = 0;
  while (!IsPlaybackIdle(*rig.app) && moves < 40) {
    rig.device.PlayInBlock(moves % kRingBlocks);
    ++moves;
    if (!WaitFor([&] { return rig.device.WriteCount() >= moves || IsPlaybackIdle(*rig.app); })) break;
  }
  EXPECT_TRUE(WaitFor([&] { return IsPlaybackIdle(*rig.app) && rig.app->playback.workerRunning.load() == 0; }));
  std::vector<int16_t> heard;
  for (size_t k = 0; k < rig.device.WriteCount(); ++k) {
    const auto block = rig.device.Write(k).samples;
    heard.insert(heard.end(), block.begin(), block.end());
  }
  return heard;
}

// Select Wave plays a file block by block, two blocks ahead of the cursor, and ends at its end. A WAV file of
// exact samples is heard as it is, at its own rate; sound files of other kinds and rates are played at their
// own rate when it is an output rate and converted to the output's rate otherwise, the tone kept.
TEST(WavePlayback, PlaysTheFileBlockByBlockAtItsRateAndEndsAtItsEnd) {
  // A ramp: frames in the file; what the data chunk claims, in bytes; bytes of another chunk after the data;
  // frames handed to the ring. A tone: the output rate before and after, and whether a mono file's one side is
  // heard on both.
  const struct { const char* what; uint32_t rate, frames; std::optional<uint32_t> stated; uint32_t trailing, played;
                 std::optional<ToneFile> tone = std::nullopt; int32_t outputBefore = 44100;
                 int32_t outputAfter = static_cast<int32_t>(rate); bool bothSidesEqual = false; } cases[] = {
      {"exactly two blocks", 11025, 8192, std::nullopt, 0, 8192},
      {"the data chunk claims more than the file holds", 22050, 3000, 1000000, 0, 3000},
      {"a chunk after the data", 44100, 5000, std::nullopt, 64, 5000},
      {"an odd stated size drops the cut frame", 22050, 100, 4 * 99 + 3, 0, 99},
      {"96000 Hz float converted to 11025", 0, 0, std::nullopt, 0, 0,
       ToneFile{.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT, .rate = 96000, .channels = 2}, 11025, 11025},
      {"OGG Vorbis", 0, 0, std::nullopt, 0, 0, ToneFile{.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS, .rate = 44100},
       22050, 44100, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PlayRig rig(c.outputBefore);
    Studio& app = *rig.app;
    TempDir dir;
    const std::vector<int16_t> samples = StereoRamp(c.frames);
    if (c.tone) {
      ASSERT_TRUE(WriteTone(dir.File("take.wav"), *c.tone));
    } else {
      auto bytes = MakeWave({.channels = 2, .rate = c.rate, .samples = samples, .statedDataBytes = c.stated});
      bytes.insert(bytes.end(), c.trailing, 0x7f);
      WriteBytes(dir.File("take.wav"), bytes);
    }
    rig.dialogs.paths = {dir.File("take.wav")};
    rig.device.PlayInBlock(6);  // the block after it is the ring's write block: the worker waits with its first

    EXPECT_TRUE(SelectWave(app));
    const FileDialogRequest& asked = rig.dialogs.requests.at(0);
    EXPECT_EQ(asked.title + "|" + asked.startFolder + "|" + asked.filters.at(0).description + "|" + asked.filters.back().pattern,
              "Select Wave|/nonexistent-program-folder/Tracks/|Sound Files (*.wav *.aif *.aiff *.flac *.ogg *.oga *.mp3)|*.*");
    EXPECT_EQ(app.folders.tracks, dir.Root() + "/") << "the renders folder follows the chosen file";
    EXPECT_EQ(app.rate.sampleRate, c.outputAfter);
    if (c.outputAfter == c.outputBefore) EXPECT_TRUE(rig.device.recreatedAt.empty());
    else EXPECT_EQ(rig.device.recreatedAt, std::vector{c.outputAfter});
    EXPECT_EQ(app.playback.playButtonPressed, 1u);
    app.changes.Take();

    const std::vector<int16_t> heard = PlayToTheEnd(rig);
    if (c.tone) {
      // The blocks end in silence after the file: the tone is judged over the file's length at the new rate.
      const auto frames = static_cast<std::size_t>(c.tone->seconds * c.outputAfter);
      ASSERT_GE(heard.size(), 2 * frames);
      const auto left = Channel(heard.data(), 2 * frames, 2, 1.0f / 32768);
      const auto right = Channel(heard.data() + 1, 2 * frames, 2, 1.0f / 32768);
      EXPECT_NEAR(ToneFrequency(left, c.outputAfter), 1000.0, 6.0);
      EXPECT_NEAR(Peak(left), 0.5f, 0.03f);
      EXPECT_NEAR(Peak(right), c.bothSidesEqual ? 0.5f : 0.25f, 0.03f);
    } else {
      // Every block two ahead of the cursor, holding the file's samples in order and silence after the last.
      const uint32_t blocks = (c.played + kBlockFrames - 1) / kBlockFrames;
      ASSERT_EQ(rig.device.WriteCount(), blocks);
      for (uint32_t k = 0; k < blocks; ++k)
        EXPECT_EQ(rig.device.Write(k).offset, (k + 2) % kRingBlocks * kBlockBytes) << "block " << k;
      std::vector<int16_t> expected(samples.begin(), samples.begin() + 2 * c.played);
      expected.resize(blocks * kBlockFrames * 2, 0);
      EXPECT_TRUE(heard == expected);
    }

    EXPECT_TRUE(app.playback.playButtonPressed == 0 && app.changes.Has(Change::Transport));
    EXPECT_FALSE(app.wavePlayback.stream) << "closed by the worker";
    StopPlayback(app);  // what the next command does first
    EXPECT_FALSE(app.playback.worker.joinable());
    EXPECT_EQ(app.rate.sampleRate, c.outputAfter) << "the file's rate stays after it ends";
    EXPECT_TRUE(rig.dialogs.shown.empty());
  }
}

TEST(WavePlayback, RefusedFilesChangeNothing) {
  // `message` is "" when nothing is said.
  const struct { const char* what; testing::WaveLayout layout; std::function<void(std::vector<uint8_t>&)> change;
                 const char* message; } cases[] = {
      {"not WAVE", {.channels = 2, .rate = 22050}, [](auto& b) { std::copy_n("AVI ", 4, b.begin() + 8); },
       "Invalid File"},
      {"no such file", {}, nullptr, "Invalid File"},
      {"dialog cancelled", {}, nullptr, ""},
      {"no thread to play it", {.channels = 2, .rate = 44100}, [](auto&) { FailWorkerStartsForTesting(1); },
       "Could Not Start Playback"},
  };
  for (const auto& c : cases) {
    PlayRig rig;
    Studio& app = *rig.app;
    TempDir dir;
    auto bytes = MakeWave(c.layout);
    if (c.change) c.change(bytes);
    if (std::string_view(c.what) != "no such file") WriteBytes(dir.File("w.wav"), bytes);
    if (std::string_view(c.what) != "dialog cancelled") rig.dialogs.paths = {dir.File("w.wav")};

    EXPECT_FALSE(SelectWave(app)) << c.what;
    std::string said;
    for (const auto& box : rig.dialogs.shown) said += box.caption + ": " + box.text.substr(0, box.text.find('\n'));
    EXPECT_EQ(said, *c.message ? std::string("Error: ") + c.message : "") << c.what;
    EXPECT_TRUE(IsPlaybackIdle(app) && !app.playback.worker.joinable() && app.playback.playButtonPressed == 0) << c.what;
    EXPECT_TRUE(app.rate.sampleRate == 44100 && rig.device.recreatedAt.empty()) << c.what;
    EXPECT_EQ(rig.device.WriteCount(), 0u) << c.what;
    EXPECT_FALSE(app.wavePlayback.stream) << c.what;
  }
}

TEST(WavePlayback, StopAFileCutShortOrAnotherSelectEndsTheWorker) {
  PlayRig rig;
  Studio& app = *rig.app;
  TempDir dir;
  const auto bytes = MakeWave({.channels = 2, .rate = 22050, .samples = StereoRamp(10 * kBlockFrames)});
  WriteBytes(dir.File("long.wav"), bytes);

  // Stop while the worker waits with its next block.
  rig.dialogs.paths = {dir.File("long.wav"), dir.File("long.wav")};
  ASSERT_TRUE(SelectWave(app));
  ASSERT_TRUE(WaitFor([&] { return rig.device.WriteCount() == 1; }));
  app.changes.Take();
  StopPlayback(app);
  EXPECT_TRUE(IsPlaybackIdle(app) && app.playback.workerRunning.load() == 0 && !app.playback.worker.joinable());
  EXPECT_TRUE(app.playback.playButtonPressed == 0 && app.changes.Has(Change::Transport));
  EXPECT_FALSE(app.wavePlayback.stream);
  EXPECT_EQ(rig.device.WriteCount(), 1u);

  // Selecting a file while one plays starts it afresh from its first sample.
  ASSERT_TRUE(SelectWave(app));
  ASSERT_TRUE(WaitFor([&] { return rig.device.WriteCount() == 2; }));
  ASSERT_TRUE(SelectWave(app) == false && IsPlaybackIdle(app)) << "cancelled: the playing file is stopped";
  EXPECT_EQ(rig.device.Write(1).samples, rig.device.Write(0).samples);

  // A file cut short while it plays (two blocks and a half are left, the worker has read two) ends there.
  rig.dialogs.paths = {dir.File("long.wav")};
  rig.device.PlayInBlock(0);
  ASSERT_TRUE(SelectWave(app));
  ASSERT_TRUE(WaitFor([&] { return rig.device.WriteCount() == 3; }));
  std::filesystem::resize_file(dir.File("long.wav"), bytes.size() - static_cast<std::size_t>(7.5 * kBlockBytes));
  for (uint32_t b = 1; b <= 3; ++b) {
    rig.device.PlayInBlock(b);
    ASSERT_TRUE(WaitFor([&] { return rig.device.WriteCount() == 3 + b || IsPlaybackIdle(app); })) << b;
  }
  ASSERT_TRUE(WaitFor([&] { return IsPlaybackIdle(app) && app.playback.workerRunning.load() == 0; }));
  ASSERT_EQ(rig.device.WriteCount(), 5u);
  const auto last = rig.device.Write(4).samples;
  EXPECT_TRUE(last[kBlockFrames - 2] != 0 && last[kBlockFrames] == 0 && last.back() == 0) << "half a block, then silence";
  EXPECT_TRUE(rig.dialogs.shown.empty());
}

// Two programs and three tracks on a fake device, for the tests that edit while the playback thread plays.
struct PlayingSongRig : testing::SongRig {
  PlayingSongRig() : testing::SongRig(2, 3) {
    app.sound = &device;
    StartCore(app, "/nonexistent");
  }
  testing::FakeSoundDevice device;
};

// Levels, pans and notes edited while the playback thread plays the song, then undone and redone: values go
// back at once and the song plays on; a change of the song's structure stops it first. Run in the
// ThreadSanitizer build, an edit, or a picture taken or restored, under the worker shows its races here.
TEST(EditDuringPlayback, ValuesChangeAndGoBackWhileTheSongPlaysAndStructureStopsIt) {
  PlayingSongRig rig;
  testing::FakeSoundDevice& device = rig.device;
  for (int32_t program = 0; program < 2; ++program) {
    SelectProgram(rig.app, program);
    rig.SetProgramType(0, Id(EngineTypeId::SineWaveGenerator));
  }
  rig.SetTrackType(0, testing::Id(EngineTypeId::LowPassFilter));
  for (int32_t track = 1; track < 3; ++track)
    for (int32_t tick = 0; tick < 4000; tick += 24) rig.Add(track, {{tick, Type(EventType::NoteOn), 2450, track - 1}});

  StartSongPlayback(rig.app);
  ASSERT_EQ(rig.app.playback.mode.load(), PlaybackMode::Song);
  for (int32_t i = 0; i < 400; ++i) {
    device.PlayInBlock(static_cast<uint32_t>(i) % kRingBlocks);
    SelectTrack(rig.app, 1 + i % 2);
    SetTrackPan(rig.app, i % 200 - 100);
    SetTrackLevel(rig.app, i % 100);
    SetSongLevel(rig.app, 100 - i % 100);
    SelectProgram(rig.app, i % 2);
    SetProgramLevel(rig.app, i % 100);
    SetProgramPan(rig.app, 100 - i % 200);
    SelectEventIndex(rig.app, i % 8);
    (i % 2 == 0 ? TransposeUp : TransposeDown)(rig.app);
    InsertEvent(rig.app, rig.TrackNo(1 + i % 2), {4000 + i, Type(EventType::NoteOn), 2450, i % 2});
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  EXPECT_EQ(rig.app.playback.mode.load(), PlaybackMode::Song) << "the edits never stop the song";
  EXPECT_GT(device.WriteCount(), 8u);
  EXPECT_EQ(rig.TrackNo(1).eventCount, 167 + 200);
  StopPlayback(rig.app);
  EXPECT_TRUE(IsPlaybackIdle(rig.app) && rig.app.playback.workerRunning.load() == 0);

  History history;
  StartHistory(history, rig.app);
  const float level = rig.TrackNo(1).level;
  StartSongPlayback(rig.app);
  for (int32_t i = 0; i < 40; ++i) {
    device.PlayInBlock(static_cast<uint32_t>(i) % kRingBlocks);
    SelectTrack(rig.app, 1);
    SetTrackLevel(rig.app, i);
    SetProgramPan(rig.app, i - 20);
    SetParameter(rig.TrackNo(1).chain[0], 0, i);
    rig.app.changes.Report(Change::Engine);
    FollowEdits(history, rig.app);
    std::this_thread::sleep_for(std::chrono::microseconds(300));
  }
  EXPECT_EQ(history.at, 40u);
  while (Undo(history, rig.app)) device.PlayInBlock(history.at % kRingBlocks);
  EXPECT_EQ(rig.app.playback.mode.load(), PlaybackMode::Song) << "undoing values never stops the song";
  EXPECT_EQ(rig.TrackNo(1).level, level);
  while (Redo(history, rig.app)) {}
  EXPECT_EQ(rig.TrackNo(1).level, 0.39f);
  EXPECT_EQ(rig.app.playback.mode.load(), PlaybackMode::Song);

  InsertTrackCommand(rig.app);
  FollowEdits(history, rig.app);
  ASSERT_EQ(rig.app.song.tracks.Count(), 4);
  Undo(history, rig.app);
  EXPECT_EQ(rig.app.song.tracks.Count(), 3);
  EXPECT_EQ(rig.app.playback.mode.load(), PlaybackMode::Idle) << "a track taken away stops the song first";
}

}  // namespace
}  // namespace tonforge::testing
