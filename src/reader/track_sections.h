// What the score reader keeps from line to line, and what it does when a
// track is named: shared by the reader of MIDI text lines and the reader of
// MIDI files' events, which must agree line for line.

#ifndef MORVANE_READER_TRACK_SECTIONS_H_
#define MORVANE_READER_TRACK_SECTIONS_H_

#include <cstdint>
#include <string_view>
#include <vector>

#include "driver/run_state.h"
#include "reader/line_scan.h"
#include "reader/scanner.h"

namespace morvane {

inline constexpr std::string_view kNameMarker = "0 Meta TrkName";
// A converter writes the name of a file's first track as a sequence name,
// and a format 0 file has no other track.
inline constexpr std::string_view kSequenceMarker = "0 Meta SeqName";

// A line held back while its track waits for its name, with its number in
// the file.
struct HeldLine {
  LineScan scan;
  uint64_t line_number = 0;
};

// The reader's working fields. They are not reset between lines: a field
// that a line does not supply keeps the value of the last line that did.
struct ReaderFields {
  NameFields name;
  EventFields event;
  bool in_section = false;
  bool sequence_names_track = false;  // format 0: SeqName names the track
  uint64_t names_seen = 0;
  // With every track an instrument: the track the lines belong to.
  uint64_t tracks_seen = 0;      // MTrk lines so far
  bool track_named = false;      // it has had a name line, or took one
  bool track_has_sequence_name = false;
  NameFields sequence_name;      // its 0 Meta SeqName words
  // A track with no section yet, in which no line of a time other than 0
  // has come: converters may list a track's notes of time 0 before its
  // name, and they are the named track's own. Its note lines of time 0
  // wait, held, for its name line, which makes them its section's events;
  // when the track ends or another time comes first, they are read as they
  // would have been had none waited.
  bool track_waits = false;
  std::vector<HeldLine> held;  // the text reader's, in file order
};

inline bool starts_with(std::string_view line, std::string_view marker) {
  return line.substr(0, marker.size()) == marker;
}

// A C program sees a line only up to its first NUL byte.
inline std::string_view up_to_nul(std::string_view line) {
  return line.substr(0, line.find('\0'));
}

// Whether line names a track: "0 Meta TrkName ...", or "0 Meta SeqName ..."
// in a score whose sequence name names its track.
inline bool is_name_line(const ReaderFields& fields, std::string_view line) {
  // Most lines are events; one look at a character sends them on.
  if (line.size() < kNameMarker.size() || line[2] != 'M') return false;
  return starts_with(line, kNameMarker) ||
         (fields.sequence_names_track && starts_with(line, kSequenceMarker));
}

// A name line ("0 Meta TrkName ...", or "0 Meta SeqName ..." when that
// names the track) names an instrument by its two words and opens its
// section.
void read_name_line(RunState& state, ReaderFields& fields,
                    std::string_view line);

// With every track an instrument: an MTrk line starts a track with no name.
void start_unnamed_track(ReaderFields& fields);

// With every track an instrument: a sequence name line outside a section,
// kept in case the track gets no name of its own.
void keep_sequence_name(ReaderFields& fields, std::string_view line);

// With every track an instrument: the first note line of a track without a
// name names it, by its sequence name or else by its number, and opens its
// section.
void name_track_by_note(RunState& state, ReaderFields& fields);

// Sets the division, ticks per beat; ends the run when it is not above 0
// (every time in the note list is divided by it).
void take_division(RunState& state, int32_t division);

// Ends the run: a number of line line_number does not fit 32 bits.
[[noreturn]] void number_out_of_range(RunState& state, uint64_t line_number);

}  // namespace morvane

#endif  // MORVANE_READER_TRACK_SECTIONS_H_
