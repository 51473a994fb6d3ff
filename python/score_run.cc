#include "score_run.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <utility>

#include "analysis/compute_durations.h"
#include "analysis/sort_by_time.h"
#include "driver/in_memory_run.h"
#include "driver/run.h"
#include "reader/open_score.h"

namespace morvane::python {
namespace {

std::string trimmed(const std::string& text) {
  constexpr char kBlank[] = " \t\r\n";
  const std::size_t first = text.find_first_not_of(kBlank);
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(kBlank) - first + 1);
}

// These four messages are failures of a file, not of the score in it.
RunFailureKind kind_of(const std::string& err, const std::string& score,
                       const std::string& list) {
  if (err.empty()) return RunFailureKind::memory;  // said on standard output
  if (err == "\n Can't open " + score + " as input score\n") {
    return RunFailureKind::score_not_opened;
  }
  if (err == "\n Can't read " + score + " as input score\n") {
    return RunFailureKind::score_not_read;
  }
  if (err == "\n Can't open " + list + " for score output\n") {
    return RunFailureKind::list_not_opened;
  }
  if (err == "\n Can't write score output " + list + "\n") {
    return RunFailureKind::list_not_written;
  }
  return RunFailureKind::score;
}

// What the state holds once the run has ended with status.
void take_state(ScoreRun& result, const RunState& state, int status) {
  result.status = status;
  result.division = state.division;
  result.passed_over = state.passed_over_notes;
  if (status != 0) return;  // the arrays may be half made
  result.instruments = state.instruments;
  const TempoMap map(state.score_map, state.division);
  result.rows = note_rows(state, map);
  for (const ScoreTrack& track : state.score_map.tracks) {
    result.track_names.push_back(track.name);
  }
  result.tempo_map = map.points();
  result.format = state.score_map.format;
}

// The console and, after a failure, its kind and message.
void take_console(ScoreRun& result, const std::string& out,
                  const std::string& err, const std::string& score,
                  const std::string& list) {
  result.console = out + err;
  if (result.status == 0) return;
  result.failure = kind_of(err, score, list);
  if (result.failure != RunFailureKind::memory) {
    result.message = trimmed(err);
    return;
  }
  // Memory messages stand last on standard output, after a line feed.
  const std::size_t last = out.rfind("\n ");
  result.message = trimmed(last == std::string::npos ? out : out.substr(last));
}

// The whole of a regular file; none for anything else, or when it cannot be
// read.
std::optional<std::string> read_back(const std::string& name) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(name, error)) return std::nullopt;
  std::ifstream file(name, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(file)),
                    std::istreambuf_iterator<char>());
  if (!file && !file.eof()) return std::nullopt;
  return bytes;
}

}  // namespace

std::vector<NoteRow> note_rows(const RunState& state, const TempoMap& map) {
  // Counted first: growing the rows as they come costs more than the pass.
  std::size_t lines = 0;
  for (std::size_t slot = 1; slot < state.table.count(); ++slot) {
    lines += state.table.at(slot).velocity != 0;
  }
  std::vector<NoteRow> rows;
  rows.reserve(lines);
  const float* duration = state.arrays.duration_beats.get();
  const std::vector<uint32_t> end_slot = note_end_slots(state);
  // A slot's track is the last to begin at or before it.
  std::vector<std::size_t> first_slot;
  for (const ScoreTrack& track : state.score_map.tracks) {
    first_slot.push_back(track.first_slot);
  }
  for (std::size_t i = 1; i < state.table.count(); ++i) {
    const EventRecord r = sorted_event(state, i);
    // As put_note_lines has it: ends are no lines, and a negative velocity
    // carries its time in ticks, and its channel where the duration goes.
    if (r.velocity == 0) continue;
    const bool start = r.velocity > 0;
    const std::size_t slot = state.arrays.order[i].file_slot;
    const std::size_t track = static_cast<std::size_t>(
        std::upper_bound(first_slot.begin() + 1, first_slot.end(), slot) -
        first_slot.begin() - 1);
    // In seconds from the ticks as the file has them, not as the time order
    // rounds them.
    const double start_seconds =
        map.seconds(state.table.slots[slot].time_ticks, track);
    const double duration_seconds =
        start && end_slot[slot] != 0
            ? map.seconds(state.table.slots[end_slot[slot]].time_ticks,
                          track) -
                  start_seconds
            : 0;
    rows.push_back(
        {start ? start_beats(r.time_ticks, state.division)
               : static_cast<double>(r.time_ticks),
         start ? duration[slot] : static_cast<double>(r.channel),
         static_cast<int64_t>(r.channel) - 1, r.note, r.velocity,
         static_cast<int64_t>(track), start_seconds, duration_seconds});
  }
  return rows;
}

ScoreRun translate_score(ScoreSource source, bool all_tracks) {
  ScoreRun result;
  OpenedScore input = source.in_memory
                          ? score_from_bytes(std::move(source.bytes))
                          : open_score(source.name);
  if (input.source == nullptr) {
    result.status = 1;
    result.failure = RunFailureKind::score_not_opened;
    return result;
  }
  TranslationOptions options;
  options.all_tracks = all_tracks;
  options.note_score_map = true;
  options.after_run = [&](const RunState& state, int status) {
    take_state(result, state, status);
  };
  Translation t =
      translate_source(source.name, std::move(input), kMemoryListName, options);
  take_console(result, t.out, t.err, source.name, kMemoryListName);
  result.note_list = std::move(t.notes);
  return result;
}

ScoreRun write_score_list(ScoreSource source, const std::string& destination,
                          bool all_tracks) {
  ScoreRun result;
  std::ostringstream out, err;
  std::istringstream keys;
  int status = 0;
  {
    RunState state(out, err, keys);
    // Set here rather than by a first argument --all-tracks, which a file
    // of that name would take the place of.
    state.all_tracks = all_tracks;
    state.score_map.noted = true;
    if (source.in_memory) {
      OpenedScore score = score_from_bytes(std::move(source.bytes));
      state.input = std::move(score.source);
      state.input_kind = score.kind;
    }
    status = run_files(state, source.name, destination);
    take_state(result, state, status);
  }
  take_console(result, out.str(), err.str(), score_argument(source.name),
               destination);
  if (status == 0) result.note_list = read_back(destination);
  return result;
}

}  // namespace morvane::python
