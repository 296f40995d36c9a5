// Draws the three skin pictures from code and writes them under the program folder:
//   build/tonforge-make-skins app      ->  app/Skins/Skin.bmp, Deck.bmp, Splash.bmp
#include <cstdio>
#include <filesystem>
#include <string>

#include "ui/bmp.h"
#include "ui/skin_drawing.h"

int main(int argc, char** argv) {
  using namespace tonforge;
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s PROGRAM_FOLDER\n", argv[0]);
    return 2;
  }
  const std::filesystem::path folder = std::filesystem::path(argv[1]) / "Skins";
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  const struct {
    const char* name;
    Pixels picture;
  } files[] = {{"Skin.bmp", DrawSkinPicture(SkinPicture::Skin)},
               {"Deck.bmp", DrawSkinPicture(SkinPicture::Deck)},
               {"Splash.bmp", DrawSkinPicture(SkinPicture::Splash)}};
  for (const auto& f : files) {
    const std::string path = (folder / f.name).string();
    if (!WriteBmpFile(path, f.picture)) {
      std::fprintf(stderr, "Could not write %s\n", path.c_str());
      return 1;
    }
    std::printf("wrote %s\n", path.c_str());
  }
  return 0;
}
