// ApplyLayout: reads the rows of a message layout (message_layouts.h) from the
// payload bits into a sub-record. Used by the per-type decoders in decoder.cpp.
#pragma once

#include <algorithm>
#include <cmath>
#include <span>
#include <utility>

#include "ais/code_tables.h"
#include "ais/message_layouts.h"
#include "ais/payload_bits.h"
#include "base/number_format.h"

namespace ais {

struct DecodeContext {
    int fillBits = 0;
    base::DateTime now;
    int dataEnd = kMaxPayloadBits;  // last bit of the message data (PayloadBits::dataEnd)
};

// ETA of a type 5 message from its month, day, hour and minute: 0 (no date)
// when the month is 0, else day 1 of that month in the year of `now` (months
// 13-15 carry into the next year) plus the days, hours and minutes. Day 0,
// hour 24 and minute 60 carry like any other value.
base::DateTime ComputeETA(int month, int day, int hour, int minute, base::DateTime now);

// The SOTDMA communication state at bits 150-168. Slot time-out 1 gives the
// hour and minute (into UTCHour/UTCMinute for a base station report, which has
// no separate fields); 0 the slot offset; 2, 4, 6 the slot number; 3, 5, 7 the
// number of received stations. Only the field that matches is written.
template <class R>
void DecodeCommState(const PayloadBits& bits, R& rec) {
    rec.SyncState = static_cast<int16_t>(bits.value(150, 151));
    rec.SlotTimeout = static_cast<int16_t>(bits.value(152, 154));
    rec.SubMessage = static_cast<int16_t>(bits.value(155, 168));
    switch (rec.SlotTimeout) {
        case 0: rec.SlotOffset = rec.SubMessage; break;
        case 1: {
            const auto hour = static_cast<int16_t>(bits.value(155, 159));
            const auto minute = static_cast<int16_t>(bits.value(160, 166));
            if constexpr (requires { rec.CommUTCHour; }) {
                rec.CommUTCHour = hour;
                rec.CommUTCMinute = minute;
            } else {
                rec.UTCHour = hour;
                rec.UTCMinute = minute;
            }
            break;
        }
        case 2: case 4: case 6: rec.SlotNumber = rec.SubMessage; break;
        default: rec.ReceivedStations = rec.SubMessage; break;
    }
}

namespace detail {

template <class R, class V>
[[gnu::always_inline]] inline void Store(R& rec, const Member<R>& member, V value) {
    std::visit(
        [&](auto m) {
            using M = decltype(m);
            if constexpr (std::is_same_v<M, std::monostate>) {
            } else {
                using T = std::remove_reference_t<decltype(rec.*m)>;
                if constexpr (std::is_arithmetic_v<T>) rec.*m = static_cast<T>(value);
            }
        },
        member);
}

// Six-bit text from bit `first` through the group that starts at or before
// `last`, eight characters per read.
inline void ReadText(const PayloadBits& bits, int first, int last, std::string& out) {
    out.clear();
    if (first > last) return;
    int groups = (last - first) / 6 + 1;
    int start = first;
    while (groups > 0) {
        const int n = groups < 8 ? groups : 8;
        const uint64_t v = static_cast<uint64_t>(bits.value(start, start + 6 * n - 1));
        for (int k = n - 1; k >= 0; --k) out.push_back(SixBitToChar(static_cast<unsigned>(v >> (6 * k)) & 63));
        groups -= n;
        start += 6 * n;
    }
}

// Assigns into an existing string so its capacity is reused from message to message.
inline void AssignText(std::string& to, std::string_view from) { to.assign(from); }
// A code table's text: the record keeps a view of it.
inline void AssignText(CodeText& to, std::string_view from) { to = CodeText::Lasting(from); }

// Speeds, courses, headings, rate of turn and tenths: a raw value with its
// "not available" code.
template <class R>
[[gnu::always_inline]] inline void StoreMotion(const Field<R>& row, const PayloadBits& bits, R& rec) {
    switch (row.rule) {
        case Rule::SOGLongRange: {
            const int64_t raw = bits.value(row.first, row.last);
            Store(rec, row.member, static_cast<float>(raw == 63 ? base::kNotAvailable : raw));
            break;
        }
        case Rule::SOG: {
            const int64_t raw = bits.value(row.first, row.last);
            Store(rec, row.member,
                  raw >= 1023 ? static_cast<float>(base::kNotAvailable) : static_cast<float>(raw / 10.0));
            break;
        }
        case Rule::SOGKnots: {
            const int64_t raw = bits.value(row.first, row.last);
            Store(rec, row.member, static_cast<float>(raw >= 1023 ? base::kNotAvailable : raw));
            break;
        }
        case Rule::COG: {
            const int64_t raw = bits.value(row.first, row.last);
            Store(rec, row.member,
                  raw == 3600 ? static_cast<float>(base::kNotAvailable) : static_cast<float>(raw / 10.0));
            break;
        }
        case Rule::Heading: {
            const int64_t raw = bits.value(row.first, row.last);
            Store(rec, row.member, static_cast<float>(raw == 511 ? base::kNotAvailable : raw));
            break;
        }
        case Rule::ROT: {
            const int64_t raw = bits.value(row.first, row.last, true);
            float rot = static_cast<float>(base::kNotAvailable);
            if (raw != 128 && raw != -128) {
                const double r = static_cast<double>(raw) / 4.733;
                rot = static_cast<float>(raw < 0 ? -(r * r) : r * r);
            }
            Store(rec, row.member, rot);
            break;
        }
        case Rule::Tenths:
            Store(rec, row.member, static_cast<float>(bits.value(row.first, row.last) / 10.0));
            break;
        default:
            break;
    }
}

// A code and the text the code tables give for it.
template <class R>
[[gnu::always_inline]] inline void StoreCoded(const Field<R>& row, const PayloadBits& bits, const CodeTables& tables, R& rec) {
    switch (row.rule) {
        case Rule::Accuracy: {
            const int64_t v = bits.value(row.first, row.last);
            Store(rec, row.member, v);
            if constexpr (requires { rec.PosAccuracyText; })
                AssignText(rec.PosAccuracyText, tables.PosAccuracyText[static_cast<size_t>(v & 1)]);
            break;
        }
        case Rule::EPFD: {
            const int64_t v = bits.value(row.first, row.last);
            Store(rec, row.member, v);
            if constexpr (requires { rec.EPFDTypeText; })
                AssignText(rec.EPFDTypeText, tables.EPFDTypeText[static_cast<size_t>(v & 15)]);
            break;
        }
        case Rule::NavStatus: {
            const int64_t v = bits.value(row.first, row.last);
            Store(rec, row.member, v);
            if constexpr (requires { rec.NavStatusText; })
                AssignText(rec.NavStatusText, tables.NavStatusText[static_cast<size_t>(v & 15)]);
            break;
        }
        case Rule::AtoNType: {
            const int64_t v = bits.value(row.first, row.last);
            Store(rec, row.member, v);
            if constexpr (requires { rec.AtoNTypeText; })
                AssignText(rec.AtoNTypeText, tables.AtoNTypeText[static_cast<size_t>(v & 31)]);
            break;
        }
        case Rule::ShipType: {
            if constexpr (requires { rec.ShipTypeText; rec.CargoTypeText; }) {
                const ShipTypeTexts st = ShipTypeRule(bits.value(row.first, row.last), tables);
                Store(rec, row.member, st.ShipType);
                AssignText(rec.ShipTypeText, st.ShipTypeText);
                AssignText(rec.CargoTypeText, st.CargoTypeText);
                if constexpr (requires { rec.ShipTypeFullText; })
                    AssignText(rec.ShipTypeFullText, st.ShipTypeFullText);
            }
            break;
        }
        default:
            break;
    }
}

}  // namespace detail

// Always inlined: called with a row that is a compile-time constant (see
// ApplyWholeLayout), the rule switch and the member visit fold away.
template <class R>
[[gnu::always_inline]] inline void ApplyRow(const Field<R>& row, const PayloadBits& bits, const DecodeContext& ctx, const CodeTables& tables,
              R& rec) {
    switch (row.rule) {
        case Rule::Unsigned:
            detail::Store(rec, row.member, bits.value(row.first, row.last));
            break;
        case Rule::Longitude:
        case Rule::Latitude:
        case Rule::Longitude10:
        case Rule::Latitude10: {
            const bool tenths = row.rule == Rule::Longitude10 || row.rule == Rule::Latitude10;
            const double degrees =
                (static_cast<double>(bits.value(row.first, row.last, true)) / (tenths ? 10.0 : 10000.0)) / 60.0;
            const double limit = row.rule == Rule::Longitude || row.rule == Rule::Longitude10 ? 181.0 : 91.0;
            detail::Store(rec, row.member, degrees == limit ? static_cast<double>(base::kNotAvailable) : degrees);
            break;
        }
        case Rule::Hex: {
            const int last = row.last - kMaxPayloadBits + ctx.dataEnd;
            if (auto m = std::get_if<std::string R::*>(&row.member)) bits.hex(row.first, last, rec.**m);
            if constexpr (requires { rec.DataBits; })
                rec.DataBits = static_cast<int16_t>(std::max(0, last - row.first + 1));
            break;
        }
        case Rule::FromEnd: {
            const int shift = ctx.dataEnd - kMaxPayloadBits;
            detail::Store(rec, row.member, bits.value(row.first + shift, row.last + shift));
            break;
        }
        case Rule::SOG:
        case Rule::SOGKnots:
        case Rule::SOGLongRange:
        case Rule::COG:
        case Rule::Heading:
        case Rule::ROT:
        case Rule::Tenths:
            detail::StoreMotion(row, bits, rec);
            break;
        case Rule::Accuracy:
        case Rule::EPFD:
        case Rule::NavStatus:
        case Rule::AtoNType:
        case Rule::ShipType:
            detail::StoreCoded(row, bits, tables, rec);
            break;
        case Rule::Text:
            if (auto m = std::get_if<std::string R::*>(&row.member)) detail::ReadText(bits, row.first, row.last, rec.**m);
            break;
        case Rule::TextToEnd:
            if (auto m = std::get_if<std::string R::*>(&row.member))
                detail::ReadText(bits, row.first, bits.textEnd(row.first, ctx.fillBits), rec.**m);
            break;
        case Rule::CommState:
            if constexpr (requires { rec.SlotTimeout; }) DecodeCommState(bits, rec);
            break;
        case Rule::ETA:
            if (auto m = std::get_if<base::DateTime R::*>(&row.member)) {
                const int month = static_cast<int>(bits.value(row.first, row.first + 3));
                const int day = static_cast<int>(bits.value(row.first + 4, row.first + 8));
                const int hour = static_cast<int>(bits.value(row.first + 9, row.first + 13));
                const int minute = static_cast<int>(bits.value(row.first + 14, row.first + 19));
                rec.**m = ComputeETA(month, day, hour, minute, ctx.now);
            }
            break;
    }
}

template <class R, size_t N>
void ApplyLayout(std::span<const Field<R>, N> rows, const PayloadBits& bits, const DecodeContext& ctx, R& rec) {
    const CodeTables& tables = codeTables();
    for (const auto& row : rows) ApplyRow(row, bits, ctx, tables, rec);
}

// The whole layout of R, its rows unrolled at compile time: each row's rule
// and member are constants, so only the bit reads and stores of that message
// type remain, without a switch per row. Same result as ApplyLayout over
// LayoutOf<R>().
template <class R>
void ApplyWholeLayout(const PayloadBits& bits, const DecodeContext& ctx, R& rec) {
    static constexpr auto kRows = LayoutOf<R>();
    const CodeTables& tables = codeTables();
    [&]<size_t... I>(std::index_sequence<I...>) {
        // Each row copied into a constant of its own: GCC folds the switch on
        // a local constant, where it kept loading the rule from the table
        // (every rule's code and a jump table for each row remained).
        const auto apply = [&]<size_t K>(std::integral_constant<size_t, K>) {
            constexpr Field<R> kRow = kRows[K];
            ApplyRow(kRow, bits, ctx, tables, rec);
        };
        (apply(std::integral_constant<size_t, I>{}), ...);
    }(std::make_index_sequence<kRows.size()>());
}

}  // namespace ais
