// Draws the interface with the real skins, captions and font, with no display, into a PNG:
//   cd app && ../build/tonforge-snapshot ../start-up.png            the start-up layout with the splash
//   cd app && ../build/tonforge-snapshot ../panel.png --panel 7     one panel alone
//   cd app && ../build/tonforge-snapshot ../looks.png --sampler     every look of the skin on one panel
//   add --song SONG.tes to show that song instead of Songs/Demo.tes
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/app_state.h"
#include "png_file.h"
#include "platform/sdl/sdl_text.h"
#include "programs/program_list.h"
#include "sequencer/song.h"
#include "sequencer/song_file.h"
#include "shell/command_line.h"
#include "ui/app_link.h"
#include "ui/draw.h"
#include "ui/panels.h"
#include "ui/panels/build.h"
#include "ui/ui.h"

namespace {

// The snapshot asks nothing and shows nothing: a message would only say the demo song is missing.
class SilentDialogs : public tonforge::Dialogs {
public:
  void ShowMessage(std::string_view, std::string_view, tonforge::BoxIcon) override {}
  bool AskYesNo(std::string_view, std::string_view) override { return false; }
  std::optional<std::string> OpenFile(const tonforge::FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> SaveFile(const tonforge::FileDialogRequest&) override { return std::nullopt; }
};

constexpr int kLayoutWidth = 800, kLayoutHeight = 560;

constexpr char kUsage[] =
    "usage: tonforge-snapshot OUT.png [--panel N | --sampler] [--song SONG.tes]\n"
    "Draws the interface with the skins, captions and font of the current folder, the program folder (app/ in\n"
    "the sources), with no display, into a PNG picture.\n"
    "  --panel N        one panel alone, 0 to 9 (default: the start-up layout with the splash)\n"
    "  --sampler        every button style, knob and slider of the skin on one panel\n"
    "  --song SONG.tes  the song the panels show (default: Songs/Demo.tes)\n"
    "  --help           print this help and exit\n"
    "  --version        print the version and exit\n";

constexpr tonforge::CommandOption kOptions[] = {{"panel", true}, {"sampler", false}, {"song", true}};

// Fills the engine editor's place with one control of every style and frame kind, normal and pressed, and
// both sliders, so that a restyled skin can be judged at a glance.
void BuildSampler(tonforge::Ui& ui) {
  using namespace tonforge;
  PanelWindow& p = ui.panels[8];
  p.title = "Skin Sampler";
  const int32_t captions[6] = {29, 31, 65, 38, 34, 60};
  for (uint32_t style = 0; style < 6; ++style) {
    const int32_t y = 32 + static_cast<int32_t>(style) * 40;
    for (int pressed = 0; pressed < 2; ++pressed) {
      const int32_t y0 = y + pressed * 18;
      Button row = MakeButton(captions[style], {16, y0, 208, y0 + 16}, 4, style);
      Button wide = MakeButton(captions[style], {216, y0, 344, y0 + 16}, 3, style);
      Button push = MakeButton(captions[style], {352, y0, 400, y0 + 16}, 2, style);
      Button small = MakeButton(91, {408, y0, 440, y0 + 16}, 1, style);
      Button arrow = MakeButton(0, {448, y0, 464, y0 + 16}, 0, style);
      for (Button* b : {&row, &wide, &push, &small, &arrow}) {
        if (pressed) b->flags |= ButtonFlag::Pressed;
        AddButton(p, *b);
      }
    }
    Button chain = MakeButton(0, {472, y, 504, y + 32}, 5, style);
    chain.text = "Flt";
    AddButton(p, chain);
    AddButton(p, MakeButton(0, {512, y, 528, y + 32}, 6, style));
  }
  AddValueControl(p, MakeValueControl(ValueFlag::Enabled | ValueFlag::Horizontal | ValueFlag::StartIsLower, 16, 280,
                                      200, 0, 100, 40));
  ValueControl dragged = MakeValueControl(ValueFlag::Enabled | ValueFlag::Horizontal | ValueFlag::StartIsLower |
                                              ValueFlag::ShowNoteName, 16, 304, 200, 0, 6099, 4850);
  dragged.flags |= ValueFlag::Dragged;
  AddValueControl(p, dragged);
  for (int k = 0; k < 3; ++k)
    AddValueControl(p, MakeValueControl(ValueFlag::Enabled | ValueFlag::Vertical | ValueFlag::StartIsUpper,
                                        240 + 48 * k, 272, 112, 100, -100, 50 - 60 * k));
  for (int k = 0; k < 3; ++k) AddLabel(p, 26 + k, {232 + 48 * k, 384, 280 + 48 * k, 400});
  AddLabel(p, 56, {16, 328, 216, 344});
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tonforge;
  const CommandLine line = ReadCommandLine(argc, argv, kOptions);
  if (const auto early = AnswerEarly(line, "tonforge-snapshot", kUsage)) return Finish(*early);
  auto refuse = [](std::string_view what) { return Finish(Refuse("tonforge-snapshot", what, kUsage)); };
  if (line.operands.size() != 1) return refuse(line.operands.empty() ? "missing OUT.png" : "too many files: " + line.operands[1]);
  const std::string out = line.operands[0];
  const bool sampler = line.Has("sampler");
  int panel = sampler ? 8 : -1;
  if (const auto number = line.Value("panel")) {
    if (sampler) return refuse("--panel and --sampler exclude each other");
    const auto n = WholeNumber(*number, 0, kPanelCount - 1);
    if (!n) return refuse("--panel must be a number from 0 to 9");
    panel = static_cast<int>(*n);
  }
  const std::string song = line.Value("song").value_or("");  // empty: the demo song when there is one
  for (const char* needed : {"Skins/Skin.bmp", "Skins/Deck.bmp", "Skins/Splash.bmp", "Captions.txt"})
    if (!std::filesystem::exists(needed))
      std::fprintf(stderr, "%s is missing here; run the snapshot in the program folder (app/).\n", needed);
  SdlTextRasterizer text;
  if (!text.Ready()) std::fprintf(stderr, "%s; texts are left out.\n", text.Problem().c_str());
  SilentDialogs dialogs;
  AppState app(dialogs);
  StartCore(app, ".");
  NewSong(app);
  // The panels show a song, the demo unless another is named, so that the song view and the lists have
  // something in them. A named song that cannot be read is an error: the picture would not show it.
  if (!song.empty()) {
    if (LoadSongFile(app, song) != SongFileResult::Done) {
      std::fprintf(stderr, "%s could not be loaded; no picture written.\n", song.c_str());
      return 1;
    }
  } else if (LoadSongFile(app, "Songs/Demo.tes") != SongFileResult::Done) {
    std::fprintf(stderr, "Songs/Demo.tes not loaded.\n");
  }
  Ui ui;
  StartUi(ui, kLayoutWidth, kLayoutHeight, ".", text);
  ConnectUi(ui, app);
  BuildPanelControls(ui, app);
  // The track panel and the event list show the demo's first normal track; the song panel stands in for the
  // track panel on the GlobalTrack.
  if ((panel == 3 || panel == 5) && app.song.tracks.Count() > 1) app.song.currentTrack = 1;
  // The program editor shows its chain being edited; the engine editor the engine of the song's programs that
  // holds the most DataSlots, so that its slot blocks show (the first engine of the first program when no
  // engine holds any).
  if (panel == 4) app.chainEditor = {ChainMode::Program, 1};
  if (panel == 8 && !sampler && !app.song.programs.empty()) {
    int most = 0;
    int32_t program = 0, position = 0;
    for (size_t i = 0; i < app.song.programs.size(); ++i)
      for (int32_t p = 0; p < kChainLength; ++p) {
        int loaded = 0;
        for (const DataSlot& slot : app.song.programs[i]->engines[p].slots) loaded += slot.loaded != 0 ? 1 : 0;
        if (loaded > most) {
          most = loaded;
          program = static_cast<int32_t>(i);
          position = p;
        }
      }
    SelectProgram(app, program);
    app.chainEditor = {ChainMode::Program, position};
  }
  Pixels picture;
  if (panel < 0) {
    OpenStartupPanels(ui);
    picture = ui.screen;
  } else {
    if (sampler) BuildSampler(ui);
    OpenPanel(ui, panel);
    DrawAll(ui);
    const Rect frame = PanelFrame(ui.panels[panel]);
    picture = Pixels(frame.Width(), frame.Height());
    for (int y = 0; y < frame.Height(); ++y)
      for (int x = 0; x < frame.Width(); ++x) picture.At(x, y) = ui.screen.At(frame.left + x, frame.top + y);
  }
  if (!WritePngFile(out, picture)) {
    std::fprintf(stderr, "Could not write %s\n", out.c_str());
    return 1;
  }
  return 0;
}
