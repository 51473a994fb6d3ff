// The score reader's section rules, shared by the MIDI text and MIDI file
// readers so that they agree line for line. A name line names an instrument
// (echoed to the console and the note list) and opens a track section, whose
// events are its note lines (On, Off; an Off always a note's end) until
// "Meta TrkEnd" closes it; other lines only set the fields that later lines
// may leave out. Lines outside sections are passed over (a note start there
// is counted), but for a track's note lines of time 0 before its name line,
// read right after it. With every track an instrument (--all-tracks), a
// note line outside every section opens one, named as a nameless track is:
// by the track's sequence name, else "Track N" (lines before the first MTrk
// are track 1's). So nothing is passed over, not even after a section has
// closed:
//
//   MTrk
//   0 Meta TrkName Piano     Piano, and its section
//   0 On ch=1 n=60 v=90      Piano's event
//   100 Meta TrkEnd          closes the section
//   200 On ch=1 n=62 v=90    opens a section "Track 1" and is its event

#ifndef MORVANE_READER_TRACK_SECTIONS_H_
#define MORVANE_READER_TRACK_SECTIONS_H_

#include <cstdint>
#include <vector>

#include "driver/run_state.h"
#include "reader/line_scan.h"
#include "reader/scanner.h"

namespace morvane {

// Where a line stands, for the message of a failure there: in a MIDI text
// file its number (the header is 1); in a standard MIDI file its event's
// track (the first MTrk chunk is 1) and the byte where the event begins.
struct LinePlace {
  uint64_t line_number = 0;
  uint64_t track = 0;
  uint64_t byte = 0;
};

// A line held while its track waits for its name, and its place in the file.
struct HeldLine {
  LineScan scan;
  LinePlace place;
};

// Never reset between lines: a field a line leaves out keeps its last value.
struct ReaderFields {
  NameFields name;
  EventFields event;
  bool in_section = false;
  bool sequence_names_track = false;  // format 0: SeqName names the track
  uint64_t names_seen = 0;
  // With every track an instrument: the track the lines belong to.
  uint64_t tracks_seen = 0;      // MTrk lines so far
  bool track_has_sequence_name = false;
  NameFields sequence_name;      // its 0 Meta SeqName words
  // A track with no section yet and no line of a time other than 0 waits:
  // converters may list its notes of time 0 before its name. Those note
  // lines are held for the name line, which makes them its events; if the
  // track ends or another time comes first, they are read as if none waited.
  bool track_waits = false;
  std::vector<HeldLine> held;  // in file order
};

// Sets the division (ending the run unless above 0) and room for about
// expected_events; begins the console's instrument list and the note list.
void start_reading(RunState& state, int32_t division,
                   std::size_t expected_events);

// Reads line, at place in the score, by the rules above. Ends the run on a
// number out of range in a section, or when memory runs out.
void read_line(RunState& state, ReaderFields& fields,
               const ClassifiedLine& line, const LinePlace& place);

// At the score's end: reads the held lines and says how many events there are.
void finish_reading(RunState& state, ReaderFields& fields);

// Ends the run: a number of the line at place does not fit 32 bits. In a
// standard MIDI file only a time can be such a number, and the message
// names the file, the track and the byte.
[[noreturn]] void number_out_of_range(RunState& state, const LinePlace& place);

// Ends the run: the score could not be read to its end.
[[noreturn]] void cannot_read(RunState& state);

}  // namespace morvane

#endif  // MORVANE_READER_TRACK_SECTIONS_H_
