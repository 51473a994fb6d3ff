// The stages after reading, overlapped on two threads.
//
// The heap sort settles the events from the last slot back, and the pairing
// walks them in that same direction, so while one thread sorts, a second
// pairs and formats each block of slots as soon as the sort has put it in
// its final order. Formatting backwards means the text of the blocks is
// kept until the sort ends, then written in file order. The note list is
// the same byte for byte as sort_by_time, compute_durations and
// write_note_list one after the other give; only the time differs.

#ifndef MORVANE_ANALYSIS_OVERLAPPED_STAGES_H_
#define MORVANE_ANALYSIS_OVERLAPPED_STAGES_H_

#include <cstddef>

#include "driver/run_state.h"

namespace morvane {


// Sorts, pairs and writes the note lines, as the three stages in turn
// would, messages and failures included. When the second thread cannot be
// started, does the work on the calling thread.
// The shape is state.overlap.
void sort_pair_and_write(RunState& state);

}  // namespace morvane

#endif  // MORVANE_ANALYSIS_OVERLAPPED_STAGES_H_
