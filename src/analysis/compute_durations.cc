#include "analysis/compute_durations.h"

#include <cassert>
#include <new>

#include "driver/console.h"
#include "driver/huge_pages.h"

namespace morvane {

void compute_durations(RunState& state) {
  const std::size_t count = state.table.count();
  std::vector<float>& duration = state.arrays.duration_beats;
  try {
    if (state.fail_at == FailPoint::duration_array) throw std::bad_alloc();
    duration.reserve(count);
    advise_huge_pages(duration.data(), count * sizeof(float));
    duration.assign(count, 0.0f);
  } catch (const std::bad_alloc&) {
    fail_on_out(state, "\nNo memory for array2.");
  }
  if (count > 1) DurationPass(state).pass(1, count, duration.data() + 1);
}

DurationPass::DurationPass(const RunState& state)
    : table_(state.table), division_(state.division) {
  assert(division_ > 0);
}

void DurationPass::pass(std::size_t lo, std::size_t hi, float* duration) {
  assert(lo >= 1 && hi <= table_.count());
  const double division = division_;
  for (std::size_t i = hi; i-- > lo;) {
    const EventRecord r = table_.at(i);
    duration[i - lo] = 0.0f;
    if (r.velocity == 0) {
      nearest_end_.at(r.channel, r.note) = i;
      continue;
    }
    // A negative velocity is neither a start nor an end.
    if (r.velocity < 0) continue;
    // The duration is measured from the start as rounded to single
    // precision, so an end at the very tick of a start that is not exact
    // there gives a tiny value, perhaps below zero.
    const std::size_t end = nearest_end_.at(r.channel, r.note);
    if (end != 0) {
      const float start = start_beats(r.time_ticks, division_);
      duration[i - lo] = static_cast<float>(
          table_.slots[end].time_ticks / division - static_cast<double>(start));
    }
  }
}

}  // namespace morvane
