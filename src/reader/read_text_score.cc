#include "reader/read_text_score.h"

#include <cstdint>
#include <string_view>

#include "driver/console.h"
#include "reader/event_table.h"
#include "reader/line_scan.h"
#include "reader/line_source.h"
#include "reader/open_score.h"
#include "reader/scanner.h"
#include "reader/score_map.h"
#include "reader/track_sections.h"

namespace morvane {
namespace {

// The next run of whole lines; false at the end; ends the run on a read error.
bool next_lines(RunState& state, std::string_view& lines) {
  switch (state.input->next_lines(lines)) {
    case LineRead::lines: return true;
    case LineRead::end: return false;
    case LineRead::error: break;
  }
  cannot_read(state);
}

// Takes the first line, with its line feed, off lines.
std::string_view cut_line(std::string_view& lines) {
  const std::size_t feed = lines.find('\n');
  const std::string_view line =
      lines.substr(0, feed == std::string_view::npos ? feed : feed + 1);
  lines.remove_prefix(line.size());
  return line;
}

HeaderFields read_header(RunState& state, std::string_view line) {
  line = up_to_nul(line);
  if (!line.starts_with(kMidiTextStart)) {
    fail(state, FailureKind::badly_formed, "\nBadly formed MIDI text file.\n");
  }
  HeaderFields header;
  if (scan_header(line, header).overflow) {
    number_out_of_range(state, LinePlace{.line_number = 1});
  }
  return header;
}

}  // namespace

void read_text_score(RunState& state) {
  create_event_table(state);
  std::string_view lines;
  if (!next_lines(state, lines)) {
    fail(state, FailureKind::badly_formed, "\nEmpty MIDI text file.\n");
  }
  const HeaderFields header = read_header(state, cut_line(lines));
  // A short event line ("0 On ch=1 n=60 v=0") has about 20 bytes.
  start_reading(state, header.division, state.input->size_hint() / 16 + 1);
  ReaderFields fields;
  fields.sequence_names_track = header.format == 0;
  state.score_map.format = header.format;
  LinePlace place{.line_number = 1};
  do {
    while (!lines.empty()) {
      ++place.line_number;
      const ClassifiedLine line =
          classify_line(cut_line(lines), fields.sequence_names_track);
      read_line(state, fields, line, place);
      if (line.form != LineForm::event) note_text_line(state, line);
    }
  } while (next_lines(state, lines));
  finish_reading(state, fields);
}

}  // namespace morvane
