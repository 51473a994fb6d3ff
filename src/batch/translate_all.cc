#include "batch/translate_all.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "batch/interruption.h"
#include "batch/job_pool.h"
#include "writer/pending_files.h"

namespace morvane::batch {
namespace {

constexpr auto kRecordEvery = std::chrono::seconds(10);

unsigned threads_for(const BatchOptions& options) {
  if (options.jobs > 0) return options.jobs;
  // No more note lists in flight than a signal can find and remove.
  return std::clamp(std::thread::hardware_concurrency(), 1u,
                    static_cast<unsigned>(morvane::kMostPending));
}

}  // namespace

Record record_after(const Record& before, const std::vector<ScoreJob>& jobs,
                    const std::vector<ScoreResult>& results,
                    const std::function<bool(std::size_t)>& finished) {
  Record record = before;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    if (jobs[i].below.empty() || !finished(i)) continue;
    const ScoreResult& r = results[i];
    if (r.made) {
      record[jobs[i].below] = *r.made;
    } else {
      record.erase(jobs[i].below);
    }
  }
  return record;
}

std::vector<ScoreResult> translate_all(const std::vector<ScoreJob>& jobs,
                                       const BatchOptions& options,
                                       RecordFile& record, Progress& progress) {
  std::vector<ScoreResult> results(jobs.size());
  // Set once results[i] is whole: the record may be read while others work.
  const std::unique_ptr<std::atomic<bool>[]> finished(
      new std::atomic<bool>[jobs.size()]());
  auto is_finished = [&](std::size_t i) {
    return finished[i].load(std::memory_order_acquire);
  };
  auto work = [&](std::size_t i) {
    const auto recorded = record.record.find(jobs[i].below);
    results[i] = translate_score(
        jobs[i], options,
        recorded == record.record.end() ? nullptr : &recorded->second);
    progress.done(results[i], jobs[i].bytes);
    finished[i].store(true, std::memory_order_release);
  };
  const bool shown = progress_wanted(options.quiet);
  auto saved = std::chrono::steady_clock::now();
  RecordFile now_and_then = record;
  auto waiting = [&] {
    if (shown) {
      draw_progress(stop_signal() == 0
                        ? progress.line()
                        : "  stopping: finishing the scores in flight "
                          "(Ctrl-C again ends at once)");
    }
    if (std::chrono::steady_clock::now() - saved < kRecordEvery) return;
    save_record(now_and_then,
                record_after(record.record, jobs, results, is_finished));
    saved = std::chrono::steady_clock::now();
  };
  run_pool(jobs.size(), threads_for(options), work, waiting,
           std::chrono::milliseconds(200), [] { return stop_signal() != 0; });
  if (shown) draw_progress("");
  record.text = now_and_then.text;
  return results;
}

}  // namespace morvane::batch
