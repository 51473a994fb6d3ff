// Note lines formatted out of file order: the overlapped stages format the
// time order from its end back, as the sort settles it. The length of the
// text is known beforehand, so each stretch of it goes to its place in the
// file as soon as a buffer of it is full, and nothing more is kept. Not
// copyable.

#ifndef MORVANE_WRITER_NOTE_TEXT_BLOCKS_H_
#define MORVANE_WRITER_NOTE_TEXT_BLOCKS_H_

#include <cstddef>
#include <memory>

#include "driver/run_state.h"

namespace morvane {

class NoteTextBlocks {
 public:
  // Text goes to file (positional), whose note lines begin at base and
  // take total bytes. May throw std::bad_alloc.
  NoteTextBlocks(NoteListFile& file, std::size_t base, std::size_t total);
  NoteTextBlocks(const NoteTextBlocks&) = delete;
  NoteTextBlocks& operator=(const NoteTextBlocks&) = delete;

  // Formats the note lines of places lo .. hi - 1 of the time order (as
  // put_note_lines does) and writes them. Each call must cover the places
  // just below those of the call before.
  void put(const RunState& state, std::size_t lo, std::size_t hi);

  // After the last put: writes what is still held; marks the file failed
  // should the text not have come to the length announced.
  void finish();

 private:
  void stage(const char* text, std::size_t bytes);
  void write_stage();

  std::unique_ptr<char[]> scratch_;  // where a piece is formatted first
  NoteListFile& file_;
  std::size_t base_, total_;
  std::size_t written_ = 0;  // bytes written so far, from the end
  // The text is gathered from the end of stage_ back.
  std::unique_ptr<char[]> stage_;
  std::size_t staged_ = 0;
};

}  // namespace morvane

#endif  // MORVANE_WRITER_NOTE_TEXT_BLOCKS_H_
