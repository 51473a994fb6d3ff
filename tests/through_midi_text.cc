#include "through_midi_text.h"

#include <memory>
#include <utility>

#include "reader/line_source.h"
#include "reader/midi/midi_file.h"

namespace morvane::testing {

Translation translate_through_midi_text(const std::string& score_name,
                                        const std::string& file,
                                        const std::string& notes_name,
                                        const TranslationOptions& options) {
  std::string text;
  MidiFileError error;
  std::unique_ptr<LineSource> input;
  if (file.substr(0, 4) != "MThd") {
    input = std::make_unique<MemoryLineSource>(file);  // not MIDI
  } else if (render_midi_text(file, text, error)) {
    input = std::make_unique<MemoryLineSource>(std::move(text));
  } else {
    input = std::make_unique<MemoryLineSource>(
        "", "\nBadly formed MIDI file " + score_name + ": " + error.reason +
                " at byte " + std::to_string(error.offset) + ".\n");
  }
  return translate_source(score_name, std::move(input), notes_name, options);
}

}  // namespace morvane::testing
