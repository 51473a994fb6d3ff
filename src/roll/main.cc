// morvane-roll: draws a note list, or a score as morvane would translate
// it, as an SVG piano roll.
//
//   morvane-roll [--all-tracks] song.mid [roll.svg]
//   morvane-roll --help | --version

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#if defined(__unix__)
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "roll/note_list.h"
#include "roll/piano_roll.h"
#include "roll/roll_input.h"
#include "writer/output_file.h"
#include "writer/pending_files.h"

namespace {

namespace fs = std::filesystem;

// Whether name is the file standard output writes (/dev/stdout, or the
// file it is redirected to).
bool picture_is_standard_output(const std::string& name) {
#if defined(__unix__)
  struct stat picture, out;
  return ::stat(name.c_str(), &picture) == 0 &&
         ::fstat(STDOUT_FILENO, &out) == 0 &&
         picture.st_dev == out.st_dev && picture.st_ino == out.st_ino;
#else
  return name == "CON";
#endif
}

constexpr const char* kUsage =
    "Usage: morvane-roll [--all-tracks] score-or-notes [picture.svg]\n";

constexpr const char* kHelp =
    "\n"
    "Draws a note list, as morvane writes it, as an SVG piano roll: time in\n"
    "beats from left to right, keys from low to high, a rectangle per note\n"
    "coloured by channel. A score (a MIDI text file or a standard MIDI file)\n"
    "is drawn as the note list morvane would write for it. Prints a summary\n"
    "of the notes on standard output (on standard error when the picture\n"
    "goes to standard output).\n"
    "\n"
    "Without picture.svg the picture is the input's name with .svg in place\n"
    "of its extension (song.mid gives song.svg), beside it. The picture\n"
    "replaces its file whole, or leaves it as it was; it never replaces the\n"
    "input.\n"
    "\n"
    "  -a, --all-tracks  a score's tracks without a name are drawn too\n"
    "  -h, --help        show this help\n"
    "      --version     show the version\n"
    "\n"
    "The manual: man morvane-roll\n";

void complain(const std::string& text) {
  std::cerr << "morvane-roll: " << text << "\n";
}

bool is_file(const std::string& name) {
  std::error_code error;
  return fs::exists(name, error);
}

// The same file, however named: links and other spellings count too.
bool is_same_file(const std::string& a, const std::string& b) {
  std::error_code error;
  return fs::equivalent(a, b, error) && !error;
}

// The picture of input when none is named: its extension replaced by .svg,
// or .svg added where it has that one already.
std::string default_picture(const std::string& input) {
  fs::path picture = input;
  if (picture.extension() == ".svg") return input + ".svg";
  return picture.replace_extension(".svg").string();
}

// Writes svg as file's name, whole or not at all; false if that failed.
bool write_picture(const std::string& svg,
                   std::unique_ptr<morvane::OutputFile> file) {
  if (file->append(svg) && file->commit()) return true;
  file->abandon();
  return false;
}

int draw(bool all_tracks, const std::string& in_name, std::string out_name) {
  morvane::RollInput input = morvane::open_roll_input(in_name);
  if (input.file.source == nullptr) {
    complain("can't open " + in_name);
    return 1;
  }
  if (out_name.empty()) {
    std::error_code error;
    if (!fs::is_regular_file(in_name, error)) {
      complain(in_name + " is not a regular file: name the picture");
      return 1;
    }
    out_name = default_picture(in_name);
  }
  if (is_same_file(in_name, out_name)) {
    complain("can't use " + out_name + " for the picture: it is the input");
    return 1;
  }
  // Opened before the long work, so that a picture that cannot be written
  // is told at once.
  std::unique_ptr<morvane::OutputFile> out =
      morvane::open_output_file(out_name);
  if (out == nullptr) {
    complain("can't write " + out_name);
    return 1;
  }
  morvane::NoteList list;
  const morvane::InputRead read =
      morvane::read_roll_input(std::move(input), in_name, all_tracks, list);
  if (read.status != 0) {
    complain(read.message);
    return read.status;
  }
  morvane::RollSummary summary;
  if (!write_picture(morvane::draw_piano_roll(list, summary), std::move(out))) {
    complain("can't write " + out_name);
    return 1;
  }
  // A picture sent down standard output keeps it to itself.
  (picture_is_standard_output(out_name) ? std::cerr : std::cout)
      << morvane::describe(summary);
  if (!read.message.empty()) {
    std::cout.flush();
    complain(read.message);
  }
  return 0;
}

int roll(const std::vector<std::string>& args) {
  if (args.size() == 1) {
    if (args[0] == "--help" || args[0] == "-h") {
      std::cout << kUsage << kHelp;
      return 0;
    }
    if (args[0] == "--version") {
      std::cout << "morvane-roll " MORVANE_VERSION "\n";
      return 0;
    }
  }
  // An option only where it names no file, as morvane takes it.
  const bool all_tracks = !args.empty() &&
                          (args[0] == "--all-tracks" || args[0] == "-a") &&
                          !is_file(args[0]);
  const std::size_t names = args.size() - (all_tracks ? 1 : 0);
  if (names < 1 || names > 2) {
    std::cerr << kUsage;
    return 1;
  }
  const std::string& in_name = args[all_tracks ? 1 : 0];
  return draw(all_tracks, in_name, names == 2 ? args.back() : "");
}

}  // namespace

int main(int argc, char** argv) {
  // A picture being written is a temporary file until it is whole: a
  // signal removes it, and a full disk or a closed pipe is a failed write.
  morvane::set_up_signals_for_note_lists();
  try {
    return roll(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::bad_alloc&) {
    std::fputs("morvane-roll: out of memory\n", stderr);
    return 1;
  }
}
