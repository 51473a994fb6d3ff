// What the score reader takes from a line of a MIDI text score: its form
// (a name line, a track's start or close, a sequence name, or an event
// line) and its own scan, with the kind word reduced to what the reader
// asks of it. classify_line is the one place a line is classified; the
// text reader feeds it every line, and the MIDI file reader gives the same
// classification for each event of a file (read_midi_score.h).

#ifndef MORVANE_READER_LINE_SCAN_H_
#define MORVANE_READER_LINE_SCAN_H_

#include <cstdint>
#include <string_view>

namespace morvane {

inline constexpr std::string_view kNameMarker = "0 Meta TrkName";
// A converter writes the name of a file's first track as a sequence name,
// and a format 0 file has no other track.
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
};

// A line as the reader takes it. scan is the line's own (none for a name
// line); text is the line up to its first NUL byte for a name or a
// sequence name line, whose words the reader takes when it needs them.
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

// The scan of nearly every line of a score, made without the general
// scanner: a note line as the text renderings write it ("480 On ch=1 n=60
// v=99", single blanks, numbers of at most nine digits). True with scan set
// to what scan_line gives for it; false for any other line, scan
// untouched. Such a line is never a name line, a track start or a sequence
// name, and what follows its last number is never read, so it may be
// tried on a line that has not been cut at a NUL byte.
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
