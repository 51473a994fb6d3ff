// Readers that stop reading: a note list written into a pipe that closes is
// a failed write, and a console that closes costs nothing.

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "e2e_support.h"

namespace morvane::testing {
namespace {

// A score whose note list is far larger than a pipe holds, with enough
// events that a file would get them from two threads.
std::string big_score() {
  std::string score = "MFile 1 1 96\nMTrk\n0 Meta TrkName Big\n";
  for (int k = 0; k < 35000; ++k) {
    score += std::to_string(k * 10) + " On ch=1 n=60 v=90\n" +
             std::to_string(k * 10 + 5) + " On ch=1 n=60 v=0\n";
  }
  return score;
}

// Runs the command in dir with args, its standard output into reader; gives
// the command's own status and standard error.
Outcome run_into(const TempDir& dir, const std::string& args,
                 const std::string& reader) {
  const std::string command =
      "cd '" + dir.dir().string() + "' && ( " + morvane_command() + " " + args +
      " 2>err; echo $? >status ) | " + reader + " >/dev/null";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  Outcome outcome;
  outcome.status = std::stoi(read_file(dir.path("status")));
  outcome.err = read_file(dir.path("err"));
  return outcome;
}

TEST(EndToEndPipes, ANoteListIntoAPipeThatClosesIsAFailedWrite) {
  if (testing_windows_build()) GTEST_SKIP() << "no /dev/stdout";
  TempDir dir;
  dir.write("score.txt", big_score());
  const Outcome r = run_into(dir, "score.txt /dev/stdout", "head -c 100");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "\n Can't write score output /dev/stdout\n");
}

TEST(EndToEndPipes, AConsoleThatClosesLeavesTheNoteListWhole) {
  if (testing_windows_build()) GTEST_SKIP() << "no broken pipes there";
  TempDir dir;
  dir.write("score.txt", big_score());
  const Outcome whole = run_morvane(dir, "score.txt whole.notes", "",
                                    "whole.notes");
  ASSERT_EQ(whole.status, 0);
  dir.write("old.notes", "an earlier note list\n");
  const Outcome r = run_into(dir, "score.txt old.notes", "head -c 10");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(read_file(dir.path("old.notes")) ==
              read_file(dir.path("whole.notes")));
  // Into a pipe, after the console's lines, the same list.
  const Outcome piped = run_into(dir, "score.txt /dev/stdout", "tee piped");
  EXPECT_EQ(piped.status, 0);
  const std::string list = read_file(dir.path("whole.notes"));
  const std::string out = read_file(dir.path("piped"));
  EXPECT_TRUE(out.size() > list.size() &&
              out.compare(out.size() - list.size(), list.size(), list) == 0);
}

}  // namespace
}  // namespace morvane::testing
