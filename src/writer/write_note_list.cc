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
    char* p = file.room(2 * kMaxFixed3 + 3 * 24);
    p = put_fixed3(p, start ? start_beats(r.time_ticks, state.division)
                            : static_cast<float>(r.time_ticks));
    *p++ = ' ';
    *p++ = '\t';
    p = put_int(p, static_cast<int64_t>(r.channel) - 1);
    *p++ = '\t';
    p = put_int(p, r.note);
    *p++ = '\t';
    p = put_int(p, r.velocity);
    *p++ = '\t';
    p = put_fixed3(p, start ? state.arrays.duration_beats[i]
                            : static_cast<float>(r.channel));
    *p++ = '\n';
    file.used(p);
  }
}

}  // namespace morvane
