// One score of a batch: skipped when its note list is up to date, else
// translated by the command's own run() in this process, with the console
// kept in strings, and what the batch reports taken from the run state.

#ifndef MORVANE_BATCH_TRANSLATE_SCORE_H_
#define MORVANE_BATCH_TRANSLATE_SCORE_H_

#include <cstdint>
#include <string>

#include "batch/find_scores.h"
#include "driver/translate.h"

namespace morvane::batch {

enum class Outcome { translated, up_to_date, failed };

struct ScoreResult {
  Outcome outcome = Outcome::failed;
  uint64_t notes = 0;        // note lines written
  uint64_t instruments = 0;  // instruments named
  uint64_t passed_over = 0;  // notes passed over outside named tracks
  std::string message;       // for a failure: morvane's message, one line
};

// Translates job as `morvane [--all-tracks] SCORE OUTPUT` would, making the
// output's folders first; up to date (and untouched) when the output is
// newer than the score, unless force. Safe to call from several threads
// for different jobs.
ScoreResult translate_score(const ScoreJob& job, bool all_tracks, bool force);

// A failed run's message as one line (its lines trimmed, joined by a blank),
// followed by ": " and the system's reason where it gave one.
std::string failure_message(const RunResult& run);

}  // namespace morvane::batch

#endif  // MORVANE_BATCH_TRANSLATE_SCORE_H_
