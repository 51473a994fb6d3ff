// Note durations: pairs every note start with its end and converts ticks to
// beats (quarter notes).

#ifndef MORVANE_ANALYSIS_COMPUTE_DURATIONS_H_
#define MORVANE_ANALYSIS_COMPUTE_DURATIONS_H_

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "driver/run_state.h"

namespace morvane {

// The start of a note in beats: the quotient formed in double precision and
// rounded to single precision once.
inline float start_beats(int32_t time_ticks, int32_t division) {
  return static_cast<float>(static_cast<double>(time_ticks) / division);
}

// Allocates state.arrays and sets, for every slot i whose event is a note
// start (velocity above 0), state.arrays.duration_beats[i]: the time of its
// end in beats, formed in double precision, minus its start_beats, rounded
// to single precision once. Its end is the first event after slot i with the
// same channel and note and velocity exactly 0, in any track and whatever
// the line's kind word; without one the duration is 0. Needs the events in
// time order and division > 0. Ends the run with status 1 when the array
// cannot be allocated.
//
// Linear in the number of events: one backward pass remembers, for each
// channel and note, the nearest end seen so far.
void compute_durations(RunState& state);

// compute_durations in pieces, for a caller that gets the events in time
// order from the last slot back: each pass(lo, hi, duration) sets
// duration[i - lo] for the slots i from lo to hi - 1, as compute_durations
// sets duration_beats[i] (and 0 where it leaves 0). The pieces must come in
// order from the top, each hi the previous lo, the first hi count(); slots
// from lo up must be in their final order.
class DurationPass {
 public:
  explicit DurationPass(const RunState& state);
  void pass(std::size_t lo, std::size_t hi, float* duration);

 private:
  // Slot of the nearest end after the current position, per channel and
  // note (0: none yet). Channels 1 to 16 and keys 0 to 127 (nearly every
  // event) use a flat table; anything else a hash map.
  class NearestEnd {
   public:
    NearestEnd() : flat_(kChannels * kKeys, 0) {}
    std::size_t& at(int32_t channel, int32_t note) {
      if (channel >= 1 && channel <= kChannels && note >= 0 && note < kKeys) {
        return flat_[static_cast<std::size_t>(channel - 1) * kKeys +
                     static_cast<std::size_t>(note)];
      }
      const uint64_t key =
          (static_cast<uint64_t>(static_cast<uint32_t>(channel)) << 32) |
          static_cast<uint32_t>(note);
      return other_[key];
    }

   private:
    static constexpr int32_t kChannels = 16;
    static constexpr int32_t kKeys = 128;
    std::vector<std::size_t> flat_;
    std::unordered_map<uint64_t, std::size_t> other_;
  };

  const EventTable& table_;
  int32_t division_;
  NearestEnd nearest_end_;
};

}  // namespace morvane

#endif  // MORVANE_ANALYSIS_COMPUTE_DURATIONS_H_
