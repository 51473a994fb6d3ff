// The note-list file: a text stream written through one large buffer.
//
// Write errors are remembered rather than ignored, so that a note list that
// did not reach the disk whole (a full device, say) is reported when the
// run closes the file.
//
// A regular file may also be written at chosen places (write_at), so that
// text formatted out of order need not wait in memory.
//
// Emptying a large note list left by an earlier run takes the system a
// while (every cached page of it is freed), so where it can, open() leaves
// that to a thread of its own, which the first write waits for. It cuts the
// file to its first byte rather than to nothing, which this run's first
// write covers: ext4 flushes a file emptied to nothing and written again to
// the disk when it is closed (its guard for files replaced by truncation),
// and on a note list of 130 MB that held up the end of the run by 45 to
// 60 ms. A run that writes nothing empties the file when it closes it.

#ifndef MORVANE_WRITER_NOTE_LIST_FILE_H_
#define MORVANE_WRITER_NOTE_LIST_FILE_H_

#include <cstdio>
#include <future>
#include <memory>
#include <string>
#include <string_view>

namespace morvane {

class NoteListFile {
 public:
  // Creates name, or empties it if it exists. Returns null on failure.
  static std::unique_ptr<NoteListFile> open(const std::string& name);
  // A note list kept in memory: every byte written is appended to sink (or,
  // with write_at, put in place). Tests make one that is not positional to
  // take the path of a pipe.
  static std::unique_ptr<NoteListFile> in_memory(std::string* sink,
                                                 bool positional = true);
  ~NoteListFile();  // closes the file if close() was not called
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

  // Whether bytes may be written at chosen places (write_at): a regular
  // file (not on Windows, whose text mode changes line ends) or memory.
  bool positional() const { return positional_; }

  // Returns how many bytes were written so far: the place where bytes
  // written at places begin. A file gets them with the first write_at, or
  // when it is closed.
  std::size_t start_positional();

  // Writes text at offset, counted from the file's start, once
  // start_positional has been called; no other writes may follow. Safe on
  // another thread than the one that called start_positional, as long as
  // only one thread uses the file at a time.
  void write_at(std::size_t offset, std::string_view text);

  // Remembers that the note list did not reach the file whole.
  void set_failed() { failed_ = true; }

  // Flushes and closes; false if any write, the flush or the close failed.
  bool close();

 private:
  static constexpr std::size_t kBlockSize = 1 << 18;

  NoteListFile(std::FILE* file, std::string* sink);
  void flush();
  void wait_until_empty();
  void emit(const char* data, std::size_t size);

  std::FILE* file_;
  std::string* sink_;
  std::unique_ptr<char[]> block_;
  std::size_t used_ = 0;
  std::size_t emitted_ = 0;  // bytes handed to the file or the sink
  bool positional_ = false;
  bool failed_ = false;
  // The file still holds the first byte of an earlier note list, which no
  // write of this run has covered yet.
  bool stale_first_byte_ = false;
  // start_positional was called on a file, and no write_at yet.
  bool held_until_write_at_ = false;
  std::future<bool> emptied_;  // valid while the emptying may still run
};

}  // namespace morvane

#endif  // MORVANE_WRITER_NOTE_LIST_FILE_H_
