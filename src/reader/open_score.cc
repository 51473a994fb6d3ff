#include "reader/open_score.h"

#include <string_view>
#include <utility>

#include "reader/midi/midi_file.h"

namespace morvane {
namespace {

constexpr std::string_view kMidiFileStart = "MThd";

std::unique_ptr<LineSource> decoded(const std::string& name,
                                    std::string_view bytes) {
  std::string text;
  MidiFileError error;
  if (!render_midi_text(bytes, text, error)) {
    return std::make_unique<MemoryLineSource>(
        "", "\nBadly formed MIDI file " + name + ": " + error.reason +
                " at byte " + std::to_string(error.offset) + ".\n");
  }
  return std::make_unique<MemoryLineSource>(std::move(text));
}

}  // namespace

std::unique_ptr<LineSource> open_score(const std::string& name) {
  std::unique_ptr<FileLineSource> file = FileLineSource::open(name);
  if (file == nullptr || !file->starts_with(kMidiFileStart)) return file;
  std::string bytes;
  if (!file->read_rest(bytes)) {
    return std::make_unique<MemoryLineSource>("", file->failure());
  }
  return decoded(name, bytes);
}

std::unique_ptr<LineSource> score_from_bytes(const std::string& name,
                                             std::string bytes) {
  if (std::string_view(bytes).substr(0, kMidiFileStart.size()) ==
      kMidiFileStart) {
    return decoded(name, bytes);
  }
  return std::make_unique<MemoryLineSource>(std::move(bytes));
}

}  // namespace morvane
