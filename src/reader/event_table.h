// The event table: every event of every named track, in input order.
//
// Events are stored inline, 8 bytes each, in one contiguous block that
// grows geometrically, so appending is amortized O(1); slot 0 holds no event
// (see EventTable in run_state.h).

#ifndef MORVANE_READER_EVENT_TABLE_H_
#define MORVANE_READER_EVENT_TABLE_H_

#include <cstddef>

#include "driver/run_state.h"

namespace morvane {

// Creates the empty table: one unused slot, count 1. Ends the run with
// status 1 when there is no memory for it.
void create_event_table(RunState& state);

// Sets room aside for about expected events, so that a large table is not
// copied while it grows. Only a hint: nothing fails if the room cannot be had.
void reserve_events(RunState& state, std::size_t expected);

// Makes room for one more event so that the table holds new_count slots
// (the caller's count plus one), and for its WideFields when wide_record.
// Ends the run with status 1, its messages on standard output, when either
// cannot be had.
void GET_LMEM(RunState& state, std::size_t new_count, bool wide_record);

// Appends an event that append_event could not place in the room there is.
void append_event_growing(RunState& state, const EventRecord& event);

// Appends one event at slot count; ends the run with status 1 when the table
// cannot grow. Inline, as the reader calls it for nearly every line: the
// common case needs no call and cannot fail.
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
