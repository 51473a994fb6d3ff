#include "driver/open_files.h"

#include <filesystem>
#include <utility>

#include "driver/banner.h"
#include "driver/console.h"
#include "driver/read_reply.h"
#include "reader/open_score.h"
#include "writer/note_list_file.h"

namespace morvane {
namespace {

void settle_names(RunState& state, const std::vector<std::string>& args) {
  if (args.size() == 2) {
    state.input_name = args[1];
    say_always(state, "\n\t Name of score for output?\t");
    read_reply(state.keyboard, state.output_name);
  } else if (args.size() == 3) {
    state.input_name = args[1];
    state.output_name = args[2];
  } else {
    print_usage(state);
  }
}

// The note list replaces the file of its name, so it must not be the score:
// compare the files themselves, so that links and other spellings count
// too.
bool is_same_file(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

}  // namespace

void open_files(RunState& state, const std::vector<std::string>& args) {
  settle_names(state, args);
  if (state.input == nullptr) {
    OpenedScore score = open_score(state.input_name);
    state.input = std::move(score.source);
    state.input_kind = score.kind;
  }
  if (state.input == nullptr) {
    fail(state, "\n Can't open " + state.input_name + " as input score\n");
  }
  if (is_same_file(state.input_name, state.output_name)) {
    fail(state, "\n Can't use " + state.output_name +
                    " for score output: it is the input score\n");
  }
  state.output = NoteListFile::open(state.output_name, state.sync);
  if (state.output == nullptr) {
    fail(state, "\n Can't open " + state.output_name + " for score output\n");
  }
}

}  // namespace morvane
