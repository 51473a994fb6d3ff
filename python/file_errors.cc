#include "file_errors.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace morvane::python {
namespace {

namespace fs = std::filesystem;

// The errno of the status of name, 0 when it exists; sets is_folder.
int status_errno(const fs::path& name, bool& is_folder) {
  std::error_code error;
  const fs::file_status status = fs::status(name, error);
  is_folder = fs::is_directory(status);
  if (!error) return 0;
  return error.value();
}

}  // namespace

int score_open_errno(const std::string& name) {
  bool is_folder = false;
  if (const int error = status_errno(name, is_folder)) return error;
  // The command refuses a folder as a score before it tries to read it.
  if (is_folder) return EISDIR;
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) return errno;
  std::fclose(file);
  return EIO;
}

int list_open_errno(const std::string& name) {
  bool is_folder = false;
  const int error = status_errno(name, is_folder);
  if (error == 0) {
    if (is_folder) return EISDIR;
    return access(name.c_str(), W_OK) != 0 ? errno : EIO;
  }
  if (error != ENOENT) return error;
  // A new file: its folder must exist and take it.
  fs::path folder = fs::path(name).parent_path();
  if (folder.empty()) folder = ".";
  if (const int folder_error = status_errno(folder, is_folder)) {
    return folder_error;
  }
  if (!is_folder) return ENOTDIR;
  return access(folder.c_str(), W_OK | X_OK) != 0 ? errno : EIO;
}

}  // namespace morvane::python
