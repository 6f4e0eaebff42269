// An allocator for buffers of many megabytes (the key arrays of an index build). Such
// buffers are mapped on their own and marked for transparent huge pages, so that filling
// them takes a page fault per 2 MiB rather than per 4 KiB; smaller ones come from the heap.
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <new>
#include <vector>

namespace xbase {

template <typename T>
struct BigAllocator {
  using value_type = T;
  static constexpr std::size_t kMapFrom = std::size_t{1} << 21;

  BigAllocator() = default;
  template <typename U>
  BigAllocator(const BigAllocator<U>&) {}

  T* allocate(std::size_t n) {
    std::size_t bytes = n * sizeof(T);
    if (bytes < kMapFrom) return static_cast<T*>(::operator new(bytes));
    void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    ::madvise(p, bytes, MADV_HUGEPAGE);  // a hint; without it the pages are merely smaller
    return static_cast<T*>(p);
  }
  void deallocate(T* p, std::size_t n) {
    std::size_t bytes = n * sizeof(T);
    if (bytes < kMapFrom)
      ::operator delete(p);
    else
      ::munmap(p, bytes);
  }
  template <typename U>
  bool operator==(const BigAllocator<U>&) const { return true; }
};

template <typename T>
using BigVector = std::vector<T, BigAllocator<T>>;

}  // namespace xbase
