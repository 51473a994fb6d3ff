#include "roll/roll_input.h"

#include <string_view>
#include <utility>

#include "driver/in_memory_run.h"
#include "reader/line_source.h"

namespace morvane {
namespace {

// The first bytes of a MIDI text file: the translator refuses any other.
constexpr std::string_view kTextScoreStart = "MFile";

std::string trimmed(const std::string& text) {
  constexpr char kBlank[] = " \t\r\n";
  const std::size_t first = text.find_first_not_of(kBlank);
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(kBlank) - first + 1);
}

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
                    file->starts_with(kTextScoreStart));
  return input;
}

InputRead read_roll_input(RollInput input, const std::string& name,
                          bool all_tracks, NoteList& list) {
  if (!input.is_score) {
    std::string bytes;
    if (!input.file.source->read_rest(bytes)) return {1, "can't read " + name};
    return parsed(bytes, name, list);
  }
  TranslationOptions options;
  options.all_tracks = all_tracks;
  const Translation translation =
      translate_source(name, std::move(input.file), "<memory>", options);
  if (translation.status != 0) {
    // Memory that runs out is said on standard output, among the banner's
    // lines; every other failure is the one message on standard error.
    return {translation.status, translation.err.empty()
                                    ? "out of memory"
                                    : trimmed(translation.err)};
  }
  InputRead read = parsed(translation.notes, name, list);
  if (read.status == 0) read.message = trimmed(translation.err);
  return read;
}

}  // namespace morvane
