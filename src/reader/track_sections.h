// The section rules of the score reader, in one place: what it keeps from
// line to line and what each classified line (line_scan.h) does to it. The
// reader of MIDI text lines and the reader of MIDI files' events both feed
// their lines here, so that they agree line for line.
//
// From the header the reader takes the division (ticks per quarter note);
// each name line names an instrument (echoed to the console and the note
// list) and opens a track section. In a section, the note lines (kind word
// On or Off) are the events, an Off line always a note's end, until a
// "Meta TrkEnd" line closes it; other lines only set the fields that later
// lines may leave out. Lines outside sections are passed over (a note start
// there is counted), but for a track's note lines of time 0 listed before
// its name line: they wait for the name, and are read right after it. With
// every track an instrument (--all-tracks), the first note line of a track
// without a name names it, by its sequence name or else by its number.

#ifndef MORVANE_READER_TRACK_SECTIONS_H_
#define MORVANE_READER_TRACK_SECTIONS_H_

#include <cstdint>
#include <vector>

#include "driver/run_state.h"
#include "reader/line_scan.h"
#include "reader/scanner.h"

namespace morvane {

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
  std::vector<HeldLine> held;  // in file order
};

// Sets the division (ticks per beat), ending the run when it is not above
// 0; sets room aside for about expected_events; opens the console's list of
// instruments and writes the note list's first line.
void start_reading(RunState& state, int32_t division,
                   std::size_t expected_events);

// Reads line, number line_number of the score, by the rules above. Ends
// the run on a number out of range in a section, or when memory runs out.
void read_line(RunState& state, ReaderFields& fields,
               const ClassifiedLine& line, uint64_t line_number);

// The score has ended: reads the lines still waiting for a name and says
// how many events the table holds.
void finish_reading(RunState& state, ReaderFields& fields);

// Ends the run: a number of line line_number does not fit 32 bits.
[[noreturn]] void number_out_of_range(RunState& state, uint64_t line_number);

// Ends the run: the score could not be read to its end.
[[noreturn]] void cannot_read(RunState& state);

}  // namespace morvane

#endif  // MORVANE_READER_TRACK_SECTIONS_H_
