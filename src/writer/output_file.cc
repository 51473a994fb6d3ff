#include "writer/output_file.h"

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

}  // namespace

bool OutputFile::write_at(uint64_t, std::string_view) { return false; }

std::unique_ptr<OutputFile> memory_output_file(std::string* sink) {
  return std::make_unique<MemoryFile>(sink);
}

}  // namespace morvane
