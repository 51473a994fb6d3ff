// The reader's shortcut for plain note lines must give exactly what the
// general scan gives for the line cut at its first NUL byte, and must turn
// down every line it cannot read that way.

#include "reader/line_scan.h"

#include <random>
#include <string>

#include <gtest/gtest.h>

#include "reader/track_sections.h"

namespace morvane {
namespace {

std::string digits(std::mt19937& random, int count) {
  std::string text;
  for (int k = 0; k < count; ++k) text += static_cast<char>('0' + random() % 10);
  return text;
}

// A plain note line with numbers of 1 to 10 digits (leading zeros too),
// then up to three edits that may or may not keep it plain.
std::string near_plain_line(std::mt19937& random) {
  auto pick = [&random](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  auto number = [&] { return digits(random, pick(0, 7) == 0 ? pick(8, 10) : pick(1, 4)); };
  std::string line = number() + (pick(0, 1) == 0 ? " On" : " Off") + " ch=" +
                     number() + " n=" + number() + " v=" + number();
  if (pick(0, 5) != 0) line += "\n";
  static const char kOdd[] = {' ', '\t', '\0', '\r', '\n', '5', '0', 'x',
                              '+', '-', '=', 'O', 'f', 'n', 'v', '\v'};
  for (int edits = pick(0, 3); edits > 0 && !line.empty(); --edits) {
    const std::size_t at = static_cast<std::size_t>(pick(0, static_cast<int>(line.size()) - 1));
    const char c = kOdd[pick(0, 15)];
    switch (pick(0, 3)) {
      case 0: line.insert(at, 1, c); break;
      case 1: line.erase(at, 1); break;
      case 2: line[at] = c; break;
      default: line.resize(at); break;
    }
  }
  return line;
}

TEST(LineScanTest, PlainNoteLinesScanAsTheGeneralScanDoes) {
  std::mt19937 random(5);
  int plain = 0, other = 0;
  for (int n = 0; n < 300000; ++n) {
    const std::string line = near_plain_line(random);
    LineScan got;
    got.time_ticks = -7;  // left alone when the line is not plain
    if (!scan_plain_note(line, got)) {
      ASSERT_EQ(got.time_ticks, -7) << '[' << line << ']';
      ++other;
      continue;
    }
    ++plain;
    ASSERT_EQ(got, scan_line(up_to_nul(line))) << '[' << line << ']';
  }
  // Both ways are taken often.
  EXPECT_GT(plain, 50000);
  EXPECT_GT(other, 50000);
}

TEST(LineScanTest, RenderedNoteLinesArePlain) {
  using namespace std::string_literals;
  const std::string plain[] = {
      "0 On ch=1 n=60 v=0\n"s, "123840 Off ch=16 n=127 v=64\n"s,
      "999999999 On ch=1 n=0 v=127\n"s, "480 On ch=1 n=60 v=99"s,
      "480 On ch=1 n=60 v=99\r\n"s, "7 Off ch=3 n=64 v=9 trailing words\n"s,
      "0 On ch=1 n=60 v=9\0 after a NUL\n"s};
  for (const std::string& line : plain) {
    LineScan got;
    EXPECT_TRUE(scan_plain_note(line, got)) << line;
  }
  // The general scan reads these; the shortcut leaves them to it.
  const std::string other[] = {
      "1234567890 On ch=1 n=60 v=9\n"s, "-5 On ch=1 n=60 v=9\n"s,
      "0 On  ch=1 n=60 v=9\n"s,         "0\tOn ch=1 n=60 v=9\n"s,
      "0 Onx ch=1 n=60 v=9\n"s,         "0 On ch=1 n=60\n"s,
      "0 On ch=+1 n=60 v=9\n"s,         "0 Par ch=1 c=7 v=90\n"s,
      "0 On ch=1 n=60 v=\n"s,           "0 On\0ch=1 n=60 v=9\n"s};
  for (const std::string& line : other) {
    LineScan got;
    EXPECT_FALSE(scan_plain_note(line, got)) << line;
  }
}

}  // namespace
}  // namespace morvane
