// A MIDI text score read in two halves, the second scanned ahead on its own
// thread, must read exactly as it reads line by line: every kind of line on
// either side of the split, whatever the first half leaves open for the
// second (a section, carried fields, a track without a name, a sequence
// name), and every failure with its line number.

#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "reader/line_source.h"
#include "reader/score_tail.h"
#include "test_support.h"

namespace morvane {
namespace {

using testing::RunOutput;
using testing::TempDir;

OverlapShape split_at_any_size() {
  OverlapShape shape;
  shape.split_read_bytes = 0;
  return shape;
}

OverlapShape never_split() {
  OverlapShape shape;
  shape.split_read_bytes = std::numeric_limits<std::size_t>::max();
  return shape;
}

::testing::AssertionResult reads_alike(const TempDir& dir,
                                       const std::string& score) {
  const std::string path = dir.write("score.txt", score);
  for (bool all_tracks : {false, true}) {
    std::vector<std::string> args = {path, dir.path("notes.txt")};
    if (all_tracks) args.insert(args.begin(), "--all-tracks");
    const RunOutput whole =
        testing::run_in_process(args, "", FailPoint::none, never_split());
    const std::string whole_notes = testing::read_file(dir.path("notes.txt"));
    const RunOutput split =
        testing::run_in_process(args, "", FailPoint::none, split_at_any_size());
    const std::string split_notes = testing::read_file(dir.path("notes.txt"));
    if (whole.status != split.status || whole.out != split.out ||
        whole.err != split.err || whole_notes != split_notes) {
      return ::testing::AssertionFailure()
             << (all_tracks ? "with --all-tracks: " : "") << "\n--- line by line:\n"
             << whole.out << whole.err << whole_notes << "\n--- split:\n"
             << split.out << split.err << split_notes;
    }
  }
  return ::testing::AssertionSuccess();
}

TEST(SplitReadTest, RandomScoresReadAsLineByLine) {
  std::mt19937 random(17);
  TempDir dir;
  int failed = 0;
  for (int n = 0; n < 400; ++n) {
    std::string score = n % 7 == 0 ? "MFile 0 1 96\n" : "MFile 1 4 480\n";
    const int lines = std::uniform_int_distribution<int>(0, 120)(random);
    for (int k = 0; k < lines; ++k) {
      // Out-of-range numbers are rare, so that most scores read to the end.
      std::string line = testing::random_score_line(random);
      if (line[0] == '9' && random() % 8 != 0) continue;
      score += line;
    }
    if (random() % 3 == 0) score += "0 On ch=1 n=60 v=1";  // no line end
    ASSERT_TRUE(reads_alike(dir, score)) << "score " << n << ":\n" << score;
    failed += testing::run_in_process({dir.path("score.txt"), dir.path("n.txt")})
                  .status;
  }
  EXPECT_GT(failed, 10);  // out-of-range lines on either side of the split
  EXPECT_LT(failed, 390);
}

// Both parts run over many blocks of the file, where runs of plain lines
// are taken from the buffer at once.
TEST(SplitReadTest, ScoresOfManyBlocks) {
  std::mt19937 random(29);
  TempDir dir;
  for (int n = 0; n < 3; ++n) {
    std::string score = "MFile 1 4 480\n";
    for (int k = 0; k < 60000; ++k) {
      std::string line = testing::random_score_line(random);
      if (line[0] == '9' && random() % 1000 != 0) continue;
      if (random() % 8 != 0) {
        line = std::to_string(k) + (k % 2 == 0 ? " On" : " Off") +
               " ch=2 n=" + std::to_string(k % 128) + " v=" +
               std::to_string(k % 5 == 0 ? 0 : 70) + "\n";
      }
      score += line;
    }
    ASSERT_GT(score.size(), 4 * FileLineSource::kBlockSize);
    EXPECT_TRUE(reads_alike(dir, score)) << "score " << n;
  }
}

TEST(SplitReadTest, ALongLineAcrossTheMiddle) {
  TempDir dir;
  std::string score = "MFile 1 2 480\nMTrk\n0 Meta TrkName A B\n";
  for (int k = 0; k < 50; ++k) score += std::to_string(k) + " On ch=1 n=60 v=9\n";
  score += "10 Meta Text \"" + std::string(1 << 20, 'x') + "\"\n";
  for (int k = 0; k < 50; ++k) score += std::to_string(k) + " On ch=1 n=60 v=0\n";
  EXPECT_TRUE(reads_alike(dir, score));
  // and a split that falls on a line's start: a text line before the
  // notes is made as long as it takes
  const std::string header = "MFile 1 2 480\n", line = "0 On ch=1 n=60 v=9\n";
  constexpr std::size_t kLines = 200;
  std::string even;
  for (std::size_t pad = 0; even.empty(); ++pad) {
    ASSERT_LT(pad, 1000u);
    const std::string text = "0 Meta Text \"" + std::string(pad, 'x') + "\"\n";
    const std::size_t before = header.size() + text.size();
    const std::size_t split =
        first_part_bytes(before + kLines * line.size(), OverlapShape());
    if (split >= before && (split - before) % line.size() == 0) {
      even = header + text;
    }
  }
  for (std::size_t k = 0; k < kLines; ++k) even += line;
  EXPECT_TRUE(reads_alike(dir, even));
  EXPECT_TRUE(reads_alike(dir, even.substr(0, even.size() - 1)));
}

// Tracks whose first notes wait for their names, all in the second part:
// the wait ends at the name, at a "TrkEnd" line, at a later time.
TEST(SplitReadTest, NotesWaitingForTheirTrackNames) {
  TempDir dir;
  std::string score = "MFile 1 4 480\nMTrk\n0 Meta TrkName A B\n";
  for (int k = 0; k < 200; ++k) score += std::to_string(k) + " On ch=1 n=60 v=9\n";
  score +=
      "200 Meta TrkEnd\nTrkEnd\nMTrk\n0 On ch=2 n=1 v=1\n0 PrCh ch=3 p=1\n"
      "0 On ch=2 n=2\n0 Meta TrkName C\n1 On ch=2 n=1 v=0\n1 Meta TrkEnd\n"
      "MTrk\n0 On ch=4 n=3 v=3\nTrkEnd\n0 Meta TrkName D\n0 Meta TrkEnd\n"
      "MTrk\n0 On ch=5 n=4 v=4\n7 Meta Text x\n0 Meta TrkName E\n";
  EXPECT_TRUE(reads_alike(dir, score));
}

// The first part takes 60% of a score of a million lines, less of a larger
// one, and always leaves both parts a byte at least.
TEST(SplitReadTest, WhereTheSplitFalls) {
  const OverlapShape shape;
  EXPECT_EQ(first_part_bytes(26000000, shape), 15600000u);
  EXPECT_EQ(first_part_bytes(270000000, shape), 140400000u + (2u << 20));
  OverlapShape extreme;
  for (unsigned percent : {0u, 1u, 99u, 100u, 1000u}) {
    extreme.first_part_percent = percent;
    extreme.large_first_part_percent = percent;
    for (std::size_t size = 2; size < 300; ++size) {
      const std::size_t split = first_part_bytes(size, extreme);
      ASSERT_GE(split, 1u) << size;
      ASSERT_LT(split, size) << size;
    }
  }
}

}  // namespace
}  // namespace morvane
