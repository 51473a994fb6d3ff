// The heap sort that puts the events in time order.
//
// The order in which it leaves equal keys is part of every note list, so
// the steps below make exactly the comparisons and moves of the classic
// heap sort (build the heap from node n/2 back to 1, then move the largest
// to the end, one at a time), with a strict less-than on the keys; any
// other sort, even a stable one, would change note lists. The tests hold it
// to a literal copy of those steps.
//
// Elements 1 .. n are sorted (element 0 is untouched), where a HeapLayout
// of n nodes puts them (layout.place(i)): that changes where they are in
// memory, never the steps. `key(element)` gives the sort key. As the sorted
// tail grows, `settled(first)` is told that elements first .. n are final,
// so that another thread may start on them (not of the last two, which
// settle as the function returns).
//
// Performance-critical; benchmark any change.

#ifndef MORVANE_ANALYSIS_HEAP_SORT4_H_
#define MORVANE_ANALYSIS_HEAP_SORT4_H_

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>

#include "base/heap_layout.h"

namespace morvane {

struct NothingSettled {
  void operator()(std::size_t) const {}
};

namespace heap_sort4_detail {

// Where the children of node i, at place q, live (the second at the next
// place). In the plain top a node's place is its number; within a whole
// block, the children of its places 0 and 1 are at its places 2, 3 and 4, 5.
inline std::size_t children_place(const HeapLayout& layout, std::size_t i,
                                  std::size_t q) {
  if (2 * i < layout.plain_end()) return 2 * i;
  const std::size_t in_block = q % HeapLayout::kBlock;
  if (in_block < 2 && q >= layout.first_block_place()) {
    return q + in_block + 2;
  }
  return layout.place(2 * i);
}

// Asks for the cache lines from place first on, so that they are on their
// way while the walk compares what it has. Blocks start on a line, and so
// do the top's runs of 16 nodes from 16i (the array starts on a page). The
// address may lie past the array (a prefetch never faults), so it is
// worked out as a number.
template <typename Element>
inline void prefetch_places(const Element* a, std::size_t first,
                            std::size_t bytes) {
  const uintptr_t from =
      reinterpret_cast<uintptr_t>(a) + first * sizeof(Element);
  for (uintptr_t offset = 0; offset < bytes; offset += 64) {
    __builtin_prefetch(reinterpret_cast<const void*>(from + offset));
  }
}

// Sifts the element with moving_key down from node i (at place q) of the
// heap of nodes 1 .. ir: moves each larger child up while moving_key is
// below it (of two children the second only when strictly greater), and
// returns the place left for the moving element.
template <typename Element, typename Key, typename KeyValue>
inline std::size_t sift_down(Element* a, const HeapLayout& layout,
                             std::size_t i, std::size_t q, std::size_t ir,
                             Key key, KeyValue moving_key) {
  for (std::size_t j = 2 * i; j <= ir; j = 2 * i) {
    if (16 * i < layout.plain_end()) {
      prefetch_places(a, 16 * i, 16 * sizeof(Element));
    }
    std::size_t qj = children_place(layout, i, q);
    if (j < ir) {
      // Chosen by arithmetic rather than a branch, which the processor
      // could not predict.
      const auto right = static_cast<std::size_t>(key(a[qj]) < key(a[qj + 1]));
      j += right;
      qj += right;
    }
    if (!(moving_key < key(a[qj]))) break;
    a[q] = a[qj];
    q = qj;
    i = j;
  }
  return q;
}

// The same result as sift_down from the root of nodes 1 .. ir (ir >= 2),
// reached the other way round: the larger child moves up at every level
// down to the bottom, then the moving element climbs back while it is not
// below the element it passed. The larger children's path does not depend
// on the moving element and its keys only fall, so the climb stops at the
// very node where sift_down stops, with the same moves in the end. A level
// costs one comparison instead of two, and the climb is short: in the
// second phase the moving element comes from the last leaf.
//
// Where all four grandchildren exist it goes down two levels a step: the
// six keys are loaded at once, and the children's comparison picks the
// grandchildren's pair without waiting for a load. The choices are those
// of two single steps. Each step asks for what the next one will load.
template <typename Element, typename Key, typename KeyValue>
inline std::size_t sift_down_to_bottom(Element* a, const HeapLayout& layout,
                                       std::size_t ir, Key key,
                                       KeyValue moving_key) {
  const std::size_t plain_end = layout.plain_end();
  std::size_t path[HeapLayout::kMaxLevels + 1];  // places, root first
  int depth = 0;
  path[0] = 1;
  // The root's children, nodes 2 and 3, are at places 2 and 3. q is where
  // the element of node i stood, now empty.
  std::size_t i = 2;
  if (ir > 2) i += static_cast<std::size_t>(key(a[2]) < key(a[3]));
  a[1] = a[i];
  std::size_t q = i;
  path[++depth] = q;
  int m = 0;  // the block-level of the step, 0 in the top
  while (4 * i + 3 <= ir) {
    std::size_t children;  // places of the children and grandchildren
    std::size_t grandchildren;
    if (4 * i < plain_end) {
      children = 2 * i;
      grandchildren = 4 * i;
      if (16 * i < plain_end) {
        prefetch_places(a, 16 * i, 16 * sizeof(Element));
      } else {
        prefetch_places(a, HeapLayout::kBlock * layout.block_of(1, 4 * i),
                        4 * HeapLayout::kBlock * sizeof(Element));
      }
    } else {
      ++m;
      children = HeapLayout::kBlock * layout.block_of(m, i);
      grandchildren = children + 2;
      prefetch_places(a, HeapLayout::kBlock * layout.block_of(m + 1, 4 * i),
                      4 * HeapLayout::kBlock * sizeof(Element));
    }
    const auto left = key(a[children]);
    const auto right = key(a[children + 1]);
    const auto left_left = key(a[grandchildren]);
    const auto left_right = key(a[grandchildren + 1]);
    const auto right_left = key(a[grandchildren + 2]);
    const auto right_right = key(a[grandchildren + 3]);
    const bool to_right = left < right;
    const auto next_left = to_right ? right_left : left_left;
    const auto next_right = to_right ? right_right : left_right;
    const std::size_t child = static_cast<std::size_t>(to_right);
    const std::size_t grandchild =
        2 * child + static_cast<std::size_t>(next_left < next_right);
    a[q] = a[children + child];
    a[children + child] = a[grandchildren + grandchild];
    path[++depth] = children + child;
    q = grandchildren + grandchild;
    path[++depth] = q;
    i = 4 * i + grandchild;
  }
  for (std::size_t j = 2 * i; j <= ir; j = 2 * i) {
    std::size_t qj = layout.place(j);
    if (j < ir) {
      const auto right = static_cast<std::size_t>(key(a[qj]) < key(a[qj + 1]));
      j += right;
      qj += right;
    }
    a[q] = a[qj];
    q = qj;
    path[++depth] = q;
    i = j;
  }
  // The place above each one on the path holds what stood there: give it
  // back while moving_key is not below it.
  while (depth > 0 && !(moving_key < key(a[path[depth - 1]]))) {
    a[path[depth]] = a[path[depth - 1]];
    --depth;
  }
  return path[depth];
}

}  // namespace heap_sort4_detail

// The first phase sifts down every node that has a child, from node n/2
// back to 1. A sift from node l touches only the subtree under l, so any
// order that takes each node after all of its descendants gives the same
// heap: subtrees are built one at a time, each in cache while it is built.

// Sifts down the nodes of the subtree under root that have a child, in
// a[1..n]: its deepest level first, each level from its last node.
template <typename Element, typename Key>
void heap_build_subtree4(std::size_t n, Element* a, const HeapLayout& layout,
                         Key key, std::size_t root) {
  const std::size_t last_parent = n / 2;
  if (root > last_parent) return;
  int level = 0;  // of the subtree, from root; nodes root << level on
  while ((root << (level + 1)) <= last_parent) ++level;
  for (; level >= 0; --level) {
    const std::size_t lo = root << level;
    const std::size_t hi =
        std::min(lo + (std::size_t{1} << level) - 1, last_parent);
    for (std::size_t l = hi; l >= lo; --l) {
      const std::size_t q = layout.place(l);
      const Element moving = a[q];
      a[heap_sort4_detail::sift_down(a, layout, l, q, n, key, key(moving))] =
          moving;
    }
  }
}

// Sifts down nodes top - 1 back to 1 that have a child: the rest of the
// first phase once every subtree under nodes top .. 2 top - 1 is built.
template <typename Element, typename Key>
void heap_build_top4(std::size_t n, Element* a, const HeapLayout& layout,
                     Key key, std::size_t top) {
  for (std::size_t l = std::min(top - 1, n / 2); l >= 1; --l) {
    const std::size_t q = layout.place(l);
    const Element moving = a[q];
    a[heap_sort4_detail::sift_down(a, layout, l, q, n, key, key(moving))] =
        moving;
  }
}

// The second phase on a built heap of nodes 1 .. n, n >= 2: moves the
// largest to the end, one at a time.
template <typename Element, typename Key, typename Settled = NothingSettled>
void heap_extract4(std::size_t n, Element* a, const HeapLayout& layout,
                   Key key, Settled settled = {}) {
  assert(n >= 2 && layout.nodes() == n);
  for (std::size_t ir = n;;) {
    const std::size_t last = layout.place(ir);
    const Element moving = a[last];
    a[last] = a[1];
    if (--ir == 1) {
      a[1] = moving;
      return;
    }
    settled(ir + 1);
    a[heap_sort4_detail::sift_down_to_bottom(a, layout, ir, key,
                                             key(moving))] = moving;
  }
}

}  // namespace morvane

#endif  // MORVANE_ANALYSIS_HEAP_SORT4_H_
