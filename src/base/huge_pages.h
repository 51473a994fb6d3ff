// Large blocks read and written at scattered places (the heap, the
// durations, the pairing's working room) are backed by huge pages, so that
// all of one stays within reach of the processor's address translation:
// with small pages nearly every step of the heap's walks would miss it.
// Only whole 2 MiB pages are backed so, so such a block starts on one.
//
// Blocks read and written in order (the event table, the note text) stay in
// small pages: on a virtual machine that gives freed memory back to its
// host, the first touch of a huge page costs far more (2.2 against 0.3 ms a
// MiB here), and in order small pages cost no more to reach.

#ifndef MORVANE_BASE_HUGE_PAGES_H_
#define MORVANE_BASE_HUGE_PAGES_H_

#include <cstddef>
#include <new>
#include <utility>

namespace morvane {

inline constexpr std::size_t kHugePage = std::size_t{1} << 21;

// bytes of memory, unwritten; from kHugePage bytes on, starting on a huge
// page and advised to be backed by them. Throws std::bad_alloc.
void* allocate_large(std::size_t bytes);
// The same, all 0: a large block's pages come zeroed at their first touch,
// paid for by the thread that touches them.
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
