// Numbers as the note list writes them.

#ifndef MORVANE_WRITER_FORMAT_DECIMAL_H_
#define MORVANE_WRITER_FORMAT_DECIMAL_H_

#include <cstdint>
#include <string>

namespace morvane {

// Writes value at p with three decimals as "%4.3f" would, but rounds halves
// away from zero (0.0625 gives 0.063) as note lists always have, where the C
// library rounds them to even; -0.000 keeps its sign. p has room for
// kMaxFixed3 characters; returns the end. Speed matters: benchmark changes.
char* put_fixed3(char* p, float value);
inline constexpr int kMaxFixed3 = 64;

// Writes value at p as "%d" would (room for 20 characters); returns the end.
char* put_int(char* p, int64_t value);

// The same, appended to a string.
void append_fixed3(std::string& out, float value);
void append_int(std::string& out, int64_t value);

}  // namespace morvane

#endif  // MORVANE_WRITER_FORMAT_DECIMAL_H_
