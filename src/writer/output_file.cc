#include "writer/output_file.h"

#include <cerrno>
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
