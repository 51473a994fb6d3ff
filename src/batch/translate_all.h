// A batch's scores translated on the pool of threads, and the record of
// what made each list kept as they finish: rewritten now and then while the
// batch runs, so that a batch killed outright loses little of its work.

#ifndef MORVANE_BATCH_TRANSLATE_ALL_H_
#define MORVANE_BATCH_TRANSLATE_ALL_H_

#include <functional>
#include <vector>

#include "batch/find_scores.h"
#include "batch/options.h"
#include "batch/progress.h"
#include "batch/record.h"
#include "batch/translate_score.h"

namespace morvane::batch {

// The record after results: a list translated from the score as it is
// stands recorded, one up to date stays, any other taken by the batch
// (failed, changed meanwhile) is no longer recorded; the lists of scores
// not finished, and of other batches into OUTDIR, keep what they had.
Record record_after(const Record& before, const std::vector<ScoreJob>& jobs,
                    const std::vector<ScoreResult>& results,
                    const std::function<bool(std::size_t)>& finished);

// Translates jobs as options say, the record's lists up to date left
// alone, until a signal stops the batch (batch/interruption.h); a job not
// taken then is not_done. record.record stays as read; the file may have
// been rewritten.
std::vector<ScoreResult> translate_all(const std::vector<ScoreJob>& jobs,
                                       const BatchOptions& options,
                                       RecordFile& record, Progress& progress);

}  // namespace morvane::batch

#endif  // MORVANE_BATCH_TRANSLATE_ALL_H_
