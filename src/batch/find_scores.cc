#include "batch/find_scores.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "reader/open_score.h"

namespace morvane::batch {
namespace {

namespace fs = std::filesystem;

bool starts_a_score(std::string_view first) {
  return starts_like_score(first);
}

// Whether path is the output folder, which a search must not go into: the
// note lists of an earlier batch there are no scores, and counting them as
// passed over would only hide the real count.
bool is_outdir(const fs::path& path, const fs::path& outdir) {
  std::error_code error;
  return fs::equivalent(path, outdir, error) && !error;
}

void add_file(ScoreSearch& search, const fs::path& path,
              const fs::path& below, const fs::path& outdir) {
  ScoreJob job;
  job.score = path.string();
  job.absolute = absolute_path(job.score);
  job.below = below.string() + ".notes";
  job.output = (outdir / below).string() + ".notes";
  struct stat info;
  if (::stat(job.score.c_str(), &info) == 0) {
    job.bytes = static_cast<uint64_t>(info.st_size);
    job.device = static_cast<uint64_t>(info.st_dev);
    job.inode = static_cast<uint64_t>(info.st_ino);
  }
  search.jobs.push_back(std::move(job));
}

// A folder that cannot be listed stands for the scores it may hold: a
// failure, so that it is seen.
void cannot_search(ScoreSearch& search, const fs::path& folder,
                   const std::error_code& error) {
  ScoreJob job;
  job.score = folder.string();
  job.absolute = absolute_path(job.score);
  job.failure = "Can't search folder " + folder.string() + ": " +
                error.message();
  search.jobs.push_back(std::move(job));
}

void search_below(ScoreSearch& search, const fs::path& root,
                  const fs::path& folder, const fs::path& outdir) {
  std::error_code error;
  fs::directory_iterator it(folder, error), end;
  for (; !error && it != end; it.increment(error)) {
    const fs::directory_entry& entry = *it;
    std::error_code type_error;
    if (entry.is_directory(type_error)) {
      // Links to folders are not followed: they may lead in circles.
      if (!entry.is_symlink(type_error) && !is_outdir(entry.path(), outdir)) {
        search_below(search, root, entry.path(), outdir);
      }
    } else if (entry.is_regular_file(type_error) ||
               !entry.exists(type_error)) {
      // A link to nothing is a score that cannot be read.
      if (sniff_score(entry.path().string()) == ScoreKind::no_score) {
        ++search.no_scores;
      } else {
        add_file(search, entry.path(), entry.path().lexically_relative(root),
                 outdir);
      }
    } else {
      ++search.no_scores;  // a pipe, a socket, a device
    }
  }
  if (error) cannot_search(search, folder, error);
}

void search_folder(ScoreSearch& search, const fs::path& root,
                   const fs::path& outdir) {
  const std::size_t first = search.jobs.size();
  search_below(search, root, root, outdir);
  std::sort(search.jobs.begin() + static_cast<std::ptrdiff_t>(first),
            search.jobs.end(), [](const ScoreJob& a, const ScoreJob& b) {
              return a.score < b.score;
            });
}

}  // namespace

ScoreKind sniff_score(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return ScoreKind::unreadable;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return ScoreKind::no_score;
  }
  char first[5];
  std::size_t got = 0;
  while (got < sizeof first) {
    const ssize_t n = ::read(fd, first + got, sizeof first - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      return ScoreKind::unreadable;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return starts_a_score(std::string_view(first, got)) ? ScoreKind::score
                                                      : ScoreKind::no_score;
}

ScoreSearch find_scores(const std::vector<std::string>& inputs,
                        const std::string& outdir) {
  ScoreSearch search;
  for (const std::string& input : inputs) {
    const fs::path path(input);
    std::error_code error;
    if (fs::is_directory(path, error)) {
      search_folder(search, path, outdir);
      continue;
    }
    const std::size_t at = search.jobs.size();
    add_file(search, path, path.filename(), outdir);
    if (sniff_score(input) == ScoreKind::no_score) {
      search.jobs[at].failure =
          input + " is no score: it starts with neither MThd nor MFile";
    }
  }
  return search;
}

std::string absolute_path(const std::string& path) {
  // The batch never changes its working folder: asked for once, not for
  // every score.
  static const fs::path working = [] {
    std::error_code error;
    return fs::current_path(error);
  }();
  const fs::path name(path);
  return (name.is_absolute() ? name : working / name)
      .lexically_normal()
      .string();
}

namespace {

// Whether two jobs name one file: the same device and inode, or, where
// either is unknown, the same absolute path.
bool same_file(const ScoreJob& a, const ScoreJob& b) {
  if (a.inode != 0 && b.inode != 0) {
    return a.device == b.device && a.inode == b.inode;
  }
  return a.absolute == b.absolute;
}

// The score's path with every link resolved: one name for a file found
// through a folder and one inside it, or through a linked folder. (Hard
// links are names of their own: each has its list.)
std::string resolved_path(const ScoreJob& job) {
  std::error_code error;
  const fs::path path = fs::canonical(job.score, error);
  return error ? job.absolute : path.string();
}

}  // namespace

void drop_repeats(std::vector<ScoreJob>& jobs) {
  std::unordered_set<std::string> paths;
  std::unordered_map<std::string, std::vector<std::size_t>> by_output;
  std::vector<ScoreJob> kept;
  for (ScoreJob& job : jobs) {
    // The first naming wins, with the output it gives.
    if (!paths.insert(resolved_path(job)).second) continue;
    if (!job.output.empty()) {
      std::vector<std::size_t>& same_output = by_output[job.output];
      if (std::any_of(same_output.begin(), same_output.end(),
                      [&](std::size_t k) { return same_file(kept[k], job); })) {
        continue;
      }
      same_output.push_back(kept.size());
    }
    kept.push_back(std::move(job));
  }
  jobs = std::move(kept);
}

namespace {

// The file an output replaces: links followed as the output seam follows
// them, then the folders' links, so that two names of one file are one.
std::string replaced_file(const std::string& output) {
  fs::path path = output;
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code error;
    if (!fs::is_symlink(path, error)) break;
    const fs::path to = fs::read_symlink(path, error);
    if (error) break;
    path = to.is_absolute() ? to : path.parent_path() / to;
  }
  std::error_code error;
  const fs::path canonical = fs::weakly_canonical(path, error);
  return error ? absolute_path(path.string()) : canonical.string();
}

}  // namespace

std::vector<std::string> find_collisions(const std::vector<ScoreJob>& jobs) {
  std::unordered_map<std::string, std::size_t> line_of;  // by file written
  std::vector<std::vector<const ScoreJob*>> writers;
  for (const ScoreJob& job : jobs) {
    if (!job.failure.empty()) continue;
    auto [it, fresh] = line_of.emplace(replaced_file(job.output),
                                       writers.size());
    if (fresh) writers.emplace_back();
    writers[it->second].push_back(&job);
  }
  std::vector<std::string> lines;
  for (const std::vector<const ScoreJob*>& same : writers) {
    if (same.size() < 2) continue;
    std::string line = same[0]->score;
    for (std::size_t k = 1; k < same.size(); ++k) {
      line += (k + 1 < same.size() ? ", " : " and ") + same[k]->score;
    }
    line += (same.size() == 2 ? " would both write " : " would all write ") +
            same[0]->output;
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace morvane::batch
