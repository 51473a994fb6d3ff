// What a batch says when it ends, on standard error: the counts, the notes,
// the time, then each failed score with its message.
//
//   998 translated, 1 up to date, 2 failed, 3 passed over as no score
//   5210334 notes written in 4.21 s
//   Passed over 12 notes outside named tracks; --all-tracks keeps them
//   Failed:
//     songs/bad.mid: Badly formed MIDI file songs/bad.mid: ...

#ifndef MORVANE_BATCH_SUMMARY_H_
#define MORVANE_BATCH_SUMMARY_H_

#include <cstdint>
#include <string>
#include <vector>

#include "batch/find_scores.h"
#include "batch/translate_score.h"

namespace morvane::batch {

// The summary of jobs and their results (one each, in the same order),
// with no_scores files passed over and the batch's time in seconds.
std::string summary(const std::vector<ScoreJob>& jobs,
                    const std::vector<ScoreResult>& results,
                    uint64_t no_scores, double seconds);

}  // namespace morvane::batch

#endif  // MORVANE_BATCH_SUMMARY_H_
