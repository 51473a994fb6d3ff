#include "batch/progress.h"

#include <cstdio>

#include <unistd.h>

namespace morvane::batch {
namespace {

std::string minutes_and_seconds(double seconds) {
  const long whole = static_cast<long>(seconds + 0.5);
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
  return text;
}

}  // namespace

Progress::Progress(std::size_t total, uint64_t total_bytes)
    : total_(total),
      total_bytes_(total_bytes),
      start_(std::chrono::steady_clock::now()) {}

void Progress::done(const ScoreResult& result, uint64_t bytes) {
  if (result.outcome == Outcome::up_to_date) {
    bytes_skipped_ += bytes;
  } else {
    bytes_worked_ += bytes;
  }
  if (result.outcome == Outcome::failed) ++failed_;
  notes_ += result.notes;
  ++done_;
}

double Progress::elapsed_seconds() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() -
                                       start_)
      .count();
}

std::string Progress::line() const {
  const double seconds = elapsed_seconds();
  const uint64_t worked = bytes_worked_;
  const uint64_t skipped = bytes_skipped_;
  char text[160];
  int n = std::snprintf(text, sizeof text, "  %zu/%zu files, %zu failed, %.1f M notes/s",
                        done_.load(), total_, failed_.load(),
                        seconds > 0 ? notes_ / seconds / 1e6 : 0.0);
  std::string shown(text, static_cast<std::size_t>(n));
  if (worked > 0 && total_bytes_ >= worked + skipped) {
    const double left = seconds * static_cast<double>(total_bytes_ - worked -
                                                      skipped) /
                        static_cast<double>(worked);
    shown += ", " + minutes_and_seconds(left) + " left";
  }
  return shown;
}

bool progress_wanted(bool quiet) { return !quiet && isatty(STDERR_FILENO) == 1; }

void draw_progress(const std::string& line) {
  // Carriage return, the line, then erase what a longer line before left.
  std::fprintf(stderr, "\r%s\033[K", line.c_str());
  std::fflush(stderr);
}

}  // namespace morvane::batch
