// Note lines formatted out of file order and kept until they can be
// written: the overlapped stages format the time order from its end back,
// as the sort settles it, and write the text once the sort is done.
//
// The text is kept in large buffers, each filled from its start, so that
// few pages are asked for and those can be huge; a new buffer is sized for
// what the places left below need at the rate so far, so the text kept is
// about what the note list needs. Not copyable.

#ifndef MORVANE_WRITER_NOTE_TEXT_BLOCKS_H_
#define MORVANE_WRITER_NOTE_TEXT_BLOCKS_H_

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

#include "driver/run_state.h"

namespace morvane {

class NoteTextBlocks {
 public:
  NoteTextBlocks();
  NoteTextBlocks(const NoteTextBlocks&) = delete;
  NoteTextBlocks& operator=(const NoteTextBlocks&) = delete;

  // Formats the note lines of places lo .. hi - 1 of the time order (as
  // put_note_lines does) and keeps them. Each call must cover the places
  // just below those of the call before. May throw std::bad_alloc.
  void put(const RunState& state, std::size_t lo, std::size_t hi);

  // Appends all the text kept to the note list, in file order.
  void write_to(NoteListFile& file) const;

 private:
  char* room(std::size_t bytes, std::size_t places_left);

  std::unique_ptr<char[]> scratch_;  // where a piece is formatted first
  std::size_t formatted_places_ = 0;
  std::size_t formatted_bytes_ = 0;
  std::vector<std::unique_ptr<char[]>> buffers_;
  char* free_ = nullptr;
  char* end_ = nullptr;
  std::vector<std::string_view> pieces_;  // from the last one back
};

}  // namespace morvane

#endif  // MORVANE_WRITER_NOTE_TEXT_BLOCKS_H_
