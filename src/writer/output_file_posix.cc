// On POSIX: a temporary file renamed over the note list, or a stream.

#include "writer/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <initializer_list>
#include <random>
#include <system_error>
#include <thread>
#include <utility>

#include "writer/pending_files.h"

namespace morvane {
namespace {

bool write_all(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Puts fd's data on the disk, with what reading it back needs (its size).
bool flush_to_disk(int fd) {
  int result;
  do {
#if defined(__linux__)
    result = ::fdatasync(fd);
#else
    result = ::fsync(fd);
#endif
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

// The folder that holds path, opened to be flushed after a rename in it, or
// -1.
int open_folder(const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  return ::open(folder.empty() ? "." : folder.c_str(),
                O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

bool write_all_at(int fd, uint64_t offset, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n =
        ::pwrite(fd, data.data(), data.size(), static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(n));
    offset += static_cast<uint64_t>(n);
  }
  return true;
}

// A device, a pipe, the console's own file, or a file written in place.
class StreamFile : public OutputFile {
 public:
  // empty_first: a regular file written in place, emptied at its first write.
  // sync: a regular file is flushed to the disk at commit().
  StreamFile(int fd, bool sync, bool empty_first = false)
      : fd_(fd), sync_(sync), empty_first_(empty_first) {}
  ~StreamFile() override { abandon(); }

  bool append(std::string_view data) override {
    if (fd_ < 0) return false;
    if (std::exchange(empty_first_, false) && ftruncate(fd_, 0) != 0) {
      return failed();
    }
    return write_all(fd_, data) || failed();
  }
  bool commit() override {
    if (fd_ < 0) return false;
    const int fd = std::exchange(fd_, -1);
    struct stat info;
    // A device or a pipe keeps nothing to flush.
    const bool flushed = !sync_ || fstat(fd, &info) != 0 ||
                         !S_ISREG(info.st_mode) || flush_to_disk(fd) ||
                         failed();
    const bool closed = ::close(fd) == 0 || failed();
    return flushed && closed;
  }
  void abandon() override {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  }

 private:
  int fd_;
  bool sync_;
  bool empty_first_;
};

// A temporary file beside the note list, renamed over it at the end.
class ReplacingFile : public OutputFile {
 public:
  // pending: where the temporary file is remembered (remember_pending);
  // sync: the list and then its folder are flushed to the disk at commit().
  ReplacingFile(int fd, std::string temporary, std::string target,
                int pending, bool sync)
      : fd_(fd),
        temporary_(std::move(temporary)),
        target_(std::move(target)),
        pending_(pending),
        sync_(sync) {}
  ~ReplacingFile() override { abandon(); }

  bool append(std::string_view data) override {
    return fd_ >= 0 && (write_all(fd_, data) || failed());
  }
  bool positional() const override { return true; }
  bool write_at(uint64_t offset, std::string_view data) override {
    if (fd_ < 0) return false;
    if (!write_all_at(fd_, offset, data)) return failed();
#if defined(__linux__) && !defined(__EMSCRIPTEN__)
    // ext4 writes out a file renamed over an old one at the rename, the run's
    // last step. Started here, on the thread behind the sort, it runs while
    // the sort does. It only starts the writing and promises nothing (a
    // power cut may still find the data unwritten); with sync, commit()'s
    // flush waits for what is left.
    sync_file_range(fd_, static_cast<off_t>(offset),
                    static_cast<off_t>(data.size()), SYNC_FILE_RANGE_WRITE);
#endif
    return true;
  }
  bool commit() override {
    if (fd_ < 0) return false;
    // With sync the folder is opened first: a folder that cannot be flushed
    // fails the run before the name changes.
    // Each step's errno is kept as it fails (failed() returns false).
    const int folder = sync_ ? open_folder(target_) : -1;
    bool done = !sync_ || ((folder >= 0 || failed()) &&
                           (flush_to_disk(fd_) || failed()));
    const bool closed = ::close(std::exchange(fd_, -1)) == 0;
    if (done && !closed) done = failed();
    if (done && ::rename(temporary_.c_str(), target_.c_str()) != 0) {
      done = failed();
    }
    if (!done) {
      if (folder >= 0) ::close(folder);
      remove_temporary();
      return false;
    }
    forget_pending(std::exchange(pending_, -1));
    if (!sync_) return true;
    // The new name on the disk too. Should that fail, the name holds the new
    // list already, but the run cannot say it will survive a power cut.
    const bool renamed = ::fsync(folder) == 0 || failed();
    ::close(folder);
    return renamed;
  }
  void abandon() override {
    if (fd_ < 0) return;
    ::close(std::exchange(fd_, -1));
    remove_temporary();
  }

 private:
  void remove_temporary() {
    ::unlink(temporary_.c_str());
    forget_pending(std::exchange(pending_, -1));
  }

  int fd_;
  std::string temporary_;
  std::string target_;
  int pending_;
  bool sync_;
};

// Where a chain of links ends: the list replaces that file; links stay links.
// False, with errno ELOOP, for a chain that never ends, which the system
// would refuse to open as well.
bool follow_links(const std::string& name, std::string& target) {
  std::filesystem::path path = name;
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error)) {
      target = path.string();
      return true;
    }
    const std::filesystem::path to = std::filesystem::read_symlink(path, error);
    if (error) {
      target = path.string();
      return true;
    }
    path = to.is_absolute() ? to : path.parent_path() / to;
  }
  errno = ELOOP;
  return false;
}

// Six characters unlikely to clash: drawn per thread, seeded by the clock,
// the process and the thread, and mixed with the process again (a forked
// child shares its parent's draws). The file is created exclusively anyway.
std::string random_suffix() {
  thread_local std::mt19937_64 random{
      static_cast<uint64_t>(
          std::chrono::steady_clock::now().time_since_epoch().count()) ^
      std::hash<std::thread::id>()(std::this_thread::get_id())};
  static const char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  uint64_t x = random() ^ static_cast<uint64_t>(getpid()) * 0x9e3779b97f4a7c15u;
  std::string suffix;
  for (int i = 0; i < 6; ++i, x /= 62) suffix += kLetters[x % 62];
  return suffix;
}

// Creates `.NAME.morvane-PID-XXXXXX` beside target with mode (less the
// umask), remembered at pending: the process id lets a later run tell the
// file of a killed run (temporary_file_owner). Returns the descriptor, or -1
// with errno set.
int make_temporary(const std::string& target, mode_t mode,
                   std::string& temporary, int& pending) {
  const std::filesystem::path path = target;
  std::string base = path.filename().string();
  if (base.size() > 200) base.resize(200);  // room for the rest of the name
  for (int tries = 0; tries < 100; ++tries) {
    temporary = (path.parent_path() /
                 ("." + base + ".morvane-" + std::to_string(getpid()) + "-" +
                  random_suffix()))
                    .string();
    // Remembered before it exists, so no signal in between leaves it behind.
    pending = remember_pending(temporary.c_str());
    const int fd = ::open(temporary.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) return fd;
    const int error = errno;
    forget_pending(std::exchange(pending, -1));
    errno = error;
    if (error != EEXIST) return -1;
  }
  return -1;
}

// The console descriptor (1 or 2) already writing info's file, else -1.
int console_writing(const struct stat& info) {
  for (const int fd : {STDOUT_FILENO, STDERR_FILENO}) {
    struct stat console;
    if (fstat(fd, &console) == 0 && console.st_dev == info.st_dev &&
        console.st_ino == info.st_ino) {
      return fd;
    }
  }
  return -1;
}

}  // namespace

std::unique_ptr<OutputFile> open_output_file(const std::string& name,
                                             bool sync) {
  struct stat info;
  const bool exists = ::stat(name.c_str(), &info) == 0;
  if (exists) {
    // Through the console's own open file: with `>>` nothing it held is
    // lost, and the console's lines and the list's follow one another.
    if (const int console = console_writing(info); console >= 0) {
      const int fd = fcntl(console, F_DUPFD_CLOEXEC, 3);
      if (fd >= 0) return std::make_unique<StreamFile>(fd, sync);
    }
    if (!S_ISREG(info.st_mode)) {
      const int fd = ::open(name.c_str(), O_WRONLY | O_CLOEXEC);
      if (fd < 0) return nullptr;
      return std::make_unique<StreamFile>(fd, sync);
    }
  }
  std::string target;
  if (!follow_links(name, target)) return nullptr;
  const std::filesystem::path file_name =
      std::filesystem::path(target).filename();
  if (file_name.empty() || file_name == "." || file_name == "..") {
    errno = name.empty() ? ENOENT : EISDIR;  // nothing at all, or a folder
    return nullptr;
  }
  if (exists) {
    // Refused if we could not write it in place: a read-only list stays
    // refused, though a rename would get past it.
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    ::close(fd);
  }
  std::string temporary;
  int pending = -1;
  // Beside an old list, owner only until it has the old list's bits, which
  // may be fewer than a new file's.
  const int fd = make_temporary(target, exists ? 0600 : 0666, temporary,
                                pending);
  if (fd < 0) {
    // Written in place only where the folder refuses new files (a file in it
    // may take writes), emptied at its first write so that a score refused
    // meanwhile leaves it as it was. A full disk, say, fails the open.
    if (errno != EACCES && errno != EPERM && errno != EROFS) return nullptr;
    const int in_place =
        ::open(target.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (in_place < 0) return nullptr;
    return std::make_unique<StreamFile>(in_place, sync, true);
  }
  if (exists) {
    // The new list keeps the old one's owner, where we may give it, and
    // its permission bits; a list that cannot have them is written anyway.
    if (info.st_uid != geteuid() || info.st_gid != getegid()) {
      [[maybe_unused]] const int owned = fchown(fd, info.st_uid, info.st_gid);
    }
    [[maybe_unused]] const int moded = fchmod(fd, info.st_mode & 07777);
  }
  return std::make_unique<ReplacingFile>(fd, std::move(temporary), target,
                                         pending, sync);
}

}  // namespace morvane
