#include "batch/summary.h"

#include <cstdio>

#include "driver/passed_over.h"

namespace morvane::batch {

std::string summary(const std::vector<ScoreJob>& jobs,
                    const std::vector<ScoreResult>& results,
                    const BatchEnd& end) {
  uint64_t translated = 0, up_to_date = 0, failed = 0, notes = 0, passed = 0;
  std::string failures, changed;
  for (std::size_t i = 0; i < results.size(); ++i) {
    const ScoreResult& r = results[i];
    switch (r.outcome) {
      case Outcome::translated:
        ++translated;
        break;
      case Outcome::up_to_date:
        ++up_to_date;
        break;
      case Outcome::failed:
        ++failed;
        failures += "  " + jobs[i].score + ": " + r.message + "\n";
        break;
      case Outcome::not_done:
        break;
    }
    if (r.changed) changed += "  " + jobs[i].score + "\n";
    notes += r.notes;
    passed += r.passed_over;
  }
  char time[32];
  std::snprintf(time, sizeof time, "%.2f", end.seconds);
  std::string text = std::to_string(translated) + " translated, " +
                     std::to_string(up_to_date) + " up to date, " +
                     std::to_string(failed) + " failed, " +
                     std::to_string(end.no_scores) +
                     " passed over as no score\n" + std::to_string(notes) +
                     " notes written in " + time + " s\n";
  // In the words morvane uses after a single score.
  if (passed > 0) text += passed_over_sentence(passed);
  if (failed > 0) text += "Failed:\n" + failures;
  if (!changed.empty()) {
    text += "Changed while translated, so translated again next time:\n" +
            changed;
  }
  if (end.leftovers > 0) {
    text += "Removed " + std::to_string(end.leftovers) +
            (end.leftovers == 1 ? " temporary file" : " temporary files") +
            " left by killed runs\n";
  }
  if (end.interrupted) {
    text += "interrupted: " +
            std::to_string(translated + up_to_date + failed) + " of " +
            std::to_string(results.size()) + " done, run again to go on\n";
  }
  return text;
}

}  // namespace morvane::batch
