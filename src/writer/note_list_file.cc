#include "writer/note_list_file.h"

namespace morvane {

std::unique_ptr<NoteListFile> NoteListFile::open(const std::string& name) {
  // Text mode: on Windows every line end is stored as CR LF.
  std::FILE* file = std::fopen(name.c_str(), "w");
  if (file == nullptr) return nullptr;
  return std::unique_ptr<NoteListFile>(new NoteListFile(file, nullptr));
}

std::unique_ptr<NoteListFile> NoteListFile::in_memory(std::string* sink) {
  return std::unique_ptr<NoteListFile>(new NoteListFile(nullptr, sink));
}

NoteListFile::NoteListFile(std::FILE* file, std::string* sink)
    : file_(file), sink_(sink) {}

NoteListFile::~NoteListFile() { close(); }

void NoteListFile::flush() {
  if (sink_ != nullptr) sink_->append(buffer_);
  if (file_ != nullptr && !buffer_.empty() &&
      std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) {
    failed_ = true;
  }
  buffer_.clear();
}

bool NoteListFile::close() {
  flush();
  if (file_ != nullptr) {
    if (std::fflush(file_) != 0) failed_ = true;
    if (std::fclose(file_) != 0) failed_ = true;
    file_ = nullptr;
  }
  return !failed_;
}

}  // namespace morvane
