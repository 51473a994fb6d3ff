#include "writer/write_note_list.h"

#include "analysis/compute_durations.h"
#include "driver/console.h"
#include "writer/format_decimal.h"
#include "writer/note_list_file.h"

namespace morvane {

void write_note_list(RunState& state) {
  say(state, "\n Writing data to");
  say(state, " '" + state.output_name + "'\n");

  const EventTable& table = state.table;
  NoteListFile& file = *state.output;
  for (std::size_t i = 1; i < table.count(); ++i) {
    const EventRecord r = table.at(i);
    // Ends (velocity 0) are not written. A negative velocity is: the
    // duration stage passed it over, so its start is still in ticks and its
    // channel number stands where the duration goes. Deliberate; kept as
    // note lists have always had it.
    if (r.velocity == 0) continue;
    const bool start = r.velocity > 0;
    std::string& line = file.buffer();
    append_fixed3(line, start ? start_beats(r.time_ticks, state.division)
                              : static_cast<float>(r.time_ticks));
    line += " \t";
    append_int(line, static_cast<int64_t>(r.channel) - 1);
    line += '\t';
    append_int(line, r.note);
    line += '\t';
    append_int(line, r.velocity);
    line += '\t';
    append_fixed3(line, start ? state.arrays.duration_beats[i]
                              : static_cast<float>(r.channel));
    line += '\n';
    file.wrote();
  }
}

}  // namespace morvane
