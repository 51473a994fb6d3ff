// The note list as the stages write it: text gathered in one large block
// and handed to its OutputFile (writer/output_file.h), which replaces the
// list whole or not at all.
//
// Write errors are remembered rather than ignored, so that a note list that
// did not reach its file whole (a full device, say) is reported when the
// run closes it, and never takes the old list's place.
//
// Where the file allows it, bytes may also be written at chosen places
// (write_at), so that text formatted out of order need not wait in memory.

#ifndef MORVANE_WRITER_NOTE_LIST_FILE_H_
#define MORVANE_WRITER_NOTE_LIST_FILE_H_

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "writer/output_file.h"

namespace morvane {

class NoteListFile {
 public:
  // Opens the note list name (see open_output_file). Returns null when it
  // cannot be written.
  static std::unique_ptr<NoteListFile> open(const std::string& name);
  // A note list kept in memory, appended to sink (see memory_output_file).
  static std::unique_ptr<NoteListFile> in_memory(std::string* sink);
  explicit NoteListFile(std::unique_ptr<OutputFile> file);
  ~NoteListFile();  // abandons the list unless close() was called
  NoteListFile(const NoteListFile&) = delete;
  NoteListFile& operator=(const NoteListFile&) = delete;

  // Appends text; a long text goes to the file in one piece.
  void write(std::string_view text);

  // For writers that format in place: room for at least bytes characters
  // (far fewer than a flush block holds); write there, then hand the end
  // to used().
  char* room(std::size_t bytes) {
    if (kBlockSize - used_ < bytes) flush();
    return block_.get() + used_;
  }
  void used(const char* end) {
    used_ = static_cast<std::size_t>(end - block_.get());
  }

  // Whether bytes may be written at chosen places (write_at).
  bool positional() const { return file_->positional(); }

  // Flushes, and returns how many bytes were written so far: the place
  // where bytes written at places begin.
  std::size_t start_positional();

  // Writes text at offset, counted from the file's start, once
  // start_positional has been called; no other writes may follow. Safe on
  // another thread than the one that called start_positional, as long as
  // only one thread uses the file at a time.
  void write_at(std::size_t offset, std::string_view text);

  // Remembers that the note list did not reach the file whole.
  void set_failed() { failed_ = true; }

  // Flushes and makes the list the file under its name. False if any
  // write, the flush or that failed: the name then keeps what it held.
  bool close();

  // Gives the list up: the name keeps what it held before the run.
  void abandon();

 private:
  static constexpr std::size_t kBlockSize = 1 << 18;

  void flush();

  std::unique_ptr<OutputFile> file_;
  std::unique_ptr<char[]> block_;
  std::size_t used_ = 0;
  std::size_t emitted_ = 0;  // bytes handed to the file
  bool failed_ = false;
  bool ended_ = false;  // closed or abandoned
};

}  // namespace morvane

#endif  // MORVANE_WRITER_NOTE_LIST_FILE_H_
