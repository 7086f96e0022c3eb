#include "ais/decoder.h"

#include <algorithm>

#include "ais/binary_message.h"
#include "ais/payload_bits.h"
#include "ais/layout_decoder.h"

namespace ais {

namespace {

template <class R>
void DecodeWithLayout(const PayloadBits& bits, int fillBits, base::DateTime now, R& rec) {
    const DecodeContext ctx{fillBits, now, bits.dataEnd(fillBits)};
    ApplyWholeLayout<R>(bits, ctx, rec);
    rec.TimeReceived = now;
}

// Types 7, 13, 15, 16 and 20 repeat a group of fields as often as the
// message is long: only the groups it holds whole are read (at least the
// first); the others read 0. rows = head rows, then the groups' rows.
template <class R>
void DecodeGroups(const PayloadBits& bits, base::DateTime now, R& rec, int headRows, std::span<const int> groupEnds) {
    const DecodeContext ctx{0, now};
    const int end = bits.dataEnd(0);
    size_t rows = static_cast<size_t>(headRows);
    for (size_t k = 0; k < groupEnds.size(); k += 2) {
        if (k > 0 && groupEnds[k] > end) break;
        rows = static_cast<size_t>(groupEnds[k + 1]);
    }
    rec = R{};
    ApplyLayout(LayoutOf<R>().first(rows), bits, ctx, rec);
    rec.TimeReceived = now;
}

// Per group: the bit its last field ends at, and the number of rows up to it.
constexpr int kAcknowledgementGroups[] = {72, 5, 104, 7, 136, 9, 168, 11};
constexpr int kInterrogationGroups[] = {88, 6, 108, 8, 158, 11};
constexpr int kAssignedModeGroups[] = {92, 6, 144, 9};
constexpr int kReservationGroups[] = {70, 7, 100, 11, 130, 15, 160, 19};

void DecodeChannelManagement(const PayloadBits& bits, base::DateTime now, ChannelManagement& rec) {
    const DecodeContext ctx{0, now};
    ApplyLayout(std::span(layouts::kChannelManagementHead), bits, ctx, rec);
    ApplyLayout(std::span(layouts::kChannelManagementTail), bits, ctx, rec);
    ApplyLayout(ChannelManagementBody(rec.Addressed != 0), bits, ctx, rec);
    rec.TimeReceived = now;
}

// Types 25 and 26: the body by the two flags, then the application that a
// structured message's DAC and FI select.
void DecodeSlotBinary(const PayloadBits& bits, int fillBits, int standard, base::DateTime now,
                      SlotBinaryMessage& rec) {
    const DecodeContext ctx{fillBits, now, bits.dataEnd(fillBits)};
    ApplyLayout(std::span(layouts::kSlotBinaryHeader), bits, ctx, rec);
    const bool addressed = rec.Addressed != 0;
    const bool structured = rec.Structured != 0;
    ApplyLayout(SlotBinaryBody(rec.MessageID, addressed, structured), bits, ctx, rec);
    if (structured) {
        BinaryMessage& app = rec.Binary;
        app.MessageID = rec.MessageID;
        app.RepeatIndicator = rec.RepeatIndicator;
        app.MMSI = rec.MMSI;
        app.DestinationMMSI = addressed ? rec.DestinationMMSI : 0;
        app.DAC = rec.DAC;
        app.FI = rec.FI;
        // The application sees the data alone: fill bits and a type 26's
        // communication state read as absent.
        // The fill-bit count is taken as dataEnd takes it, so the application
        // ends where Data does.
        const int tail = rec.MessageID == 26 ? 20 : 0;
        const int end = bits.dataEnd(fillBits);
        PayloadBits data = bits;
        data.clearFrom(end - tail + 1);
        DecodeBinaryApplication(data, addressed ? 87 : 57, 6 * bits.charCount() - end, tail, addressed ? 6 : 8,
                                standard, app);
        app.TimeReceived = now;
    }
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
        case 7: DecodeGroups(bits, now, r.Type7, 3, kAcknowledgementGroups); break;
        case 8: DecodeBinaryMessage(bits, fillBits, standard, now, r.Type8); break;
        case 9: DecodeWithLayout(bits, 0, now, r.Type9); break;
        case 10: DecodeWithLayout(bits, 0, now, r.Type10); break;
        case 11: DecodeWithLayout(bits, 0, now, r.Type11); break;
        case 12: DecodeWithLayout(bits, fillBits, now, r.Type12); break;
        case 13: DecodeGroups(bits, now, r.Type13, 3, kAcknowledgementGroups); break;
        case 14: DecodeWithLayout(bits, fillBits, now, r.Type14); break;
        case 15: DecodeGroups(bits, now, r.Type15, 3, kInterrogationGroups); break;
        case 16: DecodeGroups(bits, now, r.Type16, 3, kAssignedModeGroups); break;
        case 17: DecodeWithLayout(bits, fillBits, now, r.Type17); break;
        case 18: DecodeWithLayout(bits, 0, now, r.Type18); break;
        case 19: DecodeWithLayout(bits, 0, now, r.Type19); break;
        case 20: DecodeGroups(bits, now, r.Type20, 3, kReservationGroups); break;
        case 21: DecodeWithLayout(bits, 0, now, r.Type21); break;
        case 22: DecodeChannelManagement(bits, now, r.Type22); break;
        case 23: DecodeWithLayout(bits, 0, now, r.Type23); break;
        case 24: DecodeStaticDataReport(bits, now, r.Type24); break;
        case 25: DecodeSlotBinary(bits, fillBits, standard, now, r.Type25); break;
        case 26: DecodeSlotBinary(bits, fillBits, standard, now, r.Type26); break;
        case 27: DecodeWithLayout(bits, 0, now, r.Type27); break;
        default: break;  // 0 and 28-63: no decoder, record unchanged
    }
    return type;
}

}  // namespace ais
