// The command line of morvane-batch: what to translate, where to, and how.
//
//   morvane-batch [--all-tracks] [--jobs N] [--force] [--report FILE]
//                 [--quiet] [--sync] -o OUTDIR INPUT...
//
// Parsing only reads the words; whether the inputs exist is found out
// later, score by score, so that one missing name fails alone.

#ifndef MORVANE_BATCH_OPTIONS_H_
#define MORVANE_BATCH_OPTIONS_H_

#include <string>
#include <vector>

namespace morvane::batch {

struct BatchOptions {
  bool all_tracks = false;   // every track with notes is an instrument
  unsigned jobs = 0;         // translations at once; 0: one per core
  bool force = false;        // translate even what is up to date
  bool quiet = false;        // no progress line
  bool sync = false;         // each list on the disk before it replaces the old
  std::string report;        // CSV report file; empty: none
  std::string outdir;
  std::vector<std::string> inputs;  // files and folders, as typed
};

enum class Request { run, help, version, usage_error };

struct ParsedArgs {
  Request request = Request::run;
  BatchOptions options;
  std::string error;  // for usage_error: what was wrong, one line
};

// Reads args (args[0] is the program's name). A missing -o or input, an
// unknown option, an option without its value or a --jobs that is not a
// whole number from 1 on is a usage_error; --help and --version end the
// reading where they stand. A short option's value may follow it in the
// same word ("-j2", "-onotes"). After "--" every word is an input.
ParsedArgs parse_args(const std::vector<std::string>& args);

// The usage line, and the help that --help shows.
extern const char kUsage[];
extern const char kHelp[];

}  // namespace morvane::batch

#endif  // MORVANE_BATCH_OPTIONS_H_
