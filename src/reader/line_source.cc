#include "reader/line_source.h"

#include <cstring>
#include <filesystem>

#if defined(__unix__)
#include <sys/stat.h>
#endif

namespace morvane {
namespace {

// The line that starts at text[pos], with its line feed if it has one.
std::string_view line_at(std::string_view text, std::size_t& pos) {
  const std::size_t start = pos;
  const std::size_t feed = text.find('\n', start);
  pos = feed == std::string_view::npos ? text.size() : feed + 1;
  return text.substr(start, pos - start);
}

}  // namespace

std::unique_ptr<FileLineSource> FileLineSource::open(const std::string& name) {
  std::error_code ignored;
  // A directory may open as a stream on some systems but has no lines.
  if (std::filesystem::is_directory(name, ignored)) return nullptr;
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) return nullptr;
  std::unique_ptr<FileLineSource> source = from_stream(file, name);
  std::error_code unknown;
  const auto size = std::filesystem::file_size(name, unknown);
  if (!unknown) source->size_ = static_cast<std::size_t>(size);
  return source;
}

std::unique_ptr<FileLineSource> FileLineSource::from_stream(
    std::FILE* file, const std::string& name) {
  std::unique_ptr<FileLineSource> source(new FileLineSource(file, name));
  source->refill();
  return source;
}

std::unique_ptr<FileLineSource> FileLineSource::open_again_at(
    std::size_t offset) const {
#if defined(__unix__)
  std::FILE* file = std::fopen(name_.c_str(), "rb");
  if (file == nullptr) return nullptr;
  struct stat mine, other;
  if (fstat(fileno(file_), &mine) != 0 || fstat(fileno(file), &other) != 0 ||
      mine.st_dev != other.st_dev || mine.st_ino != other.st_ino ||
      fseeko(file, static_cast<off_t>(offset), SEEK_SET) != 0) {
    std::fclose(file);
    return nullptr;
  }
  std::unique_ptr<FileLineSource> source(new FileLineSource(file, name_));
  source->block_offset_ = offset;
  source->size_ = size_;
  return source;
#else
  (void)offset;
  return nullptr;
#endif
}

FileLineSource::FileLineSource(std::FILE* file, const std::string& name)
    : file_(file), block_(new char[kBlockSize]), name_(name) {}

FileLineSource::~FileLineSource() { std::fclose(file_); }

bool FileLineSource::refill() {
  if (at_end_) return false;
  if (begin_ > 0 && begin_ < end_) {
    std::memmove(block_.get(), block_.get() + begin_, end_ - begin_);
  }
  block_offset_ += begin_;
  end_ -= begin_;
  begin_ = 0;
  const std::size_t got =
      std::fread(block_.get() + end_, 1, kBlockSize - end_, file_);
  end_ += got;
  if (got == 0) {
    at_end_ = true;
    error_ = std::ferror(file_) != 0;
    if (error_) failure_ = "\n Can't read " + name_ + " as input score\n";
    return false;
  }
  return true;
}

bool FileLineSource::starts_with(std::string_view prefix) const {
  return end_ - begin_ >= prefix.size() &&
         std::memcmp(block_.get() + begin_, prefix.data(), prefix.size()) == 0;
}

bool FileLineSource::next_line(std::string_view& line) {
  long_line_.clear();
  line_start_ = block_offset_ + begin_;
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
      return true;
    }
    // No line end in the block: keep the piece and read on. A piece that
    // fills the whole block is set aside so that lines of any length fit.
    if (begin_ == 0 && end_ == kBlockSize) {
      long_line_.append(start, avail);
      block_offset_ += end_;
      begin_ = end_ = 0;
    }
    if (!refill()) {
      if (error_) return false;
      long_line_.append(block_.get() + begin_, end_ - begin_);
      block_offset_ += end_;
      begin_ = end_ = 0;
      if (long_line_.empty()) return false;
      line = long_line_;
      return true;
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

bool MemoryLineSource::next_line(std::string_view& line) {
  if (pos_ >= text_.size()) return false;
  line = line_at(text_, pos_);
  return true;
}


}  // namespace morvane
