// Writes the render benches' reference song to a song file, so that the running program and tonforge-latency
// can play the very song the benches render.
#include <cstdio>
#include <string>

#include "bench_support.h"
#include "reference_song.h"
#include "sequencer/song_file.h"
#include "shell/command_line.h"

namespace {

constexpr char kUsage[] =
    "usage: tonforge-reference-song TRACKS OUT.tes\n"
    "Writes the render benches' reference song with TRACKS tracks (1 to 256) to OUT.tes.\n"
    "  --help     print this help and exit\n"
    "  --version  print the version and exit\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace tonforge;
  constexpr char kTool[] = "tonforge-reference-song";
  const CommandLine line = ReadCommandLine(argc, argv, {});
  if (const auto early = AnswerEarly(line, kTool, kUsage)) return Finish(*early);
  if (line.operands.size() != 2) return Finish(Refuse(kTool, "TRACKS and OUT.tes are both needed", kUsage));
  const auto tracks = WholeNumber(line.operands[0], 1, 256);
  if (!tracks) return Finish(Refuse(kTool, "TRACKS must be a whole number from 1 to 256", kUsage));
  bench::SilentDialogs dialogs;
  auto app = bench::ReferenceSong(dialogs, static_cast<int32_t>(*tracks), true);
  if (SaveSongFile(*app, line.operands[1]) != SongFileResult::Done) {
    std::fprintf(stderr, "%s: could not write %s\n", kTool, line.operands[1].c_str());
    return 1;
  }
  return 0;
}
