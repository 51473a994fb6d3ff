#include "driver/translate.h"

#include <algorithm>
#include <functional>
#include <new>
#include <stdexcept>
#include <utility>

#include "analysis/compute_durations.h"
#include "analysis/sort_by_time.h"
#include "driver/console.h"
#include "driver/open_files.h"
#include "driver/overlapped_stages.h"
#include "driver/passed_over.h"
#include "reader/midi/read_midi_score.h"
#include "reader/read_text_score.h"
#include "writer/note_list_file.h"
#include "writer/write_note_list.h"

namespace morvane {

void read_score(RunState& state) {
  if (state.input_kind == ScoreKind::midi_file) {
    read_midi_score(state);
  } else {
    read_text_score(state);
  }
}

namespace {

// The stages after the files are open: read, order, durations, write, and
// the check that the note list reached its file whole.
void translate_open_files(RunState& state) {
  read_score(state);
  // From some 65,536 events on, a second thread pairs the notes and formats
  // their lines while the first sorts, and writes them in place; below that
  // a thread costs more than it saves. A stream (a pipe, a device) is
  // written in order, after the sort.
  const std::size_t enough = std::max<std::size_t>(state.overlap.min_events, 2);
  if (state.table.events() >= enough && state.output->positional()) {
    sort_pair_and_write(state);
  } else {
    sort_by_time(state);
    compute_durations(state);
    write_note_list(state);
  }
  if (!state.output->close()) {
    fail(state, FailureKind::list_not_written,
         "\n Can't write score output " + state.output_name + "\n",
         state.output_name, state.output->error_number());
  }
  // Nothing in the note list says that notes were left out: say it here.
  if (state.passed_over_notes > 0) {
    complain(state, "\n " + passed_over_sentence(state.passed_over_notes));
  }
}

RunFailure out_of_memory(RunState& state) {
  constexpr char kMessage[] = "\n Out of memory\n";
  say_memory(state, kMessage);
  return RunFailure{1, FailureKind::out_of_memory, 0, {}, kMessage};
}

}  // namespace

RunFailure run_guarded(RunState& state, const std::function<void()>& body) {
  RunFailure ended{0, FailureKind::none, 0, {}, {}};
  try {
    body();
  } catch (RunFailure& failure) {
    ended = std::move(failure);
  } catch (const std::bad_alloc&) {
    ended = out_of_memory(state);
  } catch (const std::length_error&) {
    ended = out_of_memory(state);
  }
  if (state.output != nullptr) {
    if (ended.status == 0) {
      state.output->close();
    } else {
      state.output->abandon();
    }
  }
  return ended;
}

std::string bare_message(const RunResult& result) {
  constexpr char kBlank[] = " \t\r\n";
  const std::string& text = result.message;
  const std::size_t first = text.find_first_not_of(kBlank);
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(kBlank) - first + 1);
}

RunResult translate(RunState& state, TranslationRequest request) {
  state.all_tracks = request.all_tracks;
  state.quiet = request.quiet;
  state.sync = request.sync;
  state.score_map.noted = request.note_score_map;
  RunFailure ended = run_guarded(state, [&] {
    open_files(state, request);
    translate_open_files(state);
  });
  RunResult result;
  result.status = ended.status;
  result.kind = ended.kind;
  result.error_number = ended.error_number;
  result.name = std::move(ended.name);
  result.message = std::move(ended.message);
  result.events = state.table.events();
  result.instruments = state.instruments.size();
  result.passed_over = state.passed_over_notes;
  if (result.status == 0) result.note_lines = note_line_count(state.table);
  return result;
}

}  // namespace morvane
