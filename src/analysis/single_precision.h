// How event numbers pass through single precision on their way through the
// time ordering: an integer becomes the nearest float (ties to even, exact
// up to 2^24), and comes back with its fraction cut off.

#ifndef MORVANE_ANALYSIS_SINGLE_PRECISION_H_
#define MORVANE_ANALYSIS_SINGLE_PRECISION_H_

#include <cstdint>
#include <limits>

namespace morvane {

// Values from 2,147,483,584 up round to 2^31, one past the largest int32;
// they come back as the largest int32 rather than overflowing.
inline int32_t float_to_int32(float value) {
  if (value >= 2147483648.0f) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(value);
}

inline int32_t through_single(int32_t value) {
  return float_to_int32(static_cast<float>(value));
}

}  // namespace morvane

#endif  // MORVANE_ANALYSIS_SINGLE_PRECISION_H_
