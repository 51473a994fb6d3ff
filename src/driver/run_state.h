// The run state: everything one translation shares between its stages.
//
// A run goes once through banner, names, open, read, order, durations and
// write. Each stage reads and writes the fields below instead of passing
// arguments, so a test can stop after any stage and look at what it left.
// The struct owns every buffer of the run; nothing else in the program is
// global, and a failure anywhere ends the run by throwing RunFailure, which
// only the process entry (or a test) catches.
//
// Example, in-process:
//   std::ostringstream out, err;
//   std::istringstream keys;
//   RunState state(out, err, keys);
//   int status = run_translation(state, {"morvane", "score.txt", "notes.txt"});

#ifndef MORVANE_DRIVER_RUN_STATE_H_
#define MORVANE_DRIVER_RUN_STATE_H_

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace morvane {

class LineSource;
class NoteListFile;

// One event of a named track: a line of the score with its four numbers.
// Velocity 0 marks the end of a note; above 0 a start; below 0 is carried
// through and printed in ticks.
struct EventRecord {
  int32_t time_ticks = 0;
  int32_t channel = 0;  // counted from 1, as the score writes ch=
  int32_t note = 0;
  int32_t velocity = 0;
};

// Events in input order (after sort_by_time, in time order), 1-based: slot 0
// holds no event, so the events stand in slots 1 .. count() - 1 and count()
// is the number of events plus 1. Records are stored inline and the table
// grows geometrically, so appending is amortized O(1).
struct EventTable {
  std::vector<EventRecord> slots;

  EventTable() = default;
  EventTable(const EventTable&) = delete;
  EventTable& operator=(const EventTable&) = delete;

  std::size_t count() const { return slots.size(); }
  std::size_t events() const { return slots.empty() ? 0 : slots.size() - 1; }
};

// Working arrays of the analysis, indexed like the event table. After
// sort_by_time: time in ticks and channel of each slot. After
// compute_durations, for every note start (velocity above 0): start and
// duration in beats; other slots keep ticks and channel, which is what the
// writer prints for a negative velocity. The note and velocity of each event
// stay in the records, which hold the same single-precision round trip.
struct NoteArrays {
  std::vector<float> time;     // ticks, then start in beats
  std::vector<float> channel;  // channel, then duration in beats
};

// Where a test may make an allocation fail, to see its message and status.
enum class FailPoint {
  none,
  table_create,
  table_grow,
  time_array,
  channel_array,
};

// Carries the exit status of a failed run to the process entry. The message
// has been written before it is thrown.
struct RunFailure {
  int status;
};

struct RunState {
  RunState(std::ostream& console_out, std::ostream& console_err,
           std::istream& keyboard);
  ~RunState();
  RunState(const RunState&) = delete;
  RunState& operator=(const RunState&) = delete;

  std::ostream& out;       // banner, prompt, progress, memory messages
  std::ostream& err;       // usage, file and input-shape messages
  std::istream& keyboard;  // the reply with the note-list name

  std::string input_name;
  std::string output_name;
  std::unique_ptr<LineSource> input;
  std::unique_ptr<NoteListFile> output;

  int32_t division = 0;  // ticks per quarter note, from the header line
  EventTable table;
  NoteArrays arrays;

  FailPoint fail_at = FailPoint::none;  // test hook; none in a real run
};

}  // namespace morvane

#endif  // MORVANE_DRIVER_RUN_STATE_H_
