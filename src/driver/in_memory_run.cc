#include "driver/in_memory_run.h"

#include <utility>

#include "driver/banner.h"
#include "driver/translate.h"
#include "reader/event_table.h"
#include "reader/open_score.h"
#include "writer/note_list_file.h"

namespace morvane {

InMemoryRun::InMemoryRun(const std::string& score_name,
                         const std::string& notes_name)
    : state(out, err, keys) {
  state.input_name = score_name;
  state.output_name = notes_name;
  state.output = NoteListFile::in_memory(&notes);
}

void InMemoryRun::set_score(std::string bytes) {
  OpenedScore score = score_from_bytes(std::move(bytes));
  state.input = std::move(score.source);
  state.input_kind = score.kind;
}

void InMemoryRun::add_events(const std::vector<EventRecord>& events) {
  if (state.table.slots.empty()) state.table.slots.emplace_back();
  for (const EventRecord& e : events) append_event(state, e);
}

Translation translate_source(const std::string& score_name,
                             OpenedScore input, const std::string& notes_name,
                             const TranslationOptions& options) {
  Translation result;
  {
    std::ostringstream out, err;
    std::istringstream keys;
    RunState state(out, err, keys);
    state.overlap = options.overlap;
    print_banner(state);
    TranslationRequest request;
    request.score = score_name;
    request.opened = std::move(input);
    request.notes = notes_name;
    request.notes_in_memory = &result.notes;
    request.all_tracks = options.all_tracks;
    request.note_score_map = options.note_score_map;
    result.result = translate(state, std::move(request));
    result.status = result.result.status;
    if (options.after_run) options.after_run(state, result.result);
    result.out = out.str();
    result.err = err.str();
    result.passed_over_notes = result.result.passed_over;
  }
  return result;
}

Translation translate_in_memory(const std::string& score_name,
                                std::string bytes,
                                const std::string& notes_name,
                                const TranslationOptions& options) {
  return translate_source(score_name, score_from_bytes(std::move(bytes)),
                          notes_name, options);
}

}  // namespace morvane
