// The second part of a large MIDI text score, scanned on a thread of its
// own while the first thread reads the first part.
//
// Every line from the first line start at or after the split (a little
// past the middle of the file) to its end is scanned as the reader would
// scan it; what the reader does with a line depends on all the lines
// before it, so it is left to the first thread, which goes over the scans
// once it gets there. A name line,
// a sequence name line or a track start is kept with what the reader asks
// of its text.
//
// Only advice: when the second thread cannot be had, meets a read error or
// runs out of memory, the first thread reads on by itself, and no line is
// read differently for it.

#ifndef MORVANE_READER_SCORE_TAIL_H_
#define MORVANE_READER_SCORE_TAIL_H_

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "driver/run_state.h"
#include "reader/line_scan.h"
#include "reader/line_source.h"

namespace morvane {

// A line of the second part that is not a plain note line, or whose
// numbers do not each fit a byte: kept whole.
struct TailOther {
  LineScan scan;
  bool name_line = false;    // read as a name line; text() holds it
  bool track_start = false;  // "MTrk"
  bool track_close = false;  // "TrkEnd"
  bool sequence_line = false;  // starts "0 Meta SeqName"; text() holds it
};

// A line of the second part in 8 bytes: nearly every line is a plain note
// line (scan_plain_note) with numbers that fit a byte, and is kept here
// alone; any other line is kept in others(), and its place here says which.
struct TailLine {
  enum class Form : uint8_t { other, note_on, note_off };
  int32_t time_ticks = 0;  // Form::other: the line's index in others()
  uint8_t channel = 0;
  uint8_t note = 0;
  uint8_t velocity = 0;
  Form form = Form::other;

  // The scan of a plain note line.
  LineScan scan() const {
    LineScan s;
    s.time_ticks = time_ticks;
    s.channel = channel;
    s.note = note;
    s.velocity = velocity;
    s.assigned = 5;
    s.kind = form == Form::note_on ? LineKind::note_on : LineKind::note_off;
    return s;
  }
};

// Where a score of size bytes (at least 2) is split: the bytes the first
// thread reads, from 1 to size - 1, as shape says.
std::size_t first_part_bytes(std::size_t size, const OverlapShape& shape);

class ScoreTail {
 public:
  // Starts the scan of the lines of source's file from the split on, or
  // returns null when there is no second part worth a thread.
  // sequence_names_track: whether "0 Meta SeqName" lines are name lines.
  static std::unique_ptr<ScoreTail> start(RunState& state,
                                          const FileLineSource& source,
                                          bool sequence_names_track);
  ~ScoreTail();  // stops the scan if it still runs, and waits for it
  ScoreTail(const ScoreTail&) = delete;
  ScoreTail& operator=(const ScoreTail&) = delete;

  // Where in the file the second part begins: the first line start at or
  // after split(); waits for it to be known. At the end of the file when
  // there is no line there.
  std::size_t first_line();
  std::size_t split() const { return split_; }

  // Waits for the scan to end; true when it reached the end of the file.
  bool finish();

  // After a finish() that returned true: the lines, in file order; those
  // kept whole; and the texts of those that keep one, in file order too.
  const std::vector<std::vector<TailLine>>& lines() const { return lines_; }
  const std::vector<TailOther>& others() const { return others_; }
  const std::vector<std::string>& texts() const { return texts_; }

 private:
  ScoreTail(std::unique_ptr<FileLineSource> source, std::size_t split,
            bool sequence_names_track);
  void scan() noexcept;

  std::unique_ptr<FileLineSource> source_;
  const std::size_t split_;
  const bool sequence_names_track_;
  std::mutex mutex_;
  std::condition_variable known_;
  std::size_t first_line_ = 0;     // under mutex_
  bool first_line_known_ = false;  // under mutex_
  std::atomic<bool> stop_{false};
  bool whole_ = false;
  // In pieces of a fixed size, which are not copied as they grow.
  std::vector<std::vector<TailLine>> lines_;
  std::vector<TailOther> others_;
  std::vector<std::string> texts_;
  std::thread thread_;
};

}  // namespace morvane

#endif  // MORVANE_READER_SCORE_TAIL_H_
