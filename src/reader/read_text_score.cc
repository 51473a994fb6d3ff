#include "reader/read_text_score.h"

#include <cstdint>
#include <string_view>

#include "driver/console.h"
#include "reader/event_table.h"
#include "reader/line_scan.h"
#include "reader/line_source.h"
#include "reader/scanner.h"
#include "reader/track_sections.h"

namespace morvane {
namespace {

// The next line as the source holds it; false at the end of the input.
// Ends the run when the input cannot be read.
bool next_line(RunState& state, std::string_view& line) {
  switch (state.input->next_line(line)) {
    case LineRead::line: return true;
    case LineRead::end: return false;
    case LineRead::error: break;
  }
  cannot_read(state);
}

HeaderFields read_header(RunState& state) {
  std::string_view line;
  if (!next_line(state, line)) {
    fail(state, "\nEmpty MIDI text file.\n");
  }
  line = up_to_nul(line);
  if (line.substr(0, 5) != "MFile") {
    fail(state, "\nBadly formed MIDI text file.\n");
  }
  HeaderFields header;
  if (scan_header(line, header).overflow) number_out_of_range(state, 1);
  return header;
}

}  // namespace

void read_text_score(RunState& state) {
  create_event_table(state);
  const HeaderFields header = read_header(state);
  // A short event line ("0 On ch=1 n=60 v=0") has about 20 bytes.
  start_reading(state, header.division, state.input->size_hint() / 16 + 1);
  ReaderFields fields;
  fields.sequence_names_track = header.format == 0;
  std::string_view line;
  uint64_t line_number = 1;
  while (next_line(state, line)) {
    read_line(state, fields, classify_line(line, fields.sequence_names_track),
              ++line_number);
  }
  finish_reading(state, fields);
}

}  // namespace morvane
