#include "base/heap_layout.h"

#include <gtest/gtest.h>

#include <bit>
#include <vector>

#include "analysis/heap_sort4.h"

namespace morvane {
namespace {

// Every node has a place of its own inside the array, siblings side by
// side; the shortcuts (a node's children, a whole block's first place, a
// run of nodes in places one after the other) agree with place(); and the
// array is no more than a third larger than a plain heap.
TEST(HeapLayoutTest, PlacesAreDistinctAndTheShortcutsAgree) {
  for (int plain_levels : {2, 4, 6}) {
    for (std::size_t n = 0; n <= 5000; n += n < 300 ? 1 : 97) {
      const HeapLayout layout(n, plain_levels);
      ASSERT_EQ(layout.nodes(), n);
      std::vector<bool> taken(layout.places(), false);
      for (std::size_t i = 1; i <= n; ++i) {
        const std::size_t q = layout.place(i);
        ASSERT_LT(q, layout.places()) << n << " " << i;
        ASSERT_NE(q, 0u);
        ASSERT_FALSE(taken[q]) << n << " " << i;
        taken[q] = true;
        if (i < layout.plain_end()) {
          EXPECT_EQ(q, i);
        }
        if (i % 2 == 0 && i < n) {
          EXPECT_EQ(layout.place(i + 1), q + 1);
        }
        const std::size_t run_end = layout.run_end(i);
        ASSERT_GT(run_end, i);
        for (std::size_t j = i + 1; j < run_end && j <= n; ++j) {
          ASSERT_EQ(layout.place(j), q + (j - i)) << n << " " << i;
        }
        if (2 * i <= n) {
          EXPECT_EQ(heap_sort4_detail::children_place(layout, i, q),
                    layout.place(2 * i))
              << n << " " << i;
        }
        // A whole block holding i's children and grandchildren: the walk
        // finds it by block-level.
        const int child_level = std::bit_width(2 * i) - 1;
        if (4 * i + 3 <= n && 2 * i >= layout.plain_end() &&
            (child_level - plain_levels) % 2 == 0) {
          const int m = (child_level - plain_levels) / 2 + 1;
          const std::size_t first = HeapLayout::kBlock * layout.block_of(m, i);
          EXPECT_EQ(layout.place(2 * i), first);
          EXPECT_EQ(layout.place(4 * i), first + 2);
          EXPECT_EQ(layout.place(4 * i + 3), first + 5);
        }
      }
      EXPECT_LE(layout.places(), n + 1 + n / 3 + HeapLayout::kBlock) << n;
    }
  }
}

// A heap that fits its plain top is a plain heap, no larger; the first
// node past the top stands past every place of the top.
TEST(HeapLayoutTest, ThePlainTopEndsWhereItsLevelsEnd) {
  const HeapLayout fits(1023, 10);
  EXPECT_EQ(fits.places(), 1024u);
  EXPECT_EQ(fits.place(1023), 1023u);
  const HeapLayout over(1024, 10);
  EXPECT_EQ(over.plain_end(), 1024u);
  EXPECT_EQ(over.first_block_place(), 1024u);
  EXPECT_EQ(over.place(1024), 1024u);
  EXPECT_EQ(HeapLayout(1030, 10).place(1030), 1030u);
}

}  // namespace
}  // namespace morvane
