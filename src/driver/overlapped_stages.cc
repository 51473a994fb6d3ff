#include "driver/overlapped_stages.h"

#include <algorithm>
#include <cassert>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "analysis/compute_durations.h"
#include "analysis/sort_by_time.h"
#include "base/second_thread.h"
#include "driver/allocation.h"
#include "driver/console.h"
#include "writer/note_list_file.h"
#include "writer/note_text_blocks.h"
#include "writer/write_note_list.h"

namespace morvane {
namespace {

// The lowest slot from which the order is final, as the sorting thread last
// told it. Waking the other thread costs far more than telling, so it is
// woken only once the slot it waits for has settled.
class SettledFrom {
 public:
  explicit SettledFrom(std::size_t first) : first_(first) {}

  void set(std::size_t first) {
    std::lock_guard<std::mutex> lock(mutex_);
    first_ = first;
    if (first_ <= awaited_) {
      awaited_ = 0;
      changed_.notify_one();
    }
  }

  // Waits until slot has settled; returns the lowest settled slot.
  std::size_t wait_until(std::size_t slot) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (first_ > slot) {
      awaited_ = slot;
      changed_.wait(lock, [&] { return first_ <= slot; });
    }
    return first_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t first_;
  std::size_t awaited_ = 0;  // 0: nobody waits
};

// Pairs the notes, which needs only the table in input order, then formats
// the time order block by block from the top, waiting for each block to
// settle, and writes each where it belongs in the file. Touches only the
// table, settled elements of the order, the file and its own memory, so it
// may run beside the sort.
class Tail {
 public:
  // Ends the run, as compute_durations does, without room for durations.
  Tail(RunState& state, const OverlapShape& shape, SettledFrom& settled)
      : state_(state), shape_(shape), settled_(settled) {
    allocate_durations(state);
    // Called here, on the first thread: the file is the second thread's
    // from now until it is joined.
    base_ = state.output->start_positional();
  }

  void run() noexcept {
    try {
      pair_notes(state_);
      // The text's length is known once the durations are.
      NoteTextBlocks text(*state_.output, base_, note_lines_length(state_));
      for (std::size_t hi = state_.table.count(); hi > 1;) {
        // Few waits: each for an eighth of what is left (the sort settles
        // slots ever faster as its heap shrinks), and at least a block.
        const std::size_t batch = std::max(shape_.block_events, hi / 8);
        const std::size_t settled =
            settled_.wait_until(hi > batch + 1 ? hi - batch : 1);
        while (hi > settled) {
          const std::size_t lo = std::max(
              settled, hi > shape_.block_events ? hi - shape_.block_events
                                                : std::size_t{1});
          text.put(state_, lo, hi);
          hi = lo;
        }
      }
      text.finish();
    } catch (...) {
      failure_ = std::current_exception();
    }
  }

  // After run(): rethrows its failure, or says the list is written.
  void end() {
    if (failure_) std::rethrow_exception(failure_);
    announce_note_list(state_);
  }

 private:
  RunState& state_;
  const OverlapShape& shape_;
  SettledFrom& settled_;
  std::size_t base_ = 0;  // where the note lines begin in the file
  std::exception_ptr failure_;
};

}  // namespace

void sort_pair_and_write(RunState& state) {
  const OverlapShape& shape = state.overlap;
  assert(shape.block_events >= 1);
  assert((shape.settle_step & (shape.settle_step - 1)) == 0);
  assert(state.table.events() >= 2);
  assert(state.output->positional());
  // Nothing is settled yet. The order and then the durations are allocated
  // before the sort starts, as the stages in turn allocate them.
  SettledFrom settled(state.table.count());
  TimeSort sort(state);
  Tail tail(state, shape, settled);
  // The second thread pairs the notes while this one builds the heap, then
  // formats behind the sort. Nothing from here to the join throws (the sort
  // allocates nothing, the second thread keeps its failure for end()) but a
  // failing mutex, which would end the process.
  std::thread second = start_second_thread(
      [&] { tail.run(); }, made_to_fail(state, FailPoint::second_thread));
  const std::size_t step_mask = shape.settle_step - 1;
  sort.sort([&](std::size_t first) {
    if ((first & step_mask) == 0) settled.set(first);
  });
  settled.set(1);
  if (second.joinable()) {
    second.join();
  } else {
    tail.run();
  }
  tail.end();
}

}  // namespace morvane
