#include "batch/translate_score.h"

#include <filesystem>
#include <new>
#include <sstream>
#include <system_error>
#include <vector>

#include "driver/run_state.h"
#include "driver/translate.h"

namespace morvane::batch {
namespace {

namespace fs = std::filesystem;

bool up_to_date(const ScoreJob& job) {
  std::error_code error;
  const auto output_time = fs::last_write_time(job.output, error);
  if (error) return false;
  const auto score_time = fs::last_write_time(job.score, error);
  return !error && output_time > score_time;
}

ScoreResult run_morvane(const ScoreJob& job, bool all_tracks) {
  std::ostringstream out, err;
  std::istringstream keyboard;
  RunState state(out, err, keyboard);
  TranslationRequest request;
  request.score = job.score;
  request.notes = job.output;
  request.all_tracks = all_tracks;
  const RunResult run = translate(state, std::move(request));
  ScoreResult result;
  if (run.status != 0) {
    // The run left the old note list as it was, or made none: a failed
    // score never looks up to date.
    result.message = failure_message(run);
    return result;
  }
  result.outcome = Outcome::translated;
  result.notes = run.note_lines;
  result.instruments = run.instruments;
  result.passed_over = run.passed_over;
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

ScoreResult translate_score(const ScoreJob& job, bool all_tracks, bool force) {
  ScoreResult result;
  if (!job.failure.empty()) {
    result.message = job.failure;
    return result;
  }
  if (!force && up_to_date(job)) {
    result.outcome = Outcome::up_to_date;
    return result;
  }
  std::error_code error;
  const fs::path folder = fs::path(job.output).parent_path();
  if (!folder.empty()) fs::create_directories(folder, error);
  if (error) {
    result.message = "Can't make folder " + folder.string() + ": " +
                     error.message();
    return result;
  }
  try {
    return run_morvane(job, all_tracks);
  } catch (const std::bad_alloc&) {
    // The run state itself could not be set up.
    result.message = "Out of memory";
    return result;
  }
}

}  // namespace morvane::batch
