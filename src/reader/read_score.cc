#include "reader/read_score.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "driver/console.h"
#include "reader/event_table.h"
#include "reader/line_source.h"
#include "reader/scanner.h"
#include "writer/note_list_file.h"

namespace morvane {
namespace {

constexpr std::string_view kNameMarker = "0 Meta TrkName";
// A converter writes the name of a file's first track as a sequence name,
// and a format 0 file has no other track.
constexpr std::string_view kSequenceMarker = "0 Meta SeqName";

// A C program sees a line only up to its first NUL byte.
std::string_view up_to_nul(std::string_view line) {
  return line.substr(0, line.find('\0'));
}

bool next_line(RunState& state, std::string_view& line) {
  if (state.input->next_line(line)) {
    line = up_to_nul(line);
    return true;
  }
  if (!state.input->failure().empty()) fail(state, state.input->failure());
  return false;
}

[[noreturn]] void number_out_of_range(RunState& state, uint64_t line_number) {
  fail(state, "\nNumber out of range in line " + std::to_string(line_number) +
                  " of the MIDI text file.\n");
}

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
};

bool starts_with(std::string_view line, std::string_view marker) {
  return line.substr(0, marker.size()) == marker;
}

bool is_name_line(const ReaderFields& fields, std::string_view line) {
  // Most lines are events; one look at a character sends them on.
  if (line.size() < kNameMarker.size() || line[2] != 'M') return false;
  return starts_with(line, kNameMarker) ||
         (fields.sequence_names_track && starts_with(line, kSequenceMarker));
}

// The word after the kind word of a line scanned as an event.
std::string_view word_after_kind(std::string_view line, std::string_view kind) {
  std::size_t p = static_cast<std::size_t>(kind.data() - line.data()) +
                  kind.size();
  while (p < line.size() && is_white(line[p])) ++p;
  std::size_t end = p;
  while (end < line.size() && !is_white(line[end])) ++end;
  return line.substr(p, end - p);
}

// Names an instrument by fields.name and opens its section.
void report_name(RunState& state, ReaderFields& fields) {
  ++fields.names_seen;
  std::string shown = fields.name.first + " " + fields.name.second;
  if (fields.names_seen % 5 == 0) shown += "\n\t";
  say(state, shown);
  state.output->write("// Instrument " + fields.name.first + " " +
                      fields.name.second + "\n");
  fields.in_section = true;
  fields.track_named = true;
}

void read_name_line(RunState& state, ReaderFields& fields,
                    std::string_view line) {
  fields.name.second.clear();
  scan_track_name(line, fields.name,
                  starts_with(line, kNameMarker) ? "TrkName" : "SeqName");
  report_name(state, fields);
}

bool is_track_start(std::string_view line) {
  return starts_with(line, "MTrk") && (line.size() == 4 || is_white(line[4]));
}

// The kind word of a line's own scan, and whether it is a note start: a
// line outside a section, whose fields the reader does not carry.
struct OwnScan {
  bool note_line = false;   // kind word On or Off
  bool note_start = false;  // On with a velocity of its own above 0
};

OwnScan scan_alone(std::string_view line) {
  EventFields own;
  const ScanResult scanned = scan_event(line, own);
  OwnScan result;
  if (scanned.assigned >= 2) {
    result.note_line = own.kind == "On" || own.kind == "Off";
    result.note_start =
        own.kind == "On" && scanned.assigned == 5 && own.velocity > 0;
  }
  return result;
}

// A line outside every section. With every track an instrument, the first
// note line of a track without a name names it, by its sequence name or
// else by its number, and opens its section; otherwise a note start here is
// counted as passed over.
void read_outside_line(RunState& state, ReaderFields& fields,
                       std::string_view line) {
  if (state.all_tracks) {
    if (is_track_start(line)) {
      ++fields.tracks_seen;
      fields.track_named = false;
      fields.track_has_sequence_name = false;
      return;
    }
    if (!fields.track_named && starts_with(line, kSequenceMarker)) {
      fields.sequence_name = NameFields{};
      scan_track_name(line, fields.sequence_name, "SeqName");
      fields.track_has_sequence_name = true;
      return;
    }
  }
  const OwnScan own = scan_alone(line);
  if (state.all_tracks && !fields.track_named && own.note_line) {
    if (fields.track_has_sequence_name) {
      fields.name = fields.sequence_name;
    } else {
      fields.name.first = "Track";
      fields.name.second =
          std::to_string(std::max<uint64_t>(1, fields.tracks_seen));
    }
    report_name(state, fields);
    return;
  }
  if (own.note_start) ++state.passed_over_notes;
}

// Returns the header's format field.
int32_t read_header(RunState& state) {
  std::string_view line;
  if (!next_line(state, line)) {
    fail(state, "\nEmpty MIDI text file.\n");
  }
  if (line.substr(0, 5) != "MFile") {
    fail(state, "\nBadly formed MIDI text file.\n");
  }
  HeaderFields header;
  if (scan_header(line, header).overflow) number_out_of_range(state, 1);
  // Every time in the note list is divided by it; zero or a negative
  // number of ticks per beat has no meaning.
  if (header.division <= 0) {
    fail(state, "\nBadly formed MIDI text file: division must be above 0.\n");
  }
  state.division = header.division;
  return header.format;
}

// A line inside a track section. Only note lines are events; every other
// line still sets the working fields its scan reaches, so that a later line
// which leaves a field out carries the value.
void read_section_line(RunState& state, ReaderFields& fields,
                       std::string_view line, uint64_t line_number) {
  EventFields& event = fields.event;
  const ScanResult scanned = scan_event(line, event);
  if (scanned.overflow) number_out_of_range(state, line_number);
  if (scanned.assigned < 2) return;  // no kind word of its own
  const std::string_view kind = event.kind;
  if (kind == "On") {
    append_event(state, EventRecord{event.time_ticks, event.channel,
                                    event.note, event.velocity});
  } else if (kind == "Off") {
    // A note off ends its note whatever velocity it releases with.
    append_event(state,
                 EventRecord{event.time_ticks, event.channel, event.note, 0});
  } else if (starts_with(kind, "Meta") &&
             word_after_kind(line, kind) == "TrkEnd") {
    // Text, lyric and marker lines sit among the notes; only the track's
    // end closes its section.
    fields.in_section = false;
  }
}

}  // namespace

void read_score(RunState& state) {
  create_event_table(state);
  ReaderFields fields;
  fields.sequence_names_track = read_header(state) == 0;
  // A short event line ("0 On ch=1 n=60 v=0") has about 20 bytes.
  reserve_events(state, state.input->size_hint() / 16 + 1);
  say(state, "Instruments: ");
  state.output->write("// MORVANE file.\n");

  std::string_view line;
  uint64_t line_number = 1;
  while (next_line(state, line)) {
    ++line_number;
    if (is_name_line(fields, line)) {
      read_name_line(state, fields, line);
      continue;
    }
    // A track named by its first note line reads that line as an event.
    if (!fields.in_section) read_outside_line(state, fields, line);
    if (fields.in_section) read_section_line(state, fields, line, line_number);
  }
  say(state, "\nNumber of lines in array " +
                 std::to_string(state.table.events()) + "\n");
}

}  // namespace morvane
