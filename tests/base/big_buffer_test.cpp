#include <gtest/gtest.h>

#include <sys/mman.h>

#include <cerrno>
#include <cstdint>

#include "base/big_buffer.h"

namespace base {
namespace {

// Whether the page at p is mapped at all (msync fails with ENOMEM on an
// address without a mapping).
bool Mapped(const void* p) {
    void* page = reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(p) & ~uintptr_t{4095});
    return msync(page, 4096, MS_ASYNC) == 0 || errno != ENOMEM;
}

// Every byte of a block is ours: written at both ends of every page (a
// trimmed-away tail or head would fault here), and a big block starts on a
// huge-page boundary.
TEST(BigBuffer, BlocksOnEitherSideOfTheThresholdAreWholeAndBigOnesAligned) {
    BigBufferAllocator<uint64_t> a;
    for (const size_t bytes : {size_t{64}, kBigBufferBytes - 8, kBigBufferBytes, kHugePageBytes - 8, kHugePageBytes,
                               kHugePageBytes + 8, 3 * kHugePageBytes + 4096}) {
        const size_t n = bytes / sizeof(uint64_t);
        uint64_t* p = a.allocate(n);
        ASSERT_NE(p, nullptr) << bytes;
        if (bytes >= kBigBufferBytes) {
            EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % kHugePageBytes, 0u) << bytes;
        }
        for (size_t k = 0; k < n; k += 256) p[k] = k;  // both ends of every page
        p[n - 1] = n - 1;
        for (size_t k = 0; k < n; k += 256) ASSERT_EQ(p[k], k) << bytes;
        EXPECT_EQ(p[n - 1], n - 1);
        a.deallocate(p, n);
    }
}

// Growing through the threshold moves every element.
TEST(BigBuffer, VectorsGrowThroughTheThresholdKeepingEveryElement) {
    for (int round = 0; round < 3; ++round) {
        BigVector<uint32_t> v;
        for (uint32_t k = 0; k < 1'500'000; ++k) v.push_back(k * 7 + static_cast<uint32_t>(round));
        BigVector<uint32_t> copy = v;
        ASSERT_EQ(copy.size(), 1'500'000u);
        for (uint32_t k = 0; k < copy.size(); k += 9973) ASSERT_EQ(copy[k], k * 7 + static_cast<uint32_t>(round));
        ASSERT_EQ(copy.back(), 1'499'999u * 7 + static_cast<uint32_t>(round));
    }
}

// A big block given back is unmapped whole: its first and last page are
// gone (a wrong size would leave a part of it behind).
TEST(BigBuffer, ABigBlockIsGivenBackWhole) {
    BigBufferAllocator<char> a;
    for (const size_t bytes : {kBigBufferBytes, kHugePageBytes + 1, 5 * kHugePageBytes}) {
        char* p = a.allocate(bytes);
        const size_t mapped = BigBufferSize(bytes);
        p[0] = p[mapped - 1] = 1;
        ASSERT_TRUE(Mapped(p) && Mapped(p + mapped - 1)) << bytes;
        a.deallocate(p, bytes);
        EXPECT_FALSE(Mapped(p)) << bytes;
        EXPECT_FALSE(Mapped(p + mapped - 1)) << bytes;
    }
}

}  // namespace
}  // namespace base
