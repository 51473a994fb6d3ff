// The heap sort that puts the events in time order.
//
// The order in which it leaves equal keys is part of the program's output:
// the note list is compared byte for byte, and the duration stage pairs a
// note start with the first matching end after it. So the steps below make
// exactly the comparisons and moves of the classic heap sort (build the heap
// from node n/2 back to 1, then move the largest to the end, one at a time),
// with a strict less-than on the keys; a different (even a stable) sort
// would change note lists. The tests hold it to a literal copy of those
// steps.
//
// Elements are 1-based: elements 1 .. n are sorted, element 0 is untouched.
// `key(element)` gives the sort key; moving an element moves all of it.
// `settled(first)` is told, as the sorted tail grows, that elements first ..
// n hold their final values and will not be touched again, so that another
// thread may start on them; it is not told of the last two, which settle as
// the function returns.
//
// This function is performance-critical; benchmark any change.

#ifndef MORVANE_ANALYSIS_HEAP_SORT4_H_
#define MORVANE_ANALYSIS_HEAP_SORT4_H_

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>

namespace morvane {

struct NothingSettled {
  void operator()(std::size_t) const {}
};

namespace heap_sort4_detail {

// Asks for the descendants of node i four levels down (16 elements from
// 16i), so that they are in cache by the time the sift gets there. The
// address is worked out as a number, since near the bottom it lies past
// the array; a prefetch never faults. The time sort's array starts on a
// page, so the span starts on a cache line: one request a line is enough.
template <typename Element>
inline void prefetch_descendants(const Element* a, std::size_t i) {
  const uintptr_t first =
      reinterpret_cast<uintptr_t>(a) + 16 * i * sizeof(Element);
  constexpr uintptr_t kSpan = 16 * sizeof(Element);
  for (uintptr_t offset = 0; offset < kSpan; offset += 64) {
    __builtin_prefetch(reinterpret_cast<const void*>(first + offset));
  }
}

// Sifts the element with moving_key down from node i of the heap a[1..ir]:
// moves each larger child up while moving_key is below it, and returns the
// node left for the moving element. Of two children the second is taken
// only when its key is strictly greater. The child is chosen by arithmetic
// rather than a branch, which the processor could not predict.
template <typename Element, typename Key, typename KeyValue>
inline std::size_t sift_down(Element* a, std::size_t i, std::size_t ir, Key key,
                             KeyValue moving_key) {
  std::size_t j = i + i;
  while (j < ir) {  // both children exist
    prefetch_descendants(a, i);
    j += static_cast<std::size_t>(key(a[j]) < key(a[j + 1]));
    if (!(moving_key < key(a[j]))) return i;
    a[i] = a[j];
    i = j;
    j += j;
  }
  if (j == ir && moving_key < key(a[j])) {  // an only child
    a[i] = a[j];
    i = j;
  }
  return i;
}

// The same result as sift_down, reached the other way round: the larger
// child moves up at every level down to the bottom, then the moving element
// climbs back while it is not below the element it passed. The larger
// children's path does not depend on the moving element, and along it the
// keys only fall (the heap below i is whole), so "moving_key below this
// key" holds down to some node and nowhere under it: climbing from the
// bottom stops at the very node where sift_down stops, with the very same
// moves in the end. Each level costs one comparison instead of two; the
// climb is short when the moving element is small, as it is in the second
// phase, where it comes from the heap's last leaf.
//
// While all four grandchildren exist it goes down two levels a step: the
// six keys are loaded at once, and the grandchildren's pair is picked by
// the children's comparison without waiting for a load, which shortens the
// chain of dependent steps that bounds the sort. The choices, and so the
// moves, are those of two single steps.
template <typename Element, typename Key, typename KeyValue>
inline std::size_t sift_down_to_bottom(Element* a, std::size_t i,
                                       std::size_t ir, Key key,
                                       KeyValue moving_key) {
  const std::size_t top = i;
  while (4 * i + 3 <= ir) {
    prefetch_descendants(a, i);
    const std::size_t j = i + i;
    const auto left = key(a[j]);
    const auto right = key(a[j + 1]);
    const auto left_left = key(a[j + j]);
    const auto left_right = key(a[j + j + 1]);
    const auto right_left = key(a[j + j + 2]);
    const auto right_right = key(a[j + j + 3]);
    const bool to_right = left < right;
    const auto next_left = to_right ? right_left : left_left;
    const auto next_right = to_right ? right_right : left_right;
    const std::size_t child = j + static_cast<std::size_t>(to_right);
    const std::size_t grandchild =
        child + child + static_cast<std::size_t>(next_left < next_right);
    a[i] = a[child];
    a[child] = a[grandchild];
    i = grandchild;
  }
  std::size_t j = i + i;
  while (j < ir) {  // both children exist
    prefetch_descendants(a, i);
    j += static_cast<std::size_t>(key(a[j]) < key(a[j + 1]));
    a[i] = a[j];
    i = j;
    j += j;
  }
  if (j == ir) {  // an only child
    a[i] = a[j];
    i = j;
  }
  // a[i / 2] holds what stood at i: give it back while moving_key is not
  // below it.
  while (i > top && !(moving_key < key(a[i / 2]))) {
    a[i] = a[i / 2];
    i /= 2;
  }
  return i;
}

}  // namespace heap_sort4_detail

// The heap sort's first phase sifts down every node that has a child, from
// node n/2 back to node 1. A sift from node l touches only the subtree under
// l, so any order that takes each node after all of its descendants gives
// the same heap; the parts below use that to build subtrees one at a time
// (each in cache while it is built) and on two threads at once.

// Sifts down the nodes of the subtree under root that have a child, in
// a[1..n]: its deepest level first, each level from its last node.
template <typename Element, typename Key>
void heap_build_subtree4(std::size_t n, Element* a, Key key, std::size_t root) {
  const std::size_t last_parent = n / 2;
  std::size_t first[64];  // first node of each level of the subtree
  std::size_t width[64];
  int levels = 0;
  for (std::size_t f = root, w = 1; f <= last_parent; f *= 2, w *= 2) {
    first[levels] = f;
    width[levels] = w;
    ++levels;
  }
  while (levels-- > 0) {
    const std::size_t lo = first[levels];
    const std::size_t hi = std::min(lo + width[levels] - 1, last_parent);
    for (std::size_t l = hi + 1; l-- > lo;) {
      const Element moving = a[l];
      a[heap_sort4_detail::sift_down(a, l, n, key, key(moving))] = moving;
    }
  }
}

// Sifts down nodes top - 1 back to 1 that have a child: the rest of the
// first phase once every subtree under nodes top .. 2 top - 1 is built.
template <typename Element, typename Key>
void heap_build_top4(std::size_t n, Element* a, Key key, std::size_t top) {
  for (std::size_t l = std::min(top - 1, n / 2); l >= 1; --l) {
    const Element moving = a[l];
    a[heap_sort4_detail::sift_down(a, l, n, key, key(moving))] = moving;
  }
}

// The second phase on a built heap a[1..n], n >= 2: moves the largest to
// the end, one at a time.
template <typename Element, typename Key, typename Settled = NothingSettled>
void heap_extract4(std::size_t n, Element* a, Key key, Settled settled = {}) {
  assert(n >= 2);
  for (std::size_t ir = n;;) {
    const Element moving = a[ir];
    a[ir] = a[1];
    if (--ir == 1) {
      a[1] = moving;
      return;
    }
    settled(ir + 1);
    a[heap_sort4_detail::sift_down_to_bottom(a, 1, ir, key, key(moving))] =
        moving;
  }
}

// Sorts a[1..n] in ascending order of key. Needs n >= 2: with fewer the
// steps never reach their end, and a shorter range is already in order.
template <typename Element, typename Key, typename Settled = NothingSettled>
void heap_sort4(std::size_t n, Element* a, Key key, Settled settled = {}) {
  assert(n >= 2);
  heap_build_top4(n, a, key, n / 2 + 1);
  heap_extract4(n, a, key, settled);
}

}  // namespace morvane

#endif  // MORVANE_ANALYSIS_HEAP_SORT4_H_
