// The one sentence that says notes were passed over outside named tracks,
// for the command after a score and the batch after many.

#ifndef MORVANE_DRIVER_PASSED_OVER_H_
#define MORVANE_DRIVER_PASSED_OVER_H_

#include <cstdint>
#include <string>

namespace morvane {

// "Passed over N note(s) outside named tracks; --all-tracks keeps them\n".
inline std::string passed_over_sentence(uint64_t notes) {
  return "Passed over " + std::to_string(notes) +
         (notes == 1 ? " note" : " notes") +
         " outside named tracks; --all-tracks keeps them\n";
}

}  // namespace morvane

#endif  // MORVANE_DRIVER_PASSED_OVER_H_
