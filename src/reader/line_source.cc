#include "reader/line_source.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace morvane {

std::unique_ptr<FileLineSource> FileLineSource::open(const std::string& name) {
  std::error_code ignored;
  // A directory may open as a stream on some systems but has no lines.
  if (std::filesystem::is_directory(name, ignored)) {
    errno = EISDIR;
    return nullptr;
  }
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) return nullptr;
  std::unique_ptr<FileLineSource> source = from_stream(file);
  std::error_code unknown;
  const auto size = std::filesystem::file_size(name, unknown);
  if (!unknown) source->size_ = static_cast<std::size_t>(size);
  return source;
}

std::unique_ptr<FileLineSource> FileLineSource::from_stream(std::FILE* file) {
  std::unique_ptr<FileLineSource> source(new FileLineSource(file));
  source->refill();
  return source;
}

FileLineSource::FileLineSource(std::FILE* file)
    : file_(file), block_(new char[kBlockSize]) {}

FileLineSource::~FileLineSource() { std::fclose(file_); }

bool FileLineSource::refill() {
  if (at_end_) return false;
  if (begin_ > 0 && begin_ < end_) {
    std::memmove(block_.get(), block_.get() + begin_, end_ - begin_);
  }
  end_ -= begin_;
  begin_ = 0;
  errno = 0;
  const std::size_t got =
      std::fread(block_.get() + end_, 1, kBlockSize - end_, file_);
  end_ += got;
  if (got == 0) {
    at_end_ = true;
    error_ = std::ferror(file_) != 0;
    if (error_) error_number_ = errno;
    return false;
  }
  return true;
}

bool FileLineSource::starts_with(std::string_view prefix) const {
  return end_ - begin_ >= prefix.size() &&
         std::memcmp(block_.get() + begin_, prefix.data(), prefix.size()) == 0;
}

LineRead FileLineSource::next_lines(std::string_view& lines) {
  const std::string_view held(block_.get() + begin_, end_ - begin_);
  const std::size_t last_feed = held.rfind('\n');
  if (last_feed == std::string_view::npos) return next_line(lines);
  lines = held.substr(0, last_feed + 1);
  begin_ += lines.size();
  return LineRead::lines;
}

LineRead FileLineSource::next_line(std::string_view& line) {
  long_line_.clear();
  for (;;) {
    const char* start = block_.get() + begin_;
    const std::size_t avail = end_ - begin_;
    const void* feed =
        avail == 0 ? nullptr : std::memchr(start, '\n', avail);
    if (feed != nullptr) {
      const std::size_t length =
          static_cast<const char*>(feed) - start + 1;
      begin_ += length;
      if (long_line_.empty()) {
        line = std::string_view(start, length);
      } else {
        long_line_.append(start, length);
        line = long_line_;
      }
      return LineRead::lines;
    }
    // No line end: read on, setting aside a piece that fills the block.
    if (begin_ == 0 && end_ == kBlockSize) {
      long_line_.append(start, avail);
      begin_ = end_ = 0;
    }
    if (!refill()) {
      if (error_) return LineRead::error;
      long_line_.append(block_.get() + begin_, end_ - begin_);
      begin_ = end_ = 0;
      if (long_line_.empty()) return LineRead::end;
      line = long_line_;
      return LineRead::lines;
    }
  }
}

bool FileLineSource::read_rest(std::string& bytes) {
  do {
    bytes.append(block_.get() + begin_, end_ - begin_);
    begin_ = end_ = 0;
  } while (refill());
  return !error_;
}

LineRead MemoryLineSource::next_lines(std::string_view& lines) {
  if (pos_ >= text_.size()) return LineRead::end;
  lines = std::string_view(text_).substr(pos_);
  pos_ = text_.size();
  return LineRead::lines;
}

bool MemoryLineSource::read_rest(std::string& bytes) {
  if (pos_ == 0 && bytes.empty()) {
    bytes = std::move(text_);  // the common case: no copy of a large file
  } else {
    bytes.append(text_, pos_);
  }
  text_.clear();
  pos_ = 0;
  return true;
}

}  // namespace morvane
