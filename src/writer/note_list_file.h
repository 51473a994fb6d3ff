// The note list as the stages write it: text gathered in one large block for
// its OutputFile, which replaces the list whole or not at all. Write errors
// are remembered: a list that did not reach its file whole (a full device,
// say) fails at close and never replaces the old one. Where it may, text made
// out of order goes to its place (write_at) rather than wait in memory.

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
  // Opens the note list name (open_output_file, synced as sync says); null
  // if it cannot be written.
  static std::unique_ptr<NoteListFile> open(const std::string& name,
                                            bool sync = false);
  // A note list kept in memory, appended to sink (see memory_output_file).
  static std::unique_ptr<NoteListFile> in_memory(std::string* sink);
  explicit NoteListFile(std::unique_ptr<OutputFile> file);
  ~NoteListFile();  // abandons the list unless close() was called
  NoteListFile(const NoteListFile&) = delete;
  NoteListFile& operator=(const NoteListFile&) = delete;

  // Appends text.
  void write(std::string_view text);

  // For formatting in place: room for bytes characters (far fewer than a
  // block), to be written and its end handed to used().
  char* room(std::size_t bytes) {
    if (kBlockSize - used_ < bytes) flush();
    return block_.get() + used_;
  }
  void used(const char* end) {
    used_ = static_cast<std::size_t>(end - block_.get());
  }

  // Whether bytes may be written at chosen places (write_at).
  bool positional() const { return file_->positional(); }

  // Flushes; returns the bytes written so far, where positional writes begin.
  std::size_t start_positional();

  // Writes text at offset from the file's start, after start_positional and
  // with no other write to follow. Another thread than start_positional's
  // may call it, one thread at a time.
  void write_at(std::size_t offset, std::string_view text);

  // Remembers that the note list did not reach the file whole.
  void set_failed() { failed_ = true; }

  // Flushes and makes the list the file under its name. False if any
  // write, the flush or that failed: the name then keeps what it held.
  bool close();

  // Gives the list up: the name keeps what it held before the run.
  void abandon();

  // After close() failed: the system's error number, 0 where it gave none.
  int error_number() const { return file_->error_number(); }

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
