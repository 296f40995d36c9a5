// The SDL platform floor run headless on SDL's dummy and disk drivers: the keyboard's key codes, the sound
// ring's callback and rate switches, MIDI bytes from ALSA, the window's presented rectangles, and the file
// choosers and document opener run as child processes, and the events the window hands up.
#include <gtest/gtest.h>

#include <SDL.h>
#include <algorithm>
#include <alsa/asoundlib.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "audio/live_output.h"
#include "platform/sdl/alsa_midi_input.h"
#include "platform/sdl/sdl_dialogs.h"
#include "platform/sdl/sdl_keyboard.h"
#include "platform/sdl/sdl_shell.h"
#include "platform/sdl/sdl_sound_device.h"
#include "platform/sdl/sdl_window.h"
#include "sequencer/keyboard_commands.h"
#include "support/fake_dialogs.h"
#include "support/file_rig.h"

namespace tonforge {
namespace {

using Argv = std::vector<std::string>;

std::vector<uint8_t> CodesDownFor(int scancode) {
  std::vector<uint8_t> sdlState(kScancodeCount, 0);
  sdlState[static_cast<size_t>(scancode)] = 1;
  KeyStates states;
  states.fill(0x5A);  // every entry must be written
  MapKeyStates(sdlState.data(), kScancodeCount, states);
  std::vector<uint8_t> down;
  for (int code = 0; code < kKeyCount; ++code) {
    if (states[static_cast<size_t>(code)] == kKeyDownBit) down.push_back(static_cast<uint8_t>(code));
    else EXPECT_EQ(states[static_cast<size_t>(code)], 0);
  }
  return down;
}

TEST(SdlKeyboard, EveryCommandKeyMapsToItsSdlKeyAndBack) {
  // Runs of neighbouring key codes and the SDL names of the keys they stand for, row by row.
  const struct { uint8_t first; std::vector<const char*> names; } runs[] = {
      {key::Escape, {"Escape", "1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "-", "=", "Backspace"}},
      {key::Q, {"Q", "W", "E", "R", "T", "Y", "U", "I", "O", "P", "[", "]", "Return", "Left Ctrl"}},
      {key::A, {"A", "S", "D", "F", "G", "H", "J", "K", "L", ";"}},
      {key::LeftShift, {"Left Shift"}},
      {key::Z, {"Z", "X", "C", "V", "B", "N", "M", ",", ".", "/", "Right Shift"}},
      {key::Space, {"Space"}},
      {key::F1, {"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10"}},
      {key::ScrollLock, {"ScrollLock", "Keypad 7", "Keypad 8"}},
      {key::Numpad4, {"Keypad 4", "Keypad 5", "Keypad 6", "Keypad +", "Keypad 1", "Keypad 2", "Keypad 3", "Keypad 0"}},
      {key::F11, {"F11", "F12"}},
      {key::NumpadEnter, {"Keypad Enter", "Right Ctrl"}},
      {key::Home, {"Home", "Up", "PageUp"}},
      {key::Left, {"Left"}},
      {key::Right, {"Right"}},
      {key::End, {"End", "Down", "PageDown", "Insert", "Delete"}},
  };
  for (const auto& run : runs)
    for (size_t i = 0; i < run.names.size(); ++i)
      EXPECT_STREQ(ScancodeName(ScancodeOf(static_cast<uint8_t>(run.first + i))), run.names[i]) << run.first + i;

  // Every mapped code, those above and the rest, has an SDL key of its own, which holds down that code only (SDL
  // names no international keys, so only the range is checked).
  for (int code = 0; code < kKeyCount; ++code) {
    const int scancode = ScancodeOf(static_cast<uint8_t>(code));
    if (scancode == 0) continue;
    SCOPED_TRACE(code);
    ASSERT_LT(scancode, kScancodeCount);  // CodesDownFor indexes by it
    EXPECT_EQ(CodesDownFor(scancode), std::vector<uint8_t>{static_cast<uint8_t>(code)});
  }
}

std::vector<int16_t> LoudBlock(int16_t seed) {
  std::vector<int16_t> block(kBlockBytes / 2);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<int16_t>(seed + static_cast<int>(i % 1000) * 31);
  return block;
}

// The core writes two blocks ahead of the cursor; whatever it writes there is played once the cursor gets
// there, whole, even when the cursor wraps around the end of the ring in between.
// At the default block and at the smallest (the low-latency ring of eight 1024-byte blocks).
TEST(SdlSoundDevice, RingCallbackPlaysTheBlockWrittenTwoAheadAndWrapsTheCursor) {
  for (const uint32_t frames : {kBlockFrames, 256u}) {
    const uint32_t blockBytes = frames * kFrameBytes, ringBytes = RingBytesFor(frames);
    // target: the block two ahead of the cursor's.
    struct Case { uint32_t startCursor, target; } cases[] = {{0, 2}, {5 * blockBytes + 100, 7}, {6 * blockBytes + 4, 0},
                                                             {ringBytes - 4, 1}};
    for (const Case& c : cases) {
      SCOPED_TRACE(std::to_string(frames) + " " + std::to_string(c.startCursor));
      auto ring = std::make_unique<AudioRing>();
      ring->size = ringBytes;
      ring->cursor = c.startCursor;
      std::vector<int16_t> block = LoudBlock(static_cast<int16_t>(c.target + 1));
      block.resize(blockBytes / 2);
      std::memcpy(ring->bytes.data() + c.target * blockBytes, block.data(), blockBytes);

      // Three blocks in callbacks of an odd size, so that one of them straddles the end of the ring.
      const uint32_t played3 = 3 * blockBytes;
      std::vector<uint8_t> played(played3);
      for (uint32_t at = 0; at < played3;) {
        const uint32_t n = std::min<uint32_t>(frames * 3 / 8 * 4, played3 - at);
        PlayRing(*ring, played.data() + at, static_cast<int>(n));
        at += n;
      }
      EXPECT_EQ(ring->cursor.load(), (c.startCursor + played3) % ringBytes);
      const uint32_t blockStartsAfter = (c.target * blockBytes + ringBytes - c.startCursor) % ringBytes;
      ASSERT_LE(blockStartsAfter + blockBytes, played3);
      EXPECT_EQ(0, std::memcmp(played.data() + blockStartsAfter, block.data(), blockBytes));
      for (uint32_t i = 0; i < blockStartsAfter; ++i) ASSERT_EQ(played[i], 0) << "at " << i;
    }
  }
}

// Writes a loud block two ahead of where a freshly opened device plays, as the core does, and lets the device
// play past it. Returns the ring block written: still on the device's first lap, so also its place in the file.
uint32_t PlayOneBlock(SdlSoundDevice& device, const std::vector<int16_t>& block) {
  const uint32_t target = TargetBlock(device.PlayCursor());
  EXPECT_TRUE(device.WriteBlock(target * kBlockBytes, block.data(), kBlockBytes));
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (device.PlayCursor() / kBlockBytes <= target && std::chrono::steady_clock::now() < giveUp)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the disk driver writes what it was handed
  return target;
}

// The file holds silence, then the whole block. SDL may put a buffer of silence of its own ahead of the ring's
// bytes (when its thread runs once before the device is unpaused), so the block may stand later than its ring
// place, never earlier.
void ExpectPlayedFromZero(const std::string& file, const std::vector<int16_t>& block, uint32_t target) {
  const std::vector<uint8_t> bytes = testing::ReadBytes(file);
  const auto loud = std::find_if(bytes.begin(), bytes.end(), [](uint8_t b) { return b != 0; });
  ASSERT_NE(loud, bytes.end()) << file << " holds only silence";
  const size_t at = static_cast<size_t>(loud - bytes.begin());
  EXPECT_GE(at, target * kBlockBytes) << file;
  ASSERT_GE(bytes.size(), at + kBlockBytes) << file;
  EXPECT_EQ(0, std::memcmp(bytes.data() + at, block.data(), kBlockBytes)) << file;
}

TEST(SdlSoundDevice, DiskDriverPlaysTheRingFromZeroBeforeAndAfterARateSwitch) {
  testing::TempDir dir;
  const std::string first = dir.File("44100.raw"), second = dir.File("22050.raw");
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", first.c_str(), 1);
  const std::vector<int16_t> block = LoudBlock(1000);
  uint32_t targets[2] = {};
  {
    std::string reason;
    std::unique_ptr<SdlSoundDevice> device = SdlSoundDevice::Open(44100, reason);
    ASSERT_TRUE(device) << reason;
    EXPECT_EQ(device->SampleRate(), 44100);
    targets[0] = PlayOneBlock(*device, block);

    setenv("SDL_DISKAUDIOFILE", second.c_str(), 1);
    ASSERT_TRUE(device->Recreate(22050)) << device->LastError();
    EXPECT_EQ(device->SampleRate(), 22050);
    targets[1] = PlayOneBlock(*device, block);
    EXPECT_FALSE(device->WriteBlock(kRingBytes - 4, block.data(), 8));  // would pass the end of the ring
  }
  ExpectPlayedFromZero(first, block, targets[0]);
  ExpectPlayedFromZero(second, block, targets[1]);  // the old ring's block is gone: the new device starts silent
}

TEST(SdlSoundDevice, NoAudioDriverGivesNoDeviceAndSaysWhy) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  std::string reason;
  EXPECT_EQ(SdlSoundDevice::Open(44100, reason), nullptr);
  EXPECT_FALSE(reason.empty());
}

std::vector<uint8_t> TakeAll(MidiInput& input) {
  std::vector<uint8_t> out(64);
  out.resize(input.TakeBytes(out));
  return out;
}

// Whole messages in order, taken in pieces as the idle step asks; a message that does not fit is dropped
// whole, so a full queue never leaves half a note.
TEST(MidiByteQueue, WholeMessagesInOrderAndNoneCut) {
  MidiByteQueue queue;
  const uint8_t on[] = {0x90, 60, 100}, off[] = {0x80, 60, 0};
  ASSERT_TRUE(queue.PushMessage(on, 3) && queue.PushMessage(off, 3));
  std::vector<uint8_t> got(4);
  ASSERT_EQ(queue.Take(got), 4u);
  got.resize(6);
  ASSERT_EQ(queue.Take(std::span(got).subspan(4)), 2u);
  EXPECT_EQ(got, (std::vector<uint8_t>{0x90, 60, 100, 0x80, 60, 0}));

  const std::vector<uint8_t> filler(4095, 0xF8);
  ASSERT_TRUE(queue.PushMessage(filler.data(), filler.size()));
  EXPECT_FALSE(queue.PushMessage(on, 3)) << "two of its bytes would have fitted";
  std::vector<uint8_t> all(8192);
  EXPECT_EQ(queue.Take(all), 4095u);
  EXPECT_TRUE(queue.PushMessage(on, 3)) << "room again once taken";  // and across the wrap of the indices
  EXPECT_EQ(queue.Take(all), 3u);
  EXPECT_EQ(std::vector<uint8_t>(all.begin(), all.begin() + 3), (std::vector<uint8_t>{0x90, 60, 100}));
}

// A keyboard-like port that appears after start-up is connected within a second, and its Note On arrives as
// the bytes of a Note On.
TEST(AlsaMidiInput, AHardwarePortPluggedInLaterPlaysIntoTonforge) {
  std::string reason;
  std::unique_ptr<AlsaMidiInput> input = AlsaMidiInput::Open(reason);
  if (!std::filesystem::exists("/dev/snd/seq")) {
    EXPECT_EQ(input, nullptr);
    EXPECT_FALSE(reason.empty());
    GTEST_SKIP() << "no ALSA sequencer here (/dev/snd/seq): " << reason;
  }
  ASSERT_NE(input, nullptr) << reason;
  snd_seq_t* keyboard = nullptr;
  ASSERT_GE(snd_seq_open(&keyboard, "default", SND_SEQ_OPEN_OUTPUT, 0), 0);
  snd_seq_set_client_name(keyboard, "Test keyboard");
  const int port = snd_seq_create_simple_port(keyboard, "Keys", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                              SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_HARDWARE);
  ASSERT_GE(port, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));  // the next scan connects it

  std::vector<uint8_t> got;
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (got.size() < 3 && std::chrono::steady_clock::now() < giveUp) {
    snd_seq_event_t ev;
    snd_seq_ev_clear(&ev);
    snd_seq_ev_set_source(&ev, port);
    snd_seq_ev_set_subs(&ev);
    snd_seq_ev_set_direct(&ev);
    snd_seq_ev_set_noteon(&ev, 0, 60, 100);
    if (got.empty()) snd_seq_event_output_direct(keyboard, &ev);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const std::vector<uint8_t> more = TakeAll(*input);
    got.insert(got.end(), more.begin(), more.end());
  }
  snd_seq_close(keyboard);
  EXPECT_EQ(got, (std::vector<uint8_t>{0x90, 60, 100}));
}

constexpr uint32_t kRed = 0xFFFF0000, kBlue = 0xFF0000FF;

TEST(SdlWindow, PresentsOnlyTheChangedRectanglesAndHandsUpItsEvents) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  std::string reason;
  std::unique_ptr<SdlWindow> window = SdlWindow::Open(reason);
  ASSERT_TRUE(window) << reason;
  const int w = window->Width(), h = window->Height();
  EXPECT_EQ(std::pair(w, h), std::pair(800, 560));  // the interface once: twice would not fit the dummy 1024 x 768

  std::vector<uint32_t> frame(static_cast<size_t>(w * h), kRed);
  ASSERT_TRUE(window->PresentAll(frame.data(), w, h));
  std::fill(frame.begin(), frame.end(), kBlue);
  const WindowRect changed[] = {{10, 20, 30, 40}, {w - 5, h - 5, 50, 50}, {-100, -100, 50, 50}};
  ASSERT_TRUE(window->Present(frame.data(), w, h, changed));

  const std::vector<uint32_t> shown = window->Snapshot();
  ASSERT_EQ(shown.size(), frame.size());
  auto at = [&](int x, int y) { return shown[static_cast<size_t>(y * w + x)] | 0xFF000000; };
  struct Probe { int x, y; uint32_t colour; } probes[] = {
      {10, 20, kBlue}, {39, 59, kBlue}, {9, 20, kRed}, {40, 59, kRed}, {39, 60, kRed},
      {w - 5, h - 5, kBlue}, {w - 1, h - 1, kBlue}, {w - 6, h - 1, kRed}, {0, 0, kRed}};
  for (const Probe& p : probes) EXPECT_EQ(at(p.x, p.y), p.colour) << p.x << "," << p.y;

  WindowEvent event;
  while (window->PollEvent(event)) {
  }
  EXPECT_FALSE(window->WaitForEvent(10, event));

  // A dropped file and a double click come up translated; dropped text is no file.
  SDL_Event events[3] = {};
  events[0].drop = {SDL_DROPTEXT, 0, SDL_strdup("some text"), 0};
  events[1].drop = {SDL_DROPFILE, 0, SDL_strdup("/home/me/Kick 2.flac"), 0};
  events[2].button = {SDL_MOUSEBUTTONDOWN, 0, 0, 0, SDL_BUTTON_LEFT, SDL_PRESSED, 2, 0, 30, 40};
  for (SDL_Event& e : events) ASSERT_EQ(SDL_PushEvent(&e), 1);
  ASSERT_TRUE(window->PollEvent(event));
  EXPECT_EQ(std::tuple(event.kind, event.path, event.clicks),
            std::tuple(WindowEventKind::DropFile, std::string("/home/me/Kick 2.flac"), 1));
  ASSERT_TRUE(window->PollEvent(event));
  EXPECT_EQ(std::tuple(event.kind, event.path, event.clicks), std::tuple(WindowEventKind::ButtonDown, "", 2));
  EXPECT_EQ(std::pair(event.x, event.y), std::pair(30, 40)) << "at 1x the window's point is the interface's";
  EXPECT_FALSE(window->PollEvent(event)) << "dropped text is not a file";

  // SDL turns an interrupt from the terminal into a quit request, which must reach the main loop.
  std::raise(SIGINT);
  ASSERT_TRUE(window->WaitForEvent(5000, event));  // a loaded machine may take a while; a pass returns at once
  EXPECT_EQ(event.kind, WindowEventKind::Quit);
}

// SDL's own fallback would be an invisible off-screen window; without a desktop the program must not start.
TEST(SdlWindow, NoDisplayGivesNoWindowAndSaysWhy) {
  std::vector<std::pair<std::string, std::string>> saved;
  for (const char* name : {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"}) {
    if (const char* value = std::getenv(name)) saved.emplace_back(name, value);
    unsetenv(name);
  }
  std::string reason;
  EXPECT_EQ(SdlWindow::Open(reason), nullptr);
  EXPECT_NE(reason.find("DISPLAY is not set"), std::string::npos) << reason;
  for (const auto& [name, value] : saved) setenv(name.c_str(), value.c_str(), 1);
}

TEST(SdlDialogs, EachChooserGetsTitleStartPathAndFilters) {
  const std::vector<FileFilter> songFilters = {{"Song Files (*.tes)", "*.tes"}, {"All Files (*.*)", "*.*"}};
  const FileDialogRequest load{"Load Song", "/home/u/Songs/", "", songFilters};
  const FileDialogRequest save{"Save Song", "/home/u/Songs", "tune.tes", songFilters};
  const FileDialogRequest bare{"Select Wave", "", "", {}};
  const std::string kdialogFilter = "*.tes|Song Files (*.tes)\n*|All Files (*.*)";
  struct Case { bool zenity; const FileDialogRequest& request; FileDialogKind kind; Argv expected; } cases[] = {
      {true, load, FileDialogKind::Open,
       {"zenity", "--file-selection", "--title=Load Song", "--filename=/home/u/Songs/",
        "--file-filter=Song Files (*.tes) | *.tes", "--file-filter=All Files (*.*) | *"}},
      {true, save, FileDialogKind::Save,
       {"zenity", "--file-selection", "--title=Save Song", "--filename=/home/u/Songs/tune.tes",
        "--file-filter=Song Files (*.tes) | *.tes", "--file-filter=All Files (*.*) | *", "--save",
        "--confirm-overwrite"}},
      {true, bare, FileDialogKind::Open, {"zenity", "--file-selection", "--title=Select Wave"}},
      {false, load, FileDialogKind::Open,
       {"kdialog", "--title", "Load Song", "--getopenfilename", "/home/u/Songs/", kdialogFilter}},
      {false, save, FileDialogKind::Save,
       {"kdialog", "--title", "Save Song", "--getsavefilename", "/home/u/Songs/tune.tes", kdialogFilter}},
      {false, bare, FileDialogKind::Open, {"kdialog", "--title", "Select Wave", "--getopenfilename", "."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request.title + (c.zenity ? " zenity" : " kdialog"));
    const Argv argv = c.zenity ? ZenityArguments("zenity", c.request, c.kind)
                               : KdialogArguments("kdialog", c.request, c.kind);
    EXPECT_EQ(argv, c.expected);
  }
}

std::string Script(const testing::TempDir& dir, const std::string& name, const std::string& body) {
  const std::string path = dir.File(name);
  std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
  return path;
}

std::string WaitForFile(const std::string& path) {
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!std::filesystem::exists(path) && std::chrono::steady_clock::now() < giveUp)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  const std::vector<uint8_t> bytes = testing::ReadBytes(path);
  std::filesystem::remove(path);
  return {bytes.begin(), bytes.end()};
}

// The fake choosers answer with the start path they were given, as a user would who just presses OK, so the
// answer must come back exactly as it went out; a non-zero exit is a cancel whatever was printed.
TEST(SdlDialogs, OddPathsRoundTripThroughChildProcesses) {
  testing::TempDir dir;
  const std::string zenity = Script(dir, "fake-zenity",
      "for a in \"$@\"; do case \"$a\" in --filename=*) printf '%s\\n' \"${a#--filename=}\";; esac; done");
  const std::string kdialog = Script(dir, "fake-kdialog", "printf '%s\\n' \"$4\"");
  const std::string cancel = Script(dir, "fake-cancel", "echo /chosen/anyway.tes; exit 1");
  const std::string missing = dir.File("not-installed");

  struct Case { std::string folder, name; } cases[] = {
      {"/home/u/it's \"quoted\"/", "a$b`c` \\n.tes"},
      {"/home/u/Müller/", "Ärger ß 日本.tes"},
      {"/home/u/-dash/", " semi;colon|pipe& *.tes"},
  };
  for (const Case& c : cases) {
    const std::string path = c.folder + c.name;
    SCOPED_TRACE(path);
    const FileDialogRequest request{"Save Song", c.folder, c.name, {{"Song Files (*.tes)", "*.tes"}}};
    EXPECT_EQ(SdlDialogs(FileChoosers{zenity, kdialog}).SaveFile(request), path);
    EXPECT_EQ(SdlDialogs(FileChoosers{missing, kdialog}).SaveFile(request), path);
    EXPECT_EQ(SdlDialogs(FileChoosers{cancel, kdialog}).SaveFile(request), std::nullopt);
    EXPECT_EQ(SdlDialogs(FileChoosers{missing, cancel}).OpenFile(request), std::nullopt);
  }
}

// Help opens through SDL_OpenURL, which runs the xdg-open found along PATH: a stand-in one receives the
// file's URL, which must decode to the path, odd letters and all. Without an opener, or without the file, a
// box says so and names the file.
TEST(SdlShell, OpensDocumentsByUrlAndSaysWhenItCannot) {
  testing::TempDir dir, bin;
  const std::string opened = dir.File("opened");
  Script(bin, "xdg-open",
         "printf '%s' \"$1\" > '" + opened + ".part' && /bin/mv '" + opened + ".part' '" + opened + "'");
  const std::string oldPath = getenv("PATH") != nullptr ? getenv("PATH") : "";
  auto decode = [](std::string url) {
    for (size_t i = url.find('%'); i != std::string::npos && i + 2 < url.size(); i = url.find('%', i + 1))
      url.replace(i, 3, 1, static_cast<char>(std::stoi(url.substr(i + 1, 2), nullptr, 16)));
    return url;
  };
  const struct { const char* name; bool exists, opener; bool opens; } cases[] = {
      {"My Help/it's \"quoted\" #1?.html", true, true, true},
      {"Müller/Ärger ß 日本 100%.html", true, true, true},
      {"missing.html", false, true, false},
      {"Help.html", true, false, false},
  };
  for (const auto& c : cases) {
    const std::string path = dir.File(c.name);
    if (c.exists) {
      std::filesystem::create_directories(std::filesystem::path(path).parent_path());
      std::ofstream(path) << "<html></html>";
    }
    setenv("PATH", ((c.opener ? bin.Root() + ":" : std::string()) + "/nowhere").c_str(), 1);
    testing::FakeDialogs dialogs;
    EXPECT_EQ(SdlShell(dialogs).OpenDocument(path), c.opens) << c.name;
    if (c.opens) {
      EXPECT_EQ(decode(WaitForFile(opened)), "file://" + path) << c.name;
      EXPECT_TRUE(dialogs.shown.empty()) << c.name;
    } else {
      EXPECT_EQ(dialogs.shown.size(), 1u) << c.name;
      const std::string said = dialogs.shown.empty() ? "" : dialogs.shown[0].text;
      EXPECT_NE(said.find(path), std::string::npos) << c.name;
    }
  }
  setenv("PATH", oldPath.c_str(), 1);
}

}  // namespace
}  // namespace tonforge
