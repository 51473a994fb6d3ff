// Runs translations in-process and prints the wall time of each stage,
// median of several runs, so a change can be traced to the stage it moved.
//
//   stage_times SCORE [RUNS [NOTES]]
//
// The stages after reading are timed one after the other, then as the
// program runs them, overlapped. The note list goes to NOTES, /dev/null
// unless given: the write stage still formats every line and makes every
// system call, but a device is written as a pipe is (the text waits for
// the sort), where a regular file is written behind it.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/compute_durations.h"
#include "analysis/sort_by_time.h"
#include "driver/open_files.h"
#include "driver/translate.h"
#include "driver/run_state.h"
#include "driver/overlapped_stages.h"
#include "writer/note_list_file.h"
#include "writer/write_note_list.h"

namespace {

using Clock = std::chrono::steady_clock;
using morvane::RunState;

struct Stage {
  const char* name;
  std::function<void(RunState&)> body;
};

// Prints the median time of each stage over runs; false if a run failed.
bool time_stages(const std::vector<Stage>& stages, int runs) {
  std::vector<std::vector<double>> ms(stages.size());
  for (int run = 0; run < runs; ++run) {
    std::ostringstream out, err;
    std::istringstream keys;
    RunState state(out, err, keys);
    const int status = morvane::run_guarded(state, [&] {
      for (std::size_t i = 0; i < stages.size(); ++i) {
        const auto start = Clock::now();
        stages[i].body(state);
        ms[i].push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - start)
                .count());
      }
    }).status;
    if (status != 0) {
      std::fprintf(stderr, "run failed:%s%s\n", out.str().c_str(),
                   err.str().c_str());
      return false;
    }
  }
  double total = 0;
  for (std::size_t i = 0; i < stages.size(); ++i) {
    std::sort(ms[i].begin(), ms[i].end());
    const double median = ms[i][ms[i].size() / 2];
    total += median;
    std::printf("%-12s %8.1f ms\n", stages[i].name, median);
  }
  std::printf("%-12s %8.1f ms\n\n", "total", total);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: stage_times SCORE [RUNS [NOTES]]\n");
    return 2;
  }
  const std::string score = argv[1];
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  const std::string notes = argc > 3 ? argv[3] : "/dev/null";
  const Stage open = {"open", [&](RunState& s) {
                        morvane::TranslationRequest request;
                        request.score = score;
                        request.notes = notes;
                        morvane::open_files(s, request);
                      }};
  const Stage read = {"read", morvane::read_score};
  const Stage close = {"close", [](RunState& s) { s.output->close(); }};
  const bool ok =
      time_stages({open,
                   read,
                   {"sort", [](RunState& s) { morvane::sort_by_time(s); }},
                   {"durations", morvane::compute_durations},
                   {"write", morvane::write_note_list},
                   close},
                  runs) &&
      time_stages(
          {open,
           read,
           {"overlapped", [](RunState& s) { morvane::sort_pair_and_write(s); }},
           close},
          runs);
  return ok ? 0 : 1;
}
