// The process entry: hands the command line to run() and returns its status.

#include <iostream>
#include <string>
#include <vector>

#include "driver/run.h"
#include "driver/run_state.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  std::vector<std::string> args(argv, argv + argc);
  morvane::RunState state(std::cout, std::cerr, std::cin);
  return morvane::run(state, args);
}
