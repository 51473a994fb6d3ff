#include "writer/note_list_file.h"

namespace morvane {

std::unique_ptr<NoteListFile> NoteListFile::open(const std::string& name) {
  // Text mode: on Windows every line end is stored as CR LF.
  std::FILE* file = std::fopen(name.c_str(), "w");
  if (file == nullptr) return nullptr;
  return std::unique_ptr<NoteListFile>(new NoteListFile(file));
}

NoteListFile::NoteListFile(std::FILE* file) : file_(file) {
  buffer_.reserve(kFlushSize + 4096);
}

NoteListFile::~NoteListFile() { close(); }

void NoteListFile::flush() {
  if (file_ == nullptr || buffer_.empty()) return;
  if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) {
    failed_ = true;
  }
  buffer_.clear();
}

bool NoteListFile::close() {
  if (file_ == nullptr) return !failed_;
  flush();
  if (std::fflush(file_) != 0) failed_ = true;
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  return !failed_;
}

}  // namespace morvane
