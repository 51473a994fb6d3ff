#include "roll/roll_input.h"

#include <sstream>
#include <string_view>
#include <utility>

#include "driver/passed_over.h"
#include "driver/run_state.h"
#include "driver/translate.h"
#include "reader/line_source.h"

namespace morvane {
namespace {

InputRead parsed(std::string_view text, const std::string& name,
                 NoteList& list) {
  NoteListError error;
  if (parse_note_list(text, list, error)) return {};
  return {1,
          name + " line " + std::to_string(error.line) + ": " + error.reason};
}

}  // namespace

RollInput open_roll_input(const std::string& name) {
  RollInput input{open_score(name)};
  // open_score opens a file source, which looks ahead without reading on.
  const auto* file =
      dynamic_cast<const FileLineSource*>(input.file.source.get());
  input.is_score = file != nullptr &&
                   (input.file.kind == ScoreKind::midi_file ||
                    file->starts_with(kMidiTextStart));
  return input;
}

InputRead read_roll_input(RollInput input, const std::string& name,
                          bool all_tracks, NoteList& list) {
  if (!input.is_score) {
    std::string bytes;
    if (!input.file.source->read_rest(bytes)) return {1, "can't read " + name};
    return parsed(bytes, name, list);
  }
  std::ostringstream out, err;
  std::istringstream keys;
  RunState state(out, err, keys);
  TranslationRequest request;
  request.score = name;
  request.opened = std::move(input.file);
  request.notes = "<memory>";
  std::string notes;
  request.notes_in_memory = &notes;
  request.all_tracks = all_tracks;
  const RunResult run = translate(state, std::move(request));
  if (run.status != 0) return {run.status, bare_message(run)};
  InputRead read = parsed(notes, name, list);
  if (read.status == 0 && run.passed_over > 0) {
    read.message = passed_over_sentence(run.passed_over);
    read.message.pop_back();  // the line feed
  }
  return read;
}

}  // namespace morvane
