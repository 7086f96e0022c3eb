#include "ais/encoder.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "ais/bit_writer.h"
#include "ais/message_layouts.h"
#include "base/number_format.h"

namespace ais {

namespace {

template <class R>
double NumberOf(const R& rec, const Member<R>& member) {
    return std::visit(
        [&](auto m) -> double {
            using M = decltype(m);
            if constexpr (std::is_same_v<M, std::monostate>) {
                return 0.0;
            } else {
                using T = std::remove_cvref_t<decltype(rec.*m)>;
                if constexpr (std::is_arithmetic_v<T>) return static_cast<double>(rec.*m);
                else return 0.0;
            }
        },
        member);
}

template <class R>
const std::string* TextOf(const R& rec, const Member<R>& member) {
    if (auto m = std::get_if<std::string R::*>(&member)) return &(rec.**m);
    return nullptr;
}

bool IsNotAvailable(double v) { return v == static_cast<double>(base::kNotAvailable); }

// Raw field value for the scaled rules: -9999 maps to the field's code for
// "not available", everything else is rounded to the nearest raw step.
int64_t RawOf(Rule rule, double v) {
    switch (rule) {
        case Rule::Longitude: return IsNotAvailable(v) ? 181 * 600000 : std::llround(v * 600000.0);
        case Rule::Latitude: return IsNotAvailable(v) ? 91 * 600000 : std::llround(v * 600000.0);
        case Rule::Longitude10: return IsNotAvailable(v) ? 181 * 600 : std::llround(v * 600.0);
        case Rule::Latitude10: return IsNotAvailable(v) ? 91 * 600 : std::llround(v * 600.0);
        case Rule::SOGLongRange: return IsNotAvailable(v) ? 63 : std::llround(v);
        case Rule::SOG: return IsNotAvailable(v) ? 1023 : std::llround(v * 10.0);
        case Rule::SOGKnots: return IsNotAvailable(v) ? 1023 : std::llround(v);
        case Rule::COG: return IsNotAvailable(v) ? 3600 : std::llround(v * 10.0);
        case Rule::Heading: return IsNotAvailable(v) ? 511 : std::llround(v);
        case Rule::Tenths: return std::llround(v * 10.0);
        case Rule::ROT: {
            if (IsNotAvailable(v)) return -128;
            int64_t raw = std::llround(4.733 * std::sqrt(std::fabs(v)));
            if (raw > 127) raw = 127;
            return v < 0 ? -raw : raw;
        }
        default: return std::llround(v);
    }
}

// Trailing blanks of an optional text (they read back as blanks anyway).
std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '@')) s.remove_suffix(1);
    return s;
}

// Writes the rows of a layout. A fixed text row that starts past `nominalBits`
// is an optional extension: only its non-blank part is written. A Hex row
// writes DataBits bits and so fixes where the message ends, and with it where
// the FromEnd rows after it go.
template <class R, size_t N>
void EncodeLayout(std::span<const Field<R>, N> rows, const R& rec, BitWriter& w, int nominalBits) {
    int end = kMaxPayloadBits;
    for (const auto& row : rows) {
        switch (row.rule) {
            case Rule::Hex:
                if constexpr (requires { rec.DataBits; }) {
                    const int bits = std::clamp<int>(rec.DataBits, 0, row.last - row.first + 1);
                    if (const std::string* t = TextOf(rec, row.member)) w.putHex(row.first, bits, *t);
                    w.extendTo(row.first + bits - 1);
                    end = row.first + bits - 1 + (kMaxPayloadBits - row.last);
                }
                break;
            case Rule::FromEnd: {
                const int shift = end - kMaxPayloadBits;
                w.put(row.first + shift, row.last + shift, RawOf(row.rule, NumberOf(rec, row.member)));
                break;
            }
            case Rule::Text:
                if (const std::string* t = TextOf(rec, row.member)) {
                    if (row.first > nominalBits) {
                        const std::string_view ext = TrimRight(*t);
                        if (!ext.empty())
                            w.putText(row.first, row.first + 6 * static_cast<int>(ext.size()) - 1, ext);
                    } else {
                        w.putText(row.first, row.last, *t);
                    }
                }
                break;
            case Rule::TextToEnd:
                if (const std::string* t = TextOf(rec, row.member)) {
                    const int chars = std::min<int>(static_cast<int>(t->size()), (kMaxPayloadBits - row.first + 1) / 6);
                    if (chars > 0) w.putText(row.first, row.first + 6 * chars - 1, *t);
                }
                break;
            case Rule::CommState:
                if constexpr (requires { rec.SlotTimeout; }) {
                    w.put(150, 151, rec.SyncState);
                    w.put(152, 154, rec.SlotTimeout);
                    w.put(155, 168, rec.SubMessage);
                }
                break;
            case Rule::ETA:
                if (auto m = std::get_if<base::DateTime R::*>(&row.member)) {
                    const base::DateTime eta = rec.**m;
                    int month = 0, day = 0, hour = 24, minute = 60;
                    if (!eta.isNull()) {
                        const base::CalendarTime c = eta.toCalendar();
                        month = c.month;
                        day = c.day;
                        hour = c.hour;
                        minute = c.minute;
                    }
                    w.put(row.first, row.first + 3, month);
                    w.put(row.first + 4, row.first + 8, day);
                    w.put(row.first + 9, row.first + 13, hour);
                    w.put(row.first + 14, row.first + 19, minute);
                }
                break;
            default:
                w.put(row.first, row.last, RawOf(row.rule, NumberOf(rec, row.member)));
                break;
        }
    }
}

EncodedPayload Finish(BitWriter& w, int nominalBits) {
    w.extendTo(nominalBits);
    EncodedPayload out;
    out.payload = w.armoured(out.fillBits);
    return out;
}

template <class R>
EncodedPayload EncodeWithLayout(const R& rec, int nominalBits) {
    BitWriter w;
    EncodeLayout(LayoutOf<R>(), rec, w, nominalBits);
    return Finish(w, nominalBits);
}

}  // namespace

EncodedPayload EncodePayload(const PositionReport& rec) { return EncodeWithLayout(rec, 168); }
EncodedPayload EncodePayload(const BaseStationReport& rec) { return EncodeWithLayout(rec, 168); }
EncodedPayload EncodePayload(const StaticVoyageData& rec) { return EncodeWithLayout(rec, 424); }
EncodedPayload EncodePayload(const SARPositionReport& rec) { return EncodeWithLayout(rec, 168); }
EncodedPayload EncodePayload(const UTCInquiry& rec) { return EncodeWithLayout(rec, 72); }
EncodedPayload EncodePayload(const AddressedSafetyMessage& rec) { return EncodeWithLayout(rec, 72); }
EncodedPayload EncodePayload(const BroadcastSafetyMessage& rec) { return EncodeWithLayout(rec, 40); }
EncodedPayload EncodePayload(const ClassBPositionReport& rec) { return EncodeWithLayout(rec, 168); }
EncodedPayload EncodePayload(const ClassBExtendedReport& rec) { return EncodeWithLayout(rec, 312); }
EncodedPayload EncodePayload(const DataLinkManagement& rec) {
    // The reservations up to the last one that is not all zeros (at least
    // one): 72, 104, 136 or 160 bits.
    const int offsets[] = {rec.Offset2 | rec.NumberOfSlots2 | rec.Timeout2 | rec.Increment2,
                               rec.Offset3 | rec.NumberOfSlots3 | rec.Timeout3 | rec.Increment3,
                               rec.Offset4 | rec.NumberOfSlots4 | rec.Timeout4 | rec.Increment4};
    int count = 1;
    for (int k = 0; k < 3; ++k) {
        if (offsets[k] != 0) count = k + 2;
    }
    constexpr int kBits[] = {72, 104, 136, 160};
    BitWriter w;
    EncodeLayout(std::span(layouts::kDataLinkManagement).first(3 + 4 * static_cast<size_t>(count)), rec, w, 0);
    return Finish(w, kBits[count - 1]);
}
EncodedPayload EncodePayload(const AtoNReport& rec) { return EncodeWithLayout(rec, 272); }

EncodedPayload EncodePayload(const StaticDataReport& rec) {
    BitWriter w;
    EncodeLayout(std::span(layouts::kStaticDataReportHeader), rec, w, 168);
    if (rec.PartNumber == 0) {
        EncodeLayout(std::span(layouts::kStaticDataReportPartA), rec, w, 160);
        return Finish(w, 160);
    }
    EncodeLayout(std::span(layouts::kStaticDataReportPartB), rec, w, 168);
    return Finish(w, 168);
}

EncodedPayload EncodePayload(const Acknowledgement& rec) {
    // One to four acknowledged messages: 72, 104, 136 or 168 bits.
    const bool present[] = {rec.DestinationMMSI2 != 0 || rec.SequenceNumber2 != 0,
                            rec.DestinationMMSI3 != 0 || rec.SequenceNumber3 != 0,
                            rec.DestinationMMSI4 != 0 || rec.SequenceNumber4 != 0};
    int count = 1;
    for (int k = 0; k < 3; ++k) {
        if (present[k]) count = k + 2;
    }
    BitWriter w;
    EncodeLayout(std::span(layouts::kAcknowledgement).first(3 + 2 * static_cast<size_t>(count)), rec, w, 0);
    return Finish(w, 40 + 32 * count);
}

EncodedPayload EncodePayload(const Interrogation& rec) {
    // One station asked for one message (88 bits), for two (112 bits), or two stations (160 bits).
    size_t rows = 6;
    int bits = 88;
    if (rec.DestinationMMSI2 != 0 || rec.MessageID2_1 != 0 || rec.SlotOffset2_1 != 0) {
        rows = layouts::kInterrogation.size();
        bits = 160;
    } else if (rec.MessageID1_2 != 0 || rec.SlotOffset1_2 != 0) {
        rows = 8;
        bits = 112;
    }
    BitWriter w;
    EncodeLayout(std::span(layouts::kInterrogation).first(rows), rec, w, 0);
    return Finish(w, bits);
}

EncodedPayload EncodePayload(const AssignedModeCommand& rec) {
    // One station (96 bits) or two (144 bits).
    const bool two = rec.DestinationMMSIB != 0 || rec.OffsetB != 0 || rec.IncrementB != 0;
    BitWriter w;
    EncodeLayout(std::span(layouts::kAssignedModeCommand).first(two ? 9u : 6u), rec, w, 0);
    return Finish(w, two ? 144 : 96);
}

EncodedPayload EncodePayload(const DGNSSBroadcast& rec) {
    BitWriter w;
    EncodeLayout(LayoutOf<DGNSSBroadcast>(), rec, w, 0);
    return Finish(w, 80);
}

EncodedPayload EncodePayload(const ChannelManagement& rec) {
    BitWriter w;
    EncodeLayout(std::span(layouts::kChannelManagementHead), rec, w, 0);
    EncodeLayout(ChannelManagementBody(rec.Addressed != 0), rec, w, 0);
    EncodeLayout(std::span(layouts::kChannelManagementTail), rec, w, 0);
    return Finish(w, 168);
}

EncodedPayload EncodePayload(const GroupAssignment& rec) { return EncodeWithLayout(rec, 160); }
EncodedPayload EncodePayload(const LongRangeReport& rec) { return EncodeWithLayout(rec, 96); }

EncodedPayload EncodePayload(const SlotBinaryMessage& rec) {
    BitWriter w;
    EncodeLayout(std::span(layouts::kSlotBinaryHeader), rec, w, 0);
    EncodeLayout(SlotBinaryBody(rec.MessageID, rec.Addressed != 0, rec.Structured != 0), rec, w, 0);
    return Finish(w, 0);
}

int MaxMessageBits(int type) {
    static constexpr int kMax[28] = {0,   168, 168, 168, 168,  424, 1008, 168, 1008, 168, 72,  168, 1008, 168,
                                     1008, 160, 144, 816, 168, 312, 160,  360, 168, 160,  168, 168, 1064, 96};
    return type >= 1 && type <= 27 ? kMax[type] : 0;
}

EncodedPayload EncodeHeaderOnly(int type, int repeatIndicator, int32_t mmsi, int bitLength) {
    BitWriter w;
    w.put(1, 6, type);
    w.put(7, 8, repeatIndicator);
    w.put(9, 38, mmsi);
    return Finish(w, std::max(bitLength, 38));
}

}  // namespace ais
