// The banner that opens every run, the usage text, the help and the
// version line.

#ifndef MORVANE_DRIVER_BANNER_H_
#define MORVANE_DRIVER_BANNER_H_

#include "driver/run_state.h"

namespace morvane {

inline constexpr char kVersion[] = "Morvane v0.1 Sept 2004";

// Writes the version in its frame to standard output.
void print_banner(RunState& state);

// Writes the one-line usage text to standard error.
void print_usage(RunState& state);

// Writes the help of --help to standard output.
void print_help(RunState& state);

// Writes the version line of --version to standard output.
void print_version(RunState& state);

}  // namespace morvane

#endif  // MORVANE_DRIVER_BANNER_H_
