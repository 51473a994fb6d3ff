// One translation, asked for with values and answered with a value: the one
// way into the translator for the command, the batch, the Python module, the
// web page and the tests. The console text is the command's, byte for byte
// (the banner aside, which the command prints before it reads its options);
// what a caller acts on is in the result, set where it happened, so no
// caller reads the console's text or makes up a command line.
//
//   RunState state(out, err, keys);
//   TranslationRequest request;
//   request.score = "song.mid";
//   request.notes = "song.notes";
//   const RunResult result = translate(state, std::move(request));
//   if (result.kind == FailureKind::score_not_opened) ... result.error_number

#ifndef MORVANE_DRIVER_TRANSLATE_H_
#define MORVANE_DRIVER_TRANSLATE_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "driver/run_state.h"
#include "reader/open_score.h"

namespace morvane {

struct TranslationRequest {
  // The score's file, or the name its bytes go by in messages (opened).
  std::string score;
  // A score already opened (bytes held in memory); else score is opened.
  OpenedScore opened;
  // The note list's file; none: asked for at the keyboard, as the command
  // does when only the score is named.
  std::optional<std::string> notes;
  // Where set, the list is kept here instead of a file, and *notes is only
  // its name in messages.
  std::string* notes_in_memory = nullptr;
  // Where set, a copy of every byte the list's file gets, kept from the run
  // itself: another writer of the same name cannot change it.
  std::string* notes_copy = nullptr;
  // Every track with notes is an instrument, named or not.
  bool all_tracks = false;
  // Nothing on standard output but what was asked for (RunState::quiet).
  bool quiet = false;
  // The note list reaches the disk before the run ends (RunState::sync).
  bool sync = false;
  // The readers note where each track begins, its first name and the Tempo
  // events (RunState::score_map), for callers that give times in seconds.
  bool note_score_map = false;
};

// How a translation ended. On success the counts; on failure its kind, the
// system's error number where there is one (else 0), the file it concerns
// (else empty) and the message exactly as the console shows it.
struct RunResult {
  int status = 0;  // the command's exit status
  FailureKind kind = FailureKind::none;
  int error_number = 0;
  std::string name;
  std::string message;
  uint64_t events = 0;        // events read into the table
  uint64_t note_lines = 0;    // lines of the note list after its header
  uint64_t instruments = 0;   // instrument lines of the note list
  uint64_t passed_over = 0;   // note starts outside every named track
};

// The message without the line feeds and blanks the console has around it
// ("Can't open x.mid as input score"), for surfaces that show it alone.
std::string bare_message(const RunResult& result);

// Settles the names (asking at state.keyboard when request.notes is none),
// opens the score and the note list, runs every stage, and replaces the
// list whole, or on a failure leaves the old one as it was. Writes the
// command's console to state.out and state.err. Catches every failure of
// the run; the caller may look at the state afterwards.
RunResult translate(RunState& state, TranslationRequest request);

// Reads state.input with the reader of its kind: the first stage, for tests
// and benchmarks that run the stages one at a time. Throws RunFailure.
void read_score(RunState& state);

// Runs body as translate() runs a translation, for tests and benchmarks that
// run the stages one at a time: returns how it ended (status 0 when body
// returned), and closes the note list, or on a failure abandons it.
RunFailure run_guarded(RunState& state, const std::function<void()>& body);

}  // namespace morvane

#endif  // MORVANE_DRIVER_TRANSLATE_H_
