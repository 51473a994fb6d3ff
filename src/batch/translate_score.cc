#include "batch/translate_score.h"

#include <filesystem>
#include <new>
#include <sstream>
#include <system_error>
#include <vector>

#include "driver/run.h"
#include "driver/run_state.h"

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

uint64_t note_lines(const EventTable& table) {
  uint64_t lines = 0;
  // Note ends are not written; every other event is a line.
  for (std::size_t slot = 1; slot < table.count(); ++slot) {
    if (table.at(slot).velocity != 0) ++lines;
  }
  return lines;
}

ScoreResult run_morvane(const ScoreJob& job, bool all_tracks) {
  std::ostringstream out, err;
  std::istringstream keyboard;
  RunState state(out, err, keyboard);
  // Set here rather than passed as --all-tracks: run() would take a file of
  // that name in the working folder for the score.
  state.all_tracks = all_tracks;
  ScoreResult result;
  const int status = run_files(state, job.score, job.output);
  if (status != 0) {
    // The run left the old note list as it was, or made none: a failed
    // score never looks up to date.
    result.message = failure_message(out.str(), err.str());
    return result;
  }
  result.outcome = Outcome::translated;
  result.notes = note_lines(state.table);
  result.instruments = state.instruments.size();
  result.passed_over = state.passed_over_notes;
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
