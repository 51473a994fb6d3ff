#include "batch/input_checks.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include <sys/stat.h>

#include "writer/output_file.h"

namespace morvane::batch {
namespace {

namespace fs = std::filesystem;

// Whether path lies in folder or below it, links followed.
bool inside(const std::string& path, const std::string& folder) {
  std::error_code error;
  const fs::path file = fs::canonical(fs::path(path).parent_path().empty()
                                          ? fs::path(".")
                                          : fs::path(path).parent_path(),
                                      error);
  if (error) return false;
  const fs::path root = fs::canonical(folder, error);
  if (error) return false;
  const auto [at_root, at_file] =
      std::mismatch(root.begin(), root.end(), file.begin(), file.end());
  return at_root == root.end();
}

// The job whose note list path is, or null.
const ScoreJob* list_at(const std::vector<ScoreJob>& jobs,
                        const std::string& path) {
  const std::string wanted = absolute_path(path);
  struct stat info;
  const bool exists = ::stat(path.c_str(), &info) == 0;
  for (const ScoreJob& job : jobs) {
    if (job.output.empty()) continue;
    struct stat list;
    if (absolute_path(job.output) == wanted ||
        (exists && ::stat(job.output.c_str(), &list) == 0 &&
         list.st_dev == info.st_dev && list.st_ino == info.st_ino)) {
      return &job;
    }
  }
  return nullptr;
}

}  // namespace

InputFiles::InputFiles(const std::vector<ScoreJob>& jobs) {
  for (const ScoreJob& job : jobs) {
    if (job.inode != 0) {
      by_file_.emplace(std::pair(job.device, job.inode), &job);
    }
    by_path_.emplace(job.absolute, &job);
  }
}

const ScoreJob* InputFiles::score_at(const std::string& path) const {
  struct stat info;
  if (::stat(path.c_str(), &info) == 0) {
    const auto it =
        by_file_.find(std::pair(static_cast<uint64_t>(info.st_dev),
                                static_cast<uint64_t>(info.st_ino)));
    if (it != by_file_.end()) return it->second;
  }
  const auto it = by_path_.find(absolute_path(path));
  return it == by_path_.end() ? nullptr : it->second;
}

std::vector<std::string> find_overwrites(const std::vector<ScoreJob>& jobs,
                                         const std::string& report,
                                         const std::string& record,
                                         const std::string& outdir) {
  const InputFiles inputs(jobs);
  std::vector<std::string> lines;
  for (const ScoreJob& job : jobs) {
    if (job.output.empty()) continue;
    if (const ScoreJob* score = inputs.score_at(job.output)) {
      lines.push_back("the note list of " + job.score + " is the score " +
                      score->score);
    }
    const std::string name = fs::path(job.score).filename().string();
    if (temporary_file_owner(name) != 0 && inside(job.score, outdir)) {
      lines.push_back("the score " + job.score +
                      " is named like a temporary file left in " + outdir +
                      ", which a batch removes");
    }
  }
  if (const ScoreJob* score = inputs.score_at(record)) {
    lines.push_back("the record " + record + " is the score " + score->score);
  }
  if (report.empty()) return lines;
  if (const ScoreJob* score = inputs.score_at(report)) {
    lines.push_back("the report " + report + " is the score " + score->score);
  } else if (const ScoreJob* list = list_at(jobs, report)) {
    lines.push_back("the report " + report + " is the note list of " +
                    list->score);
  } else if (absolute_path(report) == absolute_path(record)) {
    lines.push_back("the report " + report + " is the batch's record");
  }
  return lines;
}

}  // namespace morvane::batch
