// The three line patterns of a MIDI text score, scanned by hand as scanf
// would: a blank in a pattern matches any white space, or none; %d skips
// white space and takes an optional sign and digits; %s skips white space and
// takes a run of other characters; other characters must match. A scan stops
// at the first mismatch, and the fields from there keep their values, which
// the reader relies on to carry values from line to line. A number past 32
// signed bits stops the scan with overflow set, its field unchanged. The
// caller cuts a line at its first NUL byte, where a C string would end.

#ifndef MORVANE_READER_SCANNER_H_
#define MORVANE_READER_SCANNER_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace morvane {

struct ScanResult {
  int assigned = 0;       // fields stored, as scanf would count them
  bool overflow = false;  // a number out of the 32-bit range stopped the scan
  std::size_t consumed = 0;  // characters matched; meaningful when all fields
                             // were assigned
};

struct HeaderFields {
  std::string word;
  int32_t format = 0;
  int32_t tracks = 0;
  int32_t division = 0;
};

struct NameFields {
  std::string first;
  std::string second;
};

struct EventFields {
  int32_t time_ticks = 0;
  // Points into the line scanned; valid only as long as that line.
  std::string_view kind;
  int32_t channel = 0;
  int32_t note = 0;
  int32_t velocity = 0;
};

// The C locale's isspace, without the locale lookup.
inline bool is_white(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// "%s%d%d%d"
ScanResult scan_header(std::string_view line, HeaderFields& fields);

// "0 Meta TrkName %s %s", or with another word for TrkName (SeqName)
ScanResult scan_track_name(std::string_view line, NameFields& fields,
                           std::string_view name_kind = "TrkName");

// "%d%s ch=%d n=%d v=%d"
ScanResult scan_event(std::string_view line, EventFields& fields);

}  // namespace morvane

#endif  // MORVANE_READER_SCANNER_H_
