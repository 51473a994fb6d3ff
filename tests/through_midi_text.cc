#include "through_midi_text.h"

#include <memory>
#include <utility>

#include "midi_file.h"
#include "reader/line_source.h"

namespace morvane::testing {

Translation translate_through_midi_text(const std::string& score_name,
                                        const std::string& file,
                                        const std::string& notes_name,
                                        const TranslationOptions& options) {
  if (file.substr(0, 4) != "MThd") {
    return translate_in_memory(score_name, file, notes_name, options);
  }
  std::string text;
  MidiFileError error;
  if (render_midi_text(file, text, error)) {
    return translate_source(
        score_name,
        {std::make_unique<MemoryLineSource>(std::move(text)),
         ScoreKind::midi_text},
        notes_name, options);
  }
  // A damaged file is refused before anything is read, as an empty text
  // score is: the same run, with the damage's message.
  Translation empty = translate_source(
      score_name, {std::make_unique<MemoryLineSource>(""), ScoreKind::midi_text},
      notes_name, options);
  empty.err = "\nBadly formed MIDI file " + score_name + ": " + error.reason +
              " at byte " + std::to_string(error.offset) + ".\n";
  return empty;
}

}  // namespace morvane::testing
