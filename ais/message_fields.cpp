#include "ais/message_fields.h"

#include <span>

#include "ais/binary_layout.h"
#include "ais/message_layouts.h"

namespace ais {

namespace {

template <class R>
void VisitMember(const R& rec, const Field<R>& row, FieldVisitor& v) {
    std::visit(
        [&](auto m) {
            using M = decltype(m);
            if constexpr (!std::is_same_v<M, std::monostate>) {
                using T = std::remove_cvref_t<decltype(rec.*m)>;
                if constexpr (std::is_same_v<T, float>) v.single(row.name, rec.*m);
                else if constexpr (std::is_same_v<T, double>) v.real(row.name, rec.*m);
                else if constexpr (std::is_same_v<T, std::string>) v.text(row.name, rec.*m);
                else if constexpr (std::is_same_v<T, app::DateTime>) v.dateTime(row.name, rec.*m);
                else v.integer(row.name, rec.*m);
            }
        },
        row.member);
}

template <class R>
void VisitCommState(const R& rec, FieldVisitor& v) {
    v.integer("SyncState", rec.SyncState);
    v.integer("SlotTimeout", rec.SlotTimeout);
    v.integer("SubMessage", rec.SubMessage);
    switch (rec.SlotTimeout) {
        case 0: v.integer("SlotOffset", rec.SlotOffset); break;
        case 1:
            // A base station report puts these into UTCHour/UTCMinute, visited already.
            if constexpr (requires { rec.CommUTCHour; }) {
                v.integer("CommUTCHour", rec.CommUTCHour);
                v.integer("CommUTCMinute", rec.CommUTCMinute);
            }
            break;
        case 2: case 4: case 6: v.integer("SlotNumber", rec.SlotNumber); break;
        default: v.integer("ReceivedStations", rec.ReceivedStations); break;
    }
}

template <class R, size_t N>
void VisitLayout(const R& rec, std::span<const Field<R>, N> rows, FieldVisitor& v) {
    for (const auto& row : rows) {
        if (row.rule == Rule::CommState) {
            if constexpr (requires { rec.SlotTimeout; }) VisitCommState(rec, v);
            continue;
        }
        VisitMember(rec, row, v);
        switch (row.rule) {
            case Rule::Accuracy:
                if constexpr (requires { rec.PosAccuracyText; }) v.text("PosAccuracyText", rec.PosAccuracyText);
                break;
            case Rule::EPFD:
                if constexpr (requires { rec.EPFDTypeText; }) v.text("EPFDTypeText", rec.EPFDTypeText);
                break;
            case Rule::NavStatus:
                if constexpr (requires { rec.NavStatusText; }) v.text("NavStatusText", rec.NavStatusText);
                break;
            case Rule::AtoNType:
                if constexpr (requires { rec.AtoNTypeText; }) v.text("AtoNTypeText", rec.AtoNTypeText);
                break;
            case Rule::ShipType:
                if constexpr (requires { rec.ShipTypeFullText; }) v.text("ShipTypeFullText", rec.ShipTypeFullText);
                if constexpr (requires { rec.ShipTypeText; rec.CargoTypeText; }) {
                    v.text("ShipTypeText", rec.ShipTypeText);
                    v.text("CargoTypeText", rec.CargoTypeText);
                }
                break;
            default: break;
        }
    }
}

template <class R>
void VisitWithLayout(const R& rec, FieldVisitor& v, bool withTime) {
    VisitLayout(rec, LayoutOf<R>(), v);
    if (withTime) v.dateTime("TimeReceived", rec.TimeReceived);
}

void VisitStaticDataReport(const StaticDataReport& rec, FieldVisitor& v, bool withTime) {
    VisitLayout(rec, std::span(layouts::kStaticDataReportHeader), v);
    if (rec.PartNumber == 0) {
        VisitLayout(rec, std::span(layouts::kStaticDataReportPartA), v);
    } else {
        VisitLayout(rec, std::span(layouts::kStaticDataReportPartB), v);
    }
    if (withTime) v.dateTime("TimeReceived", rec.TimeReceived);
}

void VisitBinaryMessage(const BinaryMessage& rec, int type, FieldVisitor& v, bool withTime) {
    v.integer("MessageID", rec.MessageID);
    v.integer("RepeatIndicator", rec.RepeatIndicator);
    v.integer("MMSI", rec.MMSI);
    if (type == 6) v.integer("DestinationMMSI", rec.DestinationMMSI);
    v.integer("DAC", rec.DAC);
    v.integer("FI", rec.FI);
    v.text("Description", rec.Description);
    switch (rec.Application) {
        case BinaryApp::Interrogation:
            v.integer("RequestedDAC", rec.RequestedDAC);
            v.integer("RequestedFI", rec.RequestedFI);
            break;
        case BinaryApp::HeightOverKeel: v.single("HeightOverKeel", rec.HeightOverKeel); break;
        case BinaryApp::PersonsOnBoard: v.integer("PassengersOnboard", rec.PassengersOnboard); break;
        default: {
            // The tidal window repeats its entry fields; the entry number keeps the keys apart.
            std::string key;
            for (const BinaryField& f : ApplicationLayout(rec.Application)) {
                key.assign(f.Name);
                if (f.Entry > 0) key += static_cast<char>('0' + f.Entry);
                const FieldRef ref = f.Ref(rec);
                switch (ref.Kind) {
                    case FieldKind::Int16: v.integer(key, *static_cast<const int16_t*>(ref.Ptr)); break;
                    case FieldKind::Single: v.single(key, *static_cast<const float*>(ref.Ptr)); break;
                    case FieldKind::Double: v.real(key, *static_cast<const double*>(ref.Ptr)); break;
                    case FieldKind::Text: v.text(key, *static_cast<const std::string*>(ref.Ptr)); break;
                }
            }
            break;
        }
    }
    if (withTime) v.dateTime("TimeReceived", rec.TimeReceived);
}

}  // namespace

bool VisitDecodedFields(const AISMessageRecord& r, int type, FieldVisitor& v, bool withTime) {
    switch (type) {
        case 1: VisitWithLayout(r.Type1, v, withTime); return true;
        case 2: VisitWithLayout(r.Type2, v, withTime); return true;
        case 3: VisitWithLayout(r.Type3, v, withTime); return true;
        case 4: VisitWithLayout(r.Type4, v, withTime); return true;
        case 5: VisitWithLayout(r.Type5, v, withTime); return true;
        case 6: VisitBinaryMessage(r.Type6, 6, v, withTime); return true;
        case 8: VisitBinaryMessage(r.Type8, 8, v, withTime); return true;
        case 9: VisitWithLayout(r.Type9, v, withTime); return true;
        case 10: VisitWithLayout(r.Type10, v, withTime); return true;
        case 12: VisitWithLayout(r.Type12, v, withTime); return true;
        case 14: VisitWithLayout(r.Type14, v, withTime); return true;
        case 18: VisitWithLayout(r.Type18, v, withTime); return true;
        case 19: VisitWithLayout(r.Type19, v, withTime); return true;
        case 20: VisitWithLayout(r.Type20, v, withTime); return true;
        case 21: VisitWithLayout(r.Type21, v, withTime); return true;
        case 24: VisitStaticDataReport(r.Type24, v, withTime); return true;
        case 7: case 11: case 13: case 15: case 16: case 17: case 22: case 23: case 25: case 26:
            if (withTime) v.dateTime("TimeReceived", r.timeReceived(type));
            return true;
        default: return false;
    }
}

}  // namespace ais
