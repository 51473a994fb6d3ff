// Runs the morvane command as a user would, in a scratch folder, and
// collects everything it left: status, both console streams, the note list.
//
// The command under test is MORVANE_COMMAND when set (for example
// "wine64 /path/morvane.exe"), else the morvane that the build made. For a
// Windows build, line ends CR LF are read back as LF.

#ifndef MORVANE_TESTS_E2E_SUPPORT_H_
#define MORVANE_TESTS_E2E_SUPPORT_H_

#include <string>

#include "test_common.h"

namespace morvane::testing {

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
  bool notes_exist = false;
  std::string notes;
};

// The command under test.
std::string morvane_command();

// True when the command under test is a Windows executable.
bool testing_windows_build();

// Runs the command in dir with args (shell words, quoted by the caller),
// keys on standard input through a pipe, and reads the note list notes_name back. prefix
// goes before the command (to run it as another user, say).
Outcome run_morvane(const TempDir& dir, const std::string& args,
                    const std::string& keys = "",
                    const std::string& notes_name = "notes.txt",
                    const std::string& prefix = "");

// Like run_morvane, with both console streams in one, in writing order.
std::string run_morvane_merged(const TempDir& dir, const std::string& args);

}  // namespace morvane::testing

#endif  // MORVANE_TESTS_E2E_SUPPORT_H_
