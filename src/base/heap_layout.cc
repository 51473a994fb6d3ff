#include "base/heap_layout.h"

#include <algorithm>
#include <cassert>

namespace morvane {

HeapLayout::HeapLayout(std::size_t nodes, int plain_levels)
    : nodes_(nodes),
      places_(nodes + 1),
      plain_end_(std::size_t{1} << plain_levels),
      first_block_place_(std::max(plain_end_, kBlock)) {
  assert(plain_levels >= 2 && plain_levels % 2 == 0 &&
         plain_levels < kMaxLevels - 2);
  if (nodes < plain_end_) return;  // the top alone
  const int deepest = std::bit_width(nodes) - 1;
  const int last_m = (deepest - plain_levels) / 2 + 1;
  std::size_t block = first_block_place_ / kBlock;  // the next one free
  std::size_t first_p = 0;
  std::size_t split_p = 0;  // at the deepest block-level, the first p whose
                            // children's block is not kept
  for (int m = 1; m <= last_m; ++m) {
    const int top_level = plain_levels + 2 * m - 2;
    first_p = std::size_t{1} << (top_level - 1);
    block_base_[m] = block - first_p;
    levels_[top_level] = {1, kBlock * block_base_[m], 1};
    levels_[top_level + 1] = {2, kBlock * block_base_[m] + 2, 3};
    if (m < last_m) {
      block += first_p;
    } else {
      split_p = std::max(first_p, nodes / 4 + 1);
      block += split_p - first_p;
    }
  }
  block_base_[last_m + 1] = block - (first_p << 2);
  const std::size_t last_p = std::min(nodes >> 1, 2 * first_p - 1);
  places_ = kBlock * block;
  if (last_p >= split_p) {
    dense_first_ = 2 * split_p;
    dense_count_ = 2 * (last_p - split_p + 1);
    dense_offset_ = places_ - dense_first_;
    places_ += dense_count_;
  }
}

}  // namespace morvane
