#include "driver/run.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "test_support.h"

namespace morvane {
namespace {

using testing::banner;
using testing::read_file;
using testing::run_in_process;
using testing::TempDir;

const char kExample[] =
    "MFile 1 2 480\nMTrk\n0 Meta TrkName Flute\n0 On ch=1 n=72 v=80\n"
    "480 On ch=1 n=72 v=0\n480 Meta TrkEnd\nTrkEnd\n";

TEST(RunTest, WholeTranslationOfTheWorkedExample) {
  TempDir dir;
  const std::string score = dir.write("score.txt", kExample);
  const std::string notes = dir.path("notes.txt");
  const testing::RunOutput r = run_in_process({score, notes});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, banner() + "Instruments: Flute \nNumber of lines in array 2\n"
                              "\n Writing data to '" + notes + "'\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(read_file(notes),
            "// MORVANE file.\n// Instrument Flute \n"
            "0.000 \t0\t72\t80\t1.000\n");
}

// Each allocation the run makes on purpose can fail; each failure says so
// on standard output (with --quiet on standard error, alone) and ends the
// run with status 1, leaving an earlier note list as it was and nothing
// beside it.
TEST(RunTest, AllocationFailures) {
  struct Row {
    FailPoint point;
    std::string tail;     // the end of standard output
    std::string message;  // the memory messages in it
  };
  const std::string read =
      "Instruments: Flute \nNumber of lines in array 2\n";
  const std::string lmem1 = "\n GET_LMEM 1: No memory for array\n"
                            "\n Insufficient memory for file input\n";
  const std::string lmem2 = "\n GET_LMEM 2: No memory for array\n";
  const Row rows[] = {
      {FailPoint::table_create, "\n FILE INPUT: No memory for array\n",
       "\n FILE INPUT: No memory for array\n"},
      {FailPoint::table_grow, "Instruments: Flute " + lmem1, lmem1},
      {FailPoint::order_array, read + "\nNo memory for array1.",
       "\nNo memory for array1."},
      {FailPoint::duration_array, read + "\nNo memory for array2.",
       "\nNo memory for array2."},
      {FailPoint::wide_record, "Instruments: Flute " + lmem2, lmem2},
  };
  // The second event's velocity does not fit a byte, so it needs a wide
  // record of its own.
  std::string score = kExample;
  score.replace(score.find("v=0"), 3, "v=-1");
  for (const Row& row : rows) {
    TempDir dir;
    const std::string notes = dir.write("notes.txt", "an earlier list\n");
    const testing::RunOutput r =
        run_in_process({dir.write("score.txt", score), notes}, "", row.point);
    EXPECT_EQ(r.status, 1) << row.tail;
    EXPECT_EQ(r.out, banner() + row.tail);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(read_file(notes), "an earlier list\n") << row.tail;
    EXPECT_EQ(dir.names(), "notes.txt score.txt ") << row.tail;
    const testing::RunOutput quiet = run_in_process(
        {"-q", dir.path("score.txt"), notes}, "", row.point);
    EXPECT_EQ(quiet.status, 1) << row.tail;
    EXPECT_EQ(quiet.out, "") << row.tail;
    EXPECT_EQ(quiet.err, row.message);
  }
}

TEST(RunTest, FileFailures) {
  TempDir dir;
  const std::string score = dir.write("score.txt", kExample);
  const std::string notes = dir.path("notes.txt");
  struct Row {
    std::vector<std::string> args;
    std::string keys;
    std::string err;
    std::string out_tail;
  };
  const Row rows[] = {
      {{dir.path("missing.txt"), notes}, "",
       "\n Can't open " + dir.path("missing.txt") + " as input score\n", ""},
      {{dir.path(""), notes}, "",
       "\n Can't open " + dir.path("") + " as input score\n", ""},
      {{score, dir.path("no/such/notes.txt")}, "",
       "\n Can't open " + dir.path("no/such/notes.txt") + " for score output\n",
       ""},
      {{score, score}, "",
       "\n Can't use " + score + " for score output: it is the input score\n",
       ""},
      {{score, dir.path(".") + "/score.txt"}, "",
       "\n Can't use " + dir.path(".") +
           "/score.txt for score output: it is the input score\n",
       ""},
      {{score, "a", "b"}, "",
       "Usage: morvane score.txt notelst.txt\n\n Can't open  as input score\n",
       ""},
      {{dir.path("missing.txt")}, "notes.txt\n",
       "\n Can't open " + dir.path("missing.txt") + " as input score\n",
       "\n\t Name of score for output?\t"},
      {{score}, "", "\n Can't open  for score output\n",
       "\n\t Name of score for output?\t"},
  };
  for (const Row& row : rows) {
    const testing::RunOutput r = run_in_process(row.args, row.keys);
    EXPECT_EQ(r.status, 1) << row.err;
    EXPECT_EQ(r.err, row.err);
    EXPECT_EQ(r.out, banner() + row.out_tail) << row.err;
  }
  EXPECT_EQ(read_file(score), kExample);
  EXPECT_FALSE(std::filesystem::exists(notes));
}

TEST(RunTest, NoArgumentGivesUsage) {
  const testing::RunOutput r = run_in_process({});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, banner());
  EXPECT_EQ(r.err, "Usage: morvane score.txt notelst.txt\n");
}

TEST(RunTest, NoteListThatCannotBeWrittenIsAFailure) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  TempDir dir;
  const testing::RunOutput r =
      run_in_process({dir.write("score.txt", kExample), "/dev/full"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "\n Can't write score output /dev/full\n");
  EXPECT_NE(r.out.find("Writing data to '/dev/full'"), std::string::npos);
}

}  // namespace
}  // namespace morvane
