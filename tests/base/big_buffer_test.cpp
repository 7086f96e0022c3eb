#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "base/big_buffer.h"

namespace base {
namespace {

size_t MappingCount() {
    std::ifstream maps("/proc/self/maps");
    size_t n = 0;
    for (std::string line; std::getline(maps, line);) ++n;
    return n;
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

// Growing through the threshold moves every element; a block given back is
// unmapped whole (a wrong size would leave mappings behind, or unmap a
// neighbour's).
TEST(BigBuffer, VectorsGrowThroughTheThresholdAndGiveEverythingBack) {
    const size_t before = MappingCount();
    for (int round = 0; round < 50; ++round) {
        BigVector<uint32_t> v;
        for (uint32_t k = 0; k < 1'500'000; ++k) v.push_back(k * 7 + static_cast<uint32_t>(round));
        BigVector<uint32_t> copy = v;
        ASSERT_EQ(copy.size(), 1'500'000u);
        for (uint32_t k = 0; k < copy.size(); k += 9973) ASSERT_EQ(copy[k], k * 7 + static_cast<uint32_t>(round));
        ASSERT_EQ(copy.back(), 1'499'999u * 7 + static_cast<uint32_t>(round));
    }
    EXPECT_LE(MappingCount(), before + 4);
}

}  // namespace
}  // namespace base
