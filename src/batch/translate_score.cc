#include "batch/translate_score.h"

#include <cstdint>
#include <filesystem>
#include <new>
#include <sstream>
#include <system_error>
#include <vector>

#include <time.h>
#include <unistd.h>

#include "driver/run.h"
#include "driver/run_state.h"

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

uint64_t note_lines(const EventTable& table) {
  uint64_t lines = 0;
  // Note ends are not written; every other event is a line.
  for (std::size_t slot = 1; slot < table.count(); ++slot) {
    if (table.at(slot).velocity != 0) ++lines;
  }
  return lines;
}

ScoreResult run_morvane(const ScoreJob& job, const BatchOptions& options) {
  std::ostringstream out, err;
  std::istringstream keyboard;
  RunState state(out, err, keyboard);
  // Set here rather than passed as --all-tracks: run() would take a file of
  // that name in the working folder for the score.
  state.all_tracks = options.all_tracks;
  state.sync = options.sync;
  ScoreResult result;
  const int status = run_files(state, job.score, job.output);
  if (status != 0) {
    // The run left the old note list as it was, or made none: a failed
    // score never looks up to date.
    result.outcome = Outcome::failed;
    result.message = failure_message(out.str(), err.str());
    return result;
  }
  result.outcome = Outcome::translated;
  result.notes = note_lines(state.table);
  result.instruments = state.instruments.size();
  result.passed_over = state.passed_over_notes;
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

ScoreResult translate(const ScoreJob& job, const BatchOptions& options,
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

std::vector<std::string> trimmed_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) continue;
    const std::size_t last = line.find_last_not_of(" \t\r");
    lines.push_back(line.substr(first, last - first + 1));
  }
  return lines;
}

}  // namespace

std::string failure_message(const std::string& out, const std::string& err) {
  std::vector<std::string> lines = trimmed_lines(err);
  if (lines.empty()) {
    std::vector<std::string> out_lines = trimmed_lines(out);
    if (!out_lines.empty()) lines.push_back(out_lines.back());
  }
  std::string message;
  for (const std::string& line : lines) {
    if (!message.empty()) message += ' ';
    message += line;
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
    return translate(job, options, made, stamped, started_ns);
  } catch (const std::bad_alloc&) {
    // The run state itself could not be set up.
    result.outcome = Outcome::failed;
    result.message = "Out of memory";
    return result;
  }
}

}  // namespace morvane::batch
