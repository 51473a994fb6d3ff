#include "e2e_support.h"

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

namespace morvane::testing {
namespace {

std::string unix_line_ends(std::string text) {
  if (!testing_windows_build()) return text;
  std::string out;
  for (std::size_t k = 0; k < text.size(); ++k) {
    if (text[k] == '\r' && k + 1 < text.size() && text[k + 1] == '\n') continue;
    out += text[k];
  }
  return out;
}

int shell(const std::string& command) {
  const int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

std::string quoted(const std::string& path) { return "'" + path + "'"; }

}  // namespace

std::string morvane_command() {
  if (const char* command = std::getenv("MORVANE_COMMAND")) return command;
  if (const char* built = std::getenv("MORVANE_DEFAULT_COMMAND")) return built;
  ADD_FAILURE() << "neither MORVANE_COMMAND nor MORVANE_DEFAULT_COMMAND set";
  return "false";
}

bool testing_windows_build() {
  return morvane_command().find(".exe") != std::string::npos;
}

Outcome run_morvane(const TempDir& dir, const std::string& args,
                    const std::string& keys, const std::string& notes_name,
                    const std::string& prefix) {
  const std::string box = dir.path(".morvane-run");
  std::filesystem::create_directories(box);
  write_file(box + "/keys", keys);
  Outcome outcome;
  outcome.status =
      shell("cd " + quoted(dir.dir().string()) + " && cat " +
            quoted(box + "/keys") + " | (" + prefix + morvane_command() +
            " " + args + ") >" +
            quoted(box + "/out") + " 2>" + quoted(box + "/err"));
  outcome.out = unix_line_ends(read_file(box + "/out"));
  outcome.err = unix_line_ends(read_file(box + "/err"));
  const std::string notes = dir.path(notes_name);
  outcome.notes_exist = std::filesystem::exists(notes);
  if (outcome.notes_exist) outcome.notes = unix_line_ends(read_file(notes));
  std::filesystem::remove_all(box);
  return outcome;
}

std::string run_morvane_merged(const TempDir& dir, const std::string& args) {
  const std::string merged = dir.path(".merged");
  shell("cd " + quoted(dir.dir().string()) + " && " + morvane_command() + " " +
        args + " </dev/null >" + quoted(merged) + " 2>&1");
  std::string text = unix_line_ends(read_file(merged));
  std::filesystem::remove(merged);
  return text;
}

}  // namespace morvane::testing
