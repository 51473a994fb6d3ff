#include "score_run.h"

#include <algorithm>
#include <sstream>
#include <utility>

#include "analysis/compute_durations.h"
#include "analysis/sort_by_time.h"
#include "driver/banner.h"
#include "driver/translate.h"
#include "reader/open_score.h"
#include "writer/write_note_list.h"

namespace morvane::python {
namespace {

// Runs request and keeps what the run state and its result hold.
ScoreRun run_request(TranslationRequest request) {
  ScoreRun result;
  std::ostringstream out, err;
  std::istringstream keys;
  RunState state(out, err, keys);
  print_banner(state);  // the console is the command's, banner first
  const RunResult run = translate(state, std::move(request));
  result.status = run.status;
  result.failure = run.kind;
  result.error_number = run.error_number;
  result.message = bare_message(run);
  result.division = state.division;
  result.passed_over = run.passed_over;
  if (run.status == 0) {  // else the arrays may be half made
    result.instruments = state.instruments;
    const TempoMap map(state.score_map, state.division);
    result.rows = note_rows(state, map);
    for (const ScoreTrack& track : state.score_map.tracks) {
      result.track_names.push_back(track.name);
    }
    result.tempo_map = map.points();
    result.format = state.score_map.format;
  }
  result.console = out.str() + err.str();
  return result;
}

TranslationRequest request_for(ScoreSource& source, bool all_tracks) {
  TranslationRequest request;
  request.score = source.name;
  if (source.in_memory) {
    request.opened = score_from_bytes(std::move(source.bytes));
  }
  request.all_tracks = all_tracks;
  request.note_score_map = true;
  return request;
}

}  // namespace

std::vector<NoteRow> note_rows(const RunState& state, const TempoMap& map) {
  std::vector<NoteRow> rows;
  rows.reserve(note_line_count(state.table));
  const float* duration = state.arrays.duration_beats.get();
  const std::vector<uint32_t> end_slot = note_end_slots(state);
  // A slot's track is the last to begin at or before it.
  std::vector<std::size_t> first_slot;
  for (const ScoreTrack& track : state.score_map.tracks) {
    first_slot.push_back(track.first_slot);
  }
  for (std::size_t i = 1; i < state.table.count(); ++i) {
    const EventRecord r = sorted_event(state, i);
    if (!has_note_line(r)) continue;
    const std::size_t slot = state.arrays.order[i].file_slot;
    const NoteLine line = note_line(r, duration[slot], state.division);
    const std::size_t track = static_cast<std::size_t>(
        std::upper_bound(first_slot.begin() + 1, first_slot.end(), slot) -
        first_slot.begin() - 1);
    // In seconds from the ticks as the file has them, not as the time order
    // rounds them.
    const double start_seconds =
        map.seconds(state.table.slots[slot].time_ticks, track);
    const double duration_seconds =
        r.velocity > 0 && end_slot[slot] != 0
            ? map.seconds(state.table.slots[end_slot[slot]].time_ticks,
                          track) -
                  start_seconds
            : 0;
    rows.push_back({line.start, line.duration, line.channel, line.key,
                    line.velocity, static_cast<int64_t>(track), start_seconds,
                    duration_seconds});
  }
  return rows;
}

ScoreRun translate_score(ScoreSource source, bool all_tracks) {
  TranslationRequest request = request_for(source, all_tracks);
  request.notes = kMemoryListName;
  std::string list;
  request.notes_in_memory = &list;
  ScoreRun result = run_request(std::move(request));
  result.note_list = std::move(list);
  return result;
}

ScoreRun write_score_list(ScoreSource source, const std::string& destination,
                          bool all_tracks, bool sync) {
  TranslationRequest request = request_for(source, all_tracks);
  request.notes = destination;
  request.sync = sync;
  std::string list;
  request.notes_copy = &list;
  ScoreRun result = run_request(std::move(request));
  if (result.status == 0) result.note_list = std::move(list);
  return result;
}

}  // namespace morvane::python
