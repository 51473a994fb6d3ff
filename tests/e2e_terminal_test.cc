// A person at a terminal: morvane runs on a real pseudo-terminal, the name
// of the note list is typed only once the prompt is on the screen, with a
// typing error rubbed out by the terminal's own erase key.

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include <gtest/gtest.h>

#include "e2e_support.h"

namespace morvane::testing {
namespace {

// Reads what the terminal shows until want appears, the program closes the
// terminal, or the time runs out.
void read_screen(int terminal, std::string& screen, const std::string& want) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (want.empty() || screen.find(want) == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return;
    pollfd ready{terminal, POLLIN, 0};
    if (poll(&ready, 1, static_cast<int>(left.count())) <= 0) return;
    char bytes[4096];
    const ssize_t got = read(terminal, bytes, sizeof bytes);
    if (got <= 0) return;  // the program has ended
    screen.append(bytes, static_cast<std::size_t>(got));
  }
}

void type(int terminal, const std::string& keys) {
  ASSERT_EQ(write(terminal, keys.data(), keys.size()),
            static_cast<ssize_t>(keys.size()));
}

TEST(EndToEndTerminal, NoteListNamedAtTheKeyboard) {
  if (testing_windows_build()) GTEST_SKIP() << "needs a Unix terminal";
  TempDir dir;
  dir.write("score.txt",
            "MFile 1 2 480\nMTrk\n0 Meta TrkName Flute\n0 On ch=1 n=72 v=80\n"
            "480 On ch=1 n=72 v=0\n");
  const std::string command = morvane_command() + " score.txt";
  int terminal = -1;
  const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (chdir(dir.dir().c_str()) != 0) _exit(126);
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  std::string screen;
  read_screen(terminal, screen, "Name of score for output?\t");
  EXPECT_NE(screen.find("Name of score for output?\t"), std::string::npos)
      << "the prompt did not reach the screen before the reply:\n" << screen;

  termios settings{};
  ASSERT_EQ(tcgetattr(terminal, &settings), 0);
  type(terminal, "notez");
  type(terminal, std::string(1, static_cast<char>(settings.c_cc[VERASE])));
  type(terminal, "s.txt\r");
  read_screen(terminal, screen, "");
  close(terminal);

  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << screen;
  EXPECT_NE(screen.find("Writing data to 'notes.txt'"), std::string::npos)
      << screen;
  EXPECT_EQ(read_file(dir.path("notes.txt")),
            "// MORVANE file.\n// Instrument Flute \n"
            "0.000 \t0\t72\t80\t1.000\n");
}

}  // namespace
}  // namespace morvane::testing
