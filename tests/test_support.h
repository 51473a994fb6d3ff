// Whole runs in-process, with the console captured.

#ifndef MORVANE_TESTS_TEST_SUPPORT_H_
#define MORVANE_TESTS_TEST_SUPPORT_H_

#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "driver/run_state.h"
#include "test_common.h"

namespace morvane {

// Events show as (time, channel, note, velocity) in test messages.
inline std::ostream& operator<<(std::ostream& os, const EventRecord& r) {
  return os << '(' << r.time_ticks << ", " << r.channel << ", " << r.note
            << ", " << r.velocity << ')';
}

}  // namespace morvane

namespace morvane::testing {

struct RunOutput {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the program in-process with the command line args (the program's
// name is added in front), keys as the keyboard, an allocation made to fail
// at fail_at, and the stages after reading shared by threads as overlap
// says.
RunOutput run_in_process(const std::vector<std::string>& args,
                         const std::string& keys = "",
                         FailPoint fail_at = FailPoint::none,
                         const OverlapShape& overlap = {});

// The stages after reading on two threads in the smallest blocks, from the
// smallest score on, the time sort's heap in blocks below its first two
// levels and the pairing in several passes: the paths large scores take.
inline constexpr OverlapShape kSmallestOverlap = {
    .block_events = 1, .settle_step = 1, .min_events = 0,
    .heap_plain_levels = 2, .pairing_passes = 7};

// A line of a MIDI text score, of one of the shapes the reader treats
// apart: name lines, track starts and ends, note lines plain and not, lines
// that leave fields out, out-of-range numbers, NUL bytes, blank lines.
std::string random_score_line(std::mt19937& random);

}  // namespace morvane::testing

#endif  // MORVANE_TESTS_TEST_SUPPORT_H_
