#include "reader/open_score.h"

#include <string_view>
#include <utility>

namespace morvane {
namespace {

constexpr std::string_view kMidiFileStart = "MThd";

}  // namespace

std::unique_ptr<LineSource> open_score(const std::string& name) {
  std::unique_ptr<FileLineSource> file = FileLineSource::open(name);
  if (file == nullptr || !file->starts_with(kMidiFileStart)) return file;
  std::string bytes;
  if (!file->read_rest(bytes)) {
    return std::make_unique<MemoryLineSource>("", file->failure());
  }
  return std::make_unique<MidiFileSource>(name, std::move(bytes));
}

std::unique_ptr<LineSource> score_from_bytes(const std::string& name,
                                             std::string bytes) {
  if (std::string_view(bytes).substr(0, kMidiFileStart.size()) ==
      kMidiFileStart) {
    return std::make_unique<MidiFileSource>(name, std::move(bytes));
  }
  return std::make_unique<MemoryLineSource>(std::move(bytes));
}

}  // namespace morvane
