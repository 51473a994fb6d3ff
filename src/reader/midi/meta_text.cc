#include "reader/midi/meta_text.h"

#include <cstdint>

namespace morvane {

void append_quoted(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out.push_back('"');
  for (char c : text) {
    const auto byte = static_cast<uint8_t>(c);
    switch (byte) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case 0: out += "\\0"; break;
      default:
        if (byte >= 32 && byte <= 126) {
          out.push_back(c);
        } else {
          out += "\\x";
          out.push_back(kHex[byte >> 4]);
          out.push_back(kHex[byte & 15]);
        }
    }
  }
  out.push_back('"');
}

std::string name_line(std::string_view name, bool first_track) {
  std::string line = first_track ? "0 Meta SeqName " : "0 Meta TrkName ";
  append_quoted(line, name);
  return line;
}

}  // namespace morvane
