// Writes a realistic MIDI text score of about the requested number of event
// lines to standard output: several named tracks of melody and chords, notes
// ended both by "Off ... v=64" and "On ... v=0", repeated notes and shared
// ticks, program changes, controllers and pitch bends. The same size always
// gives the same score.
//
//   generate_score 1000000 > score.txt

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kTracks = 8;
constexpr int kDivision = 480;

void track(std::FILE* out, int index, long events, std::mt19937& random) {
  auto pick = [&random](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  const int channel = index + 1;
  std::fprintf(out, "MTrk\n0 Meta TrkName Part%d Voice\n", index + 1);
  std::fprintf(out, "0 PrCh ch=%d p=%d\n0 Par ch=%d c=7 v=100\n", channel,
               pick(0, 127), channel);
  long written = 2;
  long tick = 0;
  while (written < events) {
    const int step = (pick(0, 3) == 0 ? 120 : 240) * pick(1, 2);
    const int length = step * pick(1, 3) / 2;
    const int chord = pick(0, 4) == 0 ? 3 : 1;
    const int root = pick(48, 72);
    const bool off_lines = pick(0, 1) == 0;
    for (int k = 0; k < chord; ++k) {
      std::fprintf(out, "%ld On ch=%d n=%d v=%d\n", tick, channel,
                   root + 4 * k, pick(40, 110));
    }
    if (pick(0, 9) == 0) {
      std::fprintf(out, "%ld Pb ch=%d v=%d\n", tick + 10, channel,
                   pick(0, 16383));
      ++written;
    }
    if (pick(0, 19) == 0) {
      std::fprintf(out, "%ld Par ch=%d c=64 v=%d\n", tick, channel,
                   pick(0, 1) * 127);
      ++written;
    }
    for (int k = 0; k < chord; ++k) {
      if (off_lines) {
        std::fprintf(out, "%ld Off ch=%d n=%d v=64\n", tick + length, channel,
                     root + 4 * k);
      } else {
        std::fprintf(out, "%ld On ch=%d n=%d v=0\n", tick + length, channel,
                     root + 4 * k);
      }
    }
    written += 2 * chord;
    tick += step;
  }
  std::fprintf(out, "%ld Meta TrkEnd\nTrkEnd\n", tick);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: generate_score EVENT_LINES\n");
    return 2;
  }
  const long events = std::atol(argv[1]);
  std::mt19937 random(static_cast<unsigned>(events));
  std::vector<char> buffer(1 << 20);
  std::setvbuf(stdout, buffer.data(), _IOFBF, buffer.size());
  std::printf("MFile 1 %d %d\nMTrk\n0 Tempo 500000\n0 Meta TrkEnd\nTrkEnd\n",
              kTracks + 1, kDivision);
  for (int t = 0; t < kTracks; ++t) track(stdout, t, events / kTracks, random);
  // The buffer goes with this scope: empty it while it is still there.
  std::fflush(stdout);
  return 0;
}
