// Numbers as the note list writes them.

#ifndef MORVANE_WRITER_FORMAT_DECIMAL_H_
#define MORVANE_WRITER_FORMAT_DECIMAL_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace morvane {

// Appends value with exactly three decimals, as "%4.3f" would, except that a
// value exactly halfway between two results is rounded away from zero (0.0625
// gives 0.063), which is what note lists have always held; the C library
// rounds such halves to even. A negative value that rounds to zero keeps its
// sign: -0.000.
//
// Writes at p, which has room for kMaxFixed3 characters, and returns the
// end. This function is performance-critical; benchmark any change.
char* put_fixed3(char* p, float value);
inline constexpr int kMaxFixed3 = 64;

// Writes value in decimal at p, as "%d" would (room for 20 characters), and
// returns the end.
char* put_int(char* p, int64_t value);

// The number of characters put_fixed3 and put_int write for value, without
// writing them.
std::size_t fixed3_length(float value);
std::size_t int_length(int64_t value);

// The same, appended to a string.
void append_fixed3(std::string& out, float value);
void append_int(std::string& out, int64_t value);

}  // namespace morvane

#endif  // MORVANE_WRITER_FORMAT_DECIMAL_H_
