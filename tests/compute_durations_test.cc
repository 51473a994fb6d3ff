#include "analysis/compute_durations.h"

#include <random>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/sort_by_time.h"

namespace morvane {
namespace {

struct Arrays {
  std::vector<float> time, channel;
};

// The pairing as first described: from every start, search forward for the
// first end with the same channel and note. Quadratic; the oracle for the
// linear pass.
Arrays forward_search(const std::vector<EventRecord>& slots, int32_t division) {
  Arrays a;
  for (const EventRecord& r : slots) {
    // What the time ordering leaves: ticks and channel.
    a.time.push_back(static_cast<float>(r.time_ticks));
    a.channel.push_back(static_cast<float>(r.channel));
  }
  for (std::size_t i = 1; i < slots.size(); ++i) {
    const EventRecord& r = slots[i];
    if (r.velocity <= 0) continue;
    a.time[i] = static_cast<float>(static_cast<double>(r.time_ticks) / division);
    float duration = 0.0f;
    for (std::size_t j = i + 1; j < slots.size(); ++j) {
      const EventRecord& q = slots[j];
      if (q.note == r.note && q.channel == r.channel && q.velocity == 0) {
        duration = static_cast<float>(
            static_cast<double>(q.time_ticks) / division -
            static_cast<double>(a.time[i]));
        break;
      }
    }
    a.channel[i] = duration;
  }
  return a;
}

// Reads events in the given order, orders them by time and pairs them, as a
// run does; gives the two arrays as the writer sees them.
Arrays analyse(const std::vector<EventRecord>& events, int32_t division,
               std::vector<EventRecord>* sorted = nullptr) {
  std::ostringstream out, err;
  std::istringstream keys;
  RunState state(out, err, keys);
  state.division = division;
  state.table.slots.emplace_back();
  for (const EventRecord& e : events) state.table.push(e);
  sort_by_time(state);
  compute_durations(state);
  Arrays a{{0.0f}, {0.0f}};
  std::vector<EventRecord> in_order(1);
  for (std::size_t i = 1; i < state.table.count(); ++i) {
    const EventRecord r = state.table.at(i);
    in_order.push_back(r);
    const bool start = r.velocity > 0;
    a.time.push_back(start ? start_beats(r.time_ticks, division)
                           : static_cast<float>(r.time_ticks));
    a.channel.push_back(start ? state.arrays.duration_beats[i]
                              : static_cast<float>(r.channel));
  }
  if (sorted != nullptr) *sorted = in_order;
  return a;
}

TEST(ComputeDurationsTest, WorkedExampleInBothReadingOrders) {
  const std::vector<EventRecord> as_read = {
      {0, 1, 72, 80},   {480, 1, 72, 0}, {0, 2, 60, 64},
      {960, 2, 60, 0},  {480, 1, 74, 80}, {720, 1, 74, 0}};
  std::vector<EventRecord> sorted;
  const Arrays a = analyse(as_read, 480, &sorted);
  EXPECT_EQ(sorted[1].channel, 1);
  EXPECT_EQ(sorted[2].channel, 2);
  EXPECT_EQ(a.time, (std::vector<float>{0, 0, 0, 480, 1, 720, 960}));
  EXPECT_EQ(a.channel, (std::vector<float>{0, 1, 2, 1, 0.5f, 1, 2}));

  const std::vector<EventRecord> as_slots = {
      {0, 1, 72, 80},   {0, 2, 60, 64},   {480, 1, 72, 0},
      {480, 1, 74, 80}, {720, 1, 74, 0}, {960, 2, 60, 0}};
  analyse(as_slots, 480, &sorted);
  EXPECT_EQ(sorted[1].channel, 2);
  EXPECT_EQ(sorted[2].channel, 1);
}

TEST(ComputeDurationsTest, PairingCases) {
  struct Row {
    const char* what;
    int32_t division;
    std::vector<EventRecord> events;
    std::vector<float> durations;  // of the starts, in time order
  };
  const Row rows[] = {
      {"a note struck again as it ends", 480,
       {{0, 1, 60, 90}, {480, 1, 60, 0}, {480, 1, 60, 90}, {960, 1, 60, 0}},
       {1.0f, 0.0f}},
      {"two starts share the first end", 480,
       {{0, 1, 60, 90}, {240, 1, 60, 90}, {480, 1, 60, 0}, {720, 1, 60, 0}},
       {1.0f, 0.5f}},
      {"a start and its end at one tick, alone", 480,
       {{0, 1, 60, 90}, {0, 1, 60, 0}}, {0.0f}},
      {"no end", 480, {{0, 1, 60, 90}, {10, 2, 60, 0}}, {0.0f}},
      {"an end that sorts before its start is not seen", 240,
       {{240, 1, 60, 90}, {240, 1, 60, 0}, {480, 1, 60, 90}, {720, 1, 60, 0},
        {0, 2, 61, 90}, {240, 2, 61, 0}},
       {1.0f, 2.0f, 1.0f}},
      {"the start in single precision is what the end is measured from", 240,
       {{80, 1, 60, 90}, {80, 1, 60, 0}, {480, 1, 60, 90}, {720, 1, 60, 0}},
       {static_cast<float>(80.0 / 240 - static_cast<float>(80.0 / 240)),
        1.0f}},
  };
  for (const Row& row : rows) {
    std::vector<EventRecord> sorted;
    const Arrays a = analyse(row.events, row.division, &sorted);
    std::vector<float> durations;
    for (std::size_t i = 1; i < sorted.size(); ++i) {
      if (sorted[i].velocity > 0) durations.push_back(a.channel[i]);
    }
    EXPECT_EQ(durations, row.durations) << row.what;
  }
}

TEST(ComputeDurationsTest, LinearPassMatchesForwardSearch) {
  std::mt19937 random(11);
  for (int round = 0; round < 2000; ++round) {
    const int n = std::uniform_int_distribution<int>(0, 200)(random);
    const bool wide = round % 5 == 0;  // channels and notes off the grid
    std::vector<EventRecord> events;
    for (int k = 0; k < n; ++k) {
      auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
      };
      const int32_t channel = wide ? pick(-3, 20) : pick(1, 2);
      const int32_t note = wide ? pick(-2, 130) : pick(60, 62);
      const int32_t velocity = pick(0, 3) == 0 ? pick(-2, 0) : pick(0, 100);
      events.push_back({pick(0, 12) * 60, channel, note, velocity});
    }
    const int32_t division = std::uniform_int_distribution<int>(1, 960)(random);
    std::vector<EventRecord> sorted;
    const Arrays linear = analyse(events, division, &sorted);
    const Arrays reference = forward_search(sorted, division);
    for (std::size_t i = 1; i < sorted.size(); ++i) {
      ASSERT_EQ(linear.time[i], reference.time[i]) << round << ' ' << i;
      ASSERT_EQ(linear.channel[i], reference.channel[i]) << round << ' ' << i;
    }
  }
}

}  // namespace
}  // namespace morvane
