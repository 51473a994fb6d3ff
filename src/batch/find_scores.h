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
  std::string absolute;  // absolute_path(score)
  std::string output;  // OUTDIR/<path below the folder named>.notes
  std::string below;   // <path below the folder named>.notes: the record's key
  uint64_t bytes = 0;  // the score's size when found (0 if unknown)
  // The score's file when found (both 0 if unknown): what makes two names
  // one score.
  uint64_t device = 0;
  uint64_t inode = 0;
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

// path made absolute and normal ("in/./a.mid" and "in/a.mid" are one), for
// comparing names; links are not followed. Any thread may call it.
std::string absolute_path(const std::string& path);

// Keeps the first of the jobs that name one score, with the output its
// naming gives: the same path once links are resolved (a folder named
// twice, a folder and one inside it, a file named beside its folder), or
// one file (device and inode) for one output.
void drop_repeats(std::vector<ScoreJob>& jobs);

// One line for each file that different scores would write ("A and B
// would both write C", "A, B and C would all write D"): two outputs are one
// file where one names the other through links; empty when there is none.
std::vector<std::string> find_collisions(const std::vector<ScoreJob>& jobs);

}  // namespace morvane::batch

#endif  // MORVANE_BATCH_FIND_SCORES_H_
