#include "analysis/compute_durations.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <memory>
#include <new>
#include <unordered_map>
#include <vector>

#include "analysis/single_precision.h"
#include "driver/allocation.h"
#include "base/huge_pages.h"

namespace morvane {
namespace {

// A note event of one channel and note: its rounded time and its table
// slot, with kEnd set for an end.
struct KeyedEvent {
  int32_t time;
  uint32_t slot;
};
constexpr uint32_t kEnd = 0x80000000u;

// Numbers the channel-and-note pairs: channels 1 to 16 and keys 0 to 127
// (nearly every event) directly, anything else in order of appearance.
class KeyNumbers {
 public:
  static constexpr uint32_t kFlat = 16 * 128;

  uint32_t of(int32_t channel, int32_t note) {
    if (channel >= 1 && channel <= 16 && note >= 0 && note < 128) {
      return static_cast<uint32_t>((channel - 1) * 128 + note);
    }
    const uint64_t key =
        (static_cast<uint64_t>(static_cast<uint32_t>(channel)) << 32) |
        static_cast<uint32_t>(note);
    const auto next = static_cast<uint32_t>(kFlat + other_.size());
    return other_.try_emplace(key, next).first->second;
  }
  std::size_t size() const { return kFlat + other_.size(); }

 private:
  std::unordered_map<uint64_t, uint32_t> other_;
};

// The note events of the table grouped by channel and note (a counting
// sort, so each group stays in input order), each group then put in time
// order with ties kept in input order. Groups are short and nearly in
// order already, so this is far cheaper than ordering all events at once.
// group_end[k] is where group k ends.
// Room for the events, left unwritten (it is filled at once) and in huge
// pages: a fault of the system's small pages costs more than everything
// done with the event, on a virtual machine.
LargeArray<KeyedEvent> group_by_key(const EventTable& table,
                                           std::vector<std::size_t>& group_end) {
  const std::size_t count = table.count();
  // The second pass numbers each pair again, and gets the same numbers.
  KeyNumbers numbers;
  std::vector<std::size_t> first(KeyNumbers::kFlat + 1, 0);
  std::size_t events = 0;
  for (std::size_t slot = 1; slot < count; ++slot) {
    const EventRecord r = table.at(slot);
    if (r.velocity < 0) continue;  // neither a start nor an end
    const uint32_t key = numbers.of(r.channel, r.note);
    if (first.size() <= key + 1) first.resize(key + 2, 0);
    ++first[key + 1];
    ++events;
  }
  for (std::size_t k = 1; k < first.size(); ++k) first[k] += first[k - 1];
  group_end.assign(first.begin() + 1, first.end());
  LargeArray<KeyedEvent> grouped(events);
  for (std::size_t slot = 1; slot < count; ++slot) {
    const EventRecord r = table.at(slot);
    if (r.velocity < 0) continue;
    grouped[first[numbers.of(r.channel, r.note)]++] = {
        through_single(table.slots[slot].time_ticks),
        static_cast<uint32_t>(slot) | (r.velocity == 0 ? kEnd : 0)};
  }
  auto by_time = [](const KeyedEvent& a, const KeyedEvent& b) {
    return a.time < b.time;
  };
  for (std::size_t k = 0, lo = 0; k < group_end.size(); lo = group_end[k++]) {
    KeyedEvent* begin = grouped.get() + lo;
    KeyedEvent* end = grouped.get() + group_end[k];
    if (!std::is_sorted(begin, end, by_time)) {
      std::stable_sort(begin, end, by_time);
    }
  }
  return grouped;
}

}  // namespace

void allocate_durations(RunState& state) {
  const std::size_t count = state.table.count();
  auto& duration = state.arrays.duration_beats;
  allocate_or_fail(state, FailPoint::duration_array, "\nNo memory for array2.",
                   [&] {
                     duration.assign(count, 0.0f);
                   });
}

void pair_notes(RunState& state) {
  assert(state.arrays.duration_beats.size() == state.table.count());
  assert(state.table.count() <= kEnd);
  assert(state.division > 0);
  float* duration = state.arrays.duration_beats.data();
  const double division = state.division;
  std::vector<std::size_t> group_end;
  const LargeArray<KeyedEvent> grouped = group_by_key(state.table, group_end);

  // The starts of the group still sounding, oldest first, from
  // sounding[head] on.
  std::vector<KeyedEvent> sounding;
  for (std::size_t k = 0, lo = 0; k < group_end.size(); lo = group_end[k++]) {
    sounding.clear();
    std::size_t head = 0;
    for (std::size_t i = lo; i < group_end[k]; ++i) {
      const KeyedEvent e = grouped[i];
      if ((e.slot & kEnd) == 0) {
        sounding.push_back(e);
        continue;
      }
      // Starts are listed in time order: those of earlier ticks come first.
      // When there are any, only they end here; otherwise every start
      // listed, all of this very tick, does.
      const bool earlier =
          head < sounding.size() && sounding[head].time < e.time;
      for (; head < sounding.size() &&
             (!earlier || sounding[head].time < e.time);
           ++head) {
        // Measured from the start as rounded to single precision, so an
        // end at the very tick of a start that is not exact there gives a
        // tiny value, perhaps below zero.
        const float begin = start_beats(sounding[head].time, state.division);
        duration[sounding[head].slot] = static_cast<float>(
            e.time / division - static_cast<double>(begin));
      }
    }
  }
}

void compute_durations(RunState& state) {
  allocate_durations(state);
  pair_notes(state);
}

}  // namespace morvane
