#include "platform/sdl/sdl_text.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <filesystem>
#include <string>

namespace tonforge {

namespace {

constexpr int kLineHeight = 12;

}  // namespace

struct SdlTextRasterizer::Face {
  TTF_Font* font = nullptr;
  ~Face() {
    if (font != nullptr) TTF_CloseFont(font);
    TTF_Quit();
  }
};

namespace {

// Where fonts-wine puts its Tahoma-compatible face; fontconfig does not look there by itself.
constexpr const char* kWineTahoma = "/usr/share/wine/fonts/tahoma.ttf";

// fontconfig's best match for a family as "family\nfile", or empty.
std::string AskFontconfig(const std::string& family) {
  if (FcInit() == FcFalse) return {};
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str()));
  if (pattern == nullptr) return {};
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return {};
  FcChar8* matched = nullptr;
  FcChar8* file = nullptr;
  std::string answer;
  if (FcPatternGetString(match, FC_FAMILY, 0, &matched) == FcResultMatch &&
      FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
    answer = std::string(reinterpret_cast<const char*>(matched)) + "\n" + reinterpret_cast<const char*>(file);
  FcPatternDestroy(match);
  return answer;
}

}  // namespace

std::string MatchFontFile(const std::string& family) {
  const std::string answer = AskFontconfig(family);
  const size_t newline = answer.find('\n');
  const std::string matched = newline == std::string::npos ? std::string() : answer.substr(0, newline);
  const std::string file = newline == std::string::npos ? std::string() : answer.substr(newline + 1);
  if (matched == family || family != "Tahoma") return file;
  std::error_code error;
  if (std::filesystem::exists(kWineTahoma, error)) return kWineTahoma;
  return file;
}

SdlTextRasterizer::SdlTextRasterizer() {
  if (TTF_Init() != 0) {
    problem_ = std::string("Could not start SDL_ttf: ") + TTF_GetError();
    return;
  }
  face_ = std::make_unique<Face>();
  for (const char* family : {"Tahoma", "sans-serif"}) {
    fontFile_ = MatchFontFile(family);
    if (!fontFile_.empty()) break;
  }
  if (fontFile_.empty()) {
    problem_ = "No font found (is fontconfig installed?)";
    return;
  }
  // The line, not the em, is 12 pixels: the largest size whose line fits.
  for (int size = kLineHeight; size >= 6; --size) {
    if (face_->font != nullptr) TTF_CloseFont(face_->font);
    face_->font = TTF_OpenFont(fontFile_.c_str(), size);
    if (face_->font == nullptr) break;
    if (TTF_FontHeight(face_->font) <= kLineHeight + 1) break;
  }
  if (face_->font == nullptr) {
    problem_ = "Could not open the font " + fontFile_ + ": " + TTF_GetError();
    return;
  }
  TTF_SetFontHinting(face_->font, TTF_HINTING_NORMAL);
}

SdlTextRasterizer::~SdlTextRasterizer() = default;

bool SdlTextRasterizer::Ready() const { return face_ != nullptr && face_->font != nullptr; }

int SdlTextRasterizer::TextWidth(std::string_view text) {
  if (!Ready() || text.empty()) return 0;
  const std::string line(text);
  int w = 0, h = 0;
  return TTF_SizeUTF8(face_->font, line.c_str(), &w, &h) == 0 ? w : 0;
}

int SdlTextRasterizer::LineHeight() { return Ready() ? TTF_FontHeight(face_->font) : kLineHeight; }

void SdlTextRasterizer::DrawText(PixelView view, int x, int y, std::string_view text, uint32_t colour) {
  if (!Ready() || text.empty()) return;
  const std::string line(text);
  const SDL_Color c{static_cast<Uint8>(colour >> 16), static_cast<Uint8>(colour >> 8), static_cast<Uint8>(colour), 255};
  SDL_Surface* rendered = TTF_RenderUTF8_Blended(face_->font, line.c_str(), c);
  if (rendered == nullptr) return;
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(rendered);
  if (argb == nullptr) return;
  SDL_LockSurface(argb);
  for (int row = 0; row < argb->h; ++row) {
    const int ty = y + row;
    if (ty < 0 || ty >= view.height) continue;
    const auto* source = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(argb->pixels) + row * argb->pitch);
    uint32_t* dest = view.pixels + static_cast<ptrdiff_t>(ty) * view.stride;
    for (int col = 0; col < argb->w; ++col) {
      const int tx = x + col;
      if (tx < 0 || tx >= view.width) continue;
      const uint32_t alpha = source[col] >> 24;
      if (alpha == 0) continue;
      const uint32_t under = dest[tx];
      uint32_t mixed = 0;
      for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t a = (colour >> shift) & 0xFF, b = (under >> shift) & 0xFF;
        mixed |= ((a * alpha + b * (255 - alpha) + 127) / 255) << shift;
      }
      dest[tx] = mixed;
    }
  }
  SDL_UnlockSurface(argb);
  SDL_FreeSurface(argb);
}

}  // namespace tonforge
