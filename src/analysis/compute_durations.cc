#include "analysis/compute_durations.h"

#include <cassert>
#include <cstdint>
#include <unordered_map>
#include <vector>

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
  const std::vector<EventRecord>& slots = state.table.slots;
  const double division = state.division;
  NearestEnd nearest_end;
  for (std::size_t i = slots.size(); i-- > 1;) {
    const EventRecord& r = slots[i];
    if (r.velocity == 0) {
      nearest_end.at(r.channel, r.note) = i;
      continue;
    }
    // A negative velocity is neither a start nor an end: it keeps its time
    // in ticks and channel, and the writer prints those.
    if (r.velocity < 0) continue;
    // The start is rounded to single precision once; the duration is
    // measured from that rounded start, so an end at the very tick of a
    // start that is not exact in single precision gives a tiny value.
    const float start_beats = static_cast<float>(r.time_ticks / division);
    float duration_beats = 0.0f;
    const std::size_t end = nearest_end.at(r.channel, r.note);
    if (end != 0) {
      duration_beats = static_cast<float>(slots[end].time_ticks / division -
                                          static_cast<double>(start_beats));
    }
    state.arrays.time[i] = start_beats;
    state.arrays.channel[i] = duration_beats;
  }
}

}  // namespace morvane
