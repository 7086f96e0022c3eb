// A block of one station's positions, as the SQLite history keeps them: up
// to a few dozen consecutive positions in one row, each as small differences
// from the one before. One row per block instead of one per position makes
// writing a long feed a few dozen times cheaper and the file about a third
// of the size; a query reads a station's blocks through the (mmsi, first
// time) key and decodes them.
//
//   history::sqlite::BlockBuilder b;
//   if (b.fits(p)) b.add(p); else { write(b); b = {}; b.add(p); }
//   history::sqlite::ForEachInBlock(bytes, first, [](const PackedPosition& p) { ...; return true; });
//
// Each position is four unsigned LEB128 numbers: the milliseconds since the
// one before (the first: since the block's start, which its key holds), the zigzag differences of latitude and of
// longitude (the first from 0), and its packed fields XOR those of the one
// before (0 when none changed).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "history/history_store.h"

namespace history::sqlite {

// A position as stored: time, place and the other fields packed (sqlite_schema.h).
struct PackedPosition {
    TimeMs time = 0;
    int64_t place = 0;
    int64_t info = 0;
};

// How far a block reaches: a query looks this far back from its window for
// blocks that start before it and reach into it. A station heard every 20 s
// or so fills a block in about this time: shorter, most blocks closed by
// their span half empty, and each cost a row and an index entry of its own
// (files of schema version 5 and older hold blocks of up to 10 minutes).
constexpr TimeMs kBlockSpanMs = 30 * 60 * 1000;
// Positions and bytes a block holds at most; the bytes keep a row on its
// B-tree page (no overflow pages).
constexpr int kBlockPositions = 64;
constexpr size_t kBlockBytes = 480;
// Room a position takes at most: four numbers of up to ten bytes.
constexpr size_t kMaxPositionBytes = 40;

class BlockBuilder {
public:
    // Whether p can go at the end: not older than the last one, within the
    // block's span, and room left.
    bool fits(const PackedPosition& p) const;
    void add(const PackedPosition& p);

    bool empty() const { return count_ == 0; }
    int count() const { return count_; }
    TimeMs first() const { return first_; }
    TimeMs last() const { return last_.time; }
    std::string_view bytes() const { return {data_, size_}; }

private:
    // In place rather than a growing string: a block never outgrows this.
    char data_[kBlockBytes + kMaxPositionBytes];
    size_t size_ = 0;
    int count_ = 0;
    TimeMs first_ = 0;
    PackedPosition last_;
};

// Calls visit(const PackedPosition&) for each position of a block that
// starts at `first`, oldest first, while it returns true; false when the
// bytes end inside a position (a damaged row: what was read before is kept).
template <typename Visit>
bool ForEachInBlock(std::string_view data, TimeMs first, Visit&& visit);

namespace block_detail {
// The next number at p (advanced past it); false when the bytes end first.
inline bool ReadNumber(const unsigned char*& p, const unsigned char* end, uint64_t& v) {
    v = 0;
    for (int shift = 0; p < end && shift < 64; shift += 7) {
        const unsigned char b = *p++;
        v |= uint64_t{b & 0x7fu} << shift;
        if (!(b & 0x80)) return true;
    }
    return false;
}
inline int64_t Unzigzag(uint64_t v) { return static_cast<int64_t>(v >> 1) ^ -static_cast<int64_t>(v & 1); }
constexpr int kLonBits = 28;
}  // namespace block_detail

template <typename Visit>
bool ForEachInBlock(std::string_view data, TimeMs first, Visit&& visit) {
    using namespace block_detail;
    const auto* p = reinterpret_cast<const unsigned char*>(data.data());
    const auto* end = p + data.size();
    PackedPosition at;
    at.time = first;
    int64_t lat = 0, lon = 0;
    while (p < end) {
        uint64_t dt, dlat, dlon, dinfo;
        if (!ReadNumber(p, end, dt) || !ReadNumber(p, end, dlat) || !ReadNumber(p, end, dlon) ||
            !ReadNumber(p, end, dinfo))
            return false;
        at.time += static_cast<TimeMs>(dt);
        lat += Unzigzag(dlat);
        lon += Unzigzag(dlon);
        at.place = lat << kLonBits | lon;
        at.info ^= static_cast<int64_t>(dinfo);
        if (!visit(static_cast<const PackedPosition&>(at))) return true;
    }
    return true;
}

}  // namespace history::sqlite
