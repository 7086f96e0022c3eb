// The field walk behind VisitDecodedFields as a template over the visitor
// type, for hot output loops: with a final visitor class the compiler calls
// (and can inline) its methods directly instead of through the vtable.
//
//   struct Printer final : ais::FieldVisitor { ... };
//   Printer p;
//   ais::VisitDecodedFieldsWith(rec, type, p, false);   // same fields as VisitDecodedFields
#pragma once

#include <algorithm>
#include <span>
#include <string>
#include <utility>

#include "ais/binary_layout.h"
#include "ais/message_fields.h"
#include "ais/message_layouts.h"

namespace ais {

namespace fields_detail {

// By the member's type. Tests of the variant's index rather than std::visit:
// for a row known at compile time they fold to the one call, where GCC keeps
// std::visit's dispatch as a call of its own.
template <class R, class V>
[[gnu::always_inline]] inline void VisitMember(const R& rec, const Field<R>& row, V& v) {
    const Member<R>& m = row.member;
    if (auto p = std::get_if<int16_t R::*>(&m)) v.integer(row.name, rec.**p);
    else if (auto p = std::get_if<int32_t R::*>(&m)) v.integer(row.name, rec.**p);
    else if (auto p = std::get_if<float R::*>(&m)) v.single(row.name, rec.**p);
    else if (auto p = std::get_if<double R::*>(&m)) v.real(row.name, rec.**p);
    else if (auto p = std::get_if<std::string R::*>(&m)) v.text(row.name, rec.**p);
    else if (auto p = std::get_if<base::DateTime R::*>(&m)) v.dateTime(row.name, rec.**p);
}

// Keys of fields that follow a row rather than having one of their own.
namespace keys {
inline constexpr base::JsonKey SyncState("SyncState"), SlotTimeout("SlotTimeout"), SubMessage("SubMessage"),
    SlotOffset("SlotOffset"), CommUTCHour("CommUTCHour"), CommUTCMinute("CommUTCMinute"), SlotNumber("SlotNumber"),
    ReceivedStations("ReceivedStations"), PosAccuracyText("PosAccuracyText"), EPFDTypeText("EPFDTypeText"),
    NavStatusText("NavStatusText"), AtoNTypeText("AtoNTypeText"), ShipTypeFullText("ShipTypeFullText"),
    ShipTypeText("ShipTypeText"), CargoTypeText("CargoTypeText");
}  // namespace keys

template <class R, class V>
void VisitCommState(const R& rec, V& v) {
    v.integer(keys::SyncState, rec.SyncState);
    v.integer(keys::SlotTimeout, rec.SlotTimeout);
    v.integer(keys::SubMessage, rec.SubMessage);
    switch (rec.SlotTimeout) {
        case 0: v.integer(keys::SlotOffset, rec.SlotOffset); break;
        case 1:
            // A base station report puts these into UTCHour/UTCMinute, visited already.
            if constexpr (requires { rec.CommUTCHour; }) {
                v.integer(keys::CommUTCHour, rec.CommUTCHour);
                v.integer(keys::CommUTCMinute, rec.CommUTCMinute);
            }
            break;
        case 2: case 4: case 6: v.integer(keys::SlotNumber, rec.SlotNumber); break;
        default: v.integer(keys::ReceivedStations, rec.ReceivedStations); break;
    }
}

// One row's fields: its member, and the code text or communication state
// that follows it. Always inlined, so a row known at compile time (see
// VisitWholeLayout) leaves no switch behind.
template <class R, class V>
[[gnu::always_inline]] inline void VisitRow(const R& rec, const Field<R>& row, V& v) {
    if (row.rule == Rule::CommState) {
        if constexpr (requires { rec.SlotTimeout; }) VisitCommState(rec, v);
        return;
    }
    VisitMember(rec, row, v);
    switch (row.rule) {
        case Rule::Accuracy:
            if constexpr (requires { rec.PosAccuracyText; }) v.text(keys::PosAccuracyText, rec.PosAccuracyText);
            break;
        case Rule::EPFD:
            if constexpr (requires { rec.EPFDTypeText; }) v.text(keys::EPFDTypeText, rec.EPFDTypeText);
            break;
        case Rule::NavStatus:
            if constexpr (requires { rec.NavStatusText; }) v.text(keys::NavStatusText, rec.NavStatusText);
            break;
        case Rule::AtoNType:
            if constexpr (requires { rec.AtoNTypeText; }) v.text(keys::AtoNTypeText, rec.AtoNTypeText);
            break;
        case Rule::ShipType:
            if constexpr (requires { rec.ShipTypeFullText; }) v.text(keys::ShipTypeFullText, rec.ShipTypeFullText);
            if constexpr (requires { rec.ShipTypeText; rec.CargoTypeText; }) {
                v.text(keys::ShipTypeText, rec.ShipTypeText);
                v.text(keys::CargoTypeText, rec.CargoTypeText);
            }
            break;
        default: break;
    }
}

template <class R, size_t N, class V>
void VisitLayout(const R& rec, std::span<const Field<R>, N> rows, V& v) {
    for (const auto& row : rows) VisitRow(rec, row, v);
}

// The whole layout of R, its rows unrolled at compile time (the same fields
// as VisitLayout over LayoutOf<R>()).
template <class R, class V>
void VisitWholeLayout(const R& rec, V& v) {
    static constexpr auto kRows = LayoutOf<R>();
    [&]<size_t... I>(std::index_sequence<I...>) {
        (VisitRow(rec, kRows[I], v), ...);
    }(std::make_index_sequence<kRows.size()>());
}

template <class R, class V>
void VisitWithLayout(const R& rec, V& v, bool withTime) {
    VisitWholeLayout(rec, v);
    if (withTime) v.dateTime("TimeReceived", rec.TimeReceived);
}

template <class V>
void VisitStaticDataReport(const StaticDataReport& rec, V& v, bool withTime) {
    VisitLayout(rec, std::span(layouts::kStaticDataReportHeader), v);
    if (rec.PartNumber == 0) {
        VisitLayout(rec, std::span(layouts::kStaticDataReportPartA), v);
    } else {
        VisitLayout(rec, std::span(layouts::kStaticDataReportPartB), v);
    }
    if (withTime) v.dateTime("TimeReceived", rec.TimeReceived);
}

// One application row under `key`; a row with a code text also gives the
// text, under the key with "Text" after it.
template <class V>
void VisitBinaryRow(const BinaryField& f, const BinaryMessage& rec, std::string& key, V& v) {
    if (f.Entry > 0) key += std::to_string(f.Entry);
    const FieldRef ref = f.Ref(rec);
    switch (ref.Kind) {
        case FieldKind::Int16: v.integer(key, *static_cast<const int16_t*>(ref.Ptr)); break;
        case FieldKind::Int32: v.integer(key, *static_cast<const int32_t*>(ref.Ptr)); break;
        case FieldKind::Single: v.single(key, *static_cast<const float*>(ref.Ptr)); break;
        case FieldKind::Double: v.real(key, *static_cast<const double*>(ref.Ptr)); break;
        case FieldKind::Text: v.text(key, *static_cast<const std::string*>(ref.Ptr)); break;
    }
    if (f.CodeText && f.Companion) {
        const FieldRef text = f.Companion(rec);
        if (text.Kind == FieldKind::Text) v.text(key + "Text", *static_cast<const std::string*>(text.Ptr));
    }
}

// Description and the fields of the application the last decode found.
template <class V>
void VisitApplication(const BinaryMessage& rec, V& v) {
    v.text("Description", rec.Description);
    switch (rec.Application) {
        case BinaryApp::Interrogation:
            v.integer("RequestedDAC", rec.RequestedDAC);
            v.integer("RequestedFI", rec.RequestedFI);
            break;
        case BinaryApp::HeightOverKeel: v.single("HeightOverKeel", rec.HeightOverKeel); break;
        case BinaryApp::PersonsOnBoard: v.integer("PassengersOnboard", rec.PassengersOnboard); break;
        default: {
            // Repeated fields (tidal window positions, SOLAS items) carry their
            // number in the key; the sub-areas of an area notice their own.
            std::string key;
            for (const BinaryField& f : ApplicationLayout(rec.Application)) {
                key.assign(f.Name);
                VisitBinaryRow(f, rec, key, v);
            }
            if (rec.Application != BinaryApp::AreaNotice) break;
            const AreaNoticeData& notice = rec.AreaNotice;
            v.integer("SubAreaCount", notice.SubAreaCount);
            for (int k = 0; k < std::clamp<int>(notice.SubAreaCount, 0, kMaxSubAreas); ++k) {
                const std::string prefix = "SubArea" + std::to_string(k + 1);
                const int shape = notice.SubAreas[static_cast<size_t>(k)].AreaShape;
                for (const BinaryField& f : AreaNoticeSubAreaLayout(k, shape)) {
                    key.assign(prefix).append(f.Name);
                    VisitBinaryRow(f, rec, key, v);
                }
            }
            break;
        }
    }
}

template <class V>
void VisitBinaryMessage(const BinaryMessage& rec, int type, V& v, bool withTime) {
    v.integer("MessageID", rec.MessageID);
    v.integer("RepeatIndicator", rec.RepeatIndicator);
    v.integer("MMSI", rec.MMSI);
    if (type == 6) v.integer("DestinationMMSI", rec.DestinationMMSI);
    v.integer("DAC", rec.DAC);
    v.integer("FI", rec.FI);
    VisitApplication(rec, v);
    if (withTime) v.dateTime("TimeReceived", rec.TimeReceived);
}

template <class V>
void VisitChannelManagement(const ChannelManagement& rec, V& v, bool withTime) {
    VisitLayout(rec, std::span(layouts::kChannelManagementHead), v);
    VisitLayout(rec, ChannelManagementBody(rec.Addressed != 0), v);
    VisitLayout(rec, std::span(layouts::kChannelManagementTail), v);
    if (withTime) v.dateTime("TimeReceived", rec.TimeReceived);
}

// Types 25 and 26: the rows their flags select, then a structured message's
// application (Description and fields) as a type 6 or 8 would give it.
template <class V>
void VisitSlotBinary(const SlotBinaryMessage& rec, V& v, bool withTime) {
    VisitLayout(rec, std::span(layouts::kSlotBinaryHeader), v);
    VisitLayout(rec, SlotBinaryBody(rec.MessageID, rec.Addressed != 0, rec.Structured != 0), v);
    v.integer("DataBits", rec.DataBits);
    if (rec.Structured != 0) VisitApplication(rec.Binary, v);
    if (withTime) v.dateTime("TimeReceived", rec.TimeReceived);
}

}  // namespace fields_detail

template <class V>
bool VisitDecodedFieldsWith(const AISMessageRecord& r, int type, V& v, bool withTime) {
    switch (type) {
        case 1: fields_detail::VisitWithLayout(r.Type1, v, withTime); return true;
        case 2: fields_detail::VisitWithLayout(r.Type2, v, withTime); return true;
        case 3: fields_detail::VisitWithLayout(r.Type3, v, withTime); return true;
        case 4: fields_detail::VisitWithLayout(r.Type4, v, withTime); return true;
        case 5: fields_detail::VisitWithLayout(r.Type5, v, withTime); return true;
        case 6: fields_detail::VisitBinaryMessage(r.Type6, 6, v, withTime); return true;
        case 8: fields_detail::VisitBinaryMessage(r.Type8, 8, v, withTime); return true;
        case 9: fields_detail::VisitWithLayout(r.Type9, v, withTime); return true;
        case 10: fields_detail::VisitWithLayout(r.Type10, v, withTime); return true;
        case 12: fields_detail::VisitWithLayout(r.Type12, v, withTime); return true;
        case 14: fields_detail::VisitWithLayout(r.Type14, v, withTime); return true;
        case 18: fields_detail::VisitWithLayout(r.Type18, v, withTime); return true;
        case 19: fields_detail::VisitWithLayout(r.Type19, v, withTime); return true;
        case 20: fields_detail::VisitWithLayout(r.Type20, v, withTime); return true;
        case 21: fields_detail::VisitWithLayout(r.Type21, v, withTime); return true;
        case 24: fields_detail::VisitStaticDataReport(r.Type24, v, withTime); return true;
        case 7: fields_detail::VisitWithLayout(r.Type7, v, withTime); return true;
        case 11: fields_detail::VisitWithLayout(r.Type11, v, withTime); return true;
        case 13: fields_detail::VisitWithLayout(r.Type13, v, withTime); return true;
        case 15: fields_detail::VisitWithLayout(r.Type15, v, withTime); return true;
        case 16: fields_detail::VisitWithLayout(r.Type16, v, withTime); return true;
        case 17:
            fields_detail::VisitLayout(r.Type17, LayoutOf<DGNSSBroadcast>(), v);
            v.integer("DataBits", r.Type17.DataBits);
            if (withTime) v.dateTime("TimeReceived", r.Type17.TimeReceived);
            return true;
        case 22: fields_detail::VisitChannelManagement(r.Type22, v, withTime); return true;
        case 23: fields_detail::VisitWithLayout(r.Type23, v, withTime); return true;
        case 25: fields_detail::VisitSlotBinary(r.Type25, v, withTime); return true;
        case 26: fields_detail::VisitSlotBinary(r.Type26, v, withTime); return true;
        case 27: fields_detail::VisitWithLayout(r.Type27, v, withTime); return true;
        default: return false;
    }
}

}  // namespace ais
