// The page's way into the translator: the one call every surface makes,
// with the note list kept in memory, and the same piano roll morvane-roll
// draws.
//
// From JavaScript:
//   const r = Module.translateScore("song.mid", bytes, false);
//   r.status, r.console (bytes), r.notes (bytes), r.notesKept,
//   r.passedOver, r.svg, r.summary

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cstdint>
#include <limits>
#include <new>
#include <sstream>
#include <string>
#include <utility>

#include "driver/banner.h"
#include "driver/run_state.h"
#include "driver/translate.h"
#include "reader/open_score.h"
#include "roll/note_list.h"
#include "roll/piano_roll.h"

namespace {

using emscripten::val;

// A browser lays out every mark of an inline picture as an element of the
// page: a million of them take it minutes. Above this many the page shows
// the summary and says how to get the picture.
constexpr std::size_t kMostMarks = 40000;

// A copy of bytes as a Uint8Array: the note list keeps the score's names
// byte for byte, which a JavaScript string would not.
val byte_array(const std::string& bytes) {
  const val view(emscripten::typed_memory_view(
      bytes.size(), reinterpret_cast<const uint8_t*>(bytes.data())));
  return val::global("Uint8Array").new_(view);
}

// "song.mid" -> "song.notes.txt": what the download is called.
std::string notes_name_for(const std::string& score_name) {
  const std::size_t dot = score_name.rfind('.');
  const std::string stem =
      dot == std::string::npos || dot == 0 ? score_name
                                           : score_name.substr(0, dot);
  return stem + ".notes.txt";
}

// What `morvane score_name notes_name` prints and writes, the list kept in
// notes.
struct PageRun {
  int status = 1;
  std::string console, notes;
  uint64_t passed_over = 0;
};

PageRun run_translation(const std::string& score_name, std::string bytes,
                        const std::string& notes_name, bool all_tracks) {
  PageRun page;
  std::ostringstream out, err;
  std::istringstream keys;
  morvane::RunState state(out, err, keys);
  // There is one thread in the page: never try for a second.
  state.overlap.min_events = std::numeric_limits<std::size_t>::max();
  morvane::print_banner(state);
  morvane::TranslationRequest request;
  request.score = score_name;
  request.opened = morvane::score_from_bytes(std::move(bytes));
  request.notes = notes_name;
  request.notes_in_memory = &page.notes;
  request.all_tracks = all_tracks;
  const morvane::RunResult run = morvane::translate(state, std::move(request));
  page.status = run.status;
  page.passed_over = run.passed_over;
  // Standard output is flushed before anything reaches standard error, so
  // one after the other is the order a terminal shows.
  page.console = out.str() + err.str();
  return page;
}

val translate_score(const std::string& score_name, const std::string& bytes,
                    bool all_tracks) {
  const std::string notes_name = notes_name_for(score_name);
  val result = val::object();
  PageRun t;
  try {
    t = run_translation(score_name, bytes, notes_name, all_tracks);
  } catch (const std::bad_alloc&) {
    t.status = 1;
    t.console = "\n Out of memory\n";
  }
  result.set("status", t.status);
  result.set("console", byte_array(t.console));
  result.set("notesName", notes_name);
  if (t.status != 0) return result;
  result.set("passedOver", static_cast<double>(t.passed_over));

  result.set("notes", byte_array(t.notes));
  // The roll is extra: a failure there, memory included, is told in its
  // place and leaves the note list shown.
  try {
    morvane::NoteList list;
    morvane::NoteListError error;
    if (!morvane::parse_note_list(t.notes, list, error)) {
      result.set("summary", "no piano roll: line " + std::to_string(error.line) +
                                ": " + error.reason + "\n");
      return result;
    }
    result.set("notesKept", static_cast<double>(list.notes.size()));
    morvane::RollSummary summary = morvane::summarize(list);
    if (summary.drawn <= kMostMarks) {
      result.set("svg", morvane::draw_piano_roll(list, summary));
    } else {
      result.set("rollTooLarge", "A piano roll of " +
                                     std::to_string(summary.drawn) +
                                     " marks is more than a page can show; "
                                     "morvane-roll draws it as a file.");
    }
    result.set("summary", morvane::describe(summary));
  } catch (const std::bad_alloc&) {
    result.set("summary", std::string("no piano roll: out of memory\n"));
  }
  return result;
}

}  // namespace

EMSCRIPTEN_BINDINGS(morvane) {
  emscripten::function("translateScore", &translate_score);
}
