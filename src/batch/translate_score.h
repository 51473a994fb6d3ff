// One score of a batch: skipped when its note list is up to date, else
// translated by translate() in this process, with the console kept in
// strings, and what the batch reports and records taken from its result.
//
// Up to date means made from this score, with these options, by this
// program: the record (batch/record.h) holds, for the list, the score's
// path and stamp as they are now, the same options and version, and the
// list's own stamp as it is now. Anything else is translated again.

#ifndef MORVANE_BATCH_TRANSLATE_SCORE_H_
#define MORVANE_BATCH_TRANSLATE_SCORE_H_

#include <cstdint>
#include <optional>
#include <string>

#include "batch/find_scores.h"
#include "batch/options.h"
#include "batch/record.h"
#include "driver/translate.h"

namespace morvane::batch {

enum class Outcome { not_done, translated, up_to_date, failed };

struct ScoreResult {
  Outcome outcome = Outcome::not_done;
  uint64_t notes = 0;        // note lines written
  uint64_t instruments = 0;  // instruments named
  uint64_t passed_over = 0;  // notes passed over outside named tracks
  std::string message;       // for a failure: morvane's message, one line
  // Translated, but the score changed meanwhile: the list may hold some of
  // each, and it is not recorded.
  bool changed = false;
  // What made the list, to be recorded; none when the list is not known to
  // be the translation of the score as it is (failed, changed, or written
  // too soon after the score for the two to be told apart).
  std::optional<MadeFrom> made;
};

// Translates job as `morvane [--all-tracks] SCORE OUTPUT` would, making the
// output's folders first; up to date (and untouched) when recorded, what
// the record holds for its list (null when nothing), says so, unless
// options.force. A failed run that cut short a list written in place
// removes it where it can, and says so. Safe to call from several threads
// for different jobs.
ScoreResult translate_score(const ScoreJob& job, const BatchOptions& options,
                            const MadeFrom* recorded);

// A failed run's message as one line (its lines trimmed, joined by a blank),
// followed by ": " and the system's reason where it gave one.
std::string failure_message(const RunResult& run);

}  // namespace morvane::batch

#endif  // MORVANE_BATCH_TRANSLATE_SCORE_H_
