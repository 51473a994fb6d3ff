#include "driver/in_memory_run.h"

#include <utility>

#include "driver/banner.h"
#include "driver/run.h"
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
    InMemoryRun run(score_name, notes_name);
    run.state.all_tracks = options.all_tracks;
    run.state.overlap = options.overlap;
    run.state.score_map.noted = options.note_score_map;
    print_banner(run.state);
    run.state.input = std::move(input.source);
    run.state.input_kind = input.kind;
    result.status =
        run_guarded(run.state, [&] { translate_open_files(run.state); });
    if (options.after_run) options.after_run(run.state, result.status);
    result.notes = std::move(run.notes);
    result.out = run.out.str();
    result.err = run.err.str();
    result.passed_over_notes = run.state.passed_over_notes;
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
