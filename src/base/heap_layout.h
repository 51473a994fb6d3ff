// Where the elements of the time sort's heap live in memory.
//
// The heap sort walks from the root to a leaf once for every element, and on
// a large score the lower part of the walk lies outside every cache, a line
// a level. So below its top levels the heap is kept in blocks of one cache
// line (eight 8-byte elements): two siblings and their four children, so
// that one line serves two levels, with the four blocks under a block side
// by side. Node numbers, and so the sort's steps, stay as they are.
//
//   the top: levels 0 .. plain_levels - 1, node i at place i (place 0
//     unused); they stay in cache anyway.
//   block-level m >= 1: levels t = plain_levels + 2m - 2 and t + 1. The
//     siblings 2p, 2p + 1 of level t and their children 4p .. 4p + 3 fill
//     places 0 .. 5 of one block (6 and 7 unused); blocks follow the top,
//     in the order of p, block-level after block-level.
//
// At the deepest block-level, siblings without children are kept two by two
// after the last block instead (the dense tail), not in blocks six places
// empty. Siblings always stand side by side: place(2i + 1) == place(2i) + 1.

#ifndef MORVANE_BASE_HEAP_LAYOUT_H_
#define MORVANE_BASE_HEAP_LAYOUT_H_

#include <bit>
#include <cstddef>

namespace morvane {

class HeapLayout {
 public:
  static constexpr std::size_t kBlock = 8;  // places a block
  static constexpr int kMaxLevels = 64;
  // The top kept plain: 128 KiB of elements, inside the nearest caches. At
  // a million and ten million events 14 levels were as fast as 16 and
  // faster than 10, 12, 18 or 20; all in blocks (2) was slowest.
  static constexpr int kPlainLevels = 14;

  // The layout of nodes 1 .. nodes whose top plain_levels levels (at least
  // 2, even) are plain.
  explicit HeapLayout(std::size_t nodes = 0, int plain_levels = kPlainLevels);

  std::size_t nodes() const { return nodes_; }
  // Places the array must have: every place(i), 1 <= i <= nodes, is below.
  std::size_t places() const { return places_; }
  // The first node below the plain top.
  std::size_t plain_end() const { return plain_end_; }
  // The first place of the blocks: places below it are the plain top's.
  std::size_t first_block_place() const { return first_block_place_; }

  // Where node i (1 <= i <= nodes) lives.
  std::size_t place(std::size_t i) const {
    if (i - dense_first_ < dense_count_) return i + dense_offset_;
    const Level& l = levels_[level_of(i)];
    return ((i >> l.shift) * kBlock) + l.add + (i & l.mask);
  }

  // The end of the run of nodes from i on that stand in places one after
  // the other from place(i): node run_end(i) is the first that does not.
  std::size_t run_end(std::size_t i) const {
    if (i - dense_first_ < dense_count_) return dense_first_ + dense_count_;
    if (i < plain_end_) return plain_end_;
    return (i | levels_[level_of(i)].mask) + 1;
  }

  // The block of block-level m >= 1 that holds the children and
  // grandchildren of node p, when whole (4p <= nodes); its places are kBlock
  // times it onwards. Below the deepest block-level: only for a prefetch.
  std::size_t block_of(int m, std::size_t p) const {
    return block_base_[m] + p;
  }

 private:
  // The level of node i >= 1 (the root's is 0).
  static int level_of(std::size_t i) { return std::bit_width(i | 1) - 1; }

  // place(i) for a node i of the level, out of a whole block or the top.
  struct Level {
    int shift = 3;
    std::size_t add = 0;
    std::size_t mask = 7;
  };

  std::size_t nodes_;
  std::size_t places_;
  std::size_t plain_end_;
  std::size_t first_block_place_;
  // Nodes dense_first .. dense_first + dense_count - 1 are at i +
  // dense_offset (all mod 2^64).
  std::size_t dense_first_ = 0;
  std::size_t dense_count_ = 0;
  std::size_t dense_offset_ = 0;
  Level levels_[kMaxLevels];
  // block_base_[m] + p is block_of(m, p) (mod 2^64).
  std::size_t block_base_[kMaxLevels / 2 + 2] = {};
};

}  // namespace morvane

#endif  // MORVANE_BASE_HEAP_LAYOUT_H_
