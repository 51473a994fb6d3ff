#include "writer/note_list_file.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace morvane {

std::unique_ptr<NoteListFile> NoteListFile::open(const std::string& name,
                                                 bool sync) {
  std::unique_ptr<OutputFile> file = open_output_file(name, sync);
  if (file == nullptr) return nullptr;
  return std::make_unique<NoteListFile>(std::move(file));
}

std::unique_ptr<NoteListFile> NoteListFile::in_memory(std::string* sink) {
  return std::make_unique<NoteListFile>(memory_output_file(sink));
}

NoteListFile::NoteListFile(std::unique_ptr<OutputFile> file)
    : file_(std::move(file)), block_(new char[kBlockSize]) {}

NoteListFile::~NoteListFile() { abandon(); }

void NoteListFile::write(std::string_view text) {
  while (!text.empty()) {
    const std::size_t part = std::min(text.size(), kBlockSize - used_);
    std::memcpy(block_.get() + used_, text.data(), part);
    used_ += part;
    text.remove_prefix(part);
    if (used_ == kBlockSize) flush();
  }
}

void NoteListFile::flush() {
  if (used_ == 0) return;
  emitted_ += used_;
  if (!failed_ && !file_->append(std::string_view(block_.get(), used_))) {
    failed_ = true;
  }
  used_ = 0;
}

std::size_t NoteListFile::start_positional() {
  flush();
  return emitted_;
}

void NoteListFile::write_at(std::size_t offset, std::string_view text) {
  if (!failed_ && !file_->write_at(offset, text)) failed_ = true;
}

bool NoteListFile::close() {
  if (ended_) return !failed_;
  flush();
  ended_ = true;
  if (failed_) {
    file_->abandon();
    return false;
  }
  if (!file_->commit()) failed_ = true;
  return !failed_;
}

void NoteListFile::abandon() {
  if (ended_) return;
  ended_ = true;
  file_->abandon();
}

}  // namespace morvane
