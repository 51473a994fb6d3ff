#include "writer/format_decimal.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace morvane {
namespace {

// Rounds the exact decimal expansion of value (the C library prints every
// digit of a float exactly) to three decimals, halves away from zero, by
// hand on the digits.
std::string exact_reference(float value) {
  char text[128];
  std::snprintf(text, sizeof text, "%.60f", static_cast<double>(std::fabs(value)));
  std::string digits(text);
  const std::size_t point = digits.find('.');
  std::string whole = digits.substr(0, point);
  std::string fraction = digits.substr(point + 1, 3);
  const bool round_up = digits[point + 4] >= '5';
  std::string number = whole + fraction;
  if (round_up) {
    int k = static_cast<int>(number.size()) - 1;
    while (k >= 0 && number[k] == '9') number[k--] = '0';
    if (k >= 0) {
      ++number[k];
    } else {
      number.insert(number.begin(), '1');
    }
  }
  std::string out = std::signbit(value) ? "-" : "";
  out += number.substr(0, number.size() - 3) + "." +
         number.substr(number.size() - 3);
  return out;
}

std::string formatted(float value) {
  std::string out;
  append_fixed3(out, value);
  return out;
}

TEST(FormatDecimalTest, WorkedValues) {
  struct Row {
    float value;
    const char* text;
  };
  const Row rows[] = {
      {0.0f, "0.000"},         {12.5f, "12.500"},
      {1.0f / 3.0f, "0.333"},  {0.0625f, "0.063"},
      {0.3125f, "0.313"},      {-0.0625f, "-0.063"},
      {-0.0f, "-0.000"},       {-1e-8f, "-0.000"},
      {2147483648.0f, "2147483648.000"},
      {-4294967296.0f, "-4294967296.000"},
      {3.0e38f, "300000000549775575777803994281145270272.000"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(formatted(row.value), row.text) << row.value;
  }
}

TEST(FormatDecimalTest, MatchesExactDecimalRounding) {
  // Every multiple of 1/16 up to 4096 holds the halfway cases.
  for (int k = -65536; k <= 65536; ++k) {
    const float value = static_cast<float>(k) / 16.0f;
    ASSERT_EQ(formatted(value), exact_reference(value)) << k;
  }
  // Ticks over divisions, as starts and durations are made.
  for (int division : {96, 120, 240, 384, 480, 960, 1024}) {
    for (int ticks = -2000; ticks < 200000; ticks += 7) {
      const float value =
          static_cast<float>(static_cast<double>(ticks) / division);
      ASSERT_EQ(formatted(value), exact_reference(value)) << ticks;
    }
  }
  std::mt19937 random(5);
  std::uniform_int_distribution<uint32_t> bits;
  for (int n = 0; n < 200000; ++n) {
    uint32_t pattern = bits(random);
    float value;
    std::memcpy(&value, &pattern, sizeof value);
    if (!std::isfinite(value) || std::fabs(value) > 1e12f) continue;
    ASSERT_EQ(formatted(value), exact_reference(value)) << pattern;
  }
}

TEST(FormatDecimalTest, Integers) {
  std::string out;
  append_int(out, -2147483649LL);
  out += ' ';
  append_int(out, 0);
  EXPECT_EQ(out, "-2147483649 0");
}

}  // namespace
}  // namespace morvane
