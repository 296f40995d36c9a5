// Draws the three skin pictures from code and writes them under the program folder:
//   build/tonforge-make-skins app      ->  app/Skins/Skin.bmp, Deck.bmp, Splash.bmp
#include <cstdio>
#include <filesystem>
#include <string>

#include "png_file.h"
#include "shell/command_line.h"
#include "ui/bmp.h"
#include "ui/skin_drawing.h"

namespace {

constexpr char kUsage[] =
    "usage: tonforge-make-skins PROGRAM_FOLDER\n"
    "       tonforge-make-skins --icons FOLDER\n"
    "Draws the skin pictures Skin.bmp, Deck.bmp and Splash.bmp into the folder's Skins/, or the desktop icons\n"
    "(the splash's emblem) as FOLDER/NxN/apps/tonforge.png at 48, 128 and 256 pixels.\n"
    "  --icons FOLDER  the icons instead of the skins\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace tonforge;
  static constexpr CommandOption kOptions[] = {{"icons", true}};
  const CommandLine line = ReadCommandLine(argc, argv, kOptions);
  if (const auto early = AnswerEarly(line, "tonforge-make-skins", kUsage)) return Finish(*early);
  if (const auto icons = line.Value("icons")) {
    if (!line.operands.empty()) return Finish(Refuse("tonforge-make-skins", "--icons takes no PROGRAM_FOLDER", kUsage));
    for (const int size : {48, 128, 256}) {
      const std::string name = std::to_string(size) + "x" + std::to_string(size);
      const std::filesystem::path folder = std::filesystem::path(*icons) / name / "apps";
      std::error_code error;
      std::filesystem::create_directories(folder, error);
      const std::string path = (folder / "tonforge.png").string();
      if (!WritePngFile(path, DrawIcon(size))) {
        std::fprintf(stderr, "Could not write %s\n", path.c_str());
        return 1;
      }
    }
    return 0;
  }
  if (line.operands.size() != 1)
    return Finish(Refuse("tonforge-make-skins", line.operands.empty() ? "missing PROGRAM_FOLDER" : "too many folders", kUsage));
  const std::filesystem::path folder = std::filesystem::path(line.operands[0]) / "Skins";
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
