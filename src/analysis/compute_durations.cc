#include "analysis/compute_durations.h"

#include <cassert>
#include <cstdint>
#include <new>
#include <unordered_map>
#include <vector>

#include "driver/console.h"
#include "driver/huge_pages.h"

namespace morvane {
namespace {

// Slot of the nearest end after the current position, per channel and
// note. Channels 1 to 16 and keys 0 to 127 (nearly every event) use a flat
// table; anything else a hash map.
class NearestEnd {
 public:
  NearestEnd() : flat_(kChannels * kKeys, 0) {}

  std::size_t& at(int32_t channel, int32_t note) {
    if (channel >= 1 && channel <= kChannels && note >= 0 && note < kKeys) {
      return flat_[static_cast<std::size_t>(channel - 1) * kKeys +
                   static_cast<std::size_t>(note)];
    }
    const uint64_t key = (static_cast<uint64_t>(static_cast<uint32_t>(channel))
                          << 32) |
                         static_cast<uint32_t>(note);
    return other_[key];  // 0, meaning none, when first seen
  }

 private:
  static constexpr int32_t kChannels = 16;
  static constexpr int32_t kKeys = 128;
  std::vector<std::size_t> flat_;
  std::unordered_map<uint64_t, std::size_t> other_;
};

}  // namespace

void compute_durations(RunState& state) {
  assert(state.division > 0);
  const EventTable& table = state.table;
  std::vector<float>& duration = state.arrays.duration_beats;
  try {
    if (state.fail_at == FailPoint::duration_array) throw std::bad_alloc();
    duration.reserve(table.count());
    advise_huge_pages(duration.data(), table.count() * sizeof(float));
    duration.assign(table.count(), 0.0f);
  } catch (const std::bad_alloc&) {
    fail_on_out(state, "\nNo memory for array2.");
  }
  const double division = state.division;
  NearestEnd nearest_end;
  for (std::size_t i = table.count(); i-- > 1;) {
    const EventRecord r = table.at(i);
    if (r.velocity == 0) {
      nearest_end.at(r.channel, r.note) = i;
      continue;
    }
    // A negative velocity is neither a start nor an end.
    if (r.velocity < 0) continue;
    // The duration is measured from the start as rounded to single
    // precision, so an end at the very tick of a start that is not exact
    // there gives a tiny value, perhaps below zero.
    const std::size_t end = nearest_end.at(r.channel, r.note);
    if (end != 0) {
      const float start = start_beats(r.time_ticks, state.division);
      duration[i] = static_cast<float>(table.slots[end].time_ticks / division -
                                       static_cast<double>(start));
    }
  }
}

}  // namespace morvane
