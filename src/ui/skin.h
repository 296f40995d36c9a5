#pragma once
// The three pictures everything is drawn from, the colours sampled from them, and where each look lies in
// the skin.
#include <cstdint>
#include <string>
#include <vector>

#include "shell/files.h"
#include "ui/pixels.h"

namespace tonforge {

inline constexpr int32_t kSkinWidth = 480, kSkinHeight = 368;
inline constexpr int32_t kDeckWidth = 544, kDeckHeight = 416;
inline constexpr int32_t kSplashWidth = 320, kSplashHeight = 170;

struct SkinColours {
  uint32_t first = 0;      // kept; nothing draws with it
  uint32_t label = 0;
  uint32_t button = 0;     // button and knob texts
  uint32_t songView = 0;   // the two colours of the song view's texts
  uint32_t songViewBar = 0;
  uint32_t splash = 0;
};

struct Skins {
  Pixels skin{kSkinWidth, kSkinHeight};
  Pixels deck{kDeckWidth, kDeckHeight};
  Pixels splash{kSplashWidth, kSplashHeight};
  SkinColours colours;
};

enum class SkinPicture { Skin, Deck, Splash };

// The pixel positions of the sampled colours.
inline constexpr Point kLabelColourPixel{352, 336};
inline constexpr Point kButtonColourPixel{384, 336};

// Loads "Skins/Skin.bmp", "Skins/Deck.bmp" and "Skins/Splash.bmp" under the folder; a file that cannot be
// used is listed with the reason and replaced by the picture drawn from code. Samples the colours afterwards.
std::vector<FileFailure> LoadSkins(Skins& skins, const std::string& programFolder);
// One picture from a BMP file of exactly the picture's size. False (and nothing changed) when the file is
// missing, short, of another size or not a BMP we can read; the failure says which.
bool LoadSkinPicture(Skins& skins, SkinPicture which, const std::string& path, FileFailure* failure = nullptr);
void SampleColours(Skins& skins);

// The skin rectangle of a button: its style block and frame kind, the pressed look 32 rows lower.
Rect ButtonSource(uint32_t style, uint32_t frameKind, bool pressed);

// Slider pieces in the skin.
Rect HorizontalTrackSource(int32_t length);
Rect VerticalTrackSource(int32_t length);
Rect HorizontalKnobSource(bool dragged);
Rect VerticalKnobSource(bool dragged);
inline constexpr Rect kHorizontalTrackUnderKnob{0, 352, 48, 368};
inline constexpr Rect kVerticalTrackUnderKnob{464, 0, 480, 16};

}  // namespace tonforge
