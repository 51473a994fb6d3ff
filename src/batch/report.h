// The --report file: one CSV row per score, for spreadsheets and data
// pipelines. Fields are quoted as RFC 4180 says (a field with a comma, a
// quote or a line break is put in quotes, its quotes doubled) and rows end
// in CR LF:
//
//   score,output,status,notes,instruments,passed_over,message
//   songs/a.mid,out/a.mid.notes,translated,812,3,0,
//   songs/b.mid,out/b.mid.notes,up-to-date,,,,
//   songs/c.mid,out/c.mid.notes,failed,,,,"Badly formed MIDI file ..."
//   songs/d.mid,out/d.mid.notes,not-done,,,,
//
// A batch stopped by a signal writes it too: the scores it did not get to
// are not-done.

#ifndef MORVANE_BATCH_REPORT_H_
#define MORVANE_BATCH_REPORT_H_

#include <string>
#include <string_view>
#include <vector>

#include "batch/find_scores.h"
#include "batch/translate_score.h"

namespace morvane::batch {

// field as one CSV field.
std::string csv_field(std::string_view field);

// The report's text: the header, then a row for each job and its result.
std::string report_csv(const std::vector<ScoreJob>& jobs,
                       const std::vector<ScoreResult>& results);

}  // namespace morvane::batch

#endif  // MORVANE_BATCH_REPORT_H_
