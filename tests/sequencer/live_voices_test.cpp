// Several notes at once from the computer keyboard and a MIDI keyboard: which voice each note takes, what a
// release, the sustain pedal and the silence commands do, and the single held voice of one-shot players.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "programs/program_list.h"
#include "sequencer/editing.h"
#include "sequencer/keyboard_commands.h"
#include "sequencer/midi_commands.h"
#include "support/fake_keyboard.h"
#include "support/fake_midi_input.h"
#include "support/fake_shell.h"
#include "support/song_rig.h"

namespace tonforge {
namespace {

using Keys = std::vector<uint8_t>;
using Bytes = std::vector<uint8_t>;
using Pitches = std::vector<int32_t>;

// Key pitches at the first octave, and MIDI notes 60, 64 and 67.
constexpr int32_t kZ = 50, kC = 450, kB = 750, kM = 1150, kNote60 = 2450, kNote64 = 2850;

struct VoiceRig : testing::SongRig {
  VoiceRig(int32_t voices, bool keysHold) : SongRigOf(1, 3) {
    StartCore(app, "/opt/tonforge");
    SelectTrack(app, 1);
    EXPECT_TRUE(SetLiveVoiceCount(app, voices));
    app.live.keysHold = keysHold ? 1 : 0;
  }
  // One pass of the idle step: exactly these keys down, then the MIDI bytes.
  void Pass(const Keys& down, const Bytes& bytes) {
    keyboard.keys.fill(0);
    for (uint8_t k : down) keyboard.keys[k] = kKeyDownBit;
    PollKeyboard(app, keys);
    for (uint8_t b : bytes) midi.Send({b});
    PollMidi(app, handler);
  }
  Pitches Sounding() const {
    Pitches p;
    for (const LiveVoice& v : app.live.voices)
      if (v.liveFlag != 0) p.push_back(v.livePitch);
    std::sort(p.begin(), p.end());
    return p;
  }
  int Fading() const {
    return static_cast<int>(std::count_if(app.live.voices.begin(), app.live.voices.end(),
                                          [](const LiveVoice& v) { return v.liveFlag == 0 && v.fadeLeft != 0; }));
  }

  testing::FakeKeyboard keyboard;
  testing::FakeShell shell;
  KeyboardHandler keys{keyboard, shell, {}};
  testing::FakeMidiInput midi;
  MidiHandler handler{midi};
};

// Each script runs pass by pass; after each pass the pitches still held and the count of fading voices.
TEST(LiveVoices, NotesTakeReleaseStealAndSustainVoices) {
  struct Step {
    Keys down;
    Bytes midi;
    Pitches sounding;
    int fading;
  };
  struct Script {
    const char* name;
    int32_t voices;
    bool keysHold;
    std::vector<Step> steps;
  };
  const Script scripts[] = {
      {"a chord on three voices; a fourth note takes the oldest",
       3,
       false,
       {{{key::Z}, {}, {kZ}, 0},
        {{key::Z, key::C}, {}, {kZ, kC}, 0},
        {{key::Z, key::C, key::B}, {}, {kZ, kC, kB}, 0},
        {{key::Z, key::C, key::B, key::M}, {}, {kC, kB, kM}, 0},
        {{key::C, key::B, key::M}, {}, {kC, kB, kM}, 0},  // Z's voice now belongs to M
        {{key::B, key::M}, {}, {kB, kM}, 1},
        {{}, {}, {}, 3}}},
      {"a released key's fading voice is taken only when none is free",
       2,
       false,
       {{{key::Z}, {}, {kZ}, 0}, {{}, {}, {}, 1}, {{key::C}, {}, {kC}, 1}, {{key::C, key::B}, {}, {kC, kB}, 0}}},
      {"the sustain pedal holds released MIDI notes until it is lifted",
       4,
       false,
       {{{}, {0x90, 60, 100}, {kNote60}, 0},
        {{}, {0xB0, 64, 127}, {kNote60}, 0},
        {{}, {0x80, 60, 0}, {kNote60}, 0},
        {{}, {0x90, 64, 100}, {kNote60, kNote64}, 0},
        {{}, {0xB0, 64, 0}, {kNote64}, 1},
        {{}, {0x90, 67, 0}, {kNote64}, 1},  // a release of a note not played changes nothing
        {{}, {0x90, 64, 0}, {}, 2}}},
      {"the pedal holds released keys too",
       4,
       false,
       {{{key::Z}, {0xB0, 64, 100}, {kZ}, 0}, {{}, {}, {kZ}, 0}, {{}, {0xB0, 64, 10}, {}, 1}}},
      {"all-notes-off, all-sound-off and Space silence every voice at once",
       4,
       false,
       {{{key::Z, key::C}, {0x90, 60, 100}, {kZ, kC, kNote60}, 0},
        {{key::Z, key::C}, {0xB0, 123, 0}, {}, 0},
        {{}, {0x90, 60, 100, 0x90, 64, 90}, {kNote60, kNote64}, 0},
        {{}, {0xB3, 120, 0}, {}, 0},
        {{key::B}, {0x90, 60, 100}, {kB, kNote60}, 0},
        {{key::B, key::Space}, {}, {}, 0}}},
      {"one voice held by the keys, as the plain instrument plays",
       1,
       true,
       {{{key::Z}, {}, {kZ}, 0},
        {{key::Z, key::C}, {}, {kC}, 0},
        {{}, {}, {kC}, 0},
        {{}, {0x90, 60, 100}, {kNote60}, 0},
        {{}, {0x80, 60, 0}, {}, 1}}},
      {"held keys on many voices sound until Space",
       16,
       true,
       {{{key::Z, key::C}, {}, {kZ, kC}, 0}, {{}, {}, {kZ, kC}, 0}, {{key::Space}, {}, {}, 0}}},
  };
  for (const Script& s : scripts) {
    VoiceRig rig(s.voices, s.keysHold);
    int n = 0;
    for (const Step& step : s.steps) {
      rig.Pass(step.down, step.midi);
      EXPECT_EQ(rig.Sounding(), step.sounding) << s.name << ", pass " << n;
      EXPECT_EQ(rig.Fading(), step.fading) << s.name << ", pass " << n;
      ++n;
    }
  }
  // The count the command line can ask for is held to 1..64.
  VoiceRig rig(1, false);
  for (const auto& [asked, got] : {std::pair{0, 1}, {5, 5}, {64, 64}, {65, 64}}) {
    EXPECT_TRUE(SetLiveVoiceCount(rig.app, asked));
    EXPECT_EQ(rig.app.live.voices.size(), static_cast<size_t>(got)) << asked;
  }
}

}  // namespace
}  // namespace tonforge
