// Copying a decoded message's fields into its target entry, by type.
#include <optional>
#include <string>

#include "ais/binary_message.h"
#include "base/number_format.h"
#include "targets/target_table.h"

namespace targets {

namespace {

constexpr const char* kNotAvailableText = "n/a";
const std::string kTwentyBlanks(20, ' ');
const std::string kClassBPlaceholder = "Class B vessel";

// A name sent in part A of message 24 that says something (not blanks or the
// "@" padding of an unset name).
bool NameKnown(const std::string& name) { return name.find_first_not_of(" @") != std::string::npos; }

// The name a class B station shows when its own reports carry none: the name
// of its last message 24 part A, else the placeholder.
std::string ClassBName(const TargetRecord& t) { return NameKnown(t.Name24) ? t.Name24 : kClassBPlaceholder; }

// The newest position the entry took from a report of types 1-3, 18 or 19
// (monotonic seconds), or none.
std::optional<double> lastFullPosition(const TargetRecord& t) {
    std::optional<double> newest;
    for (int type : {1, 2, 3, 18, 19}) {
        if (t.MsgCount[static_cast<size_t>(type)] <= 0) continue;
        const double at = t.RxMonotonic[static_cast<size_t>(type - 1)];
        if (!newest || at > *newest) newest = at;
    }
    return newest;
}

template <class Src>
void copyFix(TargetRecord& t, const Src& s) {
    t.PosAccuracy = s.PosAccuracy;
    t.PosAccuracyText = s.PosAccuracyText;
    t.Longitude = s.Longitude;
    t.Latitude = s.Latitude;
    t.RAIM = s.RAIM;
}

template <class Src>
void copyPosition(TargetRecord& t, const Src& s) {
    copyFix(t, s);
    t.UTCSecond = s.TimeStamp;
}

template <class Src>
void copyCommState(TargetRecord& t, const Src& s) {
    t.SyncState = s.SyncState;
    t.SlotTimeout = s.SlotTimeout;
    t.SubMessage = s.SubMessage;
    t.SlotNumber = s.SlotNumber;
    t.SlotOffset = s.SlotOffset;
    t.ReceivedStations = s.ReceivedStations;
}

template <class Src>
void copyCommTime(TargetRecord& t, const Src& s) {
    t.UTCHour = s.CommUTCHour;
    t.UTCMinute = s.CommUTCMinute;
}

template <class Src>
void copyDimensions(TargetRecord& t, const Src& s) {
    t.DimA = s.DimA;
    t.DimB = s.DimB;
    t.DimC = s.DimC;
    t.DimD = s.DimD;
}

}  // namespace

void TargetTable::copyMessage(TargetRecord& t, int type, const ais::AISMessageRecord& rec, const TableContext& ctx) {
    switch (type) {
        case 1: case 2: case 3: {
            const ais::PositionReport& s = *rec.positionReport(type);
            t.NavStatus = s.NavStatus;
            t.NavStatusText = s.NavStatusText;
            t.ROT = s.ROT;
            t.SOG = s.SOG;
            copyPosition(t, s);
            t.COG = s.COG;
            t.TrueHeading = s.TrueHeading;
            copyCommState(t, s);
            copyCommTime(t, s);
            break;
        }
        case 4: {
            const auto& s = rec.Type4;
            t.PosAccuracy = s.PosAccuracy;
            t.PosAccuracyText = s.PosAccuracyText;
            t.Longitude = s.Longitude;
            t.Latitude = s.Latitude;
            t.UTCSecond = s.UTCSecond;
            t.RAIM = s.RAIM;
            copyCommState(t, s);
            t.UTCYear = s.UTCYear;
            t.UTCMonth = s.UTCMonth;
            t.UTCDay = s.UTCDay;
            t.UTCHour = s.UTCHour;
            t.UTCMinute = s.UTCMinute;
            t.EPFDType = s.EPFDType;
            t.EPFDTypeText = s.EPFDTypeText;
            t.CallSign = kNotAvailableText;
            t.Destination = kNotAvailableText;
            break;
        }
        case 5: {
            const auto& s = rec.Type5;
            t.IMONumber = s.IMONumber;
            t.CallSign = s.CallSign;
            t.Name = s.Name;
            if (NameKnown(s.Name)) t.ReceivedName = s.Name;
            t.ShipType = s.ShipType;
            t.ShipTypeText = s.ShipTypeText;
            t.CargoTypeText = s.CargoTypeText;
            copyDimensions(t, s);
            t.EPFDType = s.EPFDType;
            t.EPFDTypeText = s.EPFDTypeText;
            t.ETA = s.ETA;
            t.Draught = s.Draught;
            t.Destination = s.Destination;
            t.DTE = s.DTE;
            break;
        }
        case 6: case 8: {
            const ais::BinaryMessage& s = type == 6 ? rec.Type6 : rec.Type8;
            const int standard = ctx.binaryStandard;
            const ais::BinaryApp app = ais::SelectBinaryApp(type, s.DAC, s.FI, standard);
            if (app == ais::BinaryApp::HeightOverKeel) t.HeightOverKeel = s.HeightOverKeel;
            if (app == ais::BinaryApp::PersonsOnBoard) t.PassengersOnboard = s.PassengersOnboard;
            t.LastMessageText = s.Description;
            break;
        }
        case 9: {
            const auto& s = rec.Type9;
            t.SOG = s.SOG;
            copyPosition(t, s);
            t.COG = s.COG;
            copyCommState(t, s);
            copyCommTime(t, s);
            t.DTE = s.DTE;
            t.Altitude = s.Altitude;
            t.CallSign = kNotAvailableText;
            t.EPFDTypeText = kNotAvailableText;
            t.Destination = kNotAvailableText;
            break;
        }
        case 10:
            t.LastMessageText = "Msg 10 - UTC & Date Inquiry received from " + base::NumberText(rec.Type10.MMSI);
            break;
        case 12:
            t.LastMessageText = rec.Type12.Text;
            break;
        case 14:
            t.LastMessageText = rec.Type14.Text;
            break;
        case 18: {
            const auto& s = rec.Type18;
            t.SOG = s.SOG;
            copyPosition(t, s);
            t.COG = s.COG;
            t.TrueHeading = s.TrueHeading;
            copyCommState(t, s);
            copyCommTime(t, s);
            t.CallSign = kNotAvailableText;
            t.EPFDTypeText = kNotAvailableText;
            t.Destination = kNotAvailableText;
            if (t.Name.empty() || t.Name == kClassBPlaceholder) t.Name = ClassBName(t);
            break;
        }
        case 19: {
            const auto& s = rec.Type19;
            t.SOG = s.SOG;
            copyPosition(t, s);
            t.COG = s.COG;
            t.TrueHeading = s.TrueHeading;
            t.Name = s.Name == kTwentyBlanks ? ClassBName(t) : s.Name;
            if (NameKnown(s.Name)) t.ReceivedName = s.Name;
            t.ShipType = s.ShipType;
            t.ShipTypeText = s.ShipTypeText;
            t.CargoTypeText = s.CargoTypeText;
            copyDimensions(t, s);
            t.EPFDType = s.EPFDType;
            t.EPFDTypeText = s.EPFDTypeText;
            t.DTE = s.DTE;
            t.RegionalReserved19 = s.RegionalReserved;
            t.CallSign = kNotAvailableText;
            t.Destination = kNotAvailableText;
            break;
        }
        case 21: {
            const auto& s = rec.Type21;
            copyPosition(t, s);
            t.Name = s.Name == kTwentyBlanks ? std::string("Aid to Navigation") : s.Name;
            copyDimensions(t, s);
            t.EPFDType = s.EPFDType;
            t.EPFDTypeText = s.EPFDTypeText;
            t.AtoNType = s.AtoNType;
            t.AtoNTypeText = s.AtoNTypeText;
            t.OffPosition = s.OffPosition;
            t.VirtualAtoN = s.VirtualAtoN;
            t.NameExtension = s.NameExtension;
            t.CallSign = kNotAvailableText;
            t.Destination = kNotAvailableText;
            break;
        }
        case 24: {
            const auto& s = rec.Type24;
            if (s.PartNumber == 0) {
                t.Name24 = s.Name;
                // Part A is where most class B stations send their name: it
                // replaces the placeholder, never a name from message 19.
                if (NameKnown(s.Name) && (t.Name.empty() || t.Name == kClassBPlaceholder)) t.Name = s.Name;
                if (NameKnown(s.Name)) t.ReceivedName = s.Name;
            } else {
                t.ShipType24 = s.ShipType;
                t.ShipTypeText24 = s.ShipTypeText;
                t.CargoTypeText24 = s.CargoTypeText;
                t.VendorID24 = s.VendorID;
                t.CallSign24 = s.CallSign;
                t.DimA24 = s.DimA;
                t.DimB24 = s.DimB;
                t.DimC24 = s.DimC;
                t.DimD24 = s.DimD;
            }
            break;
        }
        case 27: {
            // A long-range report's position may be minutes old: it stands in
            // only when the vessel has sent no full position report since
            // then (PositionLatency 0: under 5 s old, else taken as up to
            // the 3-minute long-range interval).
            const auto& s = rec.Type27;
            const double age = s.PositionLatency == 0 ? kLongRangeFreshAge : kLongRangeStaleAge;
            const std::optional<double> last = lastFullPosition(t);
            if (last && *last > ctx.monotonic - age) break;
            t.NavStatus = s.NavStatus;
            t.NavStatusText = s.NavStatusText;
            copyFix(t, s);
            t.SOG = s.SOG;
            t.COG = s.COG;
            break;
        }
        default:  // 20 and the types that only count: nothing to copy
            break;
    }
}

}  // namespace targets
