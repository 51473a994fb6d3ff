#include "writer/format_decimal.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace morvane {

void append_int(std::string& out, int64_t value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

void append_fixed3(std::string& out, float value) {
  // A float has 24 significant bits and 1000 < 2^10, so the product is exact
  // in double precision, and rounding it to a whole number rounds the value
  // to three decimals with no error of its own.
  const double thousandths = std::round(static_cast<double>(value) * 1000.0);
  if (!(std::fabs(thousandths) < 9.0e18)) {
    // Floats this large are whole numbers (or not numbers at all), so the
    // library's own conversion has no half to round.
    char text[64];
    const int length = std::snprintf(text, sizeof text, "%4.3f",
                                     static_cast<double>(value));
    if (length > 0) out.append(text, static_cast<std::size_t>(length));
    return;
  }
  const int64_t scaled = static_cast<int64_t>(std::fabs(thousandths));
  if (std::signbit(value)) out.push_back('-');
  append_int(out, scaled / 1000);
  const int fraction = static_cast<int>(scaled % 1000);
  out.push_back('.');
  out.push_back(static_cast<char>('0' + fraction / 100));
  out.push_back(static_cast<char>('0' + fraction / 10 % 10));
  out.push_back(static_cast<char>('0' + fraction % 10));
}

}  // namespace morvane
