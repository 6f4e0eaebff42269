// Memory of many megabytes (the key arrays of an index build, the decoded pages of an
// open index). Such memory is mapped on its own and marked for transparent huge pages, so
// that filling it takes a page fault per 2 MiB rather than per 4 KiB and reading it
// scattered misses the address translation cache less often; smaller blocks come from
// the heap.
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
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

}  // namespace xbase
