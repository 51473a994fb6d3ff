// The Python module's translations, in plain C++: no Python object is
// touched here, so all of it runs with the interpreter's lock released.
//
// Both go through translate() (driver/translate.h), the note list kept in
// memory or written to its file exactly as `morvane` writes it. The result
// keeps, besides the text, what the run state held when the run ended: the
// instruments, each note line's unrounded numbers with its track and times
// in seconds, the tracks' names and the tempo map.
//
// Example:
//   ScoreRun r = translate_score(ScoreSource::file("song.mid"), false);
//   if (r.failure == FailureKind::none) use(r.rows);

#ifndef MORVANE_PYTHON_SCORE_RUN_H_
#define MORVANE_PYTHON_SCORE_RUN_H_

#include <cstdint>
#include <string>
#include <vector>

#include "driver/run_state.h"
#include "tempo_map.h"

namespace morvane::python {

// The names a score given as bytes, and a note list kept in memory, have
// in the console: neither can be taken for a file's name.
inline constexpr char kBytesScoreName[] = "<bytes>";
inline constexpr char kMemoryListName[] = "<memory>";

// One note line of the list, with the numbers it was formatted from: start
// and duration in beats (a line of negative velocity: its time in ticks and
// its channel number), channel counted from 0 (64 bits: a channel of
// -2^31 is written as -2^31 - 1), key and velocity. Then what the list does
// not say: the file's track the note was read in (counted from 0, 64 bits
// so that a row has no padding), and its start and duration in seconds by
// the tempo map, from its ticks and its end's (a line of negative velocity:
// its time, and 0).
struct NoteRow {
  double start;
  double duration;
  int64_t channel;
  int32_t key;
  int32_t velocity;
  int64_t track;
  double start_seconds;
  double duration_seconds;
};

// Where a score comes from: a file's name, or bytes held in memory.
struct ScoreSource {
  std::string name;  // the file, or kBytesScoreName
  std::string bytes;
  bool in_memory = false;

  static ScoreSource file(std::string name) { return {std::move(name), {}, false}; }
  static ScoreSource memory(std::string bytes) {
    return {kBytesScoreName, std::move(bytes), true};
  }
};

struct ScoreRun {
  int status = 0;
  // How a failure came about, as the run set it (driver/translate.h).
  FailureKind failure = FailureKind::none;
  int error_number = 0;  // the system's, where it gave one
  std::string console;   // standard output, then standard error
  std::string message;   // the failure's message, without the blank lines
  // The list's bytes, as this run wrote them (never read back from a file,
  // which another writer may have replaced since).
  std::string note_list;
  std::vector<std::string> instruments;
  std::vector<NoteRow> rows;
  // A track's first name event's text ("" for none), a string a track.
  std::vector<std::string> track_names;
  std::vector<TempoPoint> tempo_map;
  int32_t format = 0;
  int32_t division = 0;
  uint64_t passed_over = 0;
};

// `morvane SCORE <memory>`, with the note list kept in note_list.
ScoreRun translate_score(ScoreSource source, bool all_tracks);

// `morvane SCORE destination`, as the command runs it.
ScoreRun write_score_list(ScoreSource source, const std::string& destination,
                          bool all_tracks, bool sync);

// The note lines of the state a run left, in the list's order; empty when
// the run did not get as far as ordering them. The score map must have
// been noted; map is its tempo map.
std::vector<NoteRow> note_rows(const RunState& state, const TempoMap& map);

}  // namespace morvane::python

#endif  // MORVANE_PYTHON_SCORE_RUN_H_
