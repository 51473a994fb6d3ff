// The process entry of morvane-batch: reads the command line, finds the
// scores, translates them on a pool of threads, and says how it went.
//
// Ctrl-C, SIGTERM and SIGHUP stop a batch at once, even in the middle of a
// large score: the handler removes the temporary files of the note lists
// in flight and ends the process by the signal. Each list is replaced whole
// or not at all, so the lists done stay and a run again does the rest.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "batch/find_scores.h"
#include "batch/job_pool.h"
#include "batch/options.h"
#include "batch/progress.h"
#include "batch/report.h"
#include "batch/summary.h"
#include "batch/translate_score.h"
#include "writer/pending_files.h"

namespace morvane::batch {
namespace {

unsigned threads_for(const BatchOptions& options) {
  if (options.jobs > 0) return options.jobs;
  // No more note lists in flight than a signal can find and remove.
  return std::clamp(std::thread::hardware_concurrency(), 1u,
                    static_cast<unsigned>(morvane::kMostPending));
}

std::vector<ScoreResult> translate_all(const ScoreSearch& search,
                                       const BatchOptions& options,
                                       Progress& progress) {
  std::vector<ScoreResult> results(search.jobs.size());
  const bool shown = progress_wanted(options.quiet);
  auto work = [&](std::size_t i) {
    results[i] = translate_score(search.jobs[i], options.all_tracks,
                                 options.force);
    progress.done(results[i], search.jobs[i].bytes);
  };
  auto draw = [&] {
    if (shown) draw_progress(progress.line());
  };
  run_pool(search.jobs.size(), threads_for(options), work, draw,
           std::chrono::milliseconds(200));
  if (shown) draw_progress("");
  return results;
}

int refuse_collisions(const std::vector<std::string>& collisions) {
  std::cerr << "morvane-batch: two scores would write the same note list; "
               "nothing translated\n";
  for (const std::string& line : collisions) std::cerr << "  " << line << "\n";
  return 2;
}

int run_batch(const BatchOptions& options) {
  const ScoreSearch search = find_scores(options.inputs, options.outdir);
  const std::vector<std::string> collisions = find_collisions(search.jobs);
  if (!collisions.empty()) return refuse_collisions(collisions);
  std::error_code error;
  std::filesystem::create_directories(options.outdir, error);
  if (error) {
    std::cerr << "morvane-batch: can't make output folder " << options.outdir
              << ": " << error.message() << "\n";
    return 1;
  }
  uint64_t total_bytes = 0;
  for (const ScoreJob& job : search.jobs) total_bytes += job.bytes;
  Progress progress(search.jobs.size(), total_bytes);
  const std::vector<ScoreResult> results =
      translate_all(search, options, progress);
  std::cerr << summary(search.jobs, results, search.no_scores,
                       progress.elapsed_seconds());
  int status = 0;
  for (const ScoreResult& r : results) {
    if (r.outcome == Outcome::failed) status = 1;
  }
  if (!options.report.empty() &&
      !write_report(options.report, report_csv(search.jobs, results))) {
    std::cerr << "morvane-batch: can't write report " << options.report
              << "\n";
    status = 1;
  }
  return status;
}

}  // namespace
}  // namespace morvane::batch

int main(int argc, char** argv) {
  using namespace morvane::batch;
  morvane::set_up_signals_for_note_lists();
  const ParsedArgs parsed =
      parse_args(std::vector<std::string>(argv, argv + argc));
  switch (parsed.request) {
    case Request::help:
      std::cout << kHelp;
      return 0;
    case Request::version:
      std::cout << "morvane-batch " << MORVANE_VERSION << "\n";
      return 0;
    case Request::usage_error:
      std::cerr << "morvane-batch: " << parsed.error << "\n" << kUsage;
      return 2;
    case Request::run:
      break;
  }
  try {
    return run_batch(parsed.options);
  } catch (const std::bad_alloc&) {
    std::cerr << "morvane-batch: out of memory\n";
    return 1;
  }
}
