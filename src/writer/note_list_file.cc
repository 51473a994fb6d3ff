#include "writer/note_list_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#if defined(__unix__)
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace morvane {

#if defined(__unix__)

namespace {

// The emptying thread gives way to the run's own threads, which keep both
// of a small machine's cores busy while the score is read and the heap is
// built: it takes a core when one of them waits, at the latest when the
// first write needs the file emptied. Only a wish; nothing fails without it.
void yield_to_the_run() {
#if defined(__linux__)
  setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);
#endif
}

}  // namespace

std::unique_ptr<NoteListFile> NoteListFile::open(const std::string& name) {
  // Created if need be, but not yet emptied.
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  struct stat info;
  const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  std::FILE* file = fdopen(fd, "w");
  if (file == nullptr) {
    ::close(fd);
    return nullptr;
  }
  std::unique_ptr<NoteListFile> list(new NoteListFile(file, nullptr));
  list->positional_ = regular;
  // Only a regular file holds anything to empty; a device or a pipe is
  // written as it is.
  list->stale_first_byte_ = regular && info.st_size > 0;
  if (regular && info.st_size > 1) {
    auto empty = [fd] {
      yield_to_the_run();
      return ftruncate(fd, 1) == 0;
    };
    try {
      list->emptied_ = std::async(std::launch::async, empty);
    } catch (const std::system_error&) {  // no thread to be had
      if (!empty()) list->failed_ = true;
    }
  }
  return list;
}

#else

std::unique_ptr<NoteListFile> NoteListFile::open(const std::string& name) {
  // Text mode: on Windows every line end is stored as CR LF.
  std::FILE* file = std::fopen(name.c_str(), "w");
  if (file == nullptr) return nullptr;
  return std::unique_ptr<NoteListFile>(new NoteListFile(file, nullptr));
}

#endif

std::unique_ptr<NoteListFile> NoteListFile::in_memory(std::string* sink,
                                                     bool positional) {
  std::unique_ptr<NoteListFile> list(new NoteListFile(nullptr, sink));
  list->positional_ = positional;
  return list;
}

std::size_t NoteListFile::start_positional() {
  // A file keeps what was written so far until the first write at a place,
  // so that the emptying need not be waited for yet.
  if (file_ != nullptr) {
    held_until_write_at_ = true;
    return emitted_ + used_;
  }
  flush();
  return emitted_;
}

void NoteListFile::write_at(std::size_t offset, std::string_view text) {
  if (sink_ != nullptr) {
    if (sink_->size() < offset + text.size()) {
      sink_->resize(offset + text.size());
    }
    sink_->replace(offset, text.size(), text);
  }
#if defined(__unix__)
  if (file_ == nullptr) return;
  if (held_until_write_at_) {
    held_until_write_at_ = false;
    flush();
    if (std::fflush(file_) != 0) failed_ = true;
  }
  if (offset == 0 && !text.empty()) stale_first_byte_ = false;
  const int fd = fileno(file_);
  while (!text.empty()) {
    const ssize_t n = pwrite(fd, text.data(), text.size(),
                             static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failed_ = true;
      return;
    }
    text.remove_prefix(static_cast<std::size_t>(n));
    offset += static_cast<std::size_t>(n);
  }
#else
  if (file_ != nullptr) failed_ = true;  // never positional there
#endif
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

void NoteListFile::wait_until_empty() {
  if (emptied_.valid() && !emptied_.get()) failed_ = true;
}

void NoteListFile::emit(const char* data, std::size_t size) {
  emitted_ += size;
  if (sink_ != nullptr) sink_->append(data, size);
  wait_until_empty();
  if (file_ != nullptr && size > 0) {
    // Written in turn from the file's start: the first write covers it.
    stale_first_byte_ = false;
    if (std::fwrite(data, 1, size, file_) != size) failed_ = true;
  }
}

bool NoteListFile::close() {
  flush();
  wait_until_empty();
  if (file_ != nullptr) {
    if (std::fflush(file_) != 0) failed_ = true;
#if defined(__unix__)
    if (stale_first_byte_ && ftruncate(fileno(file_), 0) != 0) failed_ = true;
#endif
    if (std::fclose(file_) != 0) failed_ = true;
    file_ = nullptr;
  }
  return !failed_;
}

}  // namespace morvane
