// morvane-roll: draws a note list as an SVG piano roll.
//
//   morvane-roll notes.txt roll.svg
//   morvane-roll --help | --version

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <new>
#include <sstream>
#include <string>

#include "roll/note_list.h"
#include "roll/piano_roll.h"

namespace {

constexpr const char* kUsage = "Usage: morvane-roll notes.txt roll.svg\n";

constexpr const char* kHelp =
    "\n"
    "Draws a note list, as morvane writes it, as an SVG piano roll: time in\n"
    "beats from left to right, keys from low to high, a rectangle per note\n"
    "coloured by channel. Prints a summary of the notes on standard output.\n"
    "\n"
    "  -h, --help     show this help\n"
    "      --version  show the version\n"
    "\n"
    "The manual: man morvane-roll\n";

int roll(int argc, char** argv) {
  // A single argument cannot be a run, so it is an option or a mistake.
  if (argc == 2) {
    const std::string option = argv[1];
    if (option == "--help" || option == "-h") {
      std::cout << kUsage << kHelp;
      return 0;
    }
    if (option == "--version") {
      std::cout << "morvane-roll " MORVANE_VERSION "\n";
      return 0;
    }
  }
  if (argc != 3) {
    std::cerr << kUsage;
    return 1;
  }
  const std::string in_name = argv[1], out_name = argv[2];
  std::ifstream in(in_name, std::ios::binary);
  if (!in) {
    std::cerr << "morvane-roll: can't open " << in_name << "\n";
    return 1;
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) {
    std::cerr << "morvane-roll: can't read " << in_name << "\n";
    return 1;
  }
  morvane::NoteList list;
  morvane::NoteListError error;
  if (!morvane::parse_note_list(bytes.str(), list, error)) {
    std::cerr << "morvane-roll: " << in_name << " line " << error.line << ": "
              << error.reason << "\n";
    return 1;
  }
  morvane::RollSummary summary;
  const std::string svg = morvane::draw_piano_roll(list, summary);
  std::ofstream out(out_name, std::ios::binary);
  out << svg;
  out.close();
  if (!out) {
    std::cerr << "morvane-roll: can't write " << out_name << "\n";
    return 1;
  }
  std::cout << morvane::describe(summary);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return roll(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fputs("morvane-roll: out of memory\n", stderr);
    return 1;
  }
}
