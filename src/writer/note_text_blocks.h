// Note lines formatted out of file order: the overlapped stages format the
// time order from its end back, as the sort settles it.
//
// Where the note list can be written at chosen places and the length of
// its text is known beforehand (write_behind), each stretch of text goes
// to its place in the file as soon as a buffer of it is full, and nothing
// more is kept. Otherwise the text is kept until the sort is done, in large
// buffers, each filled from its start; a new buffer is sized for
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

  // From now on, text goes straight to file, whose note lines begin at
  // base and take total bytes. Call before the first put.
  void write_behind(NoteListFile& file, std::size_t base, std::size_t total);

  // After the last put: writes what is still held, where write_behind
  // was called; marks the file failed should the text not have come to the
  // length announced.
  void finish();

  // Appends all the text kept to the note list, in file order (without
  // write_behind).
  void write_to(NoteListFile& file) const;

 private:
  char* room(std::size_t bytes, std::size_t places_left);
  void keep(const char* text, std::size_t bytes, std::size_t places_left);
  void stage(const char* text, std::size_t bytes);
  void write_stage();

  std::unique_ptr<char[]> scratch_;  // where a piece is formatted first
  std::size_t formatted_places_ = 0;
  std::size_t formatted_bytes_ = 0;
  std::vector<std::unique_ptr<char[]>> buffers_;
  char* free_ = nullptr;
  char* end_ = nullptr;
  std::vector<std::string_view> pieces_;  // from the last one back

  // Writing behind: the text is gathered from the end of stage_ back.
  NoteListFile* file_ = nullptr;
  std::size_t base_ = 0, total_ = 0;
  std::size_t written_ = 0;  // bytes written so far, from the end
  std::unique_ptr<char[]> stage_;
  std::size_t staged_ = 0;
};

}  // namespace morvane

#endif  // MORVANE_WRITER_NOTE_TEXT_BLOCKS_H_
