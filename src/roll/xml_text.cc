#include "roll/xml_text.h"

#include <cstdint>
#include <cstdio>

namespace morvane {
namespace {

constexpr char32_t kReplacement = 0xfffd;

struct Lead {
  int length = 0;  // bytes of the character; 0 for a byte that begins none
  unsigned char low = 0x80, high = 0xbf;  // the second byte's range
};

// The well-formed sequences of UTF-8 (Unicode's table 3-7): the second
// byte's range shuts out overlong forms (after E0, F0), surrogates (after
// ED) and code points above U+10FFFF (after F4).
Lead lead_of(unsigned char c) {
  if (c >= 0xc2 && c <= 0xdf) return {2};
  if (c == 0xe0) return {3, 0xa0, 0xbf};
  if (c == 0xed) return {3, 0x80, 0x9f};
  if (c >= 0xe1 && c <= 0xef) return {3};
  if (c == 0xf0) return {4, 0x90, 0xbf};
  if (c >= 0xf1 && c <= 0xf3) return {4};
  if (c == 0xf4) return {4, 0x80, 0x8f};
  return {};
}

bool allowed_in_xml(char32_t c) {
  if (c < 0x20) return c == '\t' || c == '\n' || c == '\r';
  return c != 0xfffe && c != 0xffff;
}

void put_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xc0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3f));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xe0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3f));
    out += static_cast<char>(0x80 | (c & 0x3f));
  } else {
    out += static_cast<char>(0xf0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3f));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3f));
    out += static_cast<char>(0x80 | (c & 0x3f));
  }
}

}  // namespace

std::u32string xml_code_points(std::string_view bytes) {
  std::u32string text;
  text.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    char32_t c = first;
    std::size_t taken = 1;
    if (first >= 0x80) {
      const Lead lead = lead_of(first);
      c = lead.length == 0 ? kReplacement : first & (0x7f >> lead.length);
      for (int k = 1; k < lead.length; ++k, ++taken) {
        const unsigned char low = k == 1 ? lead.low : 0x80;
        const unsigned char high = k == 1 ? lead.high : 0xbf;
        const auto next = i + taken < bytes.size()
                              ? static_cast<unsigned char>(bytes[i + taken])
                              : 0;
        if (next < low || next > high) {
          c = kReplacement;  // the bytes so far stand for one
          break;
        }
        c = c << 6 | (next & 0x3f);
      }
    }
    i += taken;
    if (!allowed_in_xml(c)) c = c < 0x20 ? 0 : kReplacement;
    if (c != 0) text += c;
  }
  return text;
}

void put_xml_text(std::string& out, std::u32string_view text) {
  for (const char32_t c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: put_utf8(out, c);
    }
  }
}

void put_xml_text(std::string& out, std::string_view bytes) {
  put_xml_text(out, xml_code_points(bytes));
}

void put_number(std::string& out, double value) {
  // Room for any double in fixed notation: the largest has 309 digits.
  char text[320];
  int n = std::snprintf(text, sizeof text, "%.2f", value);
  while (n > 0 && text[n - 1] == '0') --n;
  if (n > 0 && text[n - 1] == '.') --n;
  if (n == 2 && text[0] == '-' && text[1] == '0') n = 1, text[0] = '0';
  out.append(text, static_cast<std::size_t>(n));
}

}  // namespace morvane
