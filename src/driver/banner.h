// The banner that opens every run and the usage text.

#ifndef MORVANE_DRIVER_BANNER_H_
#define MORVANE_DRIVER_BANNER_H_

#include "driver/run_state.h"

namespace morvane {

inline constexpr char kVersion[] = "Morvane v0.1 Sept 2004";

// Writes the version in its frame to standard output.
void print_banner(RunState& state);

// Writes the one-line usage text to standard error.
void print_usage(RunState& state);

}  // namespace morvane

#endif  // MORVANE_DRIVER_BANNER_H_
