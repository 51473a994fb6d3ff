// The heap sort that puts the events in time order.
//
// The order in which it leaves equal keys is part of the program's output:
// the note list is compared byte for byte, and the duration stage pairs a
// note start with the first matching end after it. So the steps below are
// kept exactly as they are, with a strict less-than on the keys; a
// different (even a stable) sort would change note lists.
//
// Elements are 1-based: elements 1 .. n are sorted, element 0 is untouched.
// `key(element)` gives the sort key; moving an element moves all of it.
//
// This function is performance-critical; benchmark any change.

#ifndef MORVANE_ANALYSIS_HEAP_SORT4_H_
#define MORVANE_ANALYSIS_HEAP_SORT4_H_

#include <cassert>
#include <cstddef>
#include <cstdint>

namespace morvane {

// Sorts a[1..n] in ascending order of key. Needs n >= 2: with fewer the
// steps never reach their end, and a shorter range is already in order.
template <typename Element, typename Key>
void heap_sort4(std::size_t n, Element* a, Key key) {
  assert(n >= 2);
  std::size_t l = n / 2 + 1;
  std::size_t ir = n;
  for (;;) {
    Element moving;
    if (l > 1) {
      --l;
      moving = a[l];
    } else {
      moving = a[ir];
      a[ir] = a[1];
      if (--ir == 1) {
        a[1] = moving;
        return;
      }
    }
    const auto moving_key = key(moving);
    std::size_t i = l;
    std::size_t j = l + l;
    while (j <= ir) {
      // The children of both candidates share a cache line or two: ask for
      // them now, while this level is decided. The address is worked out
      // as a number, since near the bottom it lies past the array; a
      // prefetch never faults.
      __builtin_prefetch(reinterpret_cast<const void*>(
          reinterpret_cast<uintptr_t>(a) + 4 * j * sizeof(Element)));
      if (j < ir && key(a[j]) < key(a[j + 1])) ++j;
      if (moving_key < key(a[j])) {
        a[i] = a[j];
        i = j;
        j += j;
      } else {
        break;
      }
    }
    a[i] = moving;
  }
}

}  // namespace morvane

#endif  // MORVANE_ANALYSIS_HEAP_SORT4_H_
