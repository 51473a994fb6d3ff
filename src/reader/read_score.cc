#include "reader/read_score.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "driver/console.h"
#include "reader/event_table.h"
#include "reader/line_source.h"
#include "reader/midi_file.h"
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
  if (state.input->read_error()) {
    fail(state, "\n Can't read " + state.input_name + " as input score\n");
  }
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

void report_name(RunState& state, ReaderFields& fields, std::string_view line) {
  fields.name.second.clear();
  scan_track_name(line, fields.name,
                  starts_with(line, kNameMarker) ? "TrkName" : "SeqName");
  ++fields.names_seen;
  std::string shown = fields.name.first + " " + fields.name.second;
  if (fields.names_seen % 5 == 0) shown += "\n\t";
  say(state, shown);
  state.output->write("// Instrument " + fields.name.first + " " +
                      fields.name.second + "\n");
  fields.in_section = true;
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
  if (state.input->is_midi_file()) decode_midi_input(state);
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
      report_name(state, fields, line);
    } else if (fields.in_section) {
      read_section_line(state, fields, line, line_number);
    }
  }
  say(state, "\nNumber of lines in array " +
                 std::to_string(state.table.events()) + "\n");
}

}  // namespace morvane
