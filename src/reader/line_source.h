// Where the score's bytes come from: a file read in large blocks, or memory.
// A MIDI text score is taken in runs of whole lines (of any length), as many
// as are at hand, so the reader makes no call per line; a MIDI file is taken
// whole. Buffers are reused: no allocation per line. A source says that it
// could not be read, never why: the reader names the score in its message.

#ifndef MORVANE_READER_LINE_SOURCE_H_
#define MORVANE_READER_LINE_SOURCE_H_

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace morvane {

// What asking for the next lines gives.
enum class LineRead : uint8_t { lines, end, error };

class LineSource {
 public:
  virtual ~LineSource() = default;

  // Sets lines to the next run of whole lines, each with its line feed if it
  // had one, valid until the next call, and returns lines; end after the
  // last line; error, and no line after, when the input cannot be read.
  virtual LineRead next_lines(std::string_view& lines) = 0;

  // Appends every byte not yet handed out to bytes; false on a read error.
  virtual bool read_rest(std::string& bytes) = 0;

  // The size of the whole input in bytes when known, else 0.
  virtual std::size_t size_hint() const = 0;

  // After a read error: the system's error number, 0 where it gave none.
  virtual int error_number() const { return 0; }
};

// A score file read in binary: CR before LF is white space, Ctrl-Z ordinary.
class FileLineSource : public LineSource {
 public:
  // Returns null, with errno set, when name cannot be opened for reading or
  // is a directory (EISDIR).
  static std::unique_ptr<FileLineSource> open(const std::string& name);
  // Reads an open stream, which it then owns (tests use streams that fail).
  static std::unique_ptr<FileLineSource> from_stream(std::FILE* file);
  static constexpr std::size_t kBlockSize = std::size_t{1} << 18;
  ~FileLineSource() override;

  LineRead next_lines(std::string_view& lines) override;
  bool read_rest(std::string& bytes) override;
  std::size_t size_hint() const override { return size_; }
  int error_number() const override { return error_number_; }

  // True when the bytes not yet handed out begin with prefix.
  bool starts_with(std::string_view prefix) const;

 private:
  explicit FileLineSource(std::FILE* file);
  bool refill();
  // The one line that runs past the bytes read so far.
  LineRead next_line(std::string_view& line);

  std::FILE* file_;
  std::unique_ptr<char[]> block_;
  std::size_t begin_ = 0;  // first byte of block_ not yet handed out
  std::size_t end_ = 0;    // one past the last byte read into block_
  std::string long_line_;  // a line that runs across blocks
  bool at_end_ = false;
  bool error_ = false;
  int error_number_ = 0;
  std::size_t size_ = 0;
};

// Lines of bytes held in memory; reading them never fails.
class MemoryLineSource : public LineSource {
 public:
  explicit MemoryLineSource(std::string text) : text_(std::move(text)) {}

  LineRead next_lines(std::string_view& lines) override;
  bool read_rest(std::string& bytes) override;
  std::size_t size_hint() const override { return text_.size(); }

 private:
  std::string text_;
  std::size_t pos_ = 0;
};

}  // namespace morvane

#endif  // MORVANE_READER_LINE_SOURCE_H_
