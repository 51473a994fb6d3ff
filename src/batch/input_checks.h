// What a batch will not do, found before any work: write over a score. A
// note list, the report or the record that would be one of the scores (the
// same file by device and inode, or the same path), a report that would be
// a note list, and a score named as the temporary files in OUTDIR are
// named (those of a killed run are removed) are each refused with a line.
// Outputs inside an input folder stay allowed where they name no score.

#ifndef MORVANE_BATCH_INPUT_CHECKS_H_
#define MORVANE_BATCH_INPUT_CHECKS_H_

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "batch/find_scores.h"

namespace morvane::batch {

// The scores of a batch as files, to look names up among.
class InputFiles {
 public:
  explicit InputFiles(const std::vector<ScoreJob>& jobs);

  // The job whose score path is (the same file, links followed, or the
  // same absolute path), or null.
  const ScoreJob* score_at(const std::string& path) const;

 private:
  std::map<std::pair<uint64_t, uint64_t>, const ScoreJob*> by_file_;
  std::unordered_map<std::string, const ScoreJob*> by_path_;
};

// One line for each file the batch would write over a score, or a report
// over a note list (report and record: their paths, report empty when
// none); empty when there is none.
std::vector<std::string> find_overwrites(const std::vector<ScoreJob>& jobs,
                                         const std::string& report,
                                         const std::string& record,
                                         const std::string& outdir);

}  // namespace morvane::batch

#endif  // MORVANE_BATCH_INPUT_CHECKS_H_
