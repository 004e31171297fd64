#include "main/heap.hpp"

#include <cstdint>
#include <cstdlib>  // defines __GLIBC__ with the GNU C library

// Under AddressSanitizer the heap is the sanitizer's own.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KOVA_OWN_HEAP 0
#endif
#endif
#if !defined(KOVA_OWN_HEAP) && defined(__SANITIZE_ADDRESS__)
#define KOVA_OWN_HEAP 0
#endif
#if !defined(KOVA_OWN_HEAP) && defined(__linux__) && defined(__GLIBC__)
#define KOVA_OWN_HEAP 1
#endif

#if KOVA_OWN_HEAP
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace kova {

#if KOVA_OWN_HEAP

void prepare_heap() {
    constexpr std::uintptr_t huge = std::uintptr_t{2} << 20;  // a huge page
    constexpr int pad = 512 << 20;                            // room reserved at each growth
    // Blocks of up to 32 MiB come from the heap rather than from maps of their own, the heap
    // grows by the pad at a time and is never given back while the run lasts.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 0x7fffffff);
    mallopt(M_TOP_PAD, pad);
    // One block larger than what the heap has left makes it grow now; the room it then has is
    // marked for huge pages, from the first whole huge page on. Only touched memory is taken.
    void* block = std::malloc(std::size_t{4} << 20);
    if (!block) return;
    const auto first = (reinterpret_cast<std::uintptr_t>(block) + huge - 1) & ~(huge - 1);
    const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
    if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
    std::free(block);
}

#else

void prepare_heap() {}

#endif

}  // namespace kova
