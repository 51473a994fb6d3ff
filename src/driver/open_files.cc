#include "driver/open_files.h"

#include <cerrno>
#include <filesystem>
#include <utility>

#include "driver/console.h"
#include "driver/read_reply.h"
#include "reader/open_score.h"
#include "writer/note_list_file.h"
#include "writer/output_file.h"

namespace morvane {
namespace {

void settle_names(RunState& state, const TranslationRequest& request) {
  state.input_name = request.score;
  if (request.notes.has_value()) {
    state.output_name = *request.notes;
  } else {
    say_always(state, "\n\t Name of score for output?\t");
    read_reply(state.keyboard, state.output_name);
  }
}

// The note list replaces the file of its name, so it must not be the score:
// compare the files themselves, so that links and other spellings count
// too.
bool is_same_file(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

std::unique_ptr<NoteListFile> open_note_list(const TranslationRequest& request,
                                             const std::string& name) {
  if (request.notes_in_memory != nullptr) {
    return NoteListFile::in_memory(request.notes_in_memory);
  }
  std::unique_ptr<OutputFile> file = open_output_file(name, request.sync);
  if (file == nullptr) return nullptr;
  if (request.notes_copy != nullptr) {
    file = copying_output_file(std::move(file), request.notes_copy);
  }
  return std::make_unique<NoteListFile>(std::move(file));
}

}  // namespace

void open_files(RunState& state, TranslationRequest& request) {
  settle_names(state, request);
  if (request.opened.source != nullptr) {
    state.input = std::move(request.opened.source);
    state.input_kind = request.opened.kind;
  }
  if (state.input == nullptr) {
    OpenedScore score = open_score(state.input_name);
    const int error = errno;
    if (score.source == nullptr) {
      fail(state, FailureKind::score_not_opened,
           "\n Can't open " + state.input_name + " as input score\n",
           state.input_name, error);
    }
    state.input = std::move(score.source);
    state.input_kind = score.kind;
  }
  if (request.notes_in_memory == nullptr &&
      is_same_file(state.input_name, state.output_name)) {
    fail(state, FailureKind::same_file,
         "\n Can't use " + state.output_name +
             " for score output: it is the input score\n",
         state.output_name);
  }
  if (state.output == nullptr) {
    state.output = open_note_list(request, state.output_name);
  }
  if (state.output == nullptr) {
    const int error = errno;
    fail(state, FailureKind::list_not_opened,
         "\n Can't open " + state.output_name + " for score output\n",
         state.output_name, error);
  }
}

}  // namespace morvane
