// Large blocks that are touched once, page by page: the event table, the
// time order, the durations, the pairing's working room.
//
// On a virtual machine much of the cost of a large block is the first
// touch of each page, and huge pages make those touches 512 times fewer.
// The system backs only the whole 2 MiB pages of a block with them, so the
// large blocks here start on such a page: a block as malloc places it would
// leave up to two of them (4 MiB) in small pages.

#ifndef MORVANE_BASE_HUGE_PAGES_H_
#define MORVANE_BASE_HUGE_PAGES_H_

#include <cstddef>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace morvane {

inline constexpr std::size_t kHugePage = std::size_t{1} << 21;

// Asks the system to back the whole 2 MiB pages inside [data, data + bytes)
// with huge pages. Only advice: it may be ignored, and does nothing off
// Linux. Call it before the block is first written.
void advise_huge_pages(const void* data, std::size_t bytes);

// bytes of memory, unwritten; from kHugePage bytes on it starts on a huge
// page and is advised to be backed by them. Throws std::bad_alloc.
void* allocate_large(std::size_t bytes);
// The same, all 0. A large block is not written here: the system gives its
// pages zeroed as they are first touched, so the thread that first writes
// a page pays for it, not the one that asks for the block.
void* allocate_large_zeroed(std::size_t bytes);
void free_large(void* block, std::size_t bytes) noexcept;

// For std::vector: a large vector's block is allocate_large's.
template <typename T>
struct LargeAllocator {
  using value_type = T;
  LargeAllocator() = default;
  template <typename U>
  LargeAllocator(const LargeAllocator<U>&) {}  // NOLINT: as allocators are
  T* allocate(std::size_t n) {
    if (n > std::size_t(-1) / sizeof(T)) throw std::bad_alloc();
    return static_cast<T*>(allocate_large(n * sizeof(T)));
  }
  void deallocate(T* p, std::size_t n) noexcept { free_large(p, n * sizeof(T)); }
  friend bool operator==(const LargeAllocator&, const LargeAllocator&) {
    return true;
  }
};

template <typename T>
using LargeVector = std::vector<T, LargeAllocator<T>>;

// Asks LargeArray for its elements all 0.
struct ZeroFilled {};

// An array of plain elements in such a block, left unwritten (or all 0).
template <typename T>
class LargeArray {
 public:
  LargeArray() = default;
  explicit LargeArray(std::size_t count)
      : data_(LargeAllocator<T>().allocate(count)), count_(count) {}
  LargeArray(std::size_t count, ZeroFilled)
      : data_(static_cast<T*>(allocate_large_zeroed(bytes(count)))),
        count_(count) {}
  ~LargeArray() { reset(); }
  LargeArray(LargeArray&& other) noexcept { *this = std::move(other); }
  LargeArray& operator=(LargeArray&& other) noexcept {
    reset();
    data_ = other.data_;
    count_ = other.count_;
    other.data_ = nullptr;
    other.count_ = 0;
    return *this;
  }

  T* get() const { return data_; }
  T& operator[](std::size_t i) const { return data_[i]; }
  std::size_t size() const { return count_; }
  T* begin() const { return data_; }
  T* end() const { return data_ + count_; }
  explicit operator bool() const { return data_ != nullptr; }
  void reset() {
    if (data_ != nullptr) LargeAllocator<T>().deallocate(data_, count_);
    data_ = nullptr;
    count_ = 0;
  }

 private:
  static std::size_t bytes(std::size_t count) {
    if (count > std::size_t(-1) / sizeof(T)) throw std::bad_alloc();
    return count * sizeof(T);
  }

  T* data_ = nullptr;
  std::size_t count_ = 0;
};

}  // namespace morvane

#endif  // MORVANE_BASE_HUGE_PAGES_H_
