// Opens a score and tells its kind: a standard MIDI file when it begins with
// "MThd", else MIDI text (read_midi_score.h, read_text_score.h), whose
// first line must begin "MFile". The one place that says what a score's
// first bytes are.

#ifndef MORVANE_READER_OPEN_SCORE_H_
#define MORVANE_READER_OPEN_SCORE_H_

#include <memory>
#include <string>
#include <string_view>

#include "driver/run_state.h"
#include "reader/line_source.h"

namespace morvane {

inline constexpr std::string_view kMidiFileStart = "MThd";
inline constexpr std::string_view kMidiTextStart = "MFile";

// The kind of a score that begins with first_bytes.
inline ScoreKind score_kind(std::string_view first_bytes) {
  return first_bytes.starts_with(kMidiFileStart) ? ScoreKind::midi_file
                                                 : ScoreKind::midi_text;
}

// Whether first_bytes begin as a score can: "MThd" or "MFile". Anything
// else fails as a score (for a folder of files, it is no score at all).
inline bool starts_like_score(std::string_view first_bytes) {
  return first_bytes.starts_with(kMidiFileStart) ||
         first_bytes.starts_with(kMidiTextStart);
}

struct OpenedScore {
  std::unique_ptr<LineSource> source;  // null when it could not be opened
  ScoreKind kind = ScoreKind::midi_text;
};

// The score file name, opened, and its kind; a null source, with errno set,
// when it cannot be opened.
OpenedScore open_score(const std::string& name);

// The same for a score held in memory.
OpenedScore score_from_bytes(std::string bytes);

}  // namespace morvane

#endif  // MORVANE_READER_OPEN_SCORE_H_
