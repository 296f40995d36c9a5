#include <gtest/gtest.h>

#include <sys/stat.h>
#include <algorithm>
#include <unistd.h>

#include "shell/bytes.h"
#include "ui/pixels.h"
#include "support/ui_rig.h"
#include "ui/bmp.h"
#include "ui/captions.h"
#include "ui/skin_drawing.h"

namespace tonforge {
namespace {

using testing::UiRig;

constexpr int32_t kEvents = PanelIndex(Panel::EventList);  // a panel with no controls of its own yet

// Every pixel of the button's place equals its skin source, except the one magenta pixel planted in the
// source, where the deck shows through.
TEST(Drawing, ButtonsComeFromTheirStyleBlockAndMagentaShowsTheDeck) {
  struct Case { uint32_t style, kind; bool pressed; Rect source; };
  const Case cases[] = {
      {3, 2, true, {368, 48, 416, 64}},    // block 3 is the second column's first row; pressed is 32 lower
      {0, 4, false, {0, 0, 192, 16}},      {1, 0, true, {192, 96, 208, 112}},
      {5, 5, false, {448, 128, 480, 160}}, {2, 6, false, {208, 128, 224, 160}},
      {4, 3, true, {240, 112, 368, 128}},    {2, 1, false, {176, 144, 208, 160}},
  };
  for (const Case& c : cases) {
    UiRig rig;
    const Point planted{c.source.left + 2, c.source.top + 3};
    rig.ui.skins.skin.At(planted.x, planted.y) = kColourKey;
    Button b = MakeButton(0, {20, 40, 20 + c.source.Width(), 40 + c.source.Height()}, c.kind, c.style);
    if (c.pressed) b.flags |= ButtonFlag::Pressed;
    AddButton(rig.ui.panels[kEvents], b);
    ASSERT_TRUE(OpenPanel(rig.ui, kEvents));
    EXPECT_EQ(ButtonSource(c.style, c.kind, c.pressed), c.source);
    int mismatches = 0;
    for (int32_t y = 0; y < c.source.Height(); ++y)
      for (int32_t x = 0; x < c.source.Width(); ++x) {
        const Point at{20 + x, 40 + y};
        const bool isPlanted = x == 2 && y == 3;
        const uint32_t want = isPlanted ? rig.DeckAt(kEvents, at) : testing::SkinPattern(c.source.left + x, c.source.top + y);
        mismatches += rig.ScreenAt(kEvents, at) != want;
      }
    EXPECT_EQ(mismatches, 0) << "style " << c.style << " kind " << c.kind;
  }
}

// Knob, track and the erase under a moved knob; only the knob's place is presented again.
TEST(Drawing, KnobsMoveByEraseAndRedrawOfTheirOwnPlace) {
  UiRig rig;
  PanelWindow& p = rig.ui.panels[kEvents];
  AddValueControl(p, MakeValueControl(ValueFlag::Enabled | ValueFlag::Horizontal | ValueFlag::StartIsLower, 16, 60, 112,
                                      0, 64, 0));
  OpenPanel(rig.ui, kEvents);
  EXPECT_EQ(rig.ScreenAt(kEvents, {16 + 5, 60 + 3}), testing::SkinPattern(128 + 5, 80 + 3));  // the knob
  EXPECT_EQ(rig.ScreenAt(kEvents, {16 + 100, 60 + 3}), testing::SkinPattern(100, 352 + 3));  // the track
  TakeChangedRects(rig.ui);
  MovePointer(rig.ui, rig.Screen(kEvents, {30, 68}));
  PressPanel(rig.ui, kEvents, rig.Client(kEvents, {30, 68}));
  EXPECT_EQ(rig.ScreenAt(kEvents, {16 + 5, 60 + 3}), testing::SkinPattern(128 + 5, 112 + 3));  // dragged look
  MovePointer(rig.ui, rig.Screen(kEvents, {30 + 64, 68}));
  EXPECT_EQ(p.valueControls[0].knob, (Rect{64, 0, 112, 16}));
  EXPECT_EQ(p.valueControls[0].value, 64);
  // Where the knob was, the track piece under a knob (0, 352)-(48, 368) is drawn again.
  EXPECT_EQ(rig.ScreenAt(kEvents, {16 + 5, 60 + 3}), testing::SkinPattern(5, 352 + 3));
  const Rect knobArea = Rect{16, 60, 16 + 112, 76}.Offset(p.left, p.top);
  for (const Rect& r : TakeChangedRects(rig.ui)) EXPECT_EQ(Intersect(r, knobArea), r);
}

TEST(Drawing, TextColoursAreSampledAgainWhenTheSkinIsReplaced) {
  UiRig rig;
  PanelWindow& p = rig.ui.panels[kEvents];
  AddButton(p, MakeButton(1, {16, 40, 64, 56}, 2, ButtonStyle::Push));
  AddLabel(p, 2, {16, 80, 112, 96});
  Pixels replacement = rig.ui.skins.skin;
  replacement.At(352, 336) = 0x123456;
  replacement.At(384, 336) = 0x654321;
  const std::string path = testing::WriteTempFile("replacement_skin.bmp", testing::BmpBytes(replacement));
  ASSERT_TRUE(LoadSkinPicture(rig.ui.skins, SkinPicture::Skin, path));
  SampleColours(rig.ui.skins);
  OpenPanel(rig.ui, kEvents);
  // The stand-in font paints the first character's block at the text's left edge, one row below the top.
  const int32_t buttonTextLeft = 16 + (48 - 6 * 3) / 2;
  const int32_t labelTextLeft = 16 + (96 - 6 * 3) / 2;
  EXPECT_EQ(rig.ScreenAt(kEvents, {buttonTextLeft, 41}), 0x654321u);
  EXPECT_EQ(rig.ScreenAt(kEvents, {labelTextLeft, 81}), 0x123456u);
}

// A palette picture of `bits` per pixel (4 or 8), bottom-up, of a picture of at most 2^bits colours.
std::vector<uint8_t> PaletteBmpBytes(const Pixels& picture, uint32_t bits) {
  std::vector<uint32_t> colours;
  for (uint32_t c : picture.data)
    if (std::find(colours.begin(), colours.end(), c) == colours.end()) colours.push_back(c);
  const uint32_t rowBytes = (static_cast<uint32_t>(picture.width) * bits + 31) / 32 * 4;
  const uint32_t dataOffset = 54 + 4 * static_cast<uint32_t>(colours.size());
  std::vector<uint8_t> out(dataOffset + rowBytes * static_cast<uint32_t>(picture.height));
  out[0] = 'B', out[1] = 'M';
  PutU32(&out[2], static_cast<uint32_t>(out.size())), PutU32(&out[10], dataOffset), PutU32(&out[14], 40);
  PutU32(&out[18], static_cast<uint32_t>(picture.width)), PutU32(&out[22], static_cast<uint32_t>(picture.height));
  out[26] = 1, out[28] = static_cast<uint8_t>(bits);
  PutU32(&out[46], static_cast<uint32_t>(colours.size()));
  for (size_t i = 0; i < colours.size(); ++i) PutU32(&out[54 + 4 * i], colours[i]);
  for (int32_t y = 0; y < picture.height; ++y)
    for (int32_t x = 0; x < picture.width; ++x) {
      const auto index = static_cast<uint32_t>(
          std::find(colours.begin(), colours.end(), picture.At(x, y)) - colours.begin());
      const size_t bit = static_cast<size_t>(x) * bits;
      out[dataOffset + rowBytes * static_cast<size_t>(picture.height - 1 - y) + bit / 8] |=
          static_cast<uint8_t>(index << (8 - bits - bit % 8));
    }
  return out;
}

// Every file the skin cannot use leaves the picture as it was and says why; a file of another size is refused
// from its header, however many pixels it claims, and special files are refused without being read.
TEST(Bitmaps, UnusableFilesLeaveThePictureAndSayWhy) {
  Pixels exact(kSkinWidth, kSkinHeight);
  for (int32_t y = 0; y < exact.height; ++y)
    for (int32_t x = 0; x < exact.width; ++x) exact.At(x, y) = testing::DeckPattern(x, y);
  const Pixels small(kSkinWidth / 2, kSkinHeight / 2);
  Pixels sixteen(kSkinWidth, kSkinHeight);
  for (int32_t y = 0; y < sixteen.height; ++y)
    for (int32_t x = 0; x < sixteen.width; ++x) sixteen.At(x, y) = 0x110F0Du * static_cast<uint32_t>((x / 7 + y / 5) % 16);
  std::vector<uint8_t> truncated = testing::BmpBytes(exact);
  truncated.resize(truncated.size() - 10);
  std::vector<uint8_t> eightBit = testing::BmpBytes(exact);
  eightBit[28] = 8;
  std::vector<uint8_t> compressed = testing::BmpBytes(exact, 32);
  compressed[30] = 1;
  std::vector<uint8_t> noWidth = testing::BmpBytes(exact);
  noWidth[18] = noWidth[19] = 0;
  // A 16000 x 16000 picture's header, its 768 MB of pixels a hole in a sparse file.
  std::vector<uint8_t> huge = testing::BmpBytes(Pixels(1, 1));
  PutU32(&huge[18], 16000), PutU32(&huge[22], 16000);
  const std::string hugePath = testing::WriteTempFile("huge.bmp", huge);
  ASSERT_EQ(truncate(hugePath.c_str(), 54 + 48000LL * 16000), 0);
  const std::string fifo = ::testing::TempDir() + "skin_fifo.bmp";
  unlink(fifo.c_str());
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  const std::string notPicture = "Not an uncompressed BMP picture (1, 4, 8, 24 or 32 bits), or a damaged one";
  struct Case { const char* name; std::string path; std::string reason; const Pixels* picture = nullptr; };
  const Case cases[] = {
      {"empty", testing::WriteTempFile("empty.bmp", {}), notPicture},
      {"text", testing::WriteTempFile("text.bmp", {'h', 'e', 'l', 'l', 'o'}), notPicture},
      {"truncated", testing::WriteTempFile("truncated.bmp", truncated), notPicture},
      {"eight bits without a palette", testing::WriteTempFile("eight_bit.bmp", eightBit), notPicture},
      {"compressed", testing::WriteTempFile("compressed.bmp", compressed), notPicture},
      {"no width", testing::WriteTempFile("no_width.bmp", noWidth), notPicture},
      {"half size", testing::WriteTempFile("small.bmp", testing::BmpBytes(small)),
       "The picture is 240 x 184 pixels; 480 x 368 are required"},
      {"16000 x 16000", hugePath, "The picture is 16000 x 16000 pixels; 480 x 368 are required"},
      {"named pipe", fifo, "Not a regular file"},
      {"folder", ::testing::TempDir(), "Is a directory"},
      {"missing", ::testing::TempDir() + "no_such_file.bmp", "No such file or directory"},
      {"bottom-up 24 bits", testing::WriteTempFile("bottom_up_24.bmp", testing::BmpBytes(exact, 24, false)), ""},
      {"top-down 32 bits", testing::WriteTempFile("top_down_32.bmp", testing::BmpBytes(exact, 32, true)), ""},
      {"8-bit palette", testing::WriteTempFile("palette_8.bmp", PaletteBmpBytes(sixteen, 8)), "", &sixteen},
      {"4-bit palette", testing::WriteTempFile("palette_4.bmp", PaletteBmpBytes(sixteen, 4)), "", &sixteen},
  };
  for (const Case& c : cases) {
    Skins skins;
    testing::PaintPatterns(skins);
    const Pixels before = skins.skin;
    FileFailure failure;
    EXPECT_EQ(LoadSkinPicture(skins, SkinPicture::Skin, c.path, &failure), c.reason.empty()) << c.name;
    EXPECT_EQ(failure.reason, c.reason) << c.name;
    EXPECT_EQ(skins.skin.data, c.reason.empty() ? (c.picture ? c.picture : &exact)->data : before.data) << c.name;
  }
  unlink(fifo.c_str());
  unlink(hugePath.c_str());
}

// However long a line, the font is handed no more letters than the screen is pixels wide.
TEST(Drawing, TextCostsNoMoreThanTheScreenItCovers) {
  struct Measuring : testing::BlockText {
    std::size_t longest = 0;
    int TextWidth(std::string_view t) override { return longest = std::max(longest, t.size()), BlockText::TextWidth(t); }
    void DrawText(PixelView v, int x, int y, std::string_view t, uint32_t c) override {
      longest = std::max(longest, t.size());
      BlockText::DrawText(v, x, y, t, c);
    }
  } font;
  Pixels screen(640, 48);
  std::vector<Rect> changed;
  DrawTarget target{screen, {0, 0, 640, 48}, {}, changed};
  const std::string line(2 << 20, 'x');
  DrawTextLine(target, font, {-100, 0}, line, 0xFFFFFF);
  DrawTextCentred(target, font, {0, 20, 640, 40}, line, 0xFFFFFF);
  EXPECT_LE(font.longest, 640u);
  EXPECT_EQ(screen.At(639, 1), 0xFFFFFFu) << "the line still reaches the right edge";
}

TEST(Bitmaps, AnUnusableSkinIsNamedAndTheDrawnOneTakesItsPlace) {
  Skins skins;
  testing::PaintPatterns(skins);
  const std::vector<FileFailure> unusable = LoadSkins(skins, ::testing::TempDir() + "no_program_folder");
  ASSERT_EQ(unusable.size(), 3u);
  EXPECT_EQ(unusable[1].path + ": " + unusable[1].reason,
            ::testing::TempDir() + "no_program_folder/Skins/Deck.bmp: No such file or directory");
  EXPECT_EQ(skins.skin.data, DrawSkinPicture(SkinPicture::Skin).data);
  EXPECT_EQ(skins.deck.data, DrawSkinPicture(SkinPicture::Deck).data);
}

TEST(Captions, ALineLongerThanAnyFieldIsCutWhenRead) {
  std::string text = "first\r\n" + std::string(2 << 20, 'x') + "\nlast";
  const std::string path = testing::WriteTempFile("Captions.txt", std::vector<uint8_t>(text.begin(), text.end()));
  const CaptionTable table = ReadCaptionFile(path);
  EXPECT_EQ(table.lines, (std::vector<std::string>{"first", std::string(256, 'x'), "last"}));
  const std::string fifo = ::testing::TempDir() + "captions_fifo.txt";
  unlink(fifo.c_str());
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  EXPECT_TRUE(ReadCaptionFile(fifo).lines.empty()) << "a named pipe is refused without waiting for a writer";
  unlink(fifo.c_str());
}

TEST(Drawing, APanelInFrontIsNeverPaintedOver) {
  UiRig rig;
  OpenPanel(rig.ui, PanelIndex(Panel::ProgramList));
  OpenPanel(rig.ui, kEvents);
  // The event list is dragged up over the lower half of the program list, then the program list redraws.
  MovePanel(rig.ui, kEvents, {kClientOffset.x, 220 + kClientOffset.y});
  const Pixels before = rig.ui.screen;
  RequestRedraw(rig.ui, 1);
  const Rect front = PanelFrame(rig.ui.panels[kEvents]);
  int changedInFront = 0;
  for (int32_t y = front.top; y < front.bottom; ++y)
    for (int32_t x = front.left; x < front.right; ++x) changedInFront += rig.ui.screen.At(x, y) != before.At(x, y);
  EXPECT_EQ(changedInFront, 0);
  EXPECT_EQ(rig.ScreenAt(1, {100, 100}), rig.DeckAt(1, {100, 100}));
}

}  // namespace
}  // namespace tonforge

namespace tonforge {
namespace {

// Records the pieces of text handed to the rasteriser.
class RecordingText : public testing::BlockText {
public:
  void DrawText(PixelView view, int x, int y, std::string_view text, uint32_t colour) override {
    drawn.emplace_back(text);
    BlockText::DrawText(view, x, y, text, colour);
  }
  std::vector<std::string> drawn;
};

// Letters are 6 pixels apart in the stand-in font; the box runs from x 10 to 10 + width.
TEST(Drawing, TextWiderThanItsFieldKeepsItsStartAndFiguresStayWhole) {
  struct Case { const char* line; int32_t width; std::vector<std::string> drawn; std::vector<int32_t> lefts; };
  const Case cases[] = {
      {"Bass", 60, {"Bass"}, {28}},                                  // fits: centred
      {"Song Vol Slide", 60, {"Song Vo..."}, {10}},                  // a word: its start and an ellipsis
      {"-1200", 24, {"-", "1", "2", "0", "0"}, {10, 14, 19, 23, 28}},  // a figure: letters drawn closer
      {"-1200", 30, {"-1200"}, {10}},
  };
  for (const Case& c : cases) {
    Pixels screen(100, 20);
    std::vector<Rect> changed;
    DrawTarget target{screen, screen.Bounds(), {}, changed};
    RecordingText text;
    DrawTextCentred(target, text, {10, 0, 10 + c.width, 12}, c.line, 0xFFFFFF);
    EXPECT_EQ(text.drawn, c.drawn) << c.line;
    std::vector<int32_t> lefts;
    for (const Rect& r : changed) {
      lefts.push_back(r.left);
      EXPECT_LE(r.right, 10 + c.width) << c.line;
    }
    EXPECT_EQ(lefts, c.lefts) << c.line;
  }
}

}  // namespace
}  // namespace tonforge
