#include "reader/track_sections.h"

#include <algorithm>
#include <string>
#include <utility>

#include "driver/console.h"
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
  fields.track_named = true;
}

}  // namespace

void read_name_line(RunState& state, ReaderFields& fields,
                    std::string_view line) {
  fields.name.second.clear();
  scan_track_name(line, fields.name,
                  starts_with(line, kNameMarker) ? "TrkName" : "SeqName");
  report_name(state, fields);
}

void start_unnamed_track(ReaderFields& fields) {
  ++fields.tracks_seen;
  fields.track_named = false;
  fields.track_has_sequence_name = false;
}

void keep_sequence_name(ReaderFields& fields, std::string_view line) {
  fields.sequence_name = NameFields{};
  scan_track_name(line, fields.sequence_name, "SeqName");
  fields.track_has_sequence_name = true;
}

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

void take_division(RunState& state, int32_t division) {
  if (division <= 0) {
    fail(state, "\nBadly formed MIDI text file: division must be above 0.\n");
  }
  state.division = division;
}

void number_out_of_range(RunState& state, uint64_t line_number) {
  fail(state, "\nNumber out of range in line " + std::to_string(line_number) +
                  " of the MIDI text file.\n");
}

}  // namespace morvane
