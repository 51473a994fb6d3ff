#include "reader/event_table.h"

#include <cstdint>

#include <new>
#include <stdexcept>

#if defined(__linux__)
#include <sys/mman.h>
#endif

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

namespace {

// On this kind of machine most of the cost of a large table is the first
// touch of each of its pages; asking for huge pages makes those touches 512
// times fewer. Advice only: the kernel may ignore it.
void advise_huge_pages(const void* data, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr uintptr_t kHuge = uintptr_t{1} << 21;
  const auto begin = reinterpret_cast<uintptr_t>(data);
  const uintptr_t first = (begin + kHuge - 1) & ~(kHuge - 1);
  const uintptr_t last = (begin + bytes) & ~(kHuge - 1);
  if (last > first) {
    madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
  }
#else
  (void)data;
  (void)bytes;
#endif
}

}  // namespace

void reserve_events(RunState& state, std::size_t expected) {
  std::vector<EventRecord>& slots = state.table.slots;
  if (expected <= slots.capacity()) return;
  try {
    slots.reserve(expected);
    advise_huge_pages(slots.data(), slots.capacity() * sizeof(EventRecord));
  } catch (const std::bad_alloc&) {
    // The table grows as it must instead.
  } catch (const std::length_error&) {
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
