#include "writer/output_file.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <utility>

namespace morvane {
namespace {

class MemoryFile : public OutputFile {
 public:
  explicit MemoryFile(std::string* sink)
      : sink_(sink), start_(sink->size()) {}

  bool append(std::string_view data) override {
    sink_->append(data);
    return true;
  }
  bool positional() const override { return true; }
  bool write_at(uint64_t offset, std::string_view data) override {
    if (sink_->size() < offset + data.size()) {
      sink_->resize(offset + data.size());
    }
    sink_->replace(offset, data.size(), data);
    return true;
  }
  bool commit() override { return true; }
  void abandon() override { sink_->resize(start_); }

 private:
  std::string* sink_;
  std::size_t start_;  // what the sink held before: abandon() leaves that
};

// Both files get every byte; the first decides what succeeds.
class CopyingFile : public OutputFile {
 public:
  CopyingFile(std::unique_ptr<OutputFile> file, std::string* copy)
      : file_(std::move(file)), copy_(copy) {}

  bool append(std::string_view data) override {
    copy_.append(data);
    return file_->append(data);
  }
  bool positional() const override { return file_->positional(); }
  bool write_at(uint64_t offset, std::string_view data) override {
    copy_.write_at(offset, data);
    return file_->write_at(offset, data);
  }
  bool commit() override { return file_->commit(); }
  void abandon() override {
    copy_.abandon();
    file_->abandon();
  }
  int error_number() const override { return file_->error_number(); }

 private:
  std::unique_ptr<OutputFile> file_;
  MemoryFile copy_;
};

}  // namespace

long temporary_file_owner(std::string_view name) {
  constexpr std::string_view kMark = ".morvane-";
  constexpr std::size_t kSuffix = 6;
  const std::size_t mark = name.rfind(kMark);
  // A dot, at least one character of the list's name, the mark, the process
  // id, a dash and the six letters drawn.
  if (!name.starts_with('.') || mark == std::string_view::npos || mark < 2 ||
      name.size() < mark + kMark.size() + kSuffix + 2) {
    return 0;
  }
  const std::string_view suffix = name.substr(name.size() - kSuffix);
  for (const char c : suffix) {
    if (std::isalnum(static_cast<unsigned char>(c)) == 0) return 0;
  }
  const std::string_view digits = name.substr(
      mark + kMark.size(), name.size() - kSuffix - 1 - mark - kMark.size());
  if (name[name.size() - kSuffix - 1] != '-' || digits.empty() ||
      digits.front() < '1' || digits.front() > '9') {
    return 0;
  }
  long process = 0;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), process);
  if (error != std::errc() || end != digits.data() + digits.size()) return 0;
  return process;
}

bool OutputFile::write_at(uint64_t, std::string_view) { return false; }

bool OutputFile::failed() {
  error_number_ = errno != 0 ? errno : EIO;
  return false;
}

std::unique_ptr<OutputFile> memory_output_file(std::string* sink) {
  return std::make_unique<MemoryFile>(sink);
}

std::unique_ptr<OutputFile> copying_output_file(
    std::unique_ptr<OutputFile> file, std::string* copy) {
  return std::make_unique<CopyingFile>(std::move(file), copy);
}

}  // namespace morvane
