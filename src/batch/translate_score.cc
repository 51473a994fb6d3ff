#include "batch/translate_score.h"

#include <cstdint>
#include <filesystem>
#include <new>
#include <sstream>
#include <system_error>
#include <utility>
#include <vector>

#include <time.h>
#include <unistd.h>

#include "driver/run_state.h"
#include "driver/translate.h"

namespace morvane::batch {
namespace {

namespace fs = std::filesystem;

// The clock file times are taken from, to the tick it is read at: a file
// changed before this tick and again during it would keep its time.
int64_t coarse_now_ns() {
  struct timespec now;
  if (clock_gettime(CLOCK_REALTIME_COARSE, &now) != 0) return INT64_MIN;
  return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

bool still_made_from(const MadeFrom& recorded, const MadeFrom& now,
                     const std::string& output) {
  FileStamp list;
  return recorded.score == now.score &&
         recorded.score_stamp == now.score_stamp &&
         recorded.options == now.options && recorded.version == now.version &&
         stamp_file(output, list) && list == recorded.list;
}

ScoreResult run_morvane(const ScoreJob& job, const BatchOptions& options) {
  std::ostringstream out, err;
  std::istringstream keyboard;
  RunState state(out, err, keyboard);
  TranslationRequest request;
  request.sync = options.sync;
  request.score = job.score;
  request.notes = job.output;
  request.all_tracks = options.all_tracks;
  const RunResult run = morvane::translate(state, std::move(request));
  ScoreResult result;
  if (run.status != 0) {
    // The run left the old note list as it was, or made none: a failed
    // score never looks up to date.
    result.outcome = Outcome::failed;
    result.message = failure_message(run);
    return result;
  }
  result.outcome = Outcome::translated;
  result.notes = run.note_lines;
  result.instruments = run.instruments;
  result.passed_over = run.passed_over;
  return result;
}

// After a failed run: a list written in place (its folder refuses new
// files) and cut short by the failure is removed where it can be; where
// not, it is not recorded, and the next run translates it again.
void own_cut_list(const ScoreJob& job, const FileStamp& before,
                  ScoreResult& result) {
  FileStamp after;
  if (!stamp_file(job.output, after) || after.inode != before.inode ||
      after == before) {
    return;
  }
  result.message += ::unlink(job.output.c_str()) == 0
                        ? "; the list, written in place, was cut short and "
                          "is removed"
                        : "; the list, written in place, is cut short: the "
                          "next run translates it again";
}

ScoreResult translate_job(const ScoreJob& job, const BatchOptions& options,
                          MadeFrom& made, bool stamped, int64_t started_ns) {
  FileStamp old_list;
  const bool had_list = stamp_file(job.output, old_list);
  ScoreResult result = run_morvane(job, options);
  if (result.outcome == Outcome::failed) {
    if (had_list) own_cut_list(job, old_list, result);
    return result;
  }
  FileStamp score_after;
  if (!stamped || !stamp_file(job.score, score_after)) return result;
  if (score_after != made.score_stamp) {
    result.changed = true;
    result.message =
        "the score changed while it was translated; the next run translates "
        "it again";
  } else if (made.score_stamp.time_ns < started_ns &&
             stamp_file(job.output, made.list)) {
    result.made = std::move(made);
  }
  return result;
}

}  // namespace

std::string failure_message(const RunResult& run) {
  // The command's message on one line, with the system's reason where it
  // gave one: "Can't open a/loop as input score: Too many levels of
  // symbolic links".
  std::string message;
  std::istringstream lines(run.message);
  std::string line;
  while (std::getline(lines, line)) {
    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) continue;
    if (!message.empty()) message += ' ';
    message += line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
  }
  if (run.error_number != 0) {
    message += ": " + std::error_code(run.error_number,
                                      std::generic_category()).message();
  }
  return message.empty() ? "failed without a message" : message;
}

ScoreResult translate_score(const ScoreJob& job, const BatchOptions& options,
                            const MadeFrom* recorded) {
  ScoreResult result;
  if (!job.failure.empty()) {
    result.outcome = Outcome::failed;
    result.message = job.failure;
    return result;
  }
  // Taken before the score's stamp: a score whose time is not older was
  // perhaps changed again within the same tick, unseen.
  const int64_t started_ns = coarse_now_ns();
  MadeFrom made;
  made.score = job.absolute;
  made.options = options.all_tracks ? "--all-tracks" : "";
  made.version = MORVANE_VERSION;
  const bool stamped = stamp_file(job.score, made.score_stamp);
  if (!options.force && stamped && recorded != nullptr &&
      still_made_from(*recorded, made, job.output)) {
    result.outcome = Outcome::up_to_date;
    result.made = *recorded;
    return result;
  }
  std::error_code error;
  const fs::path folder = fs::path(job.output).parent_path();
  if (!folder.empty()) fs::create_directories(folder, error);
  if (error) {
    result.outcome = Outcome::failed;
    result.message = "Can't make folder " + folder.string() + ": " +
                     error.message();
    return result;
  }
  try {
    return translate_job(job, options, made, stamped, started_ns);
  } catch (const std::bad_alloc&) {
    // The run state itself could not be set up.
    result.outcome = Outcome::failed;
    result.message = "Out of memory";
    return result;
  }
}

}  // namespace morvane::batch
