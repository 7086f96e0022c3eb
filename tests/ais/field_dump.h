// Messages written bit by bit at hand-counted positions, and a one-line dump
// of the fields a decode reports, for whole-message comparisons.
//
//   int fill = 0;
//   const std::string p = ais::test::HandPlaced(10, 72, {{41, 70}}, fill);
//   ais::DecodeAISMessage(p, rec, fill, 0, now);
//   ais::test::DumpFields(rec, 10)   // "MessageID=10 RepeatIndicator=3 MMSI=536870913 DestinationMMSI=536870913"
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "ais/bit_writer.h"
#include "ais/decoder.h"
#include "ais/message_fields.h"

namespace ais::test {

// One field. Without a value it holds 2^(w-1)+1, its top and bottom bits set,
// so that a field read one bit short or long at either end reads otherwise.
struct Put {
    int first, last;
    std::optional<int64_t> raw = {};
    const char* text = nullptr;
};

// A message of `bits` bits: the type, then the repeat indicator (7-8) and the
// MMSI (9-38) as defaults, then `puts`. Bits no Put covers are ones.
inline std::string HandPlaced(int type, int bits, const std::vector<Put>& puts, int& fill) {
    BitWriter w;
    for (int i = 7; i <= bits; ++i) w.put(i, i, 1);
    w.put(1, 6, type);
    std::vector<Put> all{{7, 8}, {9, 38}};
    all.insert(all.end(), puts.begin(), puts.end());
    for (const Put& p : all) {
        const int width = p.last - p.first + 1;
        if (p.text) w.putText(p.first, p.last, p.text);
        else w.put(p.first, p.last, p.raw ? *p.raw : (width == 1 ? 1 : (int64_t{1} << (width - 1)) | 1));
    }
    return w.armoured(fill);
}

class Dump final : public FieldVisitor {
public:
    std::string out;
    void integer(std::string_view n, int64_t v) override { add(n, std::to_string(v)); }
    void single(std::string_view n, float v) override { add(n, number("%.7g", v)); }
    void real(std::string_view n, double v) override { add(n, number("%.10g", v)); }
    void text(std::string_view n, std::string_view v) override { add(n, "'" + std::string(v) + "'"); }
    void dateTime(std::string_view n, base::DateTime v) override { add(n, number("%.10g", v.value())); }

private:
    static std::string number(const char* format, double v) {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, format, v);
        return buffer;
    }
    void add(std::string_view name, const std::string& value) {
        out += (out.empty() ? "" : " ") + std::string(name) + "=" + value;
    }
};

// "Name=value ..." of every field VisitDecodedFields reports for `type`.
inline std::string DumpFields(const AISMessageRecord& rec, int type, bool withTime = false) {
    Dump d;
    if (!VisitDecodedFields(rec, type, d, withTime)) return "<no fields>";
    return d.out;
}

// The dump of a HandPlaced message decoded (IMO numbering) at kDumpTime; a
// message that decodes to another type dumps as that, and so fails a comparison.
inline const base::DateTime kDumpTime = base::DateTime::fromCalendar(2026, 12, 6, 14, 5, 9);
inline std::string DecodedDump(int type, int bits, const std::vector<Put>& puts) {
    int fill = 0;
    const std::string payload = HandPlaced(type, bits, puts, fill);
    AISMessageRecord rec;
    const int decoded = DecodeAISMessage(payload, rec, fill, 0, kDumpTime);
    return decoded == type ? DumpFields(rec, type) : "<decoded as type " + std::to_string(decoded) + ">";
}

}  // namespace ais::test
