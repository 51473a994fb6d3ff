#include "through_midi_text.h"

#include <memory>
#include <utility>
#include <vector>

#include "midi_file.h"
#include "reader/line_source.h"

namespace morvane::testing {
namespace {

const char kDivisionMessage[] =
    "\nBadly formed MIDI text file: division must be above 0.\n";
const char kOutOfRange[] = "\nNumber out of range in line ";

// What the run of a MIDI file says where the run of its rendering said err:
// the same failure, told in the file's terms.
std::string in_file_terms(const std::string& err, const std::string& name,
                          const std::string& file,
                          const std::vector<LinePlace>& places) {
  if (err == kDivisionMessage) {
    // The header's division word is bytes 12 and 13.
    if (static_cast<unsigned char>(file[12]) & 0x80) {
      return "\nMIDI file " + name + " uses SMPTE time, which Morvane does "
             "not read: only ticks per quarter note.\n";
    }
    return "\nBadly formed MIDI file " + name +
           ": division of 0 ticks per quarter note at byte 12.\n";
  }
  if (err.rfind(kOutOfRange, 0) == 0) {
    const LinePlace& place =
        places.at(std::stoull(err.substr(sizeof kOutOfRange - 1)) - 1);
    return "\nTime out of range in MIDI file " + name + ": track " +
           std::to_string(place.track) + ", the event at byte " +
           std::to_string(place.byte) + " comes after tick 2147483647.\n";
  }
  return err;
}

}  // namespace

Translation translate_through_midi_text(const std::string& score_name,
                                        const std::string& file,
                                        const std::string& notes_name,
                                        const TranslationOptions& options) {
  if (file.substr(0, 4) != "MThd") {
    return translate_in_memory(score_name, file, notes_name, options);
  }
  std::string text;
  MidiFileError error;
  std::vector<LinePlace> places;
  if (render_midi_text(file, text, error, &places)) {
    Translation through = translate_source(
        score_name,
        {std::make_unique<MemoryLineSource>(std::move(text)),
         ScoreKind::midi_text},
        notes_name, options);
    through.err = in_file_terms(through.err, score_name, file, places);
    return through;
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
