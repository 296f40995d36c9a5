#include "ui/skin.h"

#include <array>
#include <utility>

#include "ui/bmp.h"
#include "ui/skin_drawing.h"

namespace tonforge {

namespace {

constexpr int32_t kBlockWidth = 240, kBlockHeight = 64, kPressedDrop = 32, kStyleCount = 6;
constexpr std::array<Rect, 7> kFrameSources{{
    {192, 0, 208, 16},   // arrow buttons
    {176, 16, 208, 32},
    {128, 16, 176, 32},  // push buttons
    {0, 16, 128, 32},
    {0, 0, 192, 16},     // list rows, name fields
    {208, 0, 240, 32},   // chain positions
    {208, 0, 224, 32},
}};

Pixels& Picture(Skins& skins, SkinPicture which) {
  switch (which) {
    case SkinPicture::Skin: return skins.skin;
    case SkinPicture::Deck: return skins.deck;
    case SkinPicture::Splash: break;
  }
  return skins.splash;
}

}  // namespace

bool LoadSkinPicture(Skins& skins, SkinPicture which, const std::string& path, FileFailure* failure) {
  Pixels& picture = Picture(skins, which);
  std::optional<Pixels> loaded = ReadBmpFileAtSize(path, picture.width, picture.height, failure);
  if (!loaded) return false;
  picture = std::move(*loaded);
  return true;
}

void SampleColours(Skins& skins) {
  SkinColours& c = skins.colours;
  c.first = skins.skin.At(320, 336);
  c.label = skins.skin.At(kLabelColourPixel.x, kLabelColourPixel.y);
  c.button = skins.skin.At(kButtonColourPixel.x, kButtonColourPixel.y);
  c.songView = skins.skin.At(416, 336);
  c.songViewBar = skins.skin.At(448, 336);
  c.splash = skins.splash.At(0, 0);
}

std::vector<FileFailure> LoadSkins(Skins& skins, const std::string& programFolder) {
  const std::string folder = programFolder.empty() ? std::string("Skins/") : programFolder + "/Skins/";
  std::vector<FileFailure> unusable;
  for (const auto& [which, name] : {std::pair{SkinPicture::Skin, "Skin.bmp"}, std::pair{SkinPicture::Deck, "Deck.bmp"},
                                    std::pair{SkinPicture::Splash, "Splash.bmp"}}) {
    FileFailure failure;
    if (LoadSkinPicture(skins, which, folder + name, &failure)) continue;
    unusable.push_back(failure);
    Picture(skins, which) = DrawSkinPicture(which);
  }
  SampleColours(skins);
  return unusable;
}

Rect ButtonSource(uint32_t style, uint32_t frameKind, bool pressed) {
  const int32_t s = static_cast<int32_t>(style % kStyleCount);
  const Rect frame = kFrameSources[frameKind < kFrameSources.size() ? frameKind : 0];
  return frame.Offset((s / 3) * kBlockWidth, (s % 3) * kBlockHeight + (pressed ? kPressedDrop : 0));
}

Rect HorizontalTrackSource(int32_t length) { return {0, 352, length, 368}; }
Rect VerticalTrackSource(int32_t length) { return {464, 0, 480, length}; }
Rect HorizontalKnobSource(bool dragged) { return Rect{128, 80, 176, 96}.Offset(0, dragged ? kPressedDrop : 0); }
Rect VerticalKnobSource(bool dragged) { return Rect{176, 80, 208, 96}.Offset(0, dragged ? kPressedDrop : 0); }

}  // namespace tonforge
