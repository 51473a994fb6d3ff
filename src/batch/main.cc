// The process entry of morvane-batch: reads the command line, finds the
// scores, refuses a batch that would write over one of them, translates
// them on a pool of threads, and says how it went: the summary, the report
// and the record of what made each list, also when a signal stopped it
// (batch/interruption.h). Each list is replaced whole or not at all, so
// the lists done stay and a run again does the rest.

#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

#include "batch/find_scores.h"
#include "batch/input_checks.h"
#include "batch/interruption.h"
#include "batch/leftovers.h"
#include "batch/options.h"
#include "batch/progress.h"
#include "batch/record.h"
#include "batch/report.h"
#include "batch/summary.h"
#include "batch/translate_all.h"
#include "batch/whole_file.h"
#include "writer/pending_files.h"

namespace morvane::batch {
namespace {

namespace fs = std::filesystem;

// Before any work: nothing written over a score, no list written twice.
bool refused(const std::vector<std::string>& collisions,
             const std::vector<std::string>& overwrites) {
  if (!collisions.empty()) {
    std::cerr << "morvane-batch: two scores would write the same note list; "
                 "nothing translated\n";
    for (const std::string& line : collisions) {
      std::cerr << "  " << line << "\n";
    }
  }
  if (!overwrites.empty()) {
    std::cerr << "morvane-batch: it would write over a score or a note list; "
                 "nothing translated\n";
    for (const std::string& line : overwrites) {
      std::cerr << "  " << line << "\n";
    }
  }
  return !collisions.empty() || !overwrites.empty();
}

// The report and the record, whole; the status they leave.
int write_files(const BatchOptions& options, const std::vector<ScoreJob>& jobs,
                const std::vector<ScoreResult>& results, RecordFile& record) {
  int status = 0;
  const Record made = record_after(record.record, jobs, results,
                                   [&](std::size_t i) {
                                     return results[i].outcome !=
                                            Outcome::not_done;
                                   });
  if (!save_record(record, made)) {
    std::cerr << "morvane-batch: can't write " << record.path
              << ": the next batch translates its scores again\n";
    status = 1;
  }
  if (!options.report.empty() &&
      !write_whole(options.report, report_csv(jobs, results))) {
    std::cerr << "morvane-batch: can't write report " << options.report
              << "\n";
    status = 1;
  }
  return status;
}

int run_batch(const BatchOptions& options) {
  ScoreSearch search = find_scores(options.inputs, options.outdir);
  drop_repeats(search.jobs);
  const std::string record_path =
      (fs::path(options.outdir) / kRecordName).string();
  if (refused(find_collisions(search.jobs),
              find_overwrites(search.jobs, options.report, record_path,
                              options.outdir))) {
    return 2;
  }
  std::error_code error;
  fs::create_directories(options.outdir, error);
  if (error) {
    std::cerr << "morvane-batch: can't make output folder " << options.outdir
              << ": " << error.message() << "\n";
    return 1;
  }
  BatchEnd end;
  end.no_scores = search.no_scores;
  end.leftovers = remove_leftovers(options.outdir, InputFiles(search.jobs));
  RecordFile record = read_record(record_path);
  uint64_t total_bytes = 0;
  for (const ScoreJob& job : search.jobs) total_bytes += job.bytes;
  Progress progress(search.jobs.size(), total_bytes);
  const std::vector<ScoreResult> results =
      translate_all(search.jobs, options, record, progress);
  end.seconds = progress.elapsed_seconds();
  end.interrupted = stop_signal() != 0;
  // Off the line the terminal echoed ^C on, where no progress line was.
  if (end.interrupted && !progress_wanted(options.quiet) &&
      isatty(STDERR_FILENO) == 1) {
    std::cerr << "\n";
  }
  std::cerr << summary(search.jobs, results, end);
  int status = write_files(options, search.jobs, results, record);
  for (const ScoreResult& r : results) {
    if (r.outcome == Outcome::failed) status = 1;
  }
  // A signal that came after the last score ends the batch as well.
  if (const int signal_number = stop_signal(); signal_number != 0) {
    end_by_signal(signal_number);
    return 128 + signal_number;
  }
  return status;
}

}  // namespace
}  // namespace morvane::batch

int main(int argc, char** argv) {
  using namespace morvane::batch;
  morvane::set_up_signals_for_note_lists();
  stop_on_signals();
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
