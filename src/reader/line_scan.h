// What the score reader takes from an event line: its own scan, with the
// kind word reduced to what the reader asks of it. The same for a line
// scanned where it is read and for one scanned ahead on another thread.

#ifndef MORVANE_READER_LINE_SCAN_H_
#define MORVANE_READER_LINE_SCAN_H_

#include <cstdint>
#include <string_view>

namespace morvane {

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

// True for a line "MTrk" (a track's start), alone or before white space.
bool is_track_start(std::string_view line);

// True for a line "TrkEnd" (a track's last line), alone or before white
// space.
bool is_track_close(std::string_view line);

}  // namespace morvane

#endif  // MORVANE_READER_LINE_SCAN_H_
