#include "batch/leftovers.h"

#include <cerrno>
#include <filesystem>
#include <limits>
#include <system_error>

#include <signal.h>
#include <unistd.h>

#include "writer/output_file.h"

namespace morvane::batch {
namespace {

namespace fs = std::filesystem;

// Whether the process has ended. One we may not signal still runs; a
// process id taken again since is taken for the run, and its file stays.
bool ended(long process) {
  if (process > std::numeric_limits<pid_t>::max() ||
      process == static_cast<long>(getpid())) {
    return false;
  }
  return ::kill(static_cast<pid_t>(process), 0) != 0 && errno == ESRCH;
}

}  // namespace

uint64_t remove_leftovers(const std::string& outdir, const InputFiles& inputs) {
  uint64_t removed = 0;
  std::error_code error;
  fs::recursive_directory_iterator it(
      outdir, fs::directory_options::skip_permission_denied, error);
  for (; !error && it != fs::recursive_directory_iterator();
       it.increment(error)) {
    std::error_code type_error;
    if (!it->is_regular_file(type_error) || it->is_symlink(type_error)) {
      continue;
    }
    const fs::path& path = it->path();
    const long process = temporary_file_owner(path.filename().string());
    if (process > 0 && ended(process) &&
        inputs.score_at(path.string()) == nullptr &&
        ::unlink(path.c_str()) == 0) {
      ++removed;
    }
  }
  return removed;
}

}  // namespace morvane::batch
