// Memory of many megabytes (the key arrays of an index build, the decoded pages of an
// open index). Such memory is mapped on its own and marked for transparent huge pages, so
// that filling it takes a page fault per 2 MiB rather than per 4 KiB and reading it
// scattered misses the address translation cache less often; smaller blocks come from
// the heap.
#pragma once

#include <sys/mman.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <new>
#include <vector>

namespace xbase {

inline constexpr std::size_t kHugePage = std::size_t{1} << 21;

// Maps `bytes` of zeroed memory, untouched until used; from `huge_from` (a multiple of
// kHugePage) on it is aligned and marked for huge pages (a hint: without it the pages are
// merely smaller).
inline void* map_memory(std::size_t bytes, std::size_t huge_from = 0) {
  const std::size_t extra = huge_from < bytes ? kHugePage : 0;
  void* raw = ::mmap(nullptr, bytes + extra, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (raw == MAP_FAILED) throw std::bad_alloc();
  char* p = static_cast<char*>(raw);
  if (extra) {
    char* aligned = reinterpret_cast<char*>((reinterpret_cast<std::uintptr_t>(p) + kHugePage - 1) &
                                            ~(kHugePage - 1));
    if (aligned > p) ::munmap(p, static_cast<std::size_t>(aligned - p));
    std::size_t tail = static_cast<std::size_t>(p + bytes + extra - (aligned + bytes));
    if (tail) ::munmap(aligned + bytes, tail);
    p = aligned;
    ::madvise(p + huge_from, bytes - huge_from, MADV_HUGEPAGE);
  }
  return p;
}
inline void unmap_memory(void* p, std::size_t bytes) {
  if (p) ::munmap(p, bytes);
}

template <typename T>
struct BigAllocator {
  using value_type = T;

  BigAllocator() = default;
  template <typename U>
  BigAllocator(const BigAllocator<U>&) {}

  T* allocate(std::size_t n) {
    std::size_t bytes = n * sizeof(T);
    if (bytes < kHugePage) return static_cast<T*>(::operator new(bytes));
    return static_cast<T*>(map_memory(bytes));
  }
  void deallocate(T* p, std::size_t n) {
    std::size_t bytes = n * sizeof(T);
    if (bytes < kHugePage)
      ::operator delete(p);
    else
      unmap_memory(p, bytes);
  }
  template <typename U>
  bool operator==(const BigAllocator<U>&) const { return true; }
};

template <typename T>
using BigVector = std::vector<T, BigAllocator<T>>;

// An array of plain values whose new elements are left as the memory gives them (zero
// when freshly mapped): filling tens of megabytes from several threads then costs no
// pass that clears them first.
template <typename T>
class BigArray {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  BigArray() = default;
  explicit BigArray(std::size_t n) { resize(n); }
  ~BigArray() { free(); }
  BigArray(BigArray&& o) noexcept : p_(o.p_), size_(o.size_), cap_(o.cap_) { o.p_ = nullptr, o.size_ = o.cap_ = 0; }
  BigArray& operator=(BigArray&& o) noexcept {
    if (this != &o) {
      free();
      p_ = o.p_, size_ = o.size_, cap_ = o.cap_;
      o.p_ = nullptr, o.size_ = o.cap_ = 0;
    }
    return *this;
  }

  T* data() { return p_; }
  const T* data() const { return p_; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T& operator[](std::size_t i) { return p_[i]; }
  const T& operator[](std::size_t i) const { return p_[i]; }

  void reserve(std::size_t n) {
    if (n <= cap_) return;
    T* q = BigAllocator<T>().allocate(n);
    if (size_) std::memcpy(static_cast<void*>(q), p_, size_ * sizeof(T));
    std::size_t keep = size_;
    free();
    p_ = q, size_ = keep, cap_ = n;
  }
  void resize(std::size_t n) {
    if (n > cap_) reserve(std::max(n, cap_ + cap_ / 2));
    size_ = n;
  }
  void push_back(const T& v) {
    if (size_ == cap_) reserve(cap_ < 16 ? 16 : cap_ * 2);
    p_[size_++] = v;
  }
  void clear() { free(); }

 private:
  void free() {
    if (p_) BigAllocator<T>().deallocate(p_, cap_);
    p_ = nullptr, size_ = cap_ = 0;
  }
  T* p_ = nullptr;
  std::size_t size_ = 0, cap_ = 0;
};

}  // namespace xbase
