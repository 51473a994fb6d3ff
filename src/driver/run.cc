#include "driver/run.h"

#include <filesystem>
#include <utility>

#include "driver/banner.h"
#include "driver/translate.h"

namespace morvane {
namespace {

bool file_exists(const std::string& name) {
  std::error_code error;
  return std::filesystem::exists(name, error);
}

// The options before the names, in any order, each taken only where no file
// of its name exists: names are used as typed. Leaves the names in args.
void take_options(TranslationRequest& request,
                  std::vector<std::string>& args) {
  while (args.size() >= 2 && !file_exists(args[1])) {
    const std::string& word = args[1];
    if (word == "--all-tracks" || word == "-a") {
      request.all_tracks = true;
    } else if (word == "--quiet" || word == "-q") {
      request.quiet = true;
    } else if (word == "--sync") {
      request.sync = true;
    } else {
      return;
    }
    args.erase(args.begin() + 1);
  }
}

}  // namespace

int run(RunState& state, std::vector<std::string> args) {
  TranslationRequest request;
  take_options(request, args);
  state.quiet = request.quiet;  // the banner too
  print_banner(state);
  if (args.size() == 2 && !file_exists(args[1])) {
    if (args[1] == "--help" || args[1] == "-h") {
      print_help(state);
      return 0;
    }
    if (args[1] == "--version") {
      print_version(state);
      return 0;
    }
  }
  if (args.size() < 2) {
    print_usage(state);
    return 1;
  }
  if (args.size() == 2) {
    request.score = args[1];  // the note list's name is asked for
  } else if (args.size() == 3) {
    request.score = args[1];
    request.notes = args[2];
  } else {
    // Too many names: the usage, and then the score of no name fails.
    print_usage(state);
    request.notes = "";
  }
  return translate(state, std::move(request)).status;
}

}  // namespace morvane
