// Large blocks that are touched once, page by page: the event table, the
// durations.

#ifndef MORVANE_BASE_HUGE_PAGES_H_
#define MORVANE_BASE_HUGE_PAGES_H_

#include <cstddef>

namespace morvane {

// Asks the system to back the whole 2 MiB pages inside [data, data + bytes)
// with huge pages. On a virtual machine much of the cost of a large block
// is the first touch of each page, and huge pages make those touches 512
// times fewer. Only advice: it may be ignored, and does nothing off Linux.
// Call it before the block is first written.
void advise_huge_pages(const void* data, std::size_t bytes);

}  // namespace morvane

#endif  // MORVANE_BASE_HUGE_PAGES_H_
