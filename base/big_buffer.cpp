#include "base/big_buffer.h"

#include <sys/mman.h>

#include <cstdint>

namespace base {

void* MapBigBuffer(size_t bytes) {
    // Mapped a huge page larger than asked, then trimmed to the aligned part:
    // only an aligned 2 MiB range can be one huge page.
    const size_t mapped = bytes + kHugePageBytes;
    void* raw = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (start + kHugePageBytes - 1) & ~(uintptr_t{kHugePageBytes} - 1);
    if (const size_t head = aligned - start; head > 0) munmap(raw, head);
    if (const size_t tail = mapped - (aligned - start) - bytes; tail > 0)
        munmap(reinterpret_cast<void*>(aligned + bytes), tail);
    void* p = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
    madvise(p, bytes, MADV_HUGEPAGE);  // only advice: refused, the pages are small ones
#endif
    return p;
}

void UnmapBigBuffer(void* p, size_t bytes) { munmap(p, bytes); }

}  // namespace base
