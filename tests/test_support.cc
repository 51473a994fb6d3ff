#include "test_support.h"

#include <sstream>
#include <string>

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

std::string random_score_line(std::mt19937& random) {
  auto pick = [&random](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  const std::string t = std::to_string(pick(0, 3) == 0 ? 0 : pick(0, 5000));
  switch (pick(0, 19)) {
    case 0: return "0 Meta TrkName Part " + std::to_string(pick(1, 9)) + "\n";
    case 1: return "0 Meta TrkName\n";  // keeps the first word of the last
    case 2: return "0 Meta SeqName Whole Song\n";
    case 3: return t + " Meta TrkEnd\n";
    case 4: return "MTrk\n";
    case 5: return "TrkEnd\n";
    case 6: return t + " On ch=" + std::to_string(pick(1, 3)) + "\n";
    case 7: return t + " On ch=1 n=" + std::to_string(pick(58, 62)) + "\n";
    case 8: return t + " Par ch=" + std::to_string(pick(1, 3)) + " c=7 v=90\n";
    case 9: return "99999999999 On ch=1 n=60 v=9\n";  // out of range
    case 10: return t + " Meta Text \"a b\"\n";
    case 11: return t + std::string(" On\0ch=1 n=61 v=5\n", 18);  // " On"
    case 12: return t + " Off ch=1 n=" + std::to_string(pick(58, 62)) + " v=64\r\n";
    case 13: return "\n";
    // Note lines of the plain shape whose numbers do not fit a byte, or
    // are long, and one of another spacing.
    case 14: return t + " On ch=1 n=" + std::to_string(pick(254, 300)) + " v=9\n";
    case 15: return std::to_string(pick(0, 1) == 0 ? 123456789 : 1234567890) +
                    " Off ch=2 n=60 v=0\n";
    case 16: return t + " On  ch=1 n=60 v=" + std::to_string(pick(1, 9)) + "\n";
    default:
      return t + " On ch=" + std::to_string(pick(1, 3)) +
             " n=" + std::to_string(pick(58, 62)) +
             " v=" + std::to_string(pick(0, 2) == 0 ? 0 : pick(1, 127)) + "\n";
  }
}

}  // namespace morvane::testing
