#include "history/pg/batch_codec.h"

#include <cstdint>
#include <cstring>
#include <type_traits>

namespace history {

namespace {

constexpr char kVersion = 1;

class Writer {
public:
    template <typename T>
    void put(T value) {
        static_assert(std::is_trivially_copyable_v<T>);
        out.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    void text(const std::string& s) {
        put(static_cast<uint32_t>(s.size()));
        out += s;
    }
    template <typename T>
    void optional(const std::optional<T>& value) {
        put(static_cast<uint8_t>(value.has_value()));
        if (value) put(*value);
    }
    std::string out;
};

class Reader {
public:
    explicit Reader(std::string_view bytes) : in(bytes) {}
    template <typename T>
    bool get(T& value) {
        if (in.size() < sizeof value) return false;
        std::memcpy(&value, in.data(), sizeof value);
        in.remove_prefix(sizeof value);
        return true;
    }
    bool text(std::string& s) {
        uint32_t n = 0;
        if (!get(n) || in.size() < n) return false;
        s.assign(in.data(), n);
        in.remove_prefix(n);
        return true;
    }
    template <typename T>
    bool optional(std::optional<T>& value) {
        uint8_t has = 0;
        if (!get(has) || has > 1) return false;
        if (!has) {
            value.reset();
            return true;
        }
        T v{};
        if (!get(v)) return false;
        value = v;
        return true;
    }
    // A count of rows that the remaining bytes could hold at all.
    bool count(uint32_t& n, size_t leastRowBytes) {
        return get(n) && n <= in.size() / leastRowBytes;
    }
    std::string_view in;
};

template <typename Row>
void PutCommon(Writer& w, const Row& r) {
    w.put(r.time);
    w.put(r.mmsi);
    w.put(r.input);
    w.text(r.source);
    w.put(r.type);
}

template <typename Row>
bool GetCommon(Reader& r, Row& row) {
    return r.get(row.time) && r.get(row.mmsi) && r.get(row.input) && r.text(row.source) && r.get(row.type);
}

constexpr size_t kLeastRowBytes = sizeof(TimeMs) + 4 + 2 + 4 + 1;

}  // namespace

size_t RowCount(const Batch& batch) { return batch.positions.size() + batch.statics.size() + batch.messages.size(); }

std::string EncodeBatch(const Batch& batch) {
    Writer w;
    w.out.reserve(16 + batch.positions.size() * 64);
    w.put(kVersion);
    w.put(static_cast<uint32_t>(batch.positions.size()));
    for (const PositionRow& p : batch.positions) {
        PutCommon(w, p);
        w.put(p.stationClass);
        w.put(p.latitude);
        w.put(p.longitude);
        w.optional(p.sog);
        w.optional(p.cog);
        w.optional(p.heading);
        w.optional(p.navStatus);
    }
    w.put(static_cast<uint32_t>(batch.statics.size()));
    for (const StaticRow& s : batch.statics) {
        PutCommon(w, s);
        w.text(s.name);
        w.text(s.callSign);
        w.optional(s.imo);
        w.optional(s.shipType);
        w.optional(s.dimA);
        w.optional(s.dimB);
        w.optional(s.dimC);
        w.optional(s.dimD);
        w.optional(s.draught);
        w.text(s.destination);
        w.text(s.eta);
    }
    w.put(static_cast<uint32_t>(batch.messages.size()));
    for (const MessageRow& m : batch.messages) {
        PutCommon(w, m);
        w.text(m.json);
    }
    return std::move(w.out);
}

std::optional<Batch> DecodeBatch(std::string_view bytes) {
    Reader r(bytes);
    char version = 0;
    if (!r.get(version) || version != kVersion) return std::nullopt;
    Batch batch;
    uint32_t n = 0;
    if (!r.count(n, kLeastRowBytes)) return std::nullopt;
    batch.positions.resize(n);
    for (PositionRow& p : batch.positions) {
        if (!GetCommon(r, p) || !r.get(p.stationClass) || !r.get(p.latitude) || !r.get(p.longitude) ||
            !r.optional(p.sog) || !r.optional(p.cog) || !r.optional(p.heading) || !r.optional(p.navStatus))
            return std::nullopt;
    }
    if (!r.count(n, kLeastRowBytes)) return std::nullopt;
    batch.statics.resize(n);
    for (StaticRow& s : batch.statics) {
        if (!GetCommon(r, s) || !r.text(s.name) || !r.text(s.callSign) || !r.optional(s.imo) ||
            !r.optional(s.shipType) || !r.optional(s.dimA) || !r.optional(s.dimB) || !r.optional(s.dimC) ||
            !r.optional(s.dimD) || !r.optional(s.draught) || !r.text(s.destination) || !r.text(s.eta))
            return std::nullopt;
    }
    if (!r.count(n, kLeastRowBytes)) return std::nullopt;
    batch.messages.resize(n);
    for (MessageRow& m : batch.messages) {
        if (!GetCommon(r, m) || !r.text(m.json)) return std::nullopt;
    }
    if (!r.in.empty()) return std::nullopt;
    return batch;
}

}  // namespace history
