// Where the score's lines come from: a file read in large blocks, or text
// held in memory; or, for a standard MIDI file, its bytes (see
// open_score.h, which decides).
//
// A line is handed out whole, whatever its length, with its line feed when
// it had one. The view stays valid until the next call. Only one buffer is
// kept and reused, so reading allocates nothing per line.

#ifndef MORVANE_READER_LINE_SOURCE_H_
#define MORVANE_READER_LINE_SOURCE_H_

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

class LineSource {
 public:
  virtual ~LineSource() = default;

  // Sets line to the next line and returns true; false at the end of the
  // input or when it could not be read (see failure).
  virtual bool next_line(std::string_view& line) = 0;

  // Empty, or the message that tells why the lines stopped short of the
  // end (a read error, a damaged MIDI file).
  virtual const std::string& failure() const = 0;

  // The size of the whole input in bytes when known, else 0.
  virtual std::size_t size_hint() const = 0;
};

// A score file opened in binary mode: line ends are taken as they are (a
// carriage return before a line feed is white space to every scan) and
// Ctrl-Z is an ordinary character.
class FileLineSource : public LineSource {
 public:
  // Returns null when name cannot be opened for reading or is a directory.
  static std::unique_ptr<FileLineSource> open(const std::string& name);
  // Reads an open stream named name, which it then owns (tests use streams
  // that fail).
  static std::unique_ptr<FileLineSource> from_stream(std::FILE* file,
                                                     const std::string& name);
  // The size of the blocks the file is read in.
  static constexpr std::size_t kBlockSize = std::size_t{1} << 18;
  ~FileLineSource() override;

  bool next_line(std::string_view& line) override;
  const std::string& failure() const override { return failure_; }
  std::size_t size_hint() const override { return size_; }

  // Opens name and starts reading at byte offset; null as open does, or
  // when name is not the file this one reads (replaced since).
  std::unique_ptr<FileLineSource> open_again_at(std::size_t offset) const;
  // Where in the file the line last handed out starts.
  std::size_t line_start() const { return line_start_; }

  // The bytes read ahead and not yet handed out: the lines that follow, the
  // last perhaps cut short. A reader that takes some whole lines from it
  // says so with skip(); next_line() then goes on after them.
  std::string_view buffered() const {
    return std::string_view(block_.get() + begin_, end_ - begin_);
  }
  // Where in the file buffered() starts.
  std::size_t buffered_offset() const { return block_offset_ + begin_; }
  // Hands out the first bytes of buffered(), which end a line.
  void skip(std::size_t bytes) { begin_ += bytes; }

  // True when the bytes not yet handed out begin with prefix.
  bool starts_with(std::string_view prefix) const;
  // Appends every byte not yet handed out to bytes; false on a read error.
  bool read_rest(std::string& bytes);

 private:
  FileLineSource(std::FILE* file, const std::string& name);
  bool refill();

  std::FILE* file_;
  // Left unwritten until read into: its pages are first touched by the
  // thread that reads, not by the one that opens (for another thread).
  std::unique_ptr<char[]> block_;
  std::size_t block_offset_ = 0;  // where in the file block_[0] stands
  std::size_t line_start_ = 0;
  std::size_t begin_ = 0;  // first byte of block_ not yet handed out
  std::size_t end_ = 0;    // one past the last byte read into block_
  std::string long_line_;  // a line that runs across blocks
  bool at_end_ = false;
  bool error_ = false;
  std::string name_;
  std::string failure_;
  std::size_t size_ = 0;
};

// Lines of a text held in memory; or, with a failure, none.
class MemoryLineSource : public LineSource {
 public:
  explicit MemoryLineSource(std::string text, std::string failure = "")
      : text_(std::move(text)), failure_(std::move(failure)) {}

  bool next_line(std::string_view& line) override;
  const std::string& failure() const override { return failure_; }
  std::size_t size_hint() const override { return text_.size(); }

 private:
  std::string text_;
  std::string failure_;
  std::size_t pos_ = 0;
};

// A standard MIDI file held whole: no lines, but its bytes, which the score
// reader decodes as events (read_midi_score.h).
class MidiFileSource : public LineSource {
 public:
  MidiFileSource(std::string name, std::string bytes)
      : name_(std::move(name)), bytes_(std::move(bytes)) {}

  bool next_line(std::string_view&) override { return false; }
  const std::string& failure() const override { return failure_; }
  std::size_t size_hint() const override { return bytes_.size(); }

  const std::string& name() const { return name_; }
  std::string_view bytes() const { return bytes_; }
  // Gives the bytes' memory back once they have been read.
  void release() { std::string().swap(bytes_); }

 private:
  std::string name_;
  std::string bytes_;
  std::string failure_;
};

}  // namespace morvane

#endif  // MORVANE_READER_LINE_SOURCE_H_
