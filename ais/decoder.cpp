#include "ais/decoder.h"

#include <algorithm>

#include "ais/binary_message.h"
#include "ais/layout_decoder.h"

namespace ais {

namespace {

template <class R>
void DecodeWithLayout(const PayloadBits& bits, int fillBits, base::DateTime now, R& rec) {
    const DecodeContext ctx{fillBits, now};
    ApplyLayout(LayoutOf<R>(), bits, ctx, rec);
    rec.TimeReceived = now;
}

void DecodeStaticDataReport(const PayloadBits& bits, base::DateTime now, StaticDataReport& rec) {
    const DecodeContext ctx{0, now};
    ApplyLayout(std::span(layouts::kStaticDataReportHeader), bits, ctx, rec);
    // Part numbers 1-3 are all read as part B.
    if (rec.PartNumber == 0) {
        ApplyLayout(std::span(layouts::kStaticDataReportPartA), bits, ctx, rec);
    } else {
        ApplyLayout(std::span(layouts::kStaticDataReportPartB), bits, ctx, rec);
    }
    rec.TimeReceived = now;
}

}  // namespace

base::DateTime ComputeETA(int month, int day, int hour, int minute, base::DateTime now) {
    if (month == 0) return base::DateTime();
    const int year = now.toCalendar().year + (month - 1) / 12;
    const int firstOfMonth = (month - 1) % 12 + 1;
    const double base = base::DateTime::fromCalendar(year, firstOfMonth, 1).value();
    return base::DateTime(base + (day - 1) + hour / 24.0 + minute / 1440.0);
}

int DecodeAISMessage(std::string_view payload, AISMessageRecord& record, int fillBits, int standard,
                     base::DateTime now) {
    const PayloadBits bits(payload);
    return DecodeAISMessage(bits, record, fillBits, standard, now);
}

int DecodeAISMessage(const PayloadBits& bits, AISMessageRecord& r, int fillBits, int standard,
                     base::DateTime now) {
    // Any count beyond +-1008 gives the same text extent (all or nothing);
    // clamping keeps the extent arithmetic from overflowing.
    fillBits = std::clamp(fillBits, -kMaxPayloadBits, kMaxPayloadBits);
    const int type = static_cast<int>(bits.value(1, 6));
    switch (type) {
        case 1: DecodeWithLayout(bits, 0, now, r.Type1); break;
        case 2: DecodeWithLayout(bits, 0, now, r.Type2); break;
        case 3: DecodeWithLayout(bits, 0, now, r.Type3); break;
        case 4: DecodeWithLayout(bits, 0, now, r.Type4); break;
        case 5: DecodeWithLayout(bits, 0, now, r.Type5); break;
        case 6: DecodeBinaryMessage(bits, fillBits, standard, now, r.Type6); break;
        case 7: r.Type7.TimeReceived = now; break;
        case 8: DecodeBinaryMessage(bits, fillBits, standard, now, r.Type8); break;
        case 9: DecodeWithLayout(bits, 0, now, r.Type9); break;
        case 10: DecodeWithLayout(bits, 0, now, r.Type10); break;
        case 11: r.Type11.TimeReceived = now; break;
        case 12: DecodeWithLayout(bits, fillBits, now, r.Type12); break;
        case 13: r.Type13.TimeReceived = now; break;
        case 14: DecodeWithLayout(bits, fillBits, now, r.Type14); break;
        case 15: r.Type15.TimeReceived = now; break;
        case 16: r.Type16.TimeReceived = now; break;
        case 17: r.Type17.TimeReceived = now; break;
        case 18: DecodeWithLayout(bits, 0, now, r.Type18); break;
        case 19: DecodeWithLayout(bits, 0, now, r.Type19); break;
        case 20: DecodeWithLayout(bits, 0, now, r.Type20); break;
        case 21: DecodeWithLayout(bits, 0, now, r.Type21); break;
        case 22: r.Type22.TimeReceived = now; break;
        case 23: r.Type23.TimeReceived = now; break;
        case 24: DecodeStaticDataReport(bits, now, r.Type24); break;
        case 25: r.Type25.TimeReceived = now; break;
        case 26: r.Type26.TimeReceived = now; break;
        default: break;  // 0 and 27-63: no decoder, record unchanged
    }
    return type;
}

}  // namespace ais
