// What a run leaves where the note list goes: a complete new list, or the
// old one byte for byte, never anything between; through failures,
// signals, runs at once, links, devices and the console's own file.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <iterator>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "e2e_support.h"

namespace morvane::testing {
namespace {

const char kOld[] = "an earlier list\n";

// A score of n events in one named track, quick to write and to translate.
std::string long_score(int events) {
  std::string score = "MFile 1 1 96\nMTrk\n0 Meta TrkName Long\n";
  for (int i = 0; i < events; ++i) {
    score += std::to_string(i) + " On ch=1 n=" + std::to_string(40 + i % 40) +
             (i % 2 ? " v=0\n" : " v=90\n");
  }
  return score;
}

bool unix_build() { return !testing_windows_build(); }

// Failures at every point of a run: the old list stays as it was, and no
// temporary file is left beside it.
TEST(EndToEndOutput, AFailedRunLeavesTheOldList) {
  std::string far_out = long_score(1000000);
  const std::size_t line = 50000;
  std::size_t at = 0;
  for (std::size_t i = 1; i < line; ++i) at = far_out.find('\n', at) + 1;
  far_out.insert(at, "1 On ch=1 n=99999999999 v=3\n");
  struct Row {
    std::string what, score, prefix, err;
  };
  const Row rows[] = {
      {"header", "MTrk\n", "", "\nBadly formed MIDI text file.\n"},
      {"division 0", "MFile 1 1 0\n", "",
       "\nBadly formed MIDI text file: division must be above 0.\n"},
      {"damaged .mid", std::string("MThd\0\0\0\6\0\1\0\1\0\x60MTrk\0\0\1\0", 22),
       "", "\nBadly formed MIDI file score.txt: chunk runs past the end of "
           "the file at byte 14.\n"},
      {"line 50,000 of a million", far_out, "",
       "\nNumber out of range in line 50000 of the MIDI text file.\n"},
      {"ulimit -f", long_score(200000), "ulimit -f 100; ",
       "\n Can't write score output notes.txt\n"},
  };
  for (const Row& row : rows) {
    if (!row.prefix.empty() && !unix_build()) continue;
    TempDir dir;
    dir.write("score.txt", row.score);
    dir.write("notes.txt", kOld);
    const Outcome r = run_morvane(dir, "score.txt notes.txt", "", "notes.txt",
                                  row.prefix);
    EXPECT_EQ(r.status, 1) << row.what;
    EXPECT_EQ(r.err, row.err) << row.what;
    EXPECT_EQ(r.notes, kOld) << row.what;
    EXPECT_EQ(dir.names(), "notes.txt score.txt ") << row.what;
  }
}

// Starts `morvane score.txt notes.txt` in dir with the signals a terminal
// would deliver at their defaults (a shell's background job ignores them).
pid_t start_morvane(const TempDir& dir, const std::string& score) {
  const std::string command = "cd '" + dir.dir().string() + "' && exec " +
                              morvane_command() + " " + score +
                              " notes.txt >/dev/null 2>&1";
  const pid_t child = fork();
  if (child == 0) {
    for (const int s : {SIGINT, SIGTERM, SIGHUP}) signal(s, SIG_DFL);
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return child;
}

// Ctrl-C, SIGTERM and SIGHUP while the score is read (from a FIFO that is
// still being written, so the run is surely there), and at moments through
// a long run: the old list stays, or the run was done and the list is
// whole; no temporary file stays. SIGKILL may leave one, never a damaged
// list.
TEST(EndToEndOutput, AnInterruptedRunLeavesTheOldList) {
  if (!unix_build()) GTEST_SKIP() << "POSIX signals and FIFOs";
  const std::string score = long_score(400000);
  std::string whole;
  {
    TempDir dir;
    dir.write("score.txt", score);
    whole = run_morvane(dir, "score.txt notes.txt").notes;
  }
  for (const int sig : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
    for (const int delay_ms : {-1, 10, 60, 150}) {
      TempDir dir;
      dir.write("notes.txt", kOld);
      int fifo = -1;
      pid_t child;
      if (delay_ms < 0) {
        ASSERT_EQ(mkfifo(dir.path("score.txt").c_str(), 0600), 0);
        fifo = open(dir.path("score.txt").c_str(), O_RDWR);
        ASSERT_EQ(write(fifo, score.data(), 4096), 4096);
        child = start_morvane(dir, "score.txt");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
      } else {
        dir.write("score.txt", score);
        child = start_morvane(dir, "score.txt");
        std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms));
      }
      kill(child, sig);
      int status = 0;
      waitpid(child, &status, 0);
      if (fifo >= 0) close(fifo);
      const std::string where = std::to_string(sig) + " after " +
                                std::to_string(delay_ms) + " ms, status " +
                                std::to_string(status);
      const std::string notes = read_file(dir.path("notes.txt"));
      if (WIFSIGNALED(status)) {
        EXPECT_EQ(WTERMSIG(status), sig) << where;
        // The old list, or the new one whole when the signal came after the
        // run had replaced it.
        EXPECT_TRUE(notes == kOld || notes == whole) << where;
        if (sig != SIGKILL) {
          EXPECT_EQ(dir.names(), "notes.txt score.txt ") << where;
        }
      } else {
        EXPECT_GE(delay_ms, 0) << where << ": a run reading a FIFO finished";
        EXPECT_EQ(WEXITSTATUS(status), 0) << where;
        EXPECT_EQ(notes, whole) << where;
      }
    }
  }
}

// Two runs writing one name at once leave one of the two lists, whole.
TEST(EndToEndOutput, TwoRunsAtOnceLeaveOneWholeList) {
  TempDir dir, other;
  dir.write("a.txt", long_score(100000));
  other.write("b.txt", long_score(3000));
  const std::string b_args = "b.txt '" + dir.path("notes.txt") + "'";
  run_morvane(other, b_args);
  const std::string b = read_file(dir.path("notes.txt"));
  run_morvane(dir, "a.txt notes.txt");
  const std::string a = read_file(dir.path("notes.txt"));
  ASSERT_NE(b.size(), a.size());
  for (int round = 0; round < 6; ++round) {
    std::thread b_run([&] { run_morvane(other, b_args); });
    run_morvane(dir, "a.txt notes.txt");
    b_run.join();
    const std::string notes = read_file(dir.path("notes.txt"));
    EXPECT_TRUE(notes == a || notes == b) << "round " << round;
  }
  EXPECT_EQ(dir.names(), "a.txt notes.txt ");
}

// Where the list goes when its name is not a plain new file.
TEST(EndToEndOutput, WhereTheListGoes) {
  if (!unix_build()) GTEST_SKIP() << "links, modes and shell redirections";
  const std::string score = "MFile 1 1 96\nMTrk\n0 Meta TrkName A\n"
                            "0 On ch=1 n=60 v=90\n96 On ch=1 n=60 v=0\n";
  const std::string list =
      "// MORVANE file.\n// Instrument A \n0.000 \t0\t60\t90\t1.000\n";
  TempDir dir;
  dir.write("score.txt", score);

  // A link stays a link, and the file it names gets the list with the old
  // file's permission bits.
  dir.write("real.txt", kOld);
  chmod(dir.path("real.txt").c_str(), 0640);
  std::filesystem::create_symlink("real.txt", dir.path("link.txt"));
  EXPECT_EQ(run_morvane(dir, "score.txt link.txt").status, 0);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path("link.txt")));
  EXPECT_EQ(read_file(dir.path("real.txt")), list);
  struct stat info;
  ASSERT_EQ(stat(dir.path("real.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);

  // The console's own file, with > and >>, and a pipe: the console and the
  // list follow one another, and nothing a >> file held is lost.
  struct Row {
    std::string redirect;
    std::string before;
  };
  const Row rows[] = {{">", ""}, {">>", "a line before\n"}};
  for (const Row& row : rows) {
    dir.write("out.txt", row.before);
    const Outcome r = run_morvane(
        dir, "score.txt /dev/stdout " + row.redirect + " out.txt", "", "out.txt");
    EXPECT_EQ(r.status, 0) << row.redirect;
    EXPECT_EQ(r.notes, row.before + banner() +
                           "Instruments: A \nNumber of lines in array 2\n"
                           "\n Writing data to '/dev/stdout'\n" + list)
        << row.redirect;
  }
  const Outcome piped = run_morvane(
      dir, "score.txt /dev/stdout | tail -n 1 > tail.txt", "", "tail.txt");
  EXPECT_EQ(piped.notes, "0.000 \t0\t60\t90\t1.000\n");

  // A folder, and a file we may not write, are refused as ever.
  std::filesystem::create_directory(dir.path("folder"));
  EXPECT_EQ(run_morvane(dir, "score.txt folder").err,
            "\n Can't open folder for score output\n");
  dir.write("locked.txt", kOld);
  chmod(dir.path("locked.txt").c_str(), 0444);
  chmod(dir.dir().c_str(), 0777);
  // Root writes any file: the check runs as a user without rights.
  const std::string as_user =
      geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups "
                     : "";
  const Outcome locked =
      run_morvane(dir, "score.txt locked.txt", "", "locked.txt", as_user);
  EXPECT_EQ(locked.err, "\n Can't open locked.txt for score output\n");
  EXPECT_EQ(locked.notes, kOld);

  // A folder the run may not write in, holding a list it may: written in
  // place, and left as it was by a score refused before the writing.
  std::filesystem::create_directory(dir.path("shut"));
  dir.write("shut/notes.txt", kOld);
  chmod(dir.path("shut/notes.txt").c_str(), 0666);
  chmod(dir.path("shut").c_str(), geteuid() == 0 ? 0755 : 0555);
  dir.write("bad.txt", "MFile 1 1 0\n");
  EXPECT_EQ(
      run_morvane(dir, "bad.txt shut/notes.txt", "", "shut/notes.txt", as_user)
          .notes,
      kOld);
  EXPECT_EQ(
      run_morvane(dir, "score.txt shut/notes.txt", "", "shut/notes.txt", as_user)
          .notes,
      list);
  chmod(dir.path("shut").c_str(), 0755);

  // Closed standard streams: the failure's message goes nowhere, not into
  // the list, which stays as it was.
  dir.write("notes.txt", kOld);
  const Outcome closed =
      run_morvane(dir, "bad.txt notes.txt <&- >&- 2>&-", "", "notes.txt");
  EXPECT_EQ(closed.status, 1);
  EXPECT_EQ(closed.notes, kOld);
}

// The calls that put a list on the disk, as strace sees them: each a name,
// and the file it flushes relative to dir (the temporary file's draw
// masked), in order.
std::string flushes_and_renames(const std::string& trace, const TempDir& dir) {
  std::string calls;
  std::istringstream lines(trace);
  for (std::string line; std::getline(lines, line);) {
    // After the process number, which strace pads with blanks.
    const std::size_t name = line.find_first_not_of(' ', line.find(' '));
    const std::size_t open = line.find('(', name);
    calls += line.substr(name, open - name);
    const std::size_t path = line.find('<', open);
    if (path != std::string::npos && path < line.find(')', open)) {
      std::string file = std::filesystem::path(line.substr(
          path + 1, line.find('>', path) - path - 1)).lexically_relative(
              dir.dir()).string();
      // A temporary file's name goes on after ".morvane-" with the
      // process id and six drawn characters.
      const std::size_t mark = file.rfind(".morvane-");
      const bool temporary = mark != std::string::npos && mark > 0 &&
                             file.find('/', mark) == std::string::npos &&
                             file.size() > mark + 9;
      if (temporary) file.resize(mark + 9);
      calls += "(" + file + (temporary ? "*)" : ")");
    }
    calls += ' ';
  }
  return calls;
}

// With --sync the list reaches the disk before the rename and its folder
// after it; without it nothing is flushed. A device keeps nothing to flush,
// the console's own file is flushed in place.
TEST(EndToEndOutput, SyncFlushesTheListThenItsFolder) {
  if (!unix_build()) GTEST_SKIP() << "strace";
  if (!std::filesystem::exists("/usr/bin/strace")) GTEST_SKIP() << "no strace";
  TempDir dir, traces;
  dir.write("score.txt", long_score(10));
  dir.write("large.txt", long_score(70000));  // two threads, pwrite
  std::filesystem::create_directory(dir.path("sub"));
  const std::string trace = traces.path("trace");
  // The leak checker of a sanitized build refuses to run under ptrace.
  const std::string strace =
      "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 "
      "strace -f -y -qq -o '" + trace +
      "' -e trace=fsync,fdatasync,rename,renameat,renameat2 ";
  const std::string synced = "fdatasync(.notes.txt.morvane-*) rename fsync(.) ";
  const struct {
    std::string args;
    std::string notes;  // the list's name, read back
    std::string calls;
  } rows[] = {
      {"score.txt notes.txt", "notes.txt", "rename "},
      {"large.txt notes.txt", "notes.txt", "rename "},
      {"--sync score.txt notes.txt", "notes.txt", synced},
      {"-q --sync large.txt notes.txt", "notes.txt", synced},
      {"--sync -a score.txt sub/notes.txt", "sub/notes.txt",
       "fdatasync(sub/.notes.txt.morvane-*) rename fsync(sub) "},
      {"--sync score.txt /dev/null", "", ""},
      {"--sync score.txt /dev/stdout", ".morvane-run/out",
       "fdatasync(.morvane-run/out) "},
  };
  for (const auto& row : rows) {
    const Outcome r = run_morvane(dir, row.args, "", row.notes, strace);
    EXPECT_EQ(r.status, 0) << row.args;
    EXPECT_EQ(flushes_and_renames(read_file(trace), dir), row.calls)
        << row.args;
  }
  // A folder that cannot be opened to be flushed fails the run before the
  // name changes. Root opens any folder: the check runs as a user.
  chmod(dir.write("sub/notes.txt", kOld).c_str(), 0666);
  chmod(dir.dir().c_str(), 0777);
  chmod(dir.path("sub").c_str(), 0333);
  const Outcome r = run_morvane(
      dir, "--sync score.txt sub/notes.txt", "", "sub/notes.txt",
      geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups "
                     : "");
  chmod(dir.path("sub").c_str(), 0755);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "\n Can't write score output sub/notes.txt\n");
  EXPECT_EQ(r.notes, kOld);
  // No temporary file beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path("sub")),
                          std::filesystem::directory_iterator()),
            1);
}

}  // namespace
}  // namespace morvane::testing
