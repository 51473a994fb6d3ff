// The stages after reading, overlapped on two threads.
//
// The heap sort settles the events from the last slot back, and the pairing
// walks them in that same direction, so while one thread sorts, a second
// pairs and formats each block of slots as soon as the sort has put it in
// its final order, and writes that text where it belongs in the file. The
// note list is the same byte for byte as sort_by_time, compute_durations
// and write_note_list one after the other give; only the time differs.

#ifndef MORVANE_DRIVER_OVERLAPPED_STAGES_H_
#define MORVANE_DRIVER_OVERLAPPED_STAGES_H_

#include <cstddef>

#include "driver/run_state.h"

namespace morvane {

// Sorts, pairs and writes the note lines of at least two events, as the
// three stages in turn would, messages and failures included, in the shape
// state.overlap gives, into a note list that is positional(). When no
// second thread can be had, does the work on the calling thread.
void sort_pair_and_write(RunState& state);

}  // namespace morvane

#endif  // MORVANE_DRIVER_OVERLAPPED_STAGES_H_
