#include "reader/event_table.h"

#include <new>
#include <stdexcept>

#include "driver/console.h"

namespace morvane {

void create_event_table(RunState& state) {
  try {
    if (state.fail_at == FailPoint::table_create) throw std::bad_alloc();
    state.table.slots.assign(1, EventRecord{});
  } catch (const std::bad_alloc&) {
    fail_on_out(state, "\n FILE INPUT: No memory for array\n");
  }
}

int GET_LMEM(RunState& state, std::size_t new_count) {
  try {
    if (state.fail_at == FailPoint::table_grow) throw std::bad_alloc();
    state.table.slots.resize(new_count);
  } catch (const std::bad_alloc&) {
    say(state, "\n GET_LMEM 1: No memory for array\n");
    return 0;
  } catch (const std::length_error&) {
    say(state, "\n GET_LMEM 1: No memory for array\n");
    return 0;
  }
  return 1;
}

void append_event(RunState& state, const EventRecord& event) {
  std::vector<EventRecord>& slots = state.table.slots;
  // The common case stays inline: room is there and nothing can fail.
  if (slots.size() < slots.capacity()) {
    slots.push_back(event);
    return;
  }
  if (GET_LMEM(state, slots.size() + 1) == 0) {
    fail_on_out(state, "\n Insufficient memory for file input\n");
  }
  slots.back() = event;
}

}  // namespace morvane
