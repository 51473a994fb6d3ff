#include "driver/banner.h"

#include <string>

#include "driver/console.h"

namespace morvane {

void print_banner(RunState& state) {
  std::string text = "\n\t\t     ";
  text += kVersion;
  text +=
      "\n"
      "\t\t* * * * * * * * * * * * * * * * *\n"
      "\t\t* Stavenor to Corvanthelumbra   *\n"
      "\t\t*     Score Translator          *\n"
      "\t\t*            2004               *\n"
      "\t\t* * * * * * * * * * * * * * * * *\n";
  say(state, text);
}

void print_usage(RunState& state) {
  complain(state, "Usage: morvane score.txt notelst.txt\n");
}

}  // namespace morvane
