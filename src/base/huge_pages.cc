#include "base/huge_pages.h"

#include <cstdint>
#include <cstring>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace morvane {

// Off Linux no huge pages are asked for, so a block is placed as any other;
// nor under the address sanitizer, which then checks every access to it.
#if defined(__linux__) && defined(MADV_HUGEPAGE) && !defined(__SANITIZE_ADDRESS__)
namespace {

std::size_t whole_huge_pages(std::size_t bytes) {
  if (bytes > std::size_t(-1) - 2 * kHugePage) throw std::bad_alloc();
  return (bytes + kHugePage - 1) & ~(kHugePage - 1);
}

}  // namespace

// Mapped with a huge page to spare, then cut to whole huge pages from a
// huge page's start: no more address space is held than the block needs
// (a limit on it is part of what the program must live with).
void* allocate_large(std::size_t bytes) {
  if (bytes < kHugePage) return ::operator new(bytes);
  const std::size_t whole = whole_huge_pages(bytes);
  void* mapped = mmap(nullptr, whole + kHugePage, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  const auto raw = reinterpret_cast<uintptr_t>(mapped);
  const uintptr_t begin = (raw + kHugePage - 1) & ~(uintptr_t{kHugePage} - 1);
  if (begin > raw) munmap(mapped, begin - raw);
  const uintptr_t end = begin + whole;
  if (raw + whole + kHugePage > end) {
    munmap(reinterpret_cast<void*>(end), raw + whole + kHugePage - end);
  }
  void* block = reinterpret_cast<void*>(begin);
  madvise(block, whole, MADV_HUGEPAGE);
  return block;
}

// A fresh mapping is all 0.
void* allocate_large_zeroed(std::size_t bytes) {
  if (bytes >= kHugePage) return allocate_large(bytes);
  return std::memset(::operator new(bytes), 0, bytes);
}

void free_large(void* block, std::size_t bytes) noexcept {
  if (bytes < kHugePage) {
    ::operator delete(block);
  } else {
    munmap(block, whole_huge_pages(bytes));
  }
}
#else
void* allocate_large(std::size_t bytes) { return ::operator new(bytes); }
void* allocate_large_zeroed(std::size_t bytes) {
  return std::memset(::operator new(bytes), 0, bytes);
}
void free_large(void* block, std::size_t) noexcept { ::operator delete(block); }
#endif

}  // namespace morvane
