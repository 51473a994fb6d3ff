#include "writer/note_text_blocks.h"

#include <algorithm>
#include <cstring>

#include "writer/note_list_file.h"
#include "writer/write_note_list.h"

namespace morvane {
namespace {

constexpr std::size_t kPiece = 1024;  // places formatted at a time
constexpr std::size_t kStage = std::size_t{1} << 20;  // written at a time
static_assert(kPiece * kMaxNoteLine <= kStage, "a piece fits the stage");

}  // namespace

NoteTextBlocks::NoteTextBlocks(NoteListFile& file, std::size_t base,
                               std::size_t total)
    : scratch_(std::make_unique<char[]>(kPiece * kMaxNoteLine)),
      file_(file),
      base_(base),
      total_(total),
      stage_(std::make_unique<char[]>(kStage)) {}

// Formats a piece at a time, from the top down, where a piece's widest
// lines would fit, and stages only the bytes each took.
void NoteTextBlocks::put(const RunState& state, std::size_t lo,
                         std::size_t hi) {
  for (std::size_t top = hi; top > lo;) {
    const std::size_t bottom = top - std::min(kPiece, top - lo);
    const char* end = put_note_lines(state, bottom, top, scratch_.get());
    stage(scratch_.get(), static_cast<std::size_t>(end - scratch_.get()));
    top = bottom;
  }
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
    file_.set_failed();  // more text than announced: never write it
  } else {
    file_.write_at(base_ + total_ - written_,
                   std::string_view(stage_.get() + kStage - staged_, staged_));
  }
  staged_ = 0;
}

void NoteTextBlocks::finish() {
  write_stage();
  if (written_ != total_) file_.set_failed();
}

}  // namespace morvane
