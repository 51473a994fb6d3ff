// The event table of every named track's events, in input order (run_state.h).

#ifndef MORVANE_READER_EVENT_TABLE_H_
#define MORVANE_READER_EVENT_TABLE_H_

#include <cstddef>

#include "driver/run_state.h"

namespace morvane {

// Creates the table, slot 0 unused; ends the run (status 1) without memory.
void create_event_table(RunState& state);

// Only a hint: room for about expected events, so the table is not recopied.
void reserve_events(RunState& state, std::size_t expected);

// Grows the table to new_count slots, and by one WideFields when wide_record;
// ends the run (status 1, messages on standard output) when it cannot.
void GET_LMEM(RunState& state, std::size_t new_count, bool wide_record);

// Appends an event that append_event could not place in the room there is.
void append_event_growing(RunState& state, const EventRecord& event);

// Appends one event at slot count; ends the run with status 1 when the table
// cannot grow. Inline: the common case needs no call and cannot fail.
inline void append_event(RunState& state, const EventRecord& event) {
  EventTable& table = state.table;
  if (EventTable::fits_packed(event) &&
      table.slots.size() < table.slots.capacity()) {
    table.slots.push_back({event.time_ticks, EventTable::pack(event)});
    return;
  }
  append_event_growing(state, event);
}

}  // namespace morvane

#endif  // MORVANE_READER_EVENT_TABLE_H_
