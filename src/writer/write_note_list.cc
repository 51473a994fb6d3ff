#include "writer/write_note_list.h"

#include <algorithm>

#include "analysis/compute_durations.h"
#include "analysis/single_precision.h"
#include "analysis/sort_by_time.h"
#include "driver/console.h"
#include "writer/format_decimal.h"
#include "writer/note_list_file.h"

namespace morvane {

static_assert(kMaxNoteLine >= 2 * kMaxFixed3 + 3 * 20 + 6);

void announce_note_list(RunState& state) {
  say(state, "\n Writing data to");
  say(state, " '" + state.output_name + "'\n");
}

void write_note_list(RunState& state) {
  announce_note_list(state);
  NoteListFile& file = *state.output;
  // In runs of slots, so that each run fits the file's room.
  constexpr std::size_t kRun = 256;
  for (std::size_t lo = 1; lo < state.table.count(); lo += kRun) {
    const std::size_t hi = std::min(lo + kRun, state.table.count());
    file.used(put_note_lines(state, lo, hi, file.room(kRun * kMaxNoteLine)));
  }
}

namespace {

// One event's line, as put_note_lines writes it; duration is the start's
// (only read for a start).
char* put_note_line(char* p, const EventRecord& r, float duration,
                    int32_t division) {
  const NoteLine line = note_line(r, duration, division);
  p = put_fixed3(p, line.start);
  *p++ = ' ';
  *p++ = '\t';
  p = put_int(p, line.channel);
  *p++ = '\t';
  p = put_int(p, line.key);
  *p++ = '\t';
  p = put_int(p, line.velocity);
  *p++ = '\t';
  p = put_fixed3(p, line.duration);
  *p++ = '\n';
  return p;
}

}  // namespace

uint64_t note_line_count(const EventTable& table) {
  uint64_t lines = 0;
  for (std::size_t slot = 1; slot < table.count(); ++slot) {
    lines += has_note_line(table.at(slot));
  }
  return lines;
}

char* put_note_lines(const RunState& state, std::size_t lo, std::size_t hi,
                     char* p) {
  const float* duration = state.arrays.duration_beats.get();
  for (std::size_t i = lo; i < hi; ++i) {
    const EventRecord r = sorted_event(state, i);
    if (!has_note_line(r)) continue;
    p = put_note_line(p, r, duration[state.arrays.order[i].file_slot],
                      state.division);
  }
  return p;
}

// Each line is written and measured: the one formatter decides the length.
std::size_t note_lines_length(const RunState& state) {
  const float* duration = state.arrays.duration_beats.get();
  char line[kMaxNoteLine];
  std::size_t length = 0;
  for (std::size_t slot = 1; slot < state.table.count(); ++slot) {
    EventRecord r = state.table.at(slot);
    if (!has_note_line(r)) continue;
    // As put_note_lines has it: the time as the order holds it.
    r.time_ticks = through_single(r.time_ticks);
    length += static_cast<std::size_t>(
        put_note_line(line, r, duration[slot], state.division) - line);
  }
  return length;
}

}  // namespace morvane
