#include "writer/note_text_blocks.h"

#include <algorithm>
#include <cstring>

#include "base/huge_pages.h"
#include "writer/note_list_file.h"
#include "writer/write_note_list.h"

namespace morvane {
namespace {

constexpr std::size_t kBufferSize = std::size_t{32} << 20;
constexpr std::size_t kPiece = 1024;  // places formatted at a time

}  // namespace

NoteTextBlocks::NoteTextBlocks()
    : scratch_(std::make_unique<char[]>(kPiece * kMaxNoteLine)) {}

// Formats a piece at a time, from the top down, where a piece's widest
// lines would fit, and keeps only the bytes each took: the text kept is
// what the note list needs, not room for the widest lines.
void NoteTextBlocks::put(const RunState& state, std::size_t lo,
                         std::size_t hi) {
  for (std::size_t top = hi; top > lo;) {
    const std::size_t bottom = top - std::min(kPiece, top - lo);
    const char* end = put_note_lines(state, bottom, top, scratch_.get());
    const auto bytes = static_cast<std::size_t>(end - scratch_.get());
    formatted_places_ += top - bottom;
    formatted_bytes_ += bytes;
    top = bottom;
    if (bytes == 0) continue;  // only note ends: nothing to keep
    char* kept = room(bytes, bottom);
    std::memcpy(kept, scratch_.get(), bytes);
    pieces_.emplace_back(kept, bytes);
    free_ = kept + bytes;
  }
}

char* NoteTextBlocks::room(std::size_t bytes, std::size_t places_left) {
  if (static_cast<std::size_t>(end_ - free_) < bytes) {
    const std::size_t expected =
        places_left * formatted_bytes_ / formatted_places_ / 16 * 17;
    const std::size_t size =
        std::max(bytes, std::min(kBufferSize, expected + bytes));
    buffers_.emplace_back(new char[size]);
    free_ = buffers_.back().get();
    end_ = free_ + size;
    advise_huge_pages(free_, size);
  }
  return free_;
}

void NoteTextBlocks::write_to(NoteListFile& file) const {
  for (auto piece = pieces_.rbegin(); piece != pieces_.rend(); ++piece) {
    file.write(*piece);
  }
}

}  // namespace morvane
