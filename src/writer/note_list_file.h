// The note-list file: a text stream written through one large buffer.
//
// Write errors are remembered rather than ignored, so that a note list that
// did not reach the disk whole (a full device, say) is reported when the
// run closes the file.
//
// Emptying a large note list left by an earlier run takes the system a
// while (every cached page of it is freed), so where it can, open() leaves
// that to a thread of its own, which the first write waits for.

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
  // A note list kept in memory: every byte written is appended to sink.
  static std::unique_ptr<NoteListFile> in_memory(std::string* sink);
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
  bool failed_ = false;
  std::future<bool> emptied_;  // valid while the emptying may still run
};

}  // namespace morvane

#endif  // MORVANE_WRITER_NOTE_LIST_FILE_H_
