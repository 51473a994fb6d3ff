#include "batch/report.h"

namespace morvane::batch {
namespace {

const char* status_word(Outcome outcome) {
  switch (outcome) {
    case Outcome::translated:
      return "translated";
    case Outcome::up_to_date:
      return "up-to-date";
    case Outcome::failed:
      return "failed";
    case Outcome::not_done:
      break;
  }
  return "not-done";
}

}  // namespace

std::string csv_field(std::string_view field) {
  if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
    return std::string(field);
  }
  std::string quoted = "\"";
  for (const char c : field) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string report_csv(const std::vector<ScoreJob>& jobs,
                       const std::vector<ScoreResult>& results) {
  std::string text =
      "score,output,status,notes,instruments,passed_over,message\r\n";
  for (std::size_t i = 0; i < results.size(); ++i) {
    const ScoreResult& r = results[i];
    // Counts only where a run gave them: an up-to-date score was not read.
    const bool counted = r.outcome == Outcome::translated;
    text += csv_field(jobs[i].score) + ',' + csv_field(jobs[i].output) + ',' +
            status_word(r.outcome) + ',' +
            (counted ? std::to_string(r.notes) : "") + ',' +
            (counted ? std::to_string(r.instruments) : "") + ',' +
            (counted ? std::to_string(r.passed_over) : "") + ',' +
            csv_field(r.message) + "\r\n";
  }
  return text;
}

}  // namespace morvane::batch
