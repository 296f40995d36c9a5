#pragma once
// The interface's font: the face fontconfig matches for "Tahoma" (with fonts-wine installed, its
// Tahoma-compatible face; otherwise the nearest sans), at a 12-pixel line, rasterised by SDL2_ttf.
#include <memory>
#include <string>

#include "shell/devices/text.h"

namespace tonforge {

class SdlTextRasterizer final : public TextRasterizer {
public:
  SdlTextRasterizer();
  ~SdlTextRasterizer() override;
  SdlTextRasterizer(const SdlTextRasterizer&) = delete;
  SdlTextRasterizer& operator=(const SdlTextRasterizer&) = delete;

  // False when no face could be opened: texts are then left out and `Problem` says why.
  bool Ready() const;
  const std::string& Problem() const { return problem_; }
  const std::string& FontFile() const { return fontFile_; }

  int TextWidth(std::string_view text) override;
  int LineHeight() override;
  void DrawText(PixelView view, int x, int y, std::string_view text, uint32_t colour) override;

private:
  struct Face;
  std::unique_ptr<Face> face_;
  std::string problem_;
  std::string fontFile_;
};

// The file fontconfig matches for a family (for "Tahoma" the face of fonts-wine when fontconfig knows no
// Tahoma), or empty when fontconfig finds nothing.
std::string MatchFontFile(const std::string& family);

}  // namespace tonforge
