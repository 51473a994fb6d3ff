// A run with everything in memory: the score's bytes in, the console and
// the note list out, for the web page, the Python module, tests, the
// benchmarks and the fuzz target.
//
//   Translation t = translate_in_memory("song.mid", bytes, "song.notes");

#ifndef MORVANE_DRIVER_IN_MEMORY_RUN_H_
#define MORVANE_DRIVER_IN_MEMORY_RUN_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "driver/run_state.h"
#include "driver/translate.h"
#include "reader/open_score.h"

namespace morvane {

// A run state whose console, keyboard and note list are strings.
struct InMemoryRun {
  explicit InMemoryRun(const std::string& score_name = "score",
                       const std::string& notes_name = "notes");

  // Sets the score to bytes (a MIDI text file, or a standard MIDI file).
  void set_score(std::string bytes);
  // Puts events straight into the table, as the reader would append them.
  void add_events(const std::vector<EventRecord>& events);

  std::ostringstream out, err;
  std::istringstream keys;
  std::string notes;
  RunState state;
};

struct Translation {
  int status = -1;
  std::string out, err, notes;
  uint64_t passed_over_notes = 0;  // notes of tracks without a name
  RunResult result;                // how the run ended, as a value
};

struct TranslationOptions {
  bool all_tracks = false;
  OverlapShape overlap;
  // The reader notes the score's tracks and tempo (RunState::score_map).
  bool note_score_map = false;
  // Called with the run state and result after the run, before the state
  // is freed (the Python module reads the unrounded notes there).
  std::function<void(const RunState&, const RunResult&)> after_run;
};

// The whole translation, banner first, of the score bytes named
// score_name, into a note list named notes_name kept in memory: what
// `morvane score_name notes_name` prints and writes.
Translation translate_in_memory(const std::string& score_name,
                                std::string bytes,
                                const std::string& notes_name,
                                const TranslationOptions& options = {});

// The same for a score the caller opened (as tests open a MIDI file's text).
Translation translate_source(const std::string& score_name,
                             OpenedScore input, const std::string& notes_name,
                             const TranslationOptions& options = {});

}  // namespace morvane

#endif  // MORVANE_DRIVER_IN_MEMORY_RUN_H_
