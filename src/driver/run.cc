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

}  // namespace

int run(RunState& state, std::vector<std::string> args) {
  print_banner(state);
  // An option only where it names no file: names are used as typed.
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
  TranslationRequest request;
  if (args.size() >= 2 && (args[1] == "--all-tracks" || args[1] == "-a") &&
      !file_exists(args[1])) {
    request.all_tracks = true;
    args.erase(args.begin() + 1);
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
