#include "driver/run.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <new>
#include <stdexcept>

#include "analysis/compute_durations.h"
#include "analysis/overlapped_stages.h"
#include "analysis/sort_by_time.h"
#include "driver/banner.h"
#include "driver/console.h"
#include "driver/open_files.h"
#include "reader/midi/read_midi_score.h"
#include "reader/read_text_score.h"
#include "writer/note_list_file.h"
#include "writer/write_note_list.h"

namespace morvane {
namespace {

bool file_exists(const std::string& name) {
  std::error_code error;
  return std::filesystem::exists(name, error);
}

// The options before the names, in any order, each taken only where no file
// of its name exists: names are used as typed. Leaves the names in args.
void take_options(RunState& state, std::vector<std::string>& args) {
  while (args.size() >= 2 && !file_exists(args[1])) {
    const std::string& word = args[1];
    if (word == "--all-tracks" || word == "-a") {
      state.all_tracks = true;
    } else if (word == "--quiet" || word == "-q") {
      state.quiet = true;
    } else if (word == "--sync") {
      state.sync = true;
    } else {
      return;
    }
    args.erase(args.begin() + 1);
  }
}

void translate(RunState& state, const std::vector<std::string>& args) {
  open_files(state, args);
  translate_open_files(state);
}

}  // namespace

void read_score(RunState& state) {
  if (state.input_kind == ScoreKind::midi_file) {
    read_midi_score(state);
  } else {
    read_text_score(state);
  }
}

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
    fail(state, "\n Can't write score output " + state.output_name + "\n");
  }
  // Nothing in the note list says that notes were left out: say it here.
  const uint64_t passed = state.passed_over_notes;
  if (passed > 0) {
    complain(state, "\n Passed over " + std::to_string(passed) +
                        (passed == 1 ? " note" : " notes") +
                        " outside named tracks; --all-tracks keeps them\n");
  }
}

int run(RunState& state, std::vector<std::string> args) {
  take_options(state, args);
  print_banner(state);
  if (args.size() == 2 && !file_exists(args[1])) {
    if (args[1] == "--help" || args[1] == "-h") {
      print_help(state);
      return 0;
    }
    if (args[1] == "--version") {
      print_version(state);
      return 0;
    }
  }
  if (args.size() < 2) {
    print_usage(state);
    return 1;
  }
  return run_guarded(state, [&] { translate(state, args); });
}

std::string score_argument(const std::string& score) {
  // run() takes leading arguments that are options and name no file for the
  // options: a missing score of such a name must fail as a missing score.
  const bool like_option = score == "-a" || score == "--all-tracks" ||
                           score == "-q" || score == "--quiet" ||
                           score == "--sync";
  return like_option ? "./" + score : score;
}

int run_files(RunState& state, const std::string& score,
              const std::string& notes) {
  return run(state, {"morvane", score_argument(score), notes});
}

int run_guarded(RunState& state, const std::function<void()>& body) {
  int status = 0;
  try {
    body();
  } catch (const RunFailure& failure) {
    status = failure.status;
  } catch (const std::bad_alloc&) {
    say_memory(state, "\n Out of memory\n");
    status = 1;
  } catch (const std::length_error&) {
    say_memory(state, "\n Out of memory\n");
    status = 1;
  }
  // A failed run leaves the note list as it was before the run.
  if (state.output != nullptr) {
    if (status == 0) {
      state.output->close();
    } else {
      state.output->abandon();
    }
  }
  return status;
}

}  // namespace morvane
