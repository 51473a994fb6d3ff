#include "writer/note_text_blocks.h"

#include <algorithm>
#include <cstring>

#include "writer/note_list_file.h"
#include "writer/write_note_list.h"

namespace morvane {
namespace {

constexpr std::size_t kBufferSize = std::size_t{32} << 20;
constexpr std::size_t kPiece = 1024;  // places formatted at a time
constexpr std::size_t kStage = std::size_t{1} << 20;  // written at a time
static_assert(kPiece * kMaxNoteLine <= kStage, "a piece fits the stage");

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
    if (file_ != nullptr) {
      stage(scratch_.get(), bytes);
    } else {
      keep(scratch_.get(), bytes, bottom);
    }
  }
}

void NoteTextBlocks::keep(const char* text, std::size_t bytes,
                          std::size_t places_left) {
  char* kept = room(bytes, places_left);
  std::memcpy(kept, text, bytes);
  pieces_.emplace_back(kept, bytes);
  free_ = kept + bytes;
}

void NoteTextBlocks::write_behind(NoteListFile& file, std::size_t base,
                                  std::size_t total) {
  stage_.reset(new char[kStage]);
  file_ = &file;
  base_ = base;
  total_ = total;
}

// A piece goes in front of what is staged; a full stage goes to its place.
void NoteTextBlocks::stage(const char* text, std::size_t bytes) {
  if (kStage - staged_ < bytes) write_stage();
  staged_ += bytes;
  std::memcpy(stage_.get() + kStage - staged_, text, bytes);
}

void NoteTextBlocks::write_stage() {
  if (staged_ == 0) return;
  written_ += staged_;
  if (written_ > total_) {
    file_->set_failed();  // more text than announced: never write it
  } else {
    file_->write_at(base_ + total_ - written_,
                    std::string_view(stage_.get() + kStage - staged_, staged_));
  }
  staged_ = 0;
}

void NoteTextBlocks::finish() {
  if (file_ == nullptr) return;
  write_stage();
  if (written_ != total_) file_->set_failed();
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
  }
  return free_;
}

void NoteTextBlocks::write_to(NoteListFile& file) const {
  for (auto piece = pieces_.rbegin(); piece != pieces_.rend(); ++piece) {
    file.write(*piece);
  }
}

}  // namespace morvane
