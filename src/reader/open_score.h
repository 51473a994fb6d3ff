// Opens a score and tells its kind: a standard MIDI file when it begins with
// "MThd", else MIDI text (read_midi_score.h, read_text_score.h).

#ifndef MORVANE_READER_OPEN_SCORE_H_
#define MORVANE_READER_OPEN_SCORE_H_

#include <memory>
#include <string>

#include "driver/run_state.h"
#include "reader/line_source.h"

namespace morvane {

struct OpenedScore {
  std::unique_ptr<LineSource> source;  // null when it could not be opened
  ScoreKind kind = ScoreKind::midi_text;
};

// The score file name, opened, and its kind.
OpenedScore open_score(const std::string& name);

// The same for a score held in memory.
OpenedScore score_from_bytes(std::string bytes);

}  // namespace morvane

#endif  // MORVANE_READER_OPEN_SCORE_H_
