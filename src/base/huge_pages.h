// Large blocks read and written at scattered places: the time order (the
// heap), the durations, the pairing's working room.
//
// Such a block is backed by huge pages, so that all of it stays within
// reach of the processor's address translation: with small pages nearly
// every step of the heap's walks would miss it. The system backs only the
// whole 2 MiB pages of a block with them, so the large blocks here start
// on such a page: a block as malloc places it would leave up to two of
// them (4 MiB) in small pages.
//
// Blocks read and written in order (the event table, the scanned lines,
// the note text) are plain allocations in small pages. On a virtual
// machine that gives freed memory back to its host, the first touch of a
// huge page the host has taken back costs far more than that of the same
// memory in small pages (2.2 against 0.3 ms a MiB here; 0.13 when the huge
// page was freed a moment ago), and in order their small pages cost no
// more to reach.

#ifndef MORVANE_BASE_HUGE_PAGES_H_
#define MORVANE_BASE_HUGE_PAGES_H_

#include <cstddef>
#include <new>
#include <utility>

namespace morvane {

inline constexpr std::size_t kHugePage = std::size_t{1} << 21;

// bytes of memory, unwritten; from kHugePage bytes on it starts on a huge
// page and is advised to be backed by them. Throws std::bad_alloc.
void* allocate_large(std::size_t bytes);
// The same, all 0. A large block is not written here: the system gives its
// pages zeroed as they are first touched, so the thread that first writes
// a page pays for it, not the one that asks for the block.
void* allocate_large_zeroed(std::size_t bytes);
void free_large(void* block, std::size_t bytes) noexcept;

// Asks LargeArray for its elements all 0.
struct ZeroFilled {};

// An array of plain elements in such a block, left unwritten (or all 0).
template <typename T>
class LargeArray {
 public:
  LargeArray() = default;
  explicit LargeArray(std::size_t count)
      : data_(static_cast<T*>(allocate_large(bytes(count)))), count_(count) {}
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
    if (data_ != nullptr) free_large(data_, count_ * sizeof(T));
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
