// morvane-roll: draws a note list as an SVG piano roll.
//
//   morvane-roll notes.txt roll.svg

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

int roll(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "Usage: morvane-roll notes.txt roll.svg\n";
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
