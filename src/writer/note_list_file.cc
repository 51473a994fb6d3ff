#include "writer/note_list_file.h"

#include <algorithm>
#include <cstring>

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
    : file_(file), sink_(sink), block_(new char[kBlockSize]) {}

NoteListFile::~NoteListFile() { close(); }

void NoteListFile::write(std::string_view text) {
  if (text.size() >= kBlockSize) {
    flush();
    emit(text.data(), text.size());
    return;
  }
  while (!text.empty()) {
    const std::size_t part = std::min(text.size(), kBlockSize - used_);
    std::memcpy(block_.get() + used_, text.data(), part);
    used_ += part;
    text.remove_prefix(part);
    if (used_ == kBlockSize) flush();
  }
}

void NoteListFile::flush() {
  emit(block_.get(), used_);
  used_ = 0;
}

void NoteListFile::emit(const char* data, std::size_t size) {
  if (sink_ != nullptr) sink_->append(data, size);
  if (file_ != nullptr && size > 0 &&
      std::fwrite(data, 1, size, file_) != size) {
    failed_ = true;
  }
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
