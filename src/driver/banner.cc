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

void print_help(RunState& state) {
  say_always(state,
      "\nUsage: morvane [-a] [-q] [--sync] score.txt notes.txt\n"
      "       morvane [-a] [-q] [--sync] score.txt    (asks for the note "
      "list's name)\n"
      "\n"
      "Translates a score, a MIDI text file or a standard MIDI file, into a\n"
      "Corvanthelumbra note list: a line per note of every named track, in\n"
      "time order, with start and duration in beats, channel, key and\n"
      "velocity.\n"
      "\n"
      "  -a, --all-tracks  every track with notes is an instrument\n"
      "  -q, --quiet       nothing on standard output but what is asked for;\n"
      "                    failures still on standard error\n"
      "      --sync        the note list on the disk before the run ends, so\n"
      "                    that after a power cut its name holds the old list\n"
      "                    or the new one, whole\n"
      "  -h, --help        show this help\n"
      "      --version     show the version\n"
      "\n"
      "Options come before the names, in any order. The note list alone into\n"
      "a pipeline:\n"
      "  morvane -q song.mid /dev/stdout | grep -v '^//'\n"
      "\n"
      "Names are used as typed; an option that names an existing file is a\n"
      "file. A failed or interrupted run leaves an earlier note list as it\n"
      "was (but for one written in place, where its folder takes no new\n"
      "file); a killed one leaves it or the new one, whole. Without --sync, a\n"
      "power cut soon after a run can leave the name holding an empty or cut\n"
      "list (a first list, XFS, ext4 mounted noauto_da_alloc; not a list\n"
      "that replaced a file on ext4 mounted as by default). The manual:\n"
      "man morvane\n");
}

void print_version(RunState& state) {
  say_always(state, std::string("morvane ") + MORVANE_VERSION + "\n");
}

}  // namespace morvane
