// The keyboard as the program wires it: Scroll Lock opens Save Song, F2, F3 and F4 switch to 11025, 22050
// and 44100 Hz.
#include <gtest/gtest.h>

#include <memory>

#include "sequencer/keyboard_commands.h"
#include "sequencer/song.h"
#include "support/fake_dialogs.h"
#include "support/fake_keyboard.h"
#include "support/fake_shell.h"

namespace tonforge {
namespace {

TEST(KeyboardWiring, DefaultHooksSaveAndSwitchRate) {
  testing::FakeDialogs dialogs;
  auto app = std::make_unique<AppState>(dialogs);
  StartCore(*app, "/nonexistent");
  NewSong(*app);
  testing::FakeKeyboard keys;
  testing::FakeShell shell;
  KeyboardHandler handler(keys, shell);

  const struct {
    uint8_t key;
    int32_t rate;
  } rates[] = {{key::F3, 22050}, {key::F2, 11025}, {key::F4, 44100}};
  for (const auto& r : rates) {
    keys.Hold({r.key});
    PollKeyboard(*app, handler);
    keys.Hold({});
    PollKeyboard(*app, handler);
    EXPECT_EQ(app->rate.sampleRate, r.rate);
  }

  keys.Hold({key::ScrollLock});
  PollKeyboard(*app, handler);
  ASSERT_EQ(dialogs.requests.size(), 1u);  // cancelled: nothing written
  EXPECT_EQ(dialogs.requests[0].title, "Save Song");
}

}  // namespace
}  // namespace tonforge
