#include "writer/format_decimal.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace morvane {

char* put_int(char* p, int64_t value) {
  // Channels, keys and velocities are small: one and two digits go fast.
  if (value >= 0 && value < 10) {
    *p = static_cast<char>('0' + value);
    return p + 1;
  }
  if (value >= 10 && value < 100) {
    p[0] = static_cast<char>('0' + value / 10);
    p[1] = static_cast<char>('0' + value % 10);
    return p + 2;
  }
  return std::to_chars(p, p + 20, value).ptr;
}

char* put_fixed3(char* p, float value) {
  // The product has at most 34 significant bits (24 of a float, 10 for
  // 1000), so it and the added half are exact in double below 2^52: cutting
  // the sum rounds to three decimals, halves away from zero, with no error.
  const double thousandths = std::fabs(static_cast<double>(value) * 1000.0);
  if (!(thousandths < 4.0e15)) {
    // Whole numbers or not numbers: the library has no half to round here.
    char text[kMaxFixed3];
    const int length = std::snprintf(text, sizeof text, "%4.3f",
                                     static_cast<double>(value));
    if (length <= 0) return p;
    std::memcpy(p, text, static_cast<std::size_t>(length));
    return p + length;
  }
  const auto scaled = static_cast<uint64_t>(thousandths + 0.5);
  if (std::signbit(value)) *p++ = '-';
  p = put_int(p, static_cast<int64_t>(scaled / 1000));
  const auto fraction = static_cast<unsigned>(scaled % 1000);
  p[0] = '.';
  p[1] = static_cast<char>('0' + fraction / 100);
  p[2] = static_cast<char>('0' + fraction / 10 % 10);
  p[3] = static_cast<char>('0' + fraction % 10);
  return p + 4;
}

void append_fixed3(std::string& out, float value) {
  char text[kMaxFixed3];
  out.append(text, put_fixed3(text, value));
}

void append_int(std::string& out, int64_t value) {
  char text[24];
  out.append(text, put_int(text, value));
}

}  // namespace morvane
