// The morvane command end to end: command lines, console bytes, statuses
// and note lists, as a user sees them.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "e2e_support.h"

namespace morvane::testing {
namespace {

const char kExample[] =
    "MFile 1 2 480\nMTrk\n0 Meta TrkName Flute\n0 On ch=1 n=72 v=80\n"
    "480 On ch=1 n=72 v=0\n480 Meta TrkEnd\nTrkEnd\n";
const char kUsage[] = "Usage: morvane score.txt notelst.txt\n";
const char kPrompt[] = "\n\t Name of score for output?\t";

std::string finished(const std::string& read_part,
                     const std::string& notes = "notes.txt") {
  return banner() + read_part + "\n Writing data to '" + notes + "'\n";
}

TEST(EndToEnd, WorkedExample) {
  TempDir dir;
  dir.write("score.txt", kExample);
  const Outcome r = run_morvane(dir, "score.txt notes.txt");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            finished("Instruments: Flute \nNumber of lines in array 2\n"));
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.notes,
            "// MORVANE file.\n// Instrument Flute \n"
            "0.000 \t0\t72\t80\t1.000\n");
}

TEST(EndToEnd, CommandLineForms) {
  TempDir dir;
  dir.write("score.txt", kExample);
  dir.write("-", kExample);

  Outcome r = run_morvane(dir, "");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, banner());
  EXPECT_EQ(r.err, kUsage);
  EXPECT_FALSE(r.notes_exist);

  r = run_morvane(dir, "score.txt notes.txt extra");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, banner());
  EXPECT_EQ(r.err, std::string(kUsage) + "\n Can't open  as input score\n");
  EXPECT_FALSE(r.notes_exist);

  // Names are used as typed: a hyphen is a file, not a standard stream.
  r = run_morvane(dir, "- notes.txt");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.notes,
            "// MORVANE file.\n// Instrument Flute \n"
            "0.000 \t0\t72\t80\t1.000\n");

  // One argument: the note list is named at the keyboard.
  r = run_morvane(dir, "score.txt", "typed.txt\n", "typed.txt");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, banner() + kPrompt +
                       "Instruments: Flute \nNumber of lines in array 2\n"
                       "\n Writing data to 'typed.txt'\n");
  EXPECT_EQ(r.notes,
            "// MORVANE file.\n// Instrument Flute \n"
            "0.000 \t0\t72\t80\t1.000\n");

  // The reply is read before the score is opened.
  r = run_morvane(dir, "missing.txt", "typed2.txt\n", "typed2.txt");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, banner() + kPrompt);
  EXPECT_EQ(r.err, "\n Can't open missing.txt as input score\n");
  EXPECT_FALSE(r.notes_exist);

  // A reply holding a NUL byte names the file before it, in every message.
  r = run_morvane(dir, "score.txt", std::string("nu\0ll.txt\n", 9), "nu");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, banner() + kPrompt +
                       "Instruments: Flute \nNumber of lines in array 2\n"
                       "\n Writing data to 'nu'\n");
  EXPECT_EQ(r.notes, "// MORVANE file.\n// Instrument Flute \n"
                     "0.000 \t0\t72\t80\t1.000\n");
  r = run_morvane(dir, "score.txt", std::string("abc\0\n", 5), "abc");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("\n Writing data to 'abc'\n"), std::string::npos);
  EXPECT_TRUE(r.notes_exist);
  r = run_morvane(dir, "score.txt", std::string("\0abc\n", 5));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, banner() + kPrompt);
  EXPECT_EQ(r.err, "\n Can't open  for score output\n");

  // No reply at all: an empty name, which cannot be opened.
  r = run_morvane(dir, "score.txt", "");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "\n Can't open  for score output\n");

  r = run_morvane(dir, "score.txt", "score.txt\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "\n Can't use score.txt for score output: it is the input score\n");
  EXPECT_EQ(read_file(dir.path("score.txt")), kExample);
}

TEST(EndToEnd, FilesThatCannotBeUsed) {
  TempDir dir;
  dir.write("score.txt", kExample);
  std::filesystem::create_directory(dir.path("folder"));
  struct Row {
    std::string args;
    std::string err;
    bool notes_exist;
  };
  const Row rows[] = {
      {"missing.txt notes.txt", "\n Can't open missing.txt as input score\n",
       false},
      {"folder notes.txt", "\n Can't open folder as input score\n", false},
      {"score.txt folder/none/notes.txt",
       "\n Can't open folder/none/notes.txt for score output\n", false},
      {"score.txt ./score.txt",
       "\n Can't use ./score.txt for score output: it is the input score\n",
       false},
  };
  for (const Row& row : rows) {
    const Outcome r = run_morvane(dir, row.args);
    EXPECT_EQ(r.status, 1) << row.args;
    EXPECT_EQ(r.out, banner()) << row.args;
    EXPECT_EQ(r.err, row.err);
    EXPECT_EQ(r.notes_exist, row.notes_exist) << row.args;
  }
  EXPECT_EQ(read_file(dir.path("score.txt")), kExample);
}

TEST(EndToEnd, ScoreAndNoteListLinkedAreRefused) {
  if (testing_windows_build()) GTEST_SKIP() << "links made on the Linux side";
  TempDir dir;
  dir.write("score.txt", kExample);
  std::filesystem::create_symlink(dir.path("score.txt"), dir.path("link.txt"));
  const Outcome r = run_morvane(dir, "score.txt link.txt");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "\n Can't use link.txt for score output: it is the input score\n");
  EXPECT_EQ(read_file(dir.path("score.txt")), kExample);
}

TEST(EndToEnd, NoteListOnAFullDevice) {
  if (testing_windows_build() || !std::filesystem::exists("/dev/full")) {
    GTEST_SKIP() << "needs /dev/full";
  }
  TempDir dir;
  dir.write("score.txt", kExample);
  const Outcome r = run_morvane(dir, "score.txt /dev/full", "", "none");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out,
            finished("Instruments: Flute \nNumber of lines in array 2\n",
                     "/dev/full"));
  EXPECT_EQ(r.err, "\n Can't write score output /dev/full\n");
}

// Inputs the reader refuses: an earlier note list is left as it was, and
// where there was none, none is made.
TEST(EndToEnd, ScoresThatAreRefused) {
  struct Row {
    std::string score;
    std::string err;
  };
  const Row rows[] = {
      {"", "\nEmpty MIDI text file.\n"},
      {"MTrk\nMFile 1 2 480\n", "\nBadly formed MIDI text file.\n"},
      {"MFile 1 2\n", "\nBadly formed MIDI text file: division must be above 0.\n"},
      {"MFile 1 2 0\n", "\nBadly formed MIDI text file: division must be above 0.\n"},
      {"MFile 1 99999999999 480\n",
       "\nNumber out of range in line 1 of the MIDI text file.\n"},
      {std::string("MThd\0\0\0\6\0\3\0\1\0\x60", 14),
       "\nBadly formed MIDI file score.txt: format above 2 at byte 8.\n"},
  };
  for (const bool earlier : {false, true}) {
    for (const Row& row : rows) {
      TempDir dir;
      dir.write("score.txt", row.score);
      if (earlier) dir.write("notes.txt", "an earlier list\n");
      const Outcome r = run_morvane(dir, "score.txt notes.txt");
      EXPECT_EQ(r.status, 1) << row.score;
      EXPECT_EQ(r.out, banner()) << row.score;
      EXPECT_EQ(r.err, row.err);
      EXPECT_EQ(r.notes_exist, earlier);
      EXPECT_EQ(r.notes, earlier ? "an earlier list\n" : "");
      EXPECT_EQ(dir.names(), earlier ? "notes.txt score.txt " : "score.txt ");
    }
  }
}

// A complete run replaces what a note list held, however much there was.
TEST(EndToEnd, AnEarlierNoteListIsReplaced) {
  const std::string notes =
      "// MORVANE file.\n// Instrument Flute \n0.000 \t0\t72\t80\t1.000\n";
  for (const std::size_t old_size :
       {std::size_t{1}, std::size_t{10}, std::size_t{3} << 20}) {
    TempDir dir;
    dir.write("score.txt", kExample);
    dir.write("notes.txt", std::string(old_size, 'x'));
    const Outcome r = run_morvane(dir, "score.txt notes.txt");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.notes, notes) << old_size;
    EXPECT_EQ(dir.names(), "notes.txt score.txt ");
  }
}

TEST(EndToEnd, MessagesStandInTheOrderWritten) {
  TempDir dir;
  EXPECT_EQ(run_morvane_merged(dir, "a b c"),
            banner() + kUsage + "\n Can't open  as input score\n");
  dir.write("score.txt",
            "MFile 1 1 96\nMTrk\n0 Meta TrkName A\n1 On ch=1 n=1 v=99999999999\n");
  EXPECT_EQ(run_morvane_merged(dir, "score.txt notes.txt"),
            banner() + "Instruments: A " +
                "\nNumber out of range in line 4 of the MIDI text file.\n");
}

// Note lists of small scores, each line checked by hand. The score is one
// track named Solo; division as given.
TEST(EndToEnd, NoteLists) {
  struct Row {
    const char* what;
    int division;
    std::string events;
    std::string notes;  // after the two header lines
  };
  const Row rows[] = {
      {"six events, read track by track", 480,
       "0 On ch=1 n=72 v=80\n480 On ch=1 n=72 v=0\n0 On ch=2 n=60 v=64\n"
       "960 On ch=2 n=60 v=0\n480 On ch=1 n=74 v=80\n720 On ch=1 n=74 v=0\n",
       "0.000 \t0\t72\t80\t1.000\n0.000 \t1\t60\t64\t2.000\n"
       "1.000 \t0\t74\t80\t0.500\n"},
      {"the same six in time order", 480,
       "0 On ch=1 n=72 v=80\n0 On ch=2 n=60 v=64\n480 On ch=1 n=72 v=0\n"
       "480 On ch=1 n=74 v=80\n720 On ch=1 n=74 v=0\n960 On ch=2 n=60 v=0\n",
       "0.000 \t1\t60\t64\t2.000\n0.000 \t0\t72\t80\t1.000\n"
       "1.000 \t0\t74\t80\t0.500\n"},
      {"a note struck again as it ends", 480,
       "0 On ch=1 n=60 v=90\n480 On ch=1 n=60 v=0\n480 On ch=1 n=60 v=90\n"
       "960 On ch=1 n=60 v=0\n",
       "0.000 \t0\t60\t90\t1.000\n1.000 \t0\t60\t90\t1.000\n"},
      {"two starts of one note", 480,
       "0 On ch=1 n=60 v=90\n240 On ch=1 n=60 v=90\n480 On ch=1 n=60 v=0\n"
       "720 On ch=1 n=60 v=0\n",
       "0.000 \t0\t60\t90\t1.000\n0.500 \t0\t60\t90\t0.500\n"},
      {"an Off line with a velocity is an end", 480,
       "0 On ch=1 n=60 v=90\n480 Off ch=1 n=60 v=64\n960 On ch=1 n=60 v=0\n",
       "0.000 \t0\t60\t90\t1.000\n"},
      {"a start without end", 480, "0 On ch=1 n=60 v=90\n",
       "0.000 \t0\t60\t90\t0.000\n"},
      {"an end at its start tick, measured from the rounded start", 240,
       "80 On ch=1 n=60 v=90\n80 On ch=1 n=60 v=0\n480 On ch=1 n=60 v=90\n"
       "720 On ch=1 n=60 v=0\n",
       "0.333 \t0\t60\t90\t-0.000\n2.000 \t0\t60\t90\t1.000\n"},
      {"twelve and a half beats, a third of a beat", 6,
       "75 On ch=1 n=60 v=90\n77 On ch=1 n=60 v=0\n",
       "12.500 \t0\t60\t90\t0.333\n"},
      {"halves round away from zero", 480,
       "30 On ch=1 n=60 v=90\n510 On ch=1 n=60 v=0\n",
       "0.063 \t0\t60\t90\t1.000\n"},
      {"only ends", 480, "0 On ch=1 n=60 v=0\n5 Off ch=1 n=60 v=0\n", ""},
      {"a negative velocity keeps ticks and channel", 480,
       "960 On ch=3 n=60 v=-5\n", "960.000 \t2\t60\t-5\t3.000\n"},
      {"the lowest channel is written one lower", 480,
       "0 On ch=-2147483648 n=1 v=1\n", "0.000 \t-2147483649\t1\t1\t0.000\n"},
      {"line ends CR LF", 480, "0 On ch=1 n=60 v=90\r\n480 On ch=1 n=60 v=0\r\n",
       "0.000 \t0\t60\t90\t1.000\n"},
      {"a long line is one event", 480,
       "0 On ch=1 n=60 v=90 " + std::string(300, '#') + "\n",
       "0.000 \t0\t60\t90\t0.000\n"},
  };
  for (const Row& row : rows) {
    TempDir dir;
    dir.write("score.txt", "MFile 1 2 " + std::to_string(row.division) +
                               "\nMTrk\n0 Meta TrkName Solo\n" + row.events);
    const Outcome r = run_morvane(dir, "score.txt notes.txt");
    EXPECT_EQ(r.status, 0) << row.what;
    EXPECT_EQ(r.err, "") << row.what;
    EXPECT_EQ(r.notes, "// MORVANE file.\n// Instrument Solo \n" + row.notes)
        << row.what;
  }
}

}  // namespace
}  // namespace morvane::testing

namespace morvane::testing {
namespace {

TEST(EndToEnd, ScoresThatCannotBeRead) {
  if (testing_windows_build()) GTEST_SKIP() << "Unix permissions and /proc";
  TempDir dir;
  // Opens, but every read fails.
  Outcome r = run_morvane(dir, "/proc/self/mem notes.txt");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "\n Can't read /proc/self/mem as input score\n");
  EXPECT_EQ(r.notes, "");

  std::filesystem::remove(dir.path("notes.txt"));
  dir.write("locked.txt", "MFile 1 1 96\n");
  std::filesystem::permissions(dir.path("locked.txt"),
                               std::filesystem::perms::none);
  std::string as_user;
  if (geteuid() == 0) {
    // Root reads any file: run as a user without rights instead.
    if (std::system("command -v setpriv >/dev/null") != 0) {
      GTEST_SKIP() << "running as root without setpriv to drop rights";
    }
    as_user = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    // The build may live where that user cannot reach it.
    const std::string reach = as_user + "sh -c 'test -x \"$0\"' '" +
                              morvane_command() + "'";
    if (std::system(reach.c_str()) != 0) {
      GTEST_SKIP() << "the user without rights cannot run " << morvane_command();
    }
    std::filesystem::permissions(
        dir.dir(), std::filesystem::perms::all, std::filesystem::perm_options::add);
  }
  r = run_morvane(dir, "locked.txt notes.txt", "", "notes.txt", as_user);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "\n Can't open locked.txt as input score\n");
  EXPECT_FALSE(r.notes_exist);
}

// Memory that runs out where the program has no message of its own (here
// the buffer of one very long line) still ends the run with a message and
// status 1, never a crash.
TEST(EndToEnd, MemoryRunningOutOnAHugeLine) {
#if defined(MORVANE_SANITIZED)
  GTEST_SKIP() << "sanitizers need more address space than the limit leaves";
#else
  if (testing_windows_build()) GTEST_SKIP() << "limits address space by ulimit";
  TempDir dir;
  dir.write("score.txt", "MFile 1 1 96\nMTrk\n0 Meta TrkName A\n0 On ch=1 n=1 v=1 " +
                             std::string(48 << 20, 'x') + "\n");
  const Outcome r = run_morvane(dir, "score.txt notes.txt", "", "notes.txt",
                                "ulimit -v 40000; ");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, banner() + "Instruments: A \n Out of memory\n");
  EXPECT_FALSE(r.notes_exist);
#endif
}

}  // namespace
}  // namespace morvane::testing
