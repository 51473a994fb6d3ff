// Finding the scores among the inputs, and where each one's note list goes.
//
// A folder is searched through (links to folders are not followed, and the
// output folder is passed over when it lies inside); in it, a file is a
// score when its first bytes are "MThd" (a standard MIDI file, whatever its
// name) or "MFile" (a MIDI text file), and anything else is counted and
// passed over. A file that cannot be read is kept as a score: its
// translation fails with the message morvane gives, so that it is seen. A
// file named on the command line is always kept; if it is no score, it is
// a failure of its own.

#ifndef MORVANE_BATCH_FIND_SCORES_H_
#define MORVANE_BATCH_FIND_SCORES_H_

#include <cstdint>
#include <string>
#include <vector>

namespace morvane::batch {

struct ScoreJob {
  std::string score;   // as it would be typed: the input, then the path below
  std::string output;  // OUTDIR/<path below the folder named>.notes
  uint64_t bytes = 0;  // the score's size when found (0 if unknown)
  std::string failure;  // set when it is known to fail without a run
};

struct ScoreSearch {
  std::vector<ScoreJob> jobs;  // input by input; sorted by name within one
  uint64_t no_scores = 0;      // files in folders passed over
};

enum class ScoreKind { score, no_score, unreadable };

// What the file at path is, by its first bytes. Never blocks: a pipe or a
// device is no score.
ScoreKind sniff_score(const std::string& path);

// The jobs for inputs, with outputs below outdir.
ScoreSearch find_scores(const std::vector<std::string>& inputs,
                        const std::string& outdir);

// One line for each output that two jobs would write ("A and B would both
// write C"); empty when there is none.
std::vector<std::string> find_collisions(const std::vector<ScoreJob>& jobs);

}  // namespace morvane::batch

#endif  // MORVANE_BATCH_FIND_SCORES_H_
