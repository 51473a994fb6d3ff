// Whole runs in-process, with the console captured.

#ifndef MORVANE_TESTS_TEST_SUPPORT_H_
#define MORVANE_TESTS_TEST_SUPPORT_H_

#include <string>
#include <vector>

#include "driver/run_state.h"
#include "test_common.h"

namespace morvane::testing {

struct RunOutput {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the program in-process with the command line args (the program's
// name is added in front), keys as the keyboard, and an allocation made to
// fail at fail_at.
RunOutput run_in_process(const std::vector<std::string>& args,
                         const std::string& keys = "",
                         FailPoint fail_at = FailPoint::none);

}  // namespace morvane::testing

#endif  // MORVANE_TESTS_TEST_SUPPORT_H_
