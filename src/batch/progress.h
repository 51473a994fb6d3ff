// The progress line: one line on standard error, redrawn in place while a
// batch runs, shown only on a terminal. The counts are bumped by the
// translating threads and read by the one that draws.

#ifndef MORVANE_BATCH_PROGRESS_H_
#define MORVANE_BATCH_PROGRESS_H_

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "batch/translate_score.h"

namespace morvane::batch {

class Progress {
 public:
  // total: scores in the batch; total_bytes: their sizes added up.
  Progress(std::size_t total, uint64_t total_bytes);

  // Counts a score of bytes as done with result.
  void done(const ScoreResult& result, uint64_t bytes);

  // "  37/1000 files, 2 failed, 1.2 M notes/s, 0:12 left": the time left
  // reckons from the bytes translated so far, those up to date left out.
  std::string line() const;

  double elapsed_seconds() const;

 private:
  const std::size_t total_;
  const uint64_t total_bytes_;
  const std::chrono::steady_clock::time_point start_;
  std::atomic<std::size_t> done_{0};
  std::atomic<std::size_t> failed_{0};
  std::atomic<uint64_t> notes_{0};
  std::atomic<uint64_t> bytes_worked_{0};   // translated or failed
  std::atomic<uint64_t> bytes_skipped_{0};  // up to date
};

// Whether standard error is a terminal, where a line may be redrawn.
bool progress_wanted(bool quiet);

// Draws line over the one before; the empty line clears it.
void draw_progress(const std::string& line);

}  // namespace morvane::batch

#endif  // MORVANE_BATCH_PROGRESS_H_
