#include "driver/console.h"

#include <ostream>

namespace morvane {

void say(RunState& state, std::string_view text) {
  if (!state.quiet) say_always(state, text);
}

void say_always(RunState& state, std::string_view text) {
  state.out << text;
  state.out.flush();
}

void say_memory(RunState& state, std::string_view text) {
  if (state.quiet) {
    complain(state, text);
  } else {
    say_always(state, text);
  }
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
  say_memory(state, text);
  throw RunFailure{status};
}

}  // namespace morvane
