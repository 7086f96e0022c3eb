#include "history/position_block.h"

namespace history::sqlite {
namespace {

// Writes v at p (room for ten bytes), returns the end.
inline char* PutNumber(char* p, uint64_t v) {
    while (v >= 0x80) {
        *p++ = static_cast<char>((v & 0x7f) | 0x80);
        v >>= 7;
    }
    *p++ = static_cast<char>(v);
    return p;
}

uint64_t Zigzag(int64_t v) { return (static_cast<uint64_t>(v) << 1) ^ static_cast<uint64_t>(v >> 63); }

}  // namespace

bool BlockBuilder::fits(const PackedPosition& p) const {
    if (count_ == 0) return true;
    return count_ < kBlockPositions && size_ < kBlockBytes && p.time >= last_.time &&
           p.time - first_ <= kBlockSpanMs;
}

void BlockBuilder::add(const PackedPosition& p) {
    using block_detail::kLonBits;
    if (count_ == 0) {
        first_ = p.time;
        last_ = PackedPosition{p.time, 0, 0};
    }
    const int64_t lat = p.place >> kLonBits, lon = p.place & ((int64_t{1} << kLonBits) - 1);
    const int64_t lastLat = last_.place >> kLonBits, lastLon = last_.place & ((int64_t{1} << kLonBits) - 1);
    char* at = data_ + size_;
    at = PutNumber(at, static_cast<uint64_t>(p.time - last_.time));
    at = PutNumber(at, Zigzag(lat - lastLat));
    at = PutNumber(at, Zigzag(lon - lastLon));
    at = PutNumber(at, static_cast<uint64_t>(p.info ^ last_.info));
    size_ = static_cast<size_t>(at - data_);
    last_ = p;
    ++count_;
}

}  // namespace history::sqlite
