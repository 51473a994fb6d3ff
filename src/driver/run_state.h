// The run state: everything one translation shares between its stages
// (banner, names, open, read, order, durations, write). Each stage reads and
// writes the fields below instead of passing arguments, so a test can stop
// after any stage and look at what it left. It owns every buffer of the
// run; nothing else is global. A failure anywhere ends the run by throwing
// RunFailure, which only run_guarded (driver/run.h) catches.
//
//   RunState state(out, err, keys);  // two ostreams and an istream
//   int status = run(state, {"morvane", "score.txt", "notes.txt"});

#ifndef MORVANE_DRIVER_RUN_STATE_H_
#define MORVANE_DRIVER_RUN_STATE_H_

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "base/heap_layout.h"
#include "base/huge_pages.h"

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

  friend bool operator==(const EventRecord&, const EventRecord&) = default;
};

// How the table stores an event: 8 bytes, half an EventRecord. Channel,
// note and velocity that each fit a byte (nearly every event) are packed
// into `rest`; otherwise `rest` has its top bit set and the rest of it
// indexes the event's own WideFields.
struct StoredEvent {
  int32_t time_ticks = 0;
  uint32_t rest = 0;
};

struct WideFields {
  int32_t channel = 0;
  int32_t note = 0;
  int32_t velocity = 0;
};

// Events in input order, 1-based: slot 0 holds no event, so count() is the
// number of events plus 1. Not copyable: there is one table per run.
struct EventTable {
  static constexpr uint32_t kWide = 0x80000000u;

  std::vector<StoredEvent> slots;  // filled and read in order: small pages
  std::vector<WideFields> wide;  // events whose fields do not fit a byte

  EventTable() = default;
  EventTable(const EventTable&) = delete;
  EventTable& operator=(const EventTable&) = delete;

  std::size_t count() const { return slots.size(); }
  std::size_t events() const { return slots.empty() ? 0 : slots.size() - 1; }

  static bool fits_packed(const EventRecord& r) {
    return static_cast<uint32_t>(r.channel) <= 0xff &&
           static_cast<uint32_t>(r.note) <= 0xff &&
           static_cast<uint32_t>(r.velocity) <= 0xff;
  }

  // The event in slot (1 <= slot < count()).
  EventRecord at(std::size_t slot) const {
    const StoredEvent& e = slots[slot];
    if ((e.rest & kWide) != 0) {
      const WideFields& w = wide[e.rest & ~kWide];
      return {e.time_ticks, w.channel, w.note, w.velocity};
    }
    return {e.time_ticks, static_cast<int32_t>(e.rest & 0xff),
            static_cast<int32_t>(e.rest >> 8 & 0xff),
            static_cast<int32_t>(e.rest >> 16)};
  }

  static uint32_t pack(const EventRecord& r) {
    return static_cast<uint32_t>(r.channel) |
           static_cast<uint32_t>(r.note) << 8 |
           static_cast<uint32_t>(r.velocity) << 16;
  }
};

// One place of the time order: the event's time as the ordering compares
// it (rounded through single precision) and the table slot it came from.
struct SortedEvent {
  int32_t time_ticks;
  uint32_t file_slot;
};

// The time order (laid out as base/heap_layout.h says): order[i] is the i-th.
struct TimeOrder {
  LargeArray<SortedEvent> elements;  // layout.places() of them
  HeapLayout layout;

  const SortedEvent& operator[](std::size_t i) const {
    return elements[layout.place(i)];
  }
};

// Working arrays of the analysis. order[1 .. count() - 1]: the events in
// time order, set by sort_by_time (the table stays in input order, which the
// pairing needs). duration_beats[slot], indexed like the table: each note
// start's duration in beats, set by compute_durations.
struct NoteArrays {
  TimeOrder order;
  LargeArray<float> duration_beats;
};

// Where a test may make an allocation fail, to see its message and status.
enum class FailPoint {
  none,
  table_create,
  table_grow,
  wide_record,
  order_array,
  duration_array,
  second_thread,  // the thread cannot be started: the run goes on without
};

// How the stages after reading share two threads (analysis/
// overlapped_stages.h). Tests shrink it to run that path on small scores.
struct OverlapShape {
  // Slots the second thread pairs and formats at a time.
  std::size_t block_events = std::size_t{1} << 14;
  // How often, in slots, the sort tells how far it has settled (2^k).
  std::size_t settle_step = std::size_t{1} << 12;
  // Below this many events a second thread is not worth starting.
  std::size_t min_events = std::size_t{1} << 16;
  // Levels of the heap kept plain above its blocks (base/heap_layout.h),
  // even, from 2; tests make it small so that small heaps have blocks too.
  int heap_plain_levels = HeapLayout::kPlainLevels;
  // Passes of the pairing over the table, each for a range of channels and
  // notes, so that its working room holds a share of the events (at least
  // 1). Two save 4 bytes an event for some 15 ms at ten million.
  unsigned pairing_passes = 2;
};

// A track of the file as the reader met it. first_slot is the table slot
// its first event took or would have taken: the events of a track are the
// slots from its first_slot to the next track's (the reader appends in
// input order, and a track's held notes before it meets the next MTrk).
struct ScoreTrack {
  std::size_t first_slot = 1;
  bool named = false;  // it has had a name event (TrkName, or SeqName)
  std::string name;    // the first one's text, as the file's bytes

  friend bool operator==(const ScoreTrack&, const ScoreTrack&) = default;
};

// A Tempo event: from time_ticks on, a quarter note lasts
// microseconds_per_quarter, in the score's track number track.
struct TempoChange {
  int64_t time_ticks = 0;
  uint32_t track = 0;
  uint32_t microseconds_per_quarter = 0;

  friend bool operator==(const TempoChange&, const TempoChange&) = default;
};

// What the reader notes of a score besides its events
// (reader/score_map.h), for callers that tie a note to its track or convert
// ticks to seconds (the Python module). The note list does not use it, and
// the command leaves it off: a text score of nothing but MTrk lines would
// cost some 50 bytes a line.
struct ScoreMap {
  bool noted = false;  // set before the run by a caller that reads the map
  int32_t format = 0;  // the header's: in format 2 each track keeps its tempo
  // In MTrk order, never empty: track 0 also holds the lines before the
  // first MTrk, which therefore begins no new track.
  std::vector<ScoreTrack> tracks = std::vector<ScoreTrack>(1);
  bool track_begun = false;  // an MTrk has been met
  std::vector<TempoChange> tempo_changes;  // in file order
};

// What a score turned out to be when it was opened (reader/open_score.h).
enum class ScoreKind : uint8_t { midi_text, midi_file };

// What kind of failure ended a run: set where it happens, for callers that
// act on it (the batch's reasons, Python's exceptions) without reading text.
enum class FailureKind : uint8_t {
  none,
  score_not_opened,  // "Can't open NAME as input score"
  score_not_read,    // "Can't read NAME as input score"
  same_file,         // the note list named is the score itself
  list_not_opened,   // "Can't open NAME for score output"
  list_not_written,  // "Can't write score output NAME"
  badly_formed,      // the score's shape or a MIDI file's damage
  out_of_range,      // a number of the score does not fit 32 bits
  out_of_memory,
};

// Carries a failed run to its entry, its message already written: the
// status, the kind, the system's error number where it gave one (else 0),
// the file concerned (else empty), and the message as the console has it.
struct RunFailure {
  int status = 1;
  FailureKind kind = FailureKind::none;
  int error_number = 0;
  std::string name;
  std::string message;
};

// From 65,536 events on (see OverlapShape), into a note list that takes
// writes at chosen places, a second thread works beside the first while
// the order is sorted. It reads division, table (never changed
// after reading; its wide fields rounded before the thread starts), fail_at,
// overlap and the elements of arrays.order the sort has reported settled;
// it writes arrays.duration_beats (read by the first thread only after the
// join) and output, at chosen places, which the first thread leaves alone
// until the join. It never touches the console, the names or input.
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
  ScoreKind input_kind = ScoreKind::midi_text;
  std::unique_ptr<NoteListFile> output;

  // Every track with notes is an instrument, named or not (--all-tracks).
  bool all_tracks = false;
  // The note list is on the disk, and its name in its folder, before the
  // run ends (--sync): a power cut then leaves the old list or the new one
  // (writer/output_file.h says what is left without it).
  bool sync = false;
  // Nothing on standard output but what was asked for (--quiet): no banner,
  // names, counts or "Writing data" line; memory messages go to standard
  // error with the others (driver/console.h).
  bool quiet = false;
  // Note starts the reader passed over outside every named track.
  uint64_t passed_over_notes = 0;
  // The instruments' names in the order the score names them, as the note
  // list's header gives them: kept for callers that want them as a list.
  std::vector<std::string> instruments;

  int32_t division = 0;  // ticks per quarter note, from the header line
  EventTable table;
  ScoreMap score_map;  // tracks, their names and the tempo, beside the table
  NoteArrays arrays;

  OverlapShape overlap;
  FailPoint fail_at = FailPoint::none;  // test hook; none in a real run
};

}  // namespace morvane

#endif  // MORVANE_DRIVER_RUN_STATE_H_
