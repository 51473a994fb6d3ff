#include "test_support.h"

#include <sstream>

#include "driver/run.h"

namespace morvane::testing {

RunOutput run_in_process(const std::vector<std::string>& args,
                         const std::string& keys, FailPoint fail_at,
                         const OverlapShape& overlap) {
  std::ostringstream out;
  std::ostringstream err;
  std::istringstream keyboard(keys);
  RunOutput result;
  {
    RunState state(out, err, keyboard);
    state.fail_at = fail_at;
    state.overlap = overlap;
    std::vector<std::string> command_line = {"morvane"};
    command_line.insert(command_line.end(), args.begin(), args.end());
    result.status = run(state, command_line);
  }
  result.out = out.str();
  result.err = err.str();
  return result;
}

}  // namespace morvane::testing
