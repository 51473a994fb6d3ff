// Readers that stop reading: a note list written into a pipe that closes is
// a failed write, and a console that closes costs nothing. With --quiet the
// note list goes down a pipeline alone.

#include <cstdlib>
#include <filesystem>
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

// With --quiet a pipe gets the note list alone, byte for byte the list a
// file gets; the passed-over line and failures still go to standard error.
TEST(EndToEndPipes, QuietGivesThePipeTheNoteListAlone) {
  if (testing_windows_build()) GTEST_SKIP() << "no /dev/stdout";
  TempDir dir;
  // A named track, and a track without a name.
  dir.write("score.txt",
            "MFile 1 2 96\nMTrk\n0 Meta TrkName A\n0 On ch=1 n=60 v=90\n"
            "96 On ch=1 n=60 v=0\n96 Meta TrkEnd\nTrkEnd\nMTrk\n"
            "0 On ch=2 n=62 v=80\n48 On ch=2 n=62 v=0\n");
  dir.write("bad.txt", "MTrk\n");
  std::filesystem::copy_file(data_path("corpus/smpte_division.mid"),
                             dir.path("song.mid"));
  struct Row {
    std::string args;       // into the pipe
    std::string file_args;  // the same run into notes.txt; none if it fails
    std::string err;
  };
  const std::string passed =
      "\n Passed over 1 note outside named tracks; --all-tracks keeps them\n";
  const Row rows[] = {
      {"-q score.txt /dev/stdout", "score.txt notes.txt", passed},
      {"--quiet -a score.txt /dev/stdout", "-a score.txt notes.txt", ""},
      {"--all-tracks --quiet score.txt /dev/stdout", "-a score.txt notes.txt",
       ""},
      // Any pipe: here descriptor 3, with standard output elsewhere.
      {"-q score.txt /dev/fd/3 3>&1 >/dev/null", "score.txt notes.txt", passed},
      {"-q bad.txt /dev/stdout", "", "\nBadly formed MIDI text file.\n"},
      {"-q song.mid /dev/stdout", "",
       "\nMIDI file song.mid uses SMPTE time, which Morvane does not read: "
       "only ticks per quarter note.\n"},
  };
  for (const Row& row : rows) {
    const Outcome r = run_into(dir, row.args, "tee piped");
    const std::string piped = read_file(dir.path("piped"));
    EXPECT_EQ(r.err, row.err) << row.args;
    if (row.file_args.empty()) {
      EXPECT_EQ(r.status, 1) << row.args;
      EXPECT_EQ(piped, "") << row.args;
      continue;
    }
    EXPECT_EQ(r.status, 0) << row.args;
    const Outcome file = run_morvane(dir, row.file_args);
    ASSERT_EQ(file.status, 0) << row.file_args;
    EXPECT_EQ(piped, file.notes) << row.args;
  }
}

}  // namespace
}  // namespace morvane::testing
