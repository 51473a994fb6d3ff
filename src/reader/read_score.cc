#include "reader/read_score.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "driver/console.h"
#include "reader/event_table.h"
#include "reader/line_scan.h"
#include "reader/line_source.h"
#include "reader/midi/read_midi_score.h"
#include "reader/scanner.h"
#include "reader/score_tail.h"
#include "reader/track_sections.h"
#include "writer/note_list_file.h"

namespace morvane {
namespace {

// The next line as the source holds it: not yet cut at a NUL byte.
bool next_line(RunState& state, std::string_view& line) {
  if (state.input->next_line(line)) return true;
  if (!state.input->failure().empty()) fail(state, state.input->failure());
  return false;
}


// A note line as far as its own scan goes.
bool is_note_line(const LineScan& scan) {
  return scan.assigned >= 2 &&
         (scan.kind == LineKind::note_on || scan.kind == LineKind::note_off);
}

// A line outside every section. With every track an instrument, the first
// note line of a track without a name names it, by its sequence name or
// else by its number, and opens its section; otherwise a note start here is
// counted as passed over.
// sequence_line is the line when it starts "0 Meta SeqName", else empty.
void read_outside_line(RunState& state, ReaderFields& fields, bool track_start,
                       std::string_view sequence_line, const LineScan& scan) {
  if (state.all_tracks) {
    if (track_start) {
      start_unnamed_track(fields);
      return;
    }
    if (!fields.track_named && !sequence_line.empty()) {
      keep_sequence_name(fields, sequence_line);
      return;
    }
  }
  // The line's own fields: outside a section none are carried.
  if (state.all_tracks && !fields.track_named && is_note_line(scan)) {
    name_track_by_note(state, fields);
    return;
  }
  if (scan.kind == LineKind::note_on && scan.assigned == 5 &&
      scan.velocity > 0) {
    ++state.passed_over_notes;
  }
}

// Returns the header's format field.
int32_t read_header(RunState& state) {
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
  // Every time in the note list is divided by it; zero or a negative
  // number of ticks per beat has no meaning.
  take_division(state, header.division);
  return header.format;
}

// A line inside a track section. Only note lines are events; every other
// line still sets the working fields its scan reaches, so that a later line
// which leaves a field out carries the value.
void read_section_line(RunState& state, ReaderFields& fields,
                       const LineScan& scan, uint64_t line_number) {
  EventFields& event = fields.event;
  switch (scan.assigned) {
    default: event.velocity = scan.velocity; [[fallthrough]];
    case 4: event.note = scan.note; [[fallthrough]];
    case 3: event.channel = scan.channel; [[fallthrough]];
    case 2: case 1: event.time_ticks = scan.time_ticks; [[fallthrough]];
    case 0: break;
  }
  if (scan.overflow) number_out_of_range(state, line_number);
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
      // Text, lyric and marker lines sit among the notes; only the track's
      // end closes its section.
      fields.in_section = false;
      break;
    case LineKind::other:
      break;
  }
}

// A line that is not a name line, with its scan, read where it stands. A
// track named by its first note line reads that line as an event.
void read_line_in_place(RunState& state, ReaderFields& fields,
                        bool track_start, std::string_view sequence_line,
                        const LineScan& scan, uint64_t line_number) {
  if (!fields.in_section) {
    read_outside_line(state, fields, track_start, sequence_line, scan);
  }
  if (fields.in_section) read_section_line(state, fields, scan, line_number);
}

// Ends a track's wait. Right after its name line, which opened a section,
// the note lines it held are the named track's, read as if they stood
// there, and its other lines stay passed over. Else every line it held is
// read as it would have been had none waited.
void end_wait(RunState& state, ReaderFields& fields) {
  const bool named = fields.in_section;
  fields.track_waits = false;
  for (const HeldLine& held : fields.held) {
    if (named && !is_note_line(held.scan)) continue;
    read_line_in_place(state, fields, false, std::string_view(), held.scan,
                       held.line_number);
  }
  fields.held.clear();
}

// While a track waits for its name: holds the line, and returns true, when
// it is a note line of time 0, or when with every track an instrument a
// held note line would have opened a section for it already; ends the wait
// when the line ends the track or has another time (one out of range too).
bool held_for_name(RunState& state, ReaderFields& fields, bool track_start,
                   bool track_close, const LineScan& scan,
                   uint64_t line_number) {
  if (!fields.track_waits) return false;
  const bool other_time =
      scan.assigned == 0 ? scan.overflow : scan.time_ticks != 0;
  if (track_start || track_close || scan.kind == LineKind::track_end ||
      other_time) {
    end_wait(state, fields);
    return false;
  }
  // A line with no field of its own changes nothing, in a section or out.
  const bool held = is_note_line(scan) || (state.all_tracks &&
                                           !fields.held.empty() &&
                                           scan.assigned > 0);
  if (held) fields.held.push_back(HeldLine{scan, line_number});
  return held;
}

// A name line: the note lines its track listed before it are its own.
void read_name(RunState& state, ReaderFields& fields, std::string_view line) {
  read_name_line(state, fields, line);
  end_wait(state, fields);
}

// A line that is not a name line, with its scan. track_start and
// track_close: the line is "MTrk", "TrkEnd".
void read_scanned_line(RunState& state, ReaderFields& fields, bool track_start,
                       bool track_close, std::string_view sequence_line,
                       const LineScan& scan, uint64_t line_number) {
  if (held_for_name(state, fields, track_start, track_close, scan,
                    line_number)) {
    return;
  }
  read_line_in_place(state, fields, track_start, sequence_line, scan,
                     line_number);
  if (track_start && !fields.in_section) fields.track_waits = true;
}

// line: as the source holds it.
void read_line(RunState& state, ReaderFields& fields, std::string_view line,
               uint64_t line_number) {
  LineScan plain;
  if (scan_plain_note(line, plain)) {
    read_scanned_line(state, fields, false, false, std::string_view(), plain,
                      line_number);
    return;
  }
  // A line is what comes before its first NUL byte, as in a C string.
  line = up_to_nul(line);
  if (is_name_line(fields, line)) {
    read_name(state, fields, line);
    return;
  }
  read_scanned_line(
      state, fields, is_track_start(line), is_track_close(line),
      starts_with(line, kSequenceMarker) ? line : std::string_view(),
      scan_line(line), line_number);
}

// A plain note line read in a section: the event, and the working fields
// it sets (all of them; an Off line's velocity too, though its event
// releases with none).
void read_plain_in_section(RunState& state, ReaderFields& fields,
                           int32_t time_ticks, int32_t channel, int32_t note,
                           int32_t velocity, bool note_on) {
  fields.event.time_ticks = time_ticks;
  fields.event.channel = channel;
  fields.event.note = note;
  fields.event.velocity = velocity;
  append_event(state,
               EventRecord{time_ticks, channel, note, note_on ? velocity : 0});
}

// Inside a section nearly every line is a plain note line, read the same
// whatever came before it. Reads those that come next in the file's
// buffer, before the first other line and the first that starts at or
// after limit, as read_line would; returns how many.
uint64_t read_plain_notes(RunState& state, ReaderFields& fields,
                          FileLineSource& file, std::size_t limit) {
  const std::string_view rest = file.buffered();
  const std::size_t offset = file.buffered_offset();
  std::size_t used = 0;
  uint64_t lines = 0;
  while (used < rest.size() && offset + used < limit) {
    const char* start = rest.data() + used;
    const void* feed = std::memchr(start, '\n', rest.size() - used);
    if (feed == nullptr) break;  // the line runs past the buffer
    const std::size_t length = static_cast<const char*>(feed) - start + 1;
    LineScan scan;
    if (!scan_plain_note(std::string_view(start, length), scan)) break;
    read_plain_in_section(state, fields, scan.time_ticks, scan.channel,
                          scan.note, scan.velocity,
                          scan.kind == LineKind::note_on);
    used += length;
    ++lines;
  }
  file.skip(used);
  return lines;
}

// The lines a second thread scanned, read in turn from line_number on.
void read_tail(RunState& state, ReaderFields& fields, const ScoreTail& tail,
               uint64_t line_number) {
  std::size_t text = 0;
  for (const std::vector<TailLine>& piece : tail.lines()) {
    for (const TailLine& t : piece) {
      ++line_number;
      if (t.form != TailLine::Form::other && fields.in_section) {
        read_plain_in_section(state, fields, t.time_ticks, t.channel, t.note,
                              t.velocity, t.form == TailLine::Form::note_on);
        continue;
      }
      if (t.form != TailLine::Form::other) {
        read_scanned_line(state, fields, false, false, std::string_view(),
                          t.scan(), line_number);
        continue;
      }
      const TailOther& other =
          tail.others()[static_cast<std::size_t>(t.time_ticks)];
      if (other.name_line) {
        read_name(state, fields, tail.texts()[text++]);
        continue;
      }
      const std::string_view sequence_line =
          other.sequence_line ? std::string_view(tail.texts()[text++])
                              : std::string_view();
      read_scanned_line(state, fields, other.track_start, other.track_close,
                        sequence_line, other.scan, line_number);
    }
  }
}

// Every line after the header. A large file's second part is scanned on a
// second thread meanwhile; once this thread reaches it, it reads those
// scans instead of the lines (or, should that thread have failed, reads on
// by itself from there).
void read_lines(RunState& state, ReaderFields& fields) {
  auto* file = dynamic_cast<FileLineSource*>(state.input.get());
  std::unique_ptr<ScoreTail> tail =
      file == nullptr
          ? nullptr
          : ScoreTail::start(state, *file, fields.sequence_names_track);
  std::size_t tail_start = 0;  // 0: not known yet
  std::string_view line;
  uint64_t line_number = 1;
  for (;;) {
    // The second part's lines are left to the checks below.
    if (fields.in_section && file != nullptr) {
      line_number += read_plain_notes(
          state, fields, *file,
          tail != nullptr ? tail->split() : static_cast<std::size_t>(-1));
    }
    if (!next_line(state, line)) break;
    if (tail != nullptr && file->line_start() >= tail->split()) {
      if (tail_start == 0) tail_start = tail->first_line();
      if (file->line_start() >= tail_start) {
        if (tail->finish()) {
          read_tail(state, fields, *tail, line_number);
          return;
        }
        tail.reset();
      }
    }
    ++line_number;
    read_line(state, fields, line, line_number);
  }
}

}  // namespace

void read_score(RunState& state) {
  create_event_table(state);
  if (auto* midi = dynamic_cast<MidiFileSource*>(state.input.get())) {
    read_midi_score(state, midi->name(), midi->bytes());
    midi->release();
    return;
  }
  ReaderFields fields;
  fields.sequence_names_track = read_header(state) == 0;
  // A short event line ("0 On ch=1 n=60 v=0") has about 20 bytes.
  reserve_events(state, state.input->size_hint() / 16 + 1);
  say(state, "Instruments: ");
  state.output->write("// MORVANE file.\n");

  read_lines(state, fields);
  end_wait(state, fields);  // the score ended first
  say(state, "\nNumber of lines in array " +
                 std::to_string(state.table.events()) + "\n");
}

}  // namespace morvane
