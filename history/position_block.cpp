#include "history/position_block.h"

namespace history::sqlite {
namespace {

// Room a position takes at most: four numbers of up to ten bytes.
constexpr size_t kMaxPositionBytes = 40;

inline void WriteNumber(std::string& out, uint64_t v) {
    if (v < 0x80) {
        out.push_back(static_cast<char>(v));
        return;
    }
    char buf[10];
    int n = 0;
    do {
        const auto low = static_cast<unsigned char>(v & 0x7f);
        v >>= 7;
        buf[n++] = static_cast<char>(v ? low | 0x80 : low);
    } while (v);
    out.append(buf, static_cast<size_t>(n));
}

uint64_t Zigzag(int64_t v) { return (static_cast<uint64_t>(v) << 1) ^ static_cast<uint64_t>(v >> 63); }

}  // namespace

bool BlockBuilder::fits(const PackedPosition& p) const {
    if (count_ == 0) return true;
    return count_ < kBlockPositions && data_.size() < kBlockBytes && p.time >= last_.time &&
           p.time - first_ <= kBlockSpanMs;
}

void BlockBuilder::add(const PackedPosition& p) {
    using block_detail::kLonBits;
    if (count_ == 0) {
        first_ = p.time;
        last_ = PackedPosition{p.time, 0, 0};
        data_.reserve(kBlockBytes + kMaxPositionBytes);
    }
    const int64_t lat = p.place >> kLonBits, lon = p.place & ((int64_t{1} << kLonBits) - 1);
    const int64_t lastLat = last_.place >> kLonBits, lastLon = last_.place & ((int64_t{1} << kLonBits) - 1);
    WriteNumber(data_, static_cast<uint64_t>(p.time - last_.time));
    WriteNumber(data_, Zigzag(lat - lastLat));
    WriteNumber(data_, Zigzag(lon - lastLon));
    WriteNumber(data_, static_cast<uint64_t>(p.info ^ last_.info));
    last_ = p;
    ++count_;
}

}  // namespace history::sqlite
