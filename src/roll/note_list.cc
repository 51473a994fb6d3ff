#include "roll/note_list.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <system_error>

namespace morvane {
namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }

// Reads a number from the front of [begin, end); false when none is there.
bool read_number(const char* begin, const char* end, int64_t& value,
                 const char*& stop) {
  const auto [after, error] = std::from_chars(begin, end, value);
  stop = after;
  return error == std::errc() && after != begin;
}

// The standard library of the web page's compiler has no from_chars for
// floating point, so both builds read decimals with strtod (the "C" locale:
// neither program sets another), held to what from_chars would take.
bool read_number(const char* begin, const char* end, double& value,
                 const char*& stop) {
  const std::string token(begin, std::find_if(begin, end, blank));
  if (token.empty() || token.find_first_of("xX") != std::string::npos) {
    return false;
  }
  char* after = nullptr;
  errno = 0;
  value = std::strtod(token.c_str(), &after);
  stop = begin + (after - token.c_str());
  return errno != ERANGE && stop != begin;
}

// What is wrong with a note line, if anything.
enum class Fault { kNone, kNotNumber, kNotFinite };

bool finite(int64_t) { return true; }
bool finite(double value) { return std::isfinite(value); }

// Takes a number and the blanks after it from the front of field; a fault
// where there is no number, or one that is infinite or not a number
// ("inf", "nan"): strtod reads those, and a piano roll cannot place them.
template <typename Number>
Fault take(std::string_view& rest, Number& value) {
  const char* begin = rest.data();
  const char* end = rest.data() + rest.size();
  if (begin != end && *begin == '+') ++begin;
  const char* stop = nullptr;
  if (!read_number(begin, end, value, stop)) return Fault::kNotNumber;
  if (!finite(value)) return Fault::kNotFinite;
  rest.remove_prefix(static_cast<std::size_t>(stop - rest.data()));
  while (!rest.empty() && blank(rest.front())) rest.remove_prefix(1);
  return Fault::kNone;
}

// A note line: its fields are separated by tabs (and the start by a blank
// and a tab); blanks are taken loosely.
Fault parse_note(std::string_view line, ListedNote& note) {
  Fault fault = Fault::kNone;
  const auto next = [&](auto& value) {
    if (fault == Fault::kNone) fault = take(line, value);
  };
  next(note.start_beats);
  next(note.channel);
  next(note.key);
  next(note.velocity);
  next(note.duration_beats);
  if (fault == Fault::kNone && !line.empty()) fault = Fault::kNotNumber;
  return fault;
}

}  // namespace

bool parse_note_list(std::string_view text, NoteList& list,
                     NoteListError& error) {
  constexpr std::string_view kInstrument = "// Instrument ";
  uint64_t number = 0;
  while (!text.empty()) {
    const std::size_t feed = text.find('\n');
    std::string_view line = text.substr(0, feed);
    text.remove_prefix(feed == std::string_view::npos ? text.size() : feed + 1);
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.substr(0, 2) == "//") {
      if (line.substr(0, kInstrument.size()) == kInstrument) {
        list.instruments.emplace_back(line.substr(kInstrument.size()));
      }
      continue;
    }
    if (line.empty()) continue;
    ListedNote note;
    const Fault fault = parse_note(line, note);
    if (fault != Fault::kNone) {
      error.line = number;
      // Five fields make a note line; then one of them is no number.
      const auto tabs = std::count(line.begin(), line.end(), '\t');
      error.reason = tabs != 4                    ? "not a note line or a comment"
                     : fault == Fault::kNotFinite ? "a number that is not finite"
                                                  : "a number that does not parse";
      return false;
    }
    list.notes.push_back(note);
  }
  return true;
}

}  // namespace morvane
