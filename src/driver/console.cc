#include "driver/console.h"

#include <ostream>

namespace morvane {

void say(RunState& state, std::string_view text) {
  state.out << text;
  state.out.flush();
}

void complain(RunState& state, std::string_view text) {
  state.out.flush();
  state.err << text;
  state.err.flush();
}

void fail(RunState& state, std::string_view text, int status) {
  complain(state, text);
  throw RunFailure{status};
}

void fail_on_out(RunState& state, std::string_view text, int status) {
  say(state, text);
  throw RunFailure{status};
}

}  // namespace morvane
