// The note-list file: a text stream written through one large buffer.
//
// Write errors are remembered rather than ignored, so that a note list that
// did not reach the disk whole (a full device, say) is reported when the
// run closes the file.

#ifndef MORVANE_WRITER_NOTE_LIST_FILE_H_
#define MORVANE_WRITER_NOTE_LIST_FILE_H_

#include <cstdio>
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

  void write(std::string_view text) {
    buffer_.append(text);
    if (buffer_.size() >= kFlushSize) flush();
  }

  // For writers that format in place: append to it, then call wrote().
  std::string& buffer() { return buffer_; }
  void wrote() {
    if (buffer_.size() >= kFlushSize) flush();
  }

  // Flushes and closes; false if any write, the flush or the close failed.
  bool close();

 private:
  static constexpr std::size_t kFlushSize = 1 << 18;

  NoteListFile(std::FILE* file, std::string* sink);
  void flush();

  std::FILE* file_;
  std::string* sink_;
  std::string buffer_;
  bool failed_ = false;
};

}  // namespace morvane

#endif  // MORVANE_WRITER_NOTE_LIST_FILE_H_
