// Writes the render benches' reference song to a song file, so that the running program and tonforge-latency
// can play the very song the benches render:
//   build/bench/tonforge-reference-song TRACKS OUT.tes
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_support.h"
#include "reference_song.h"
#include "sequencer/song_file.h"

int main(int argc, char** argv) {
  using namespace tonforge;
  const int tracks = argc == 3 ? std::atoi(argv[1]) : 0;
  if (tracks < 1 || tracks > 256) {
    std::fprintf(stderr, "usage: tonforge-reference-song TRACKS OUT.tes   (TRACKS 1 to 256)\n");
    return 2;
  }
  bench::SilentDialogs dialogs;
  auto app = bench::ReferenceSong(dialogs, tracks);
  if (SaveSongFile(*app, argv[2]) != SongFileResult::Done) {
    std::fprintf(stderr, "tonforge-reference-song: could not write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
