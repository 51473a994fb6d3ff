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
  bool kind_is_meta = false;  // what the last kind word scanned began with
  bool in_section = false;
  uint64_t names_seen = 0;
};

bool is_name_line(std::string_view line) {
  // Most lines are events; one look at a character sends them on.
  return line.size() >= kNameMarker.size() && line[2] == 'M' &&
         line.substr(0, kNameMarker.size()) == kNameMarker;
}

void report_name(RunState& state, ReaderFields& fields, std::string_view line) {
  fields.name.second.clear();
  scan_track_name(line, fields.name);
  ++fields.names_seen;
  std::string shown = fields.name.first + " " + fields.name.second;
  if (fields.names_seen % 5 == 0) shown += "\n\t";
  say(state, shown);
  state.output->write("// Instrument " + fields.name.first + " " +
                      fields.name.second + "\n");
  fields.in_section = true;
}

void read_header(RunState& state) {
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
}

}  // namespace

void read_score(RunState& state) {
  create_event_table(state);
  if (state.input->is_midi_file()) decode_midi_input(state);
  read_header(state);
  // A short event line ("0 On ch=1 n=60 v=0") has about 20 bytes.
  reserve_events(state, state.input->size_hint() / 16 + 1);
  say(state, "Instruments: ");
  state.output->write("// MORVANE file.\n");

  ReaderFields fields;
  std::string_view line;
  uint64_t line_number = 1;
  while (next_line(state, line)) {
    ++line_number;
    if (is_name_line(line)) {
      report_name(state, fields, line);
    } else if (fields.in_section) {
      EventFields& event = fields.event;
      const ScanResult scanned = scan_event(line, event);
      if (scanned.overflow) number_out_of_range(state, line_number);
      if (scanned.assigned >= 2) {
        fields.kind_is_meta = event.kind.substr(0, 4) == "Meta";
      }
      if (fields.kind_is_meta) {
        fields.in_section = false;
      } else {
        append_event(state, EventRecord{event.time_ticks, event.channel,
                                        event.note, event.velocity});
      }
    }
  }
  say(state, "\nNumber of lines in array " +
                 std::to_string(state.table.events()) + "\n");
}

}  // namespace morvane
