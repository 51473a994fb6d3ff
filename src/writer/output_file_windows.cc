// On Windows: a temporary file in text mode (line ends CR LF) moved over the
// name, or the file itself for a device such as NUL or a folder refusing one.

#include "writer/output_file.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <utility>

#include "writer/pending_files.h"

namespace morvane {
namespace {

// Puts what was written to file on the disk: nothing to do but for a file
// on a disk (not a device such as NUL or the console).
bool flush_to_disk(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
  const HANDLE handle =
      reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  return GetFileType(handle) != FILE_TYPE_DISK ||
         FlushFileBuffers(handle) != 0;
}

// The errno nearest the reason Windows gives for a failed move.
int errno_of(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
      return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EBUSY;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_NOT_SAME_DEVICE:
      return EXDEV;
    default:
      return EIO;
  }
}

class StdioFile : public OutputFile {
 public:
  // temporary empty: file is the note list itself. sync: flushed to the
  // disk at commit(), and moved over the name written through.
  StdioFile(std::FILE* file, std::string temporary, std::string target,
            bool sync)
      : file_(file),
        temporary_(std::move(temporary)),
        target_(std::move(target)),
        pending_(temporary_.empty() ? -1 : remember_pending(temporary_.c_str())),
        sync_(sync) {}
  ~StdioFile() override { abandon(); }

  bool append(std::string_view data) override {
    if (file_ == nullptr) return false;
    return std::fwrite(data.data(), 1, data.size(), file_) == data.size() ||
           failed();
  }
  bool commit() override {
    if (file_ == nullptr) return false;
    const bool flushed = !sync_ || flush_to_disk(file_) || failed();
    const bool closed =
        std::fclose(std::exchange(file_, nullptr)) == 0 || failed();
    if (temporary_.empty()) return closed && flushed;
    const DWORD how =
        MOVEFILE_REPLACE_EXISTING | (sync_ ? MOVEFILE_WRITE_THROUGH : 0);
    if (!flushed || !closed ||
        !MoveFileExA(temporary_.c_str(), target_.c_str(), how)) {
      if (flushed && closed) {
        errno = errno_of(GetLastError());
        failed();
      }
      remove_temporary();
      return false;
    }
    forget_pending(std::exchange(pending_, -1));
    return true;
  }
  void abandon() override {
    if (file_ == nullptr) return;
    std::fclose(std::exchange(file_, nullptr));
    if (!temporary_.empty()) remove_temporary();
  }

 private:
  void remove_temporary() {
    std::remove(temporary_.c_str());
    forget_pending(std::exchange(pending_, -1));
  }

  std::FILE* file_;
  std::string temporary_;
  std::string target_;
  int pending_;
  bool sync_;
};

}  // namespace

std::unique_ptr<OutputFile> open_output_file(const std::string& name,
                                             bool sync) {
  std::error_code error;
  const auto status = std::filesystem::status(name, error);
  const bool exists = std::filesystem::exists(status);
  const std::filesystem::path file_name =
      std::filesystem::path(name).filename();
  if (file_name.empty() || file_name == "." || file_name == "..") {
    errno = name.empty() ? ENOENT : EISDIR;  // nothing at all, or a folder
    return nullptr;
  }
  if (!exists || std::filesystem::is_regular_file(status)) {
    if (exists) {
      // Refused if it could not be written in place, as a read-only file.
      std::FILE* probe = std::fopen(name.c_str(), "r+");
      if (probe == nullptr) return nullptr;
      std::fclose(probe);
    }
    const std::filesystem::path path = name;
    std::string prefix = ".";
    prefix += path.filename().string();
    prefix += ".morvane-";
    prefix += std::to_string(GetCurrentProcessId());
    prefix += '-';
    for (int tries = 0; tries < 100; ++tries) {
      const std::string temporary =
          (path.parent_path() /
           (prefix + std::to_string(GetTickCount() + tries)))
              .string();
      // Created here, never an earlier file of the same name.
      const int fd = _open(temporary.c_str(),
                           _O_WRONLY | _O_CREAT | _O_EXCL | _O_TEXT,
                           _S_IREAD | _S_IWRITE);
      std::FILE* file = fd < 0 ? nullptr : _fdopen(fd, "w");
      if (file != nullptr) {
        return std::make_unique<StdioFile>(file, temporary, name, sync);
      }
      if (fd >= 0) {
        _close(fd);
        std::remove(temporary.c_str());
        break;
      }
      if (!std::filesystem::exists(temporary, error)) break;
    }
  }
  std::FILE* file = std::fopen(name.c_str(), "w");
  if (file == nullptr) return nullptr;
  return std::make_unique<StdioFile>(file, std::string(), name, sync);
}

}  // namespace morvane
