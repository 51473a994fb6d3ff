#include "reader/scanner.h"

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace morvane {
namespace {

// Builds lines from the pieces the three patterns care about, glued with
// odd white space and junk, so that scans stop at every possible place.
class LineMaker {
 public:
  explicit LineMaker(uint32_t seed) : random_(seed) {}

  std::string line() {
    std::string text;
    const int pieces = pick(0, 9);
    for (int k = 0; k < pieces; ++k) {
      if (pick(0, 2) == 0) text += white();
      text += piece();
    }
    if (pick(0, 1) == 0) text += white();
    return text;
  }

  std::string prefixed(const std::string& prefix) { return prefix + line(); }

 private:
  int pick(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random_);
  }

  std::string white() {
    static const char kWhite[] = {' ', '\t', '\r', '\n', '\v', '\f'};
    std::string text;
    const int length = pick(1, 3);
    for (int k = 0; k < length; ++k) text += kWhite[pick(0, 5)];
    return text;
  }

  std::string number() {
    static const char* const kEdges[] = {"2147483647", "-2147483648", "0",
                                         "-0", "+7", "007", "-1"};
    if (pick(0, 5) == 0) return kEdges[pick(0, 6)];
    std::string text;
    const int sign = pick(0, 5);
    if (sign == 0) text += '-';
    if (sign == 1) text += '+';
    const int digits = pick(1, 9);
    for (int k = 0; k < digits; ++k) text += static_cast<char>('0' + pick(0, 9));
    return text;
  }

  std::string piece() {
    static const char* const kWords[] = {
        "On", "Off", "Meta", "PrCh", "ch=", "n=", "v=", "c=", "ch", "n",
        "v", "=", "MFile", "TrkName", "0", "Meta TrkEnd", "\"Solo", "x",
        "-", "+", "ch=-", "v=+"};
    switch (pick(0, 3)) {
      case 0:
      case 1: return number();
      case 2: return kWords[pick(0, 21)];
      default: {
        std::string junk;
        const int length = pick(1, 4);
        for (int k = 0; k < length; ++k) {
          junk += static_cast<char>(pick(1, 255));
        }
        return junk;
      }
    }
  }

  std::mt19937 random_;
};

// Whether any number in line is too long for 32 bits; sscanf has no
// defined answer there, so those lines are checked separately.
bool has_long_number(const std::string& line) {
  for (std::size_t k = 0; k < line.size();) {
    if (line[k] < '0' || line[k] > '9') {
      ++k;
      continue;
    }
    const bool negative = k > 0 && line[k - 1] == '-';
    uint64_t value = 0;
    for (; k < line.size() && line[k] >= '0' && line[k] <= '9'; ++k) {
      value = std::min<uint64_t>(value * 10 + (line[k] - '0'), 1ull << 40);
    }
    if (value > (negative ? 2147483648ull : 2147483647ull)) return true;
  }
  return false;
}

constexpr int kSentinel = -123456;

TEST(ScannerTest, EventScanMatchesSscanf) {
  LineMaker maker(1);
  for (int n = 0; n < 400000; ++n) {
    const std::string line =
        n % 3 == 0 ? maker.prefixed("480 On ch=1 n=") : maker.line();
    if (has_long_number(line)) continue;
    int time = kSentinel, channel = kSentinel, note = kSentinel,
        velocity = kSentinel, consumed = -1;
    std::vector<char> kind(line.size() + 1, '\0');
    const int expected =
        std::sscanf(line.c_str(), "%d%s ch=%d n=%d v=%d%n", &time, kind.data(),
                    &channel, &note, &velocity, &consumed);
    EventFields fields{kSentinel, "", kSentinel, kSentinel, kSentinel};
    const ScanResult got = scan_event(line, fields);
    ASSERT_EQ(got.assigned, std::max(expected, 0)) << '[' << line << ']';
    ASSERT_FALSE(got.overflow);
    ASSERT_EQ(fields.time_ticks, time) << line;
    ASSERT_EQ(fields.kind, std::string(kind.data())) << line;
    ASSERT_EQ(fields.channel, channel) << line;
    ASSERT_EQ(fields.note, note) << line;
    ASSERT_EQ(fields.velocity, velocity) << line;
    if (expected == 5) {
      ASSERT_EQ(got.consumed, static_cast<size_t>(consumed));
    }
  }
}

TEST(ScannerTest, HeaderScanMatchesSscanf) {
  LineMaker maker(2);
  for (int n = 0; n < 300000; ++n) {
    const std::string line = n % 2 == 0 ? maker.prefixed("MFile") : maker.line();
    if (has_long_number(line)) continue;
    int format = kSentinel, tracks = kSentinel, division = kSentinel,
        consumed = -1;
    std::vector<char> word(line.size() + 1, '\0');
    const int expected = std::sscanf(line.c_str(), "%s%d%d%d%n", word.data(),
                                     &format, &tracks, &division, &consumed);
    HeaderFields fields{"", kSentinel, kSentinel, kSentinel};
    const ScanResult got = scan_header(line, fields);
    ASSERT_EQ(got.assigned, std::max(expected, 0)) << line;
    ASSERT_EQ(fields.word, std::string(word.data())) << line;
    ASSERT_EQ(fields.format, format) << line;
    ASSERT_EQ(fields.tracks, tracks) << line;
    ASSERT_EQ(fields.division, division) << line;
    if (expected == 4) {
      ASSERT_EQ(got.consumed, static_cast<size_t>(consumed));
    }
  }
}

TEST(ScannerTest, TrackNameScanMatchesSscanf) {
  LineMaker maker(3);
  for (int n = 0; n < 300000; ++n) {
    const std::string line =
        n % 4 == 3 ? maker.line() : maker.prefixed("0 Meta TrkName");
    int consumed = -1;
    std::vector<char> first(line.size() + 1, '\0');
    std::vector<char> second(line.size() + 1, '\0');
    const int expected =
        std::sscanf(line.c_str(), "0 Meta TrkName %s %s%n", first.data(),
                    second.data(), &consumed);
    NameFields fields;
    const ScanResult got = scan_track_name(line, fields);
    ASSERT_EQ(got.assigned, std::max(expected, 0)) << line;
    ASSERT_EQ(fields.first, std::string(first.data())) << line;
    ASSERT_EQ(fields.second, std::string(second.data())) << line;
    if (expected == 2) {
      ASSERT_EQ(got.consumed, static_cast<size_t>(consumed));
    }
  }
}

TEST(ScannerTest, NumbersBeyond32BitsStopTheScanWithOverflow) {
  struct Row {
    const char* line;
    bool overflow;
    int assigned;
  };
  const Row rows[] = {
      {"2147483647 On ch=1 n=2 v=3", false, 5},
      {"-2147483648 On ch=1 n=2 v=3", false, 5},
      {"2147483648 On ch=1 n=2 v=3", true, 0},
      {"-2147483649 On ch=1 n=2 v=3", true, 0},
      {"0 On ch=1 n=2 v=99999999999999999999999999999999999999999", true, 4},
      // A long number the scan never reaches is not looked at.
      {"0 On ch=1 x=99999999999999999999", false, 3},
  };
  for (const Row& row : rows) {
    EventFields fields;
    fields.velocity = 42;
    const ScanResult got = scan_event(row.line, fields);
    EXPECT_EQ(got.overflow, row.overflow) << row.line;
    EXPECT_EQ(got.assigned, row.assigned) << row.line;
    if (row.overflow && row.assigned == 4) {
      EXPECT_EQ(fields.velocity, 42);
    }
  }
}

}  // namespace
}  // namespace morvane
