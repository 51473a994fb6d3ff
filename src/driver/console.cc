#include "driver/console.h"

#include <ostream>
#include <string>
#include <utility>

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

void fail(RunState& state, FailureKind kind, std::string_view text,
          std::string name, int error_number) {
  complain(state, text);
  throw RunFailure{1, kind, error_number, std::move(name), std::string(text)};
}

void fail_on_out(RunState& state, std::string_view text) {
  say_memory(state, text);
  throw RunFailure{1, FailureKind::out_of_memory, 0, {}, std::string(text)};
}

}  // namespace morvane
