#include "driver/overlapped_stages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/compute_durations.h"
#include "analysis/sort_by_time.h"
#include "driver/in_memory_run.h"
#include "driver/translate.h"
#include "writer/note_list_file.h"
#include "writer/write_note_list.h"

namespace morvane {
namespace {

struct Result {
  int status = -1;
  std::string out;
  std::string notes;
};

// Runs the stages after reading on events, either overlapped with shape or
// one after the other, and gives what reached the console and note list.
Result finish(const std::vector<EventRecord>& events, int32_t division,
              const OverlapShape* shape, FailPoint fail_at = FailPoint::none) {
  InMemoryRun run("score", "notes.txt");
  RunState& state = run.state;
  state.output->write("// a header line, as the reader writes it\n");
  state.division = division;
  state.fail_at = fail_at;
  run.add_events(events);
  Result result;
  result.status = run_guarded(state, [&] {
    if (shape != nullptr) {
      state.overlap = *shape;
      sort_pair_and_write(state);
    } else {
      sort_by_time(state);
      compute_durations(state);
      write_note_list(state);
    }
  }).status;
  result.out = run.out.str();
  result.notes = run.notes;
  return result;
}

// Scores rich in what the order of equal times decides: few times, few
// notes, re-struck notes, missing ends; some fields too wide for a byte.
std::vector<EventRecord> random_events(std::mt19937& random, int n) {
  auto pick = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  std::vector<EventRecord> events;
  for (int k = 0; k < n; ++k) {
    const int32_t time = pick(0, 3) == 0 ? pick(0, 1 << 26) : pick(0, 40) * 60;
    const int32_t velocity = pick(0, 9) == 0   ? pick(-300, 300)
                             : pick(0, 1) == 0 ? 0
                                               : pick(1, 127);
    events.push_back({time, pick(0, 9) == 0 ? pick(-5, 300) : pick(1, 3),
                      pick(60, 64), velocity});
  }
  return events;
}

TEST(OverlappedStagesTest, SameNoteListAsTheStagesInTurn) {
  std::mt19937 random(5);
  // Blocks of one slot and more, told of every settled slot or seldom, on
  // tables from two events to a few thousand.
  const OverlapShape shapes[] = {
      {1, 1, 0}, {3, 2, 0}, {7, 1, 0}, {64, 16, 0}, {1000, 4096, 0}};
  int compared = 0;
  for (int round = 0; round < 300; ++round) {
    const int n = round < 250
                      ? std::uniform_int_distribution<int>(2, 300)(random)
                      : std::uniform_int_distribution<int>(2000, 6000)(random);
    const std::vector<EventRecord> events = random_events(random, n);
    const int32_t division = round % 3 == 0 ? 96 : 480;
    const Result expected = finish(events, division, nullptr);
    ASSERT_EQ(expected.status, 0);
    const OverlapShape& shape = shapes[round % std::size(shapes)];
    const Result overlapped = finish(events, division, &shape);
    EXPECT_EQ(overlapped.status, 0);
    EXPECT_EQ(overlapped.out, expected.out) << "round " << round;
    ASSERT_EQ(overlapped.notes, expected.notes) << "round " << round;
    compared += static_cast<int>(expected.notes.size());
  }
  EXPECT_GT(compared, 1000000);  // the runs wrote lines worth comparing
}

TEST(OverlappedStagesTest, WithoutASecondThreadTheSameWorkIsDoneInline) {
  std::mt19937 random(6);
  const std::vector<EventRecord> events = random_events(random, 500);
  const OverlapShape shape{4, 1, 0};
  const Result expected = finish(events, 480, nullptr);
  const Result inline_run =
      finish(events, 480, &shape, FailPoint::second_thread);
  EXPECT_EQ(inline_run.status, 0);
  EXPECT_EQ(inline_run.out, expected.out);
  EXPECT_EQ(inline_run.notes, expected.notes);
}

TEST(OverlappedStagesTest, NoMemoryForTheDurations) {
  std::mt19937 random(7);
  const std::vector<EventRecord> events = random_events(random, 500);
  const OverlapShape shape{4, 1, 0};
  for (const OverlapShape* s :
       {static_cast<const OverlapShape*>(nullptr), &shape}) {
    const Result r = finish(events, 480, s, FailPoint::duration_array);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "\nNo memory for array2.");
    EXPECT_EQ(r.notes, "");  // abandoned, as a file would be
  }
}

// The overlapped stages put each line at a place worked out before the sort
// ends, from a length measured in table order: times and channels of every
// size (wide fields, times that single precision rounds) must come out
// where the stages in turn put them, or the text is cut or misplaced.
TEST(OverlappedStagesTest, LinesOfEverySizeLandInPlace) {
  std::mt19937 random(8);
  auto pick = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  const OverlapShape shape{3, 1, 0};
  for (int round = 0; round < 200; ++round) {
    std::vector<EventRecord> events = random_events(random, pick(2, 400));
    for (EventRecord& e : events) {
      if (pick(0, 19) == 0) e.time_ticks = pick(-2147483647, 2147483647);
      if (pick(0, 29) == 0) e.channel = pick(-2147483647, 2147483647);
    }
    const int32_t division = pick(0, 4) == 0 ? 1 : pick(1, 1000);
    const Result expected = finish(events, division, nullptr);
    const Result overlapped = finish(events, division, &shape);
    ASSERT_EQ(overlapped.status, expected.status) << "round " << round;
    ASSERT_EQ(overlapped.notes, expected.notes) << "round " << round;
  }
}

}  // namespace
}  // namespace morvane
