#include "reader/open_score.h"

#include <string_view>
#include <utility>

namespace morvane {

OpenedScore open_score(const std::string& name) {
  std::unique_ptr<FileLineSource> file = FileLineSource::open(name);
  const bool midi = file != nullptr && file->starts_with(kMidiFileStart);
  return {std::move(file), midi ? ScoreKind::midi_file : ScoreKind::midi_text};
}

OpenedScore score_from_bytes(std::string bytes) {
  const ScoreKind kind = score_kind(bytes);
  return {std::make_unique<MemoryLineSource>(std::move(bytes)), kind};
}

}  // namespace morvane
