#include "reader/track_sections.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "driver/console.h"
#include "reader/event_table.h"
#include "reader/line_source.h"
#include "writer/note_list_file.h"

namespace morvane {
namespace {

// Names an instrument by fields.name and opens its section.
void report_name(RunState& state, ReaderFields& fields) {
  ++fields.names_seen;
  std::string name = fields.name.first + " " + fields.name.second;
  say(state, fields.names_seen % 5 == 0 ? name + "\n\t" : name);
  state.output->write("// Instrument " + name + "\n");
  state.instruments.push_back(std::move(name));
  fields.in_section = true;
}

// Names an instrument by the line's two words ("Flute " when only one) and
// opens its section; with no word, the first word of the name before stays.
void read_name_line(RunState& state, ReaderFields& fields,
                    std::string_view line) {
  fields.name.second.clear();
  scan_track_name(line, fields.name,
                  starts_with(line, kNameMarker) ? "TrkName" : "SeqName");
  report_name(state, fields);
}

// Names a section outside every other by its track's sequence name or
// "Track N", and opens it.
void name_track_by_note(RunState& state, ReaderFields& fields) {
  if (fields.track_has_sequence_name) {
    fields.name = fields.sequence_name;
  } else {
    fields.name.first = "Track";
    fields.name.second =
        std::to_string(std::max<uint64_t>(1, fields.tracks_seen));
  }
  report_name(state, fields);
}

// A note line as far as its own scan goes.
bool is_note_line(const LineScan& scan) {
  return scan.assigned >= 2 &&
         (scan.kind == LineKind::note_on || scan.kind == LineKind::note_off);
}

// A line outside every section. With every track an instrument, MTrk starts
// a nameless track, a sequence name is kept for it, and a note line opens a
// section named as a nameless track is, also after the track's own section
// has closed: nothing is passed over. Otherwise a note start here is counted
// as passed over.
void read_outside_line(RunState& state, ReaderFields& fields,
                       const ClassifiedLine& line) {
  if (state.all_tracks) {
    if (line.form == LineForm::track_start) {
      ++fields.tracks_seen;
      fields.track_has_sequence_name = false;
      return;
    }
    if (line.form == LineForm::sequence_name) {
      fields.sequence_name = NameFields{};
      scan_track_name(line.text, fields.sequence_name, "SeqName");
      fields.track_has_sequence_name = true;
      return;
    }
  }
  // The line's own fields: outside a section none are carried.
  const LineScan& scan = line.scan;
  if (state.all_tracks && is_note_line(scan)) {
    name_track_by_note(state, fields);
    return;
  }
  if (scan.kind == LineKind::note_on && scan.assigned == 5 &&
      scan.velocity > 0) {
    ++state.passed_over_notes;
  }
}

// A line inside a section. Only note lines are events, but every line sets
// the working fields its scan reaches, for later lines that leave them out.
void read_section_line(RunState& state, ReaderFields& fields,
                       const LineScan& scan, const LinePlace& place) {
  EventFields& event = fields.event;
  switch (scan.assigned) {
    default: event.velocity = scan.velocity; [[fallthrough]];
    case 4: event.note = scan.note; [[fallthrough]];
    case 3: event.channel = scan.channel; [[fallthrough]];
    case 2: case 1: event.time_ticks = scan.time_ticks; [[fallthrough]];
    case 0: break;
  }
  if (scan.overflow) number_out_of_range(state, place);
  if (scan.assigned < 2) return;  // no kind word of its own
  switch (scan.kind) {
    case LineKind::note_on:
      append_event(state, EventRecord{event.time_ticks, event.channel,
                                      event.note, event.velocity});
      break;
    case LineKind::note_off:
      // A note off ends its note whatever velocity it releases with.
      append_event(state,
                   EventRecord{event.time_ticks, event.channel, event.note, 0});
      break;
    case LineKind::track_end:
      // Only the track's end closes a section: text lines sit among notes.
      fields.in_section = false;
      break;
    case LineKind::other:
      break;
  }
}

// Reads a non-name line in place; a note line naming its track is an event.
void read_in_place(RunState& state, ReaderFields& fields,
                   const ClassifiedLine& line, const LinePlace& place) {
  if (!fields.in_section) read_outside_line(state, fields, line);
  if (fields.in_section) read_section_line(state, fields, line.scan, place);
}

// Ends a track's wait. Right after its name line, which opened a section,
// the held note lines are read as if they stood there and the others stay
// passed over; else every held line is read as if none had waited.
void end_wait(RunState& state, ReaderFields& fields) {
  const bool named = fields.in_section;
  fields.track_waits = false;
  for (const HeldLine& held : fields.held) {
    if (named && !is_note_line(held.scan)) continue;
    read_in_place(state, fields, ClassifiedLine{LineForm::event, held.scan, {}},
                  held.place);
  }
  fields.held.clear();
}

// While a track waits for its name: holds the line, and returns true, when
// it is a note line of time 0, or when with every track an instrument a
// held note line would have opened a section for it already; ends the wait
// when the line ends the track or has another time (one out of range too).
bool held_for_name(RunState& state, ReaderFields& fields,
                   const ClassifiedLine& line, const LinePlace& place) {
  if (!fields.track_waits) return false;
  const LineScan& scan = line.scan;
  const bool other_time =
      scan.assigned == 0 ? scan.overflow : scan.time_ticks != 0;
  if (line.form == LineForm::track_start ||
      line.form == LineForm::track_close ||
      scan.kind == LineKind::track_end || other_time) {
    end_wait(state, fields);
    return false;
  }
  // A line with no field of its own changes nothing, in a section or out.
  const bool held = is_note_line(scan) || (state.all_tracks &&
                                           !fields.held.empty() &&
                                           scan.assigned > 0);
  if (held) fields.held.push_back(HeldLine{scan, place});
  return held;
}

}  // namespace

void start_reading(RunState& state, int32_t division,
                   std::size_t expected_events) {
  // Every time in the note list is divided by it.
  if (division <= 0) {
    fail(state, FailureKind::badly_formed,
         "\nBadly formed MIDI text file: division must be above 0.\n");
  }
  state.division = division;
  reserve_events(state, expected_events);
  say(state, "Instruments: ");
  state.output->write("// MORVANE file.\n");
}

void read_line(RunState& state, ReaderFields& fields,
               const ClassifiedLine& line, const LinePlace& place) {
  if (line.form == LineForm::name) {
    // The note lines its track listed before it are its own.
    read_name_line(state, fields, line.text);
    end_wait(state, fields);
    return;
  }
  if (held_for_name(state, fields, line, place)) return;
  read_in_place(state, fields, line, place);
  if (line.form == LineForm::track_start && !fields.in_section) {
    fields.track_waits = true;
  }
}

void finish_reading(RunState& state, ReaderFields& fields) {
  end_wait(state, fields);
  say(state, "\nNumber of lines in array " +
                 std::to_string(state.table.events()) + "\n");
}

void number_out_of_range(RunState& state, const LinePlace& place) {
  if (state.input_kind == ScoreKind::midi_file) {
    // Its other numbers are bytes: a time is the sum of a track's deltas.
    fail(state, FailureKind::out_of_range,
         "\nTime out of range in MIDI file " + state.input_name +
             ": track " + std::to_string(place.track) + ", the event at byte " +
             std::to_string(place.byte) + " comes after tick 2147483647.\n");
  }
  fail(state, FailureKind::out_of_range,
       "\nNumber out of range in line " + std::to_string(place.line_number) +
           " of the MIDI text file.\n");
}

void cannot_read(RunState& state) {
  fail(state, FailureKind::score_not_read,
       "\n Can't read " + state.input_name + " as input score\n",
       state.input_name, state.input->error_number());
}

}  // namespace morvane
