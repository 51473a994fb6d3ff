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

// A note event of one key: its rounded time and slot, kEnd set for an end.
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

// The note events of each channel-and-note pair: count[k] for pair k.
std::vector<std::size_t> count_keys(const EventTable& table,
                                    KeyNumbers& numbers) {
  std::vector<std::size_t> count(KeyNumbers::kFlat, 0);
  for (std::size_t slot = 1; slot < table.count(); ++slot) {
    const EventRecord r = table.at(slot);
    if (r.velocity < 0) continue;  // neither a start nor an end
    const uint32_t key = numbers.of(r.channel, r.note);
    if (count.size() <= key) count.resize(key + 1, 0);
    ++count[key];
  }
  return count;
}

// Splits the keys into non-empty ranges, each closed once its events reach
// share. Returns where each range ends (its last key plus one), and sets
// room to the most events a range has (at most share plus one key's).
std::vector<std::size_t> key_ranges(const std::vector<std::size_t>& count,
                                    std::size_t share, std::size_t& room) {
  std::vector<std::size_t> range_ends;
  room = 0;
  std::size_t taken = 0;
  for (std::size_t k = 0; k < count.size(); ++k) {
    taken += count[k];
    if (taken > 0 && (taken >= share || k + 1 == count.size())) {
      range_ends.push_back(k + 1);
      room = std::max(room, taken);
      taken = 0;
    }
  }
  return range_ends;
}

// Puts the note events of keys first .. last - 1 into grouped, grouped by
// key (a counting sort: input order within a group), then each group in
// time order, ties in input order; groups are short and nearly in order.
// group_end[k - first] is where group k ends.
void group_keys(const EventTable& table, KeyNumbers& numbers,
                const std::vector<std::size_t>& count, std::size_t first,
                std::size_t last, KeyedEvent* grouped,
                std::vector<std::size_t>& group_end) {
  std::vector<std::size_t> next(last - first);
  for (std::size_t k = first, at = 0; k < last; ++k) {
    next[k - first] = at;
    at += count[k];
  }
  for (std::size_t slot = 1; slot < table.count(); ++slot) {
    const EventRecord r = table.at(slot);
    if (r.velocity < 0) continue;
    const uint32_t key = numbers.of(r.channel, r.note);
    if (key < first || key >= last) continue;
    grouped[next[key - first]++] = {
        through_single(table.slots[slot].time_ticks),
        static_cast<uint32_t>(slot) | (r.velocity == 0 ? kEnd : 0)};
  }
  group_end = std::move(next);
  auto by_time = [](const KeyedEvent& a, const KeyedEvent& b) {
    return a.time < b.time;
  };
  for (std::size_t k = 0, lo = 0; k < group_end.size(); lo = group_end[k++]) {
    KeyedEvent* begin = grouped + lo;
    KeyedEvent* end = grouped + group_end[k];
    if (!std::is_sorted(begin, end, by_time)) {
      std::stable_sort(begin, end, by_time);
    }
  }
}

// Pairs the events of each group, as grouped by group_keys: close(start,
// end) for each start and the end that closes it.
template <typename Close>
void pair_groups(const KeyedEvent* grouped,
                 const std::vector<std::size_t>& group_end, const Close& close) {
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
        close(sounding[head], e);
      }
    }
  }
}

// Pairs every note start of the table with its end, as pair_notes says,
// and sets its duration in beats; or, where end_slot is given, its end's
// slot. One function for both, so that the helpers above, each called once,
// are inlined into it as they were before the ends were asked for.
void pair_all(const RunState& state, float* duration, uint32_t* end_slot) {
  assert(state.table.count() <= kEnd);
  assert(state.division > 0);
  assert(state.overlap.pairing_passes >= 1);
  const int32_t division = state.division;
  const double per_beat = division;
  auto set_duration = [=](KeyedEvent start, KeyedEvent end) {
    // Measured from the start as rounded to single precision, so an end at
    // the very tick of a start that is not exact there gives a tiny value,
    // perhaps below zero.
    const float begin = start_beats(start.time, division);
    duration[start.slot] =
        static_cast<float>(end.time / per_beat - static_cast<double>(begin));
  };
  auto set_end = [=](KeyedEvent start, KeyedEvent end) {
    end_slot[start.slot] = end.slot & ~kEnd;
  };
  // Each pair's events are numbered the same in every pass.
  KeyNumbers numbers;
  const std::vector<std::size_t> count = count_keys(state.table, numbers);
  std::size_t events = 0;
  for (std::size_t c : count) events += c;
  // A range of pairs at a time, so that the working room holds a share of
  // the events rather than all of them.
  const std::size_t passes = state.overlap.pairing_passes;
  const std::size_t share = (events + passes - 1) / passes;
  std::size_t room = 0;
  const std::vector<std::size_t> range_ends = key_ranges(count, share, room);
  // In huge pages: the events go to as many places at once as there are
  // keys, which small pages would spread beyond the address translation.
  const LargeArray<KeyedEvent> grouped(room);
  std::vector<std::size_t> group_end;
  std::size_t first = 0;
  for (std::size_t last : range_ends) {
    group_keys(state.table, numbers, count, first, last, grouped.get(),
               group_end);
    if (end_slot == nullptr) {
      pair_groups(grouped.get(), group_end, set_duration);
    } else {
      pair_groups(grouped.get(), group_end, set_end);
    }
    first = last;
  }
}

}  // namespace

void allocate_durations(RunState& state) {
  const std::size_t count = state.table.count();
  auto& duration = state.arrays.duration_beats;
  allocate_or_fail(state, FailPoint::duration_array, "\nNo memory for array2.",
                   [&] {
                     duration = LargeArray<float>(count, ZeroFilled());
                   });
}

void pair_notes(RunState& state) {
  assert(state.arrays.duration_beats.size() == state.table.count());
  pair_all(state, state.arrays.duration_beats.get(), nullptr);
}

std::vector<uint32_t> note_end_slots(const RunState& state) {
  std::vector<uint32_t> end_slot(state.table.count(), 0);
  pair_all(state, nullptr, end_slot.data());
  return end_slot;
}

void compute_durations(RunState& state) {
  allocate_durations(state);
  pair_notes(state);
}

}  // namespace morvane
