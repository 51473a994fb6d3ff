// Standard MIDI files built byte by byte, for tests.

#ifndef MORVANE_TESTS_MIDI_BYTES_H_
#define MORVANE_TESTS_MIDI_BYTES_H_

#include <cstdint>
#include <initializer_list>
#include <string>

namespace morvane::testing {

// A chunk: its four-letter type, its length, its body.
inline std::string chunk(const std::string& type, const std::string& body) {
  const auto n = static_cast<uint32_t>(body.size());
  std::string out = type;
  for (int shift : {24, 16, 8, 0}) out += static_cast<char>(n >> shift & 0xff);
  return out + body;
}

inline std::string header(int format, int tracks, int division) {
  return chunk("MThd", std::string{0, static_cast<char>(format), 0,
                                   static_cast<char>(tracks),
                                   static_cast<char>(division >> 8),
                                   static_cast<char>(division & 0xff)});
}

inline std::string bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

}  // namespace morvane::testing

#endif  // MORVANE_TESTS_MIDI_BYTES_H_
