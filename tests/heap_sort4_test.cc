#include "analysis/heap_sort4.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <vector>

#include "analysis/sort_by_time.h"
#include "driver/in_memory_run.h"
#include "test_support.h"

namespace morvane {
namespace {

// The sort as first written down: four separate 1-based float arrays,
// keyed on ra, with the moving element held aside. The production sort
// works on whole records with integer keys and must give the same order.
void reference_heap_sort4(int n, float* ra, float* rb, float* rc, float* rd) {
  int l = n / 2 + 1;
  int ir = n;
  for (;;) {
    float a, b, c, d;
    if (l > 1) {
      --l;
      a = ra[l], b = rb[l], c = rc[l], d = rd[l];
    } else {
      a = ra[ir], b = rb[ir], c = rc[ir], d = rd[ir];
      ra[ir] = ra[1], rb[ir] = rb[1], rc[ir] = rc[1], rd[ir] = rd[1];
      if (--ir == 1) {
        ra[1] = a, rb[1] = b, rc[1] = c, rd[1] = d;
        return;
      }
    }
    int i = l;
    int j = l + l;
    while (j <= ir) {
      if (j < ir && ra[j] < ra[j + 1]) ++j;
      if (a < ra[j]) {
        ra[i] = ra[j], rb[i] = rb[j], rc[i] = rc[j], rd[i] = rd[j];
        i = j;
        j += j;
      } else {
        j = ir + 1;
      }
    }
    ra[i] = a, rb[i] = b, rc[i] = c, rd[i] = d;
  }
}

int32_t back_to_int(float value) {
  return value >= 2147483648.0f ? 2147483647 : static_cast<int32_t>(value);
}

std::vector<EventRecord> reference_sort(const std::vector<EventRecord>& in) {
  const std::size_t n = in.size();
  std::vector<float> a(n + 1), b(n + 1), c(n + 1), d(n + 1);
  for (std::size_t i = 0; i < n; ++i) {
    a[i + 1] = static_cast<float>(in[i].time_ticks);
    b[i + 1] = static_cast<float>(in[i].channel);
    c[i + 1] = static_cast<float>(in[i].note);
    d[i + 1] = static_cast<float>(in[i].velocity);
  }
  if (n >= 2) {
    reference_heap_sort4(static_cast<int>(n), a.data(), b.data(), c.data(),
                         d.data());
  }
  std::vector<EventRecord> out;
  for (std::size_t i = 1; i <= n; ++i) {
    out.push_back({back_to_int(a[i]), back_to_int(b[i]), back_to_int(c[i]),
                   back_to_int(d[i])});
  }
  return out;
}

// The events in the order the sort left them.
std::vector<EventRecord> time_order(const RunState& state) {
  std::vector<EventRecord> sorted;
  for (std::size_t i = 1; i < state.table.count(); ++i) {
    sorted.push_back(sorted_event(state, i));
  }
  return sorted;
}

// With plain_levels of the heap plain above its blocks: 2 walks the blocks
// of every heap from 4 events on.
std::vector<EventRecord> production_sort(
    const std::vector<EventRecord>& in,
    int plain_levels = HeapLayout::kPlainLevels) {
  InMemoryRun run;
  RunState& state = run.state;
  state.overlap.heap_plain_levels = plain_levels;
  run.add_events(in);
  sort_by_time(state);
  return time_order(state);
}

// Ways of laying out the heap that tests go through: all in blocks below
// the root's level, from level 4 down, and the program's own.
constexpr int kPlainLevelsTried[] = {2, 4, HeapLayout::kPlainLevels};

std::vector<int32_t> notes_of(const std::vector<EventRecord>& events) {
  std::vector<int32_t> notes;
  for (const EventRecord& e : events) notes.push_back(e.note);
  return notes;
}

TEST(HeapSort4Test, OrdersOfTheWorkedExamples) {
  EXPECT_EQ(production_sort({{480, 1, 72, 0}, {0, 2, 60, 64}}),
            (std::vector<EventRecord>{{0, 2, 60, 64}, {480, 1, 72, 0}}));
  EXPECT_EQ(
      notes_of(production_sort({{0, 1, 60, 1}, {0, 1, 64, 1}, {0, 1, 67, 1}})),
      (std::vector<int32_t>{64, 67, 60}));
  EXPECT_EQ(notes_of(production_sort({{5, 1, 1, 1}, {5, 1, 2, 1}})),
            (std::vector<int32_t>{2, 1}));
  // Equal times alone come out as a rotation: 2nd, 3rd, ..., last, 1st.
  for (int n = 2; n <= 40; ++n) {
    std::vector<EventRecord> in;
    std::vector<int32_t> rotated;
    for (int k = 1; k <= n; ++k) in.push_back({7, 1, k, 1});
    for (int k = 2; k <= n; ++k) rotated.push_back(k);
    rotated.push_back(1);
    for (int plain_levels : kPlainLevelsTried) {
      EXPECT_EQ(notes_of(production_sort(in, plain_levels)), rotated)
          << n << " events, plain levels " << plain_levels;
    }
  }
}

TEST(HeapSort4Test, FieldsPassThroughSinglePrecision) {
  const std::vector<EventRecord> sorted = production_sort(
      {{16777217, 16777217, -16777219, 2147483647}, {2147483600, 1, 2, 3}});
  EXPECT_EQ(sorted[0],
            (EventRecord{16777216, 16777216, -16777220, 2147483647}));
  EXPECT_EQ(sorted[1], (EventRecord{2147483647, 1, 2, 3}));
}

TEST(HeapSort4Test, SameOrderAsFourFloatArrays) {
  std::mt19937 random(7);
  for (int round = 0; round < 3000; ++round) {
    const int n = std::uniform_int_distribution<int>(0, 300)(random);
    // Few distinct times make many ties; wide ones cross 2^24 and 2^31.
    const int shape = round % 4;
    std::vector<EventRecord> in;
    for (int k = 0; k < n; ++k) {
      int32_t time;
      if (shape == 0) {
        time = std::uniform_int_distribution<int32_t>(0, 3)(random);
      } else if (shape == 1) {
        time = std::uniform_int_distribution<int32_t>(0, 40)(random) * 120;
      } else if (shape == 2) {
        time =
            std::uniform_int_distribution<int32_t>(16777200, 16777240)(random);
      } else {
        time = std::uniform_int_distribution<int32_t>(INT32_MIN,
                                                      INT32_MAX)(random);
      }
      // Some fields beyond a byte, so both ways of storing an event ride.
      in.push_back({time, k, k % 7 == 0 ? -k : k % 128, k % 3});
    }
    const std::vector<EventRecord> expected = reference_sort(in);
    for (int plain_levels : kPlainLevelsTried) {
      ASSERT_EQ(production_sort(in, plain_levels), expected)
          << "round " << round << ", plain levels " << plain_levels;
    }
  }
}

// Sizes where the deepest levels are whole, half full or nearly empty, so
// that the dense tail of the layout is there or not, short or long.
TEST(HeapSort4Test, SameOrderAroundPowersOfTwo) {
  std::mt19937 random(11);
  for (std::size_t base = 4; base <= 4096; base *= 2) {
    for (std::size_t n : {base - 1, base, base + 1, base + base / 2}) {
      std::vector<EventRecord> in;
      for (std::size_t k = 0; k < n; ++k) {
        in.push_back({std::uniform_int_distribution<int32_t>(0, 30)(random),
                      1, static_cast<int32_t>(k % 128), 1});
      }
      const std::vector<EventRecord> expected = reference_sort(in);
      for (int plain_levels : kPlainLevelsTried) {
        ASSERT_EQ(production_sort(in, plain_levels), expected)
            << n << " events, plain levels " << plain_levels;
      }
    }
  }
}

}  // namespace
}  // namespace morvane
