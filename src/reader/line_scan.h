// A score line as the reader takes it: its form and its own scan, the kind
// word reduced to what the reader asks of it. The MIDI file reader gives each
// event the classification classify_line would give its line.

#ifndef MORVANE_READER_LINE_SCAN_H_
#define MORVANE_READER_LINE_SCAN_H_

#include <cstdint>
#include <string_view>

namespace morvane {

inline constexpr std::string_view kNameMarker = "0 Meta TrkName";
// How converters name a file's first track (a format 0 file has no other).
inline constexpr std::string_view kSequenceMarker = "0 Meta SeqName";

enum class LineKind : uint8_t {
  other,
  note_on,    // kind word On
  note_off,   // kind word Off
  track_end,  // kind word Meta..., next word TrkEnd
};

struct LineScan {
  // Valid as far as assigned goes: time, kind, channel, note, velocity.
  int32_t time_ticks = 0;
  int32_t channel = 0;
  int32_t note = 0;
  int32_t velocity = 0;
  uint8_t assigned = 0;
  bool overflow = false;  // a number out of range stopped the scan
  LineKind kind = LineKind::other;
  friend bool operator==(const LineScan&, const LineScan&) = default;
};

enum class LineForm : uint8_t {
  event,          // any line not below; its scan says what it sets
  name,           // names a track and opens its section
  track_start,    // "MTrk", alone or before white space
  track_close,    // "TrkEnd", alone or before white space
  sequence_name,  // "0 Meta SeqName ..." where it names no track
  // Read as events by the section rules, and noted beside them
  // (reader/score_map.h):
  tempo,       // "T Tempo N"
  other_name,  // any other "T Meta TrkName ..." or "T Meta SeqName ..."
};

// scan is the line's own (none for a name line); text, for a name or a
// sequence name line, is the line up to its first NUL byte; for a tempo or
// other name line, what follows its Tempo, TrkName or SeqName word.
struct ClassifiedLine {
  LineForm form = LineForm::event;
  LineScan scan;
  std::string_view text;
};

// Classifies line, as its source holds it (not yet cut at a NUL byte).
// sequence_names_track: "0 Meta SeqName ..." is a name line (format 0).
ClassifiedLine classify_line(std::string_view line, bool sequence_names_track);

// The line's scan as an event line "%d%s ch=%d n=%d v=%d".
LineScan scan_line(std::string_view line);

// The fast path for nearly every line: a note line as renderings write it,
// "480 On ch=1 n=60 v=99", single blanks, numbers of up to nine digits. True
// with scan as scan_line would set it; else false, scan untouched. Such a
// line is no name, track start or sequence name line, and nothing past its
// last number is read, so it may be tried before the cut at a NUL byte.
bool scan_plain_note(std::string_view line, LineScan& scan);

// True when line begins with marker.
inline bool starts_with(std::string_view line, std::string_view marker) {
  return line.substr(0, marker.size()) == marker;
}

// A C program sees a line only up to its first NUL byte.
inline std::string_view up_to_nul(std::string_view line) {
  return line.substr(0, line.find('\0'));
}

}  // namespace morvane

#endif  // MORVANE_READER_LINE_SCAN_H_
