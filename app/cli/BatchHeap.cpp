#include "BatchHeap.h"

#include <cstdlib> // defines __GLIBC__ where it is glibc

#if defined(__GLIBC__)
#include <cstdint>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

void PrepareHeapForBatch()
{
#if defined(__GLIBC__)
    constexpr std::size_t kHugePage = std::size_t(2) << 20;
    constexpr std::size_t kPad = std::size_t(64) << 20;
    // Large blocks from the heap rather than from a mapping of their own,
    // which would be unmapped on free and faulted in again on the next use.
    mallopt(M_MMAP_THRESHOLD, 32 << 20); // the largest glibc takes
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    // Every growth of the heap takes the pad at once. One is made now (a
    // block larger than any free room, and freed again) and its range is
    // advised for huge pages: with transparent huge pages in madvise mode,
    // only advised memory gets them. Untouched, the range costs no memory.
    mallopt(M_TOP_PAD, int(kPad));
    const std::uintptr_t before = reinterpret_cast<std::uintptr_t>(sbrk(0));
    // volatile: a block that is never used would be optimised away.
    void* volatile block = std::malloc(kPad / 4);
    std::free(block);
    const std::uintptr_t after = reinterpret_cast<std::uintptr_t>(sbrk(0));
    const std::uintptr_t begin = (before + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t end = after & ~(kHugePage - 1);
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
}
