// What a batch says when it ends, on standard error: the counts, the notes,
// the time, then each failed score with its message, and how a stopped
// batch got on.
//
//   998 translated, 1 up to date, 2 failed, 3 passed over as no score
//   5210334 notes written in 4.21 s
//   Passed over 12 notes outside named tracks; --all-tracks keeps them
//   Failed:
//     songs/bad.mid: Badly formed MIDI file songs/bad.mid: ...
//   Changed while translated, so translated again next time:
//     songs/new.mid
//   Removed 2 temporary files left by killed runs
//   interrupted: 1001 of 5000 done, run again to go on

#ifndef MORVANE_BATCH_SUMMARY_H_
#define MORVANE_BATCH_SUMMARY_H_

#include <cstdint>
#include <string>
#include <vector>

#include "batch/find_scores.h"
#include "batch/translate_score.h"

namespace morvane::batch {

// How a batch ended, besides its results.
struct BatchEnd {
  uint64_t no_scores = 0;  // files passed over as no score
  double seconds = 0;      // the batch's time
  uint64_t leftovers = 0;  // temporary files of killed runs removed
  bool interrupted = false;
};

// The summary of jobs and their results (one each, in the same order).
std::string summary(const std::vector<ScoreJob>& jobs,
                    const std::vector<ScoreResult>& results,
                    const BatchEnd& end);

}  // namespace morvane::batch

#endif  // MORVANE_BATCH_SUMMARY_H_
