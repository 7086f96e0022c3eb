// An allocator for vectors that grow to megabytes, such as the history's
// queues and batches:
//
//   base::BigVector<Row> rows;  // std::vector<Row, base::BigBufferAllocator<Row>>
//
// Up to kBigBufferBytes it is the ordinary allocator. A larger block is
// mapped on its own, aligned to 2 MiB and marked for huge pages, so the
// kernel fills it a 2 MiB page at a time: touching 100 MB the first time
// costs fifty page faults instead of 25,000 (in a virtual machine a fault of
// a 4 KiB page takes microseconds; a batch of history rows touched that much
// fresh memory and spent a fifth of its time in them). Where the kernel has
// no transparent huge pages the block is an ordinary mapping.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <vector>

namespace base {

inline constexpr size_t kBigBufferBytes = size_t{1} << 20;
inline constexpr size_t kHugePageBytes = size_t{2} << 20;

// Maps `bytes` (a multiple of kHugePageBytes) aligned to kHugePageBytes;
// nullptr when the system has no room.
void* MapBigBuffer(size_t bytes);
void UnmapBigBuffer(void* p, size_t bytes);

// What a block of `bytes` takes as a big buffer: a whole number of huge pages.
constexpr size_t BigBufferSize(size_t bytes) { return (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes; }

template <typename T>
struct BigBufferAllocator {
    using value_type = T;

    BigBufferAllocator() = default;
    template <typename U>
    BigBufferAllocator(const BigBufferAllocator<U>&) {}

    T* allocate(size_t n) {
        if (n > static_cast<size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
        const size_t bytes = n * sizeof(T);
        if (bytes < kBigBufferBytes) return std::allocator<T>().allocate(n);
        void* p = MapBigBuffer(BigBufferSize(bytes));
        if (!p) throw std::bad_alloc();
        return static_cast<T*>(p);
    }

    void deallocate(T* p, size_t n) {
        const size_t bytes = n * sizeof(T);
        if (bytes < kBigBufferBytes) std::allocator<T>().deallocate(p, n);
        else UnmapBigBuffer(p, BigBufferSize(bytes));
    }

    template <typename U>
    bool operator==(const BigBufferAllocator<U>&) const { return true; }
};

template <typename T>
using BigVector = std::vector<T, BigBufferAllocator<T>>;

}  // namespace base
