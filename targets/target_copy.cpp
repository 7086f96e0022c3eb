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
        const double at = t.Stats[static_cast<size_t>(type - 1)].RxMonotonic;
        if (!newest || at > *newest) newest = at;
    }
    return newest;
}

// The hour and minute of a communication state with slot time-out 1.
template <class Src>
void copyCommTime(TargetRecord& t, const Src& s) {
    t.UTCHour = s.CommUTCHour;
    t.UTCMinute = s.CommUTCMinute;
}

// Texts a station of this type never sends: shown as not available.
void markNotSent(std::string& text) { text = kNotAvailableText; }
void markNotSent(ais::CodeText& text) { text = ais::CodeText::Lasting(kNotAvailableText); }

// What each type tells of its station. A type copies the groups it carries
// whole (its sub-record is made of the same groups); what is not a plain
// copy is spelt out.
void copyFrom(TargetRecord& t, const ais::PositionReport& s) {
    t.Nav = s;
    t.Motion = s;
    t.Fix = s;
    t.Comm = s;
    t.ROT = s.ROT;
    t.TrueHeading = s.TrueHeading;
    t.UTCSecond = s.TimeStamp;
    copyCommTime(t, s);
}

void copyFrom(TargetRecord& t, const ais::BaseStationReport& s) {
    t.Fix = s;
    t.Comm = s;
    t.Epfd = s;
    t.UTCYear = s.UTCYear;
    t.UTCMonth = s.UTCMonth;
    t.UTCDay = s.UTCDay;
    t.UTCHour = s.UTCHour;
    t.UTCMinute = s.UTCMinute;
    t.UTCSecond = s.UTCSecond;
    markNotSent(t.Id.CallSign);
    markNotSent(t.Voyage.Destination);
}

void copyFrom(TargetRecord& t, const ais::StaticVoyageData& s) {
    t.Id = s;
    if (NameKnown(s.Name)) t.ReceivedName = s.Name;
    t.Ship = s;
    t.Dim = s;
    t.Epfd = s;
    t.Voyage = s;
    t.DTE = s.DTE;
}

void copyFrom(TargetRecord& t, const ais::SARPositionReport& s) {
    t.Motion = s;
    t.Fix = s;
    t.Comm = s;
    t.UTCSecond = s.TimeStamp;
    copyCommTime(t, s);
    t.DTE = s.DTE;
    t.Altitude = s.Altitude;
    markNotSent(t.Id.CallSign);
    markNotSent(t.Epfd.EPFDTypeText);
    markNotSent(t.Voyage.Destination);
}

void copyFrom(TargetRecord& t, const ais::ClassBPositionReport& s) {
    t.Motion = s;
    t.Fix = s;
    t.Comm = s;
    t.TrueHeading = s.TrueHeading;
    t.UTCSecond = s.TimeStamp;
    copyCommTime(t, s);
    markNotSent(t.Id.CallSign);
    markNotSent(t.Epfd.EPFDTypeText);
    markNotSent(t.Voyage.Destination);
    if (t.Id.Name.empty() || t.Id.Name == kClassBPlaceholder) t.Id.Name = ClassBName(t);
}

void copyFrom(TargetRecord& t, const ais::ClassBExtendedReport& s) {
    t.Motion = s;
    t.Fix = s;
    t.Ship = s;
    t.Dim = s;
    t.Epfd = s;
    t.TrueHeading = s.TrueHeading;
    t.UTCSecond = s.TimeStamp;
    t.Id.Name = s.Name == kTwentyBlanks ? ClassBName(t) : s.Name;
    if (NameKnown(s.Name)) t.ReceivedName = s.Name;
    t.DTE = s.DTE;
    t.RegionalReserved19 = s.RegionalReserved;
    markNotSent(t.Id.CallSign);
    markNotSent(t.Voyage.Destination);
}

void copyFrom(TargetRecord& t, const ais::AtoNReport& s) {
    t.Fix = s;
    t.Dim = s;
    t.Epfd = s;
    t.UTCSecond = s.TimeStamp;
    t.Id.Name = s.Name == kTwentyBlanks ? std::string("Aid to Navigation") : s.Name;
    t.AtoNType = s.AtoNType;
    t.AtoNTypeText = s.AtoNTypeText;
    t.OffPosition = s.OffPosition;
    t.VirtualAtoN = s.VirtualAtoN;
    t.NameExtension = s.NameExtension;
    markNotSent(t.Id.CallSign);
    markNotSent(t.Voyage.Destination);
}

void copyFrom(TargetRecord& t, const ais::StaticDataReport& s) {
    if (s.PartNumber == 0) {
        t.Name24 = s.Name;
        // Part A is where most class B stations send their name: it
        // replaces the placeholder, never a name from message 19.
        if (NameKnown(s.Name) && (t.Id.Name.empty() || t.Id.Name == kClassBPlaceholder)) t.Id.Name = s.Name;
        if (NameKnown(s.Name)) t.ReceivedName = s.Name;
        return;
    }
    t.Ship24 = s;
    t.Dim24 = s;
    t.VendorID24 = s.VendorID;
    t.CallSign24 = s.CallSign;
}

// A long-range report's position may be minutes old: it stands in only when
// the vessel has sent no full position report since then (PositionLatency 0:
// under 5 s old, else taken as up to the 3-minute long-range interval).
void copyFrom(TargetRecord& t, const ais::LongRangeReport& s, double monotonic) {
    const double age = s.PositionLatency == 0 ? kLongRangeFreshAge : kLongRangeStaleAge;
    const std::optional<double> last = lastFullPosition(t);
    if (last && *last > monotonic - age) return;
    t.Nav = s;
    t.Fix = s;
    t.Motion = s;
}

}  // namespace

void TargetTable::copyMessage(TargetRecord& t, int type, const ais::AISMessageRecord& rec, const TableContext& ctx) {
    switch (type) {
        case 1: case 2: case 3: copyFrom(t, *rec.positionReport(type)); break;
        case 4: copyFrom(t, rec.Type4); break;
        case 5: copyFrom(t, rec.Type5); break;
        case 6: case 8: {
            const ais::BinaryMessage& s = type == 6 ? rec.Type6 : rec.Type8;
            const int standard = ctx.binaryStandard;
            const ais::BinaryApp app = ais::SelectBinaryApp(type, s.DAC, s.FI, standard);
            if (app == ais::BinaryApp::HeightOverKeel) t.HeightOverKeel = s.HeightOverKeel;
            if (app == ais::BinaryApp::PersonsOnBoard) t.PassengersOnboard = s.PassengersOnboard;
            t.LastMessageText = s.Description;
            break;
        }
        case 9: copyFrom(t, rec.Type9); break;
        case 10:
            t.LastMessageText = "Msg 10 - UTC & Date Inquiry received from " + base::NumberText(rec.Type10.MMSI);
            break;
        case 12: t.LastMessageText = rec.Type12.Text; break;
        case 14: t.LastMessageText = rec.Type14.Text; break;
        case 18: copyFrom(t, rec.Type18); break;
        case 19: copyFrom(t, rec.Type19); break;
        case 21: copyFrom(t, rec.Type21); break;
        case 24: copyFrom(t, rec.Type24); break;
        case 27: copyFrom(t, rec.Type27, ctx.monotonic); break;
        default: break;  // 20 and the types that only count: nothing to copy
    }
}

}  // namespace targets
