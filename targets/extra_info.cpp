#include "targets/extra_info.h"

#include <algorithm>

#include "base/number_format.h"
#include "geodesy/position_text.h"
#include "targets/target_row.h"

namespace targets {

namespace {

using base::FormatAvailable;

// Every frame's caption and boxes, in the window's order.
const std::array<InfoFrameDesign, static_cast<size_t>(InfoFrame::kCount)> kDesigns = {{
    {"framePositionReport",
     "Position report (Msg 1,2,3)",
     {{"Latitude", "Latitude"},
      {"Longitude", "Longitude"},
      {"SOG", "SOG"},
      {"COG", "COG"},
      {"HDG", "HDG"},
      {"ROT", "ROT"},
      {"NavStatus", "Nav Status"},
      {"PosAccuracy", "Pos Accuracy"},
      {"UTCSec", "UTCSec"},
      {"RAIM", "RAIM"},
      {"RegAppl", "RegAppl"},
      {"MsgCh", "Msg /Ch"}}},
    {"frameStaticVoyageReport",
     "Static and Voyage report (Msg 5)",
     {{"Name", "Name"},
      {"CallSign", "Call Sign"},
      {"IMONo", "IMO No"},
      {"ShipType", "Type of ship"},
      {"CargoType", "Type of cargo"},
      {"PosDevice", "Position device"},
      {"A", "A"},
      {"B", "B"},
      {"C", "C"},
      {"D", "D"},
      {"Length", "Length (A+B)"},
      {"Breadth", "Breadth (C+D)"},
      {"Destination", "Destination"},
      {"ETA", "ETA"},
      {"Draught", "Draught"},
      {"DTE", "DTE"}}},
    {"frameBaseStation",
     "Base Station report (Msg 4)",
     {{"Latitude", "Latitude"},
      {"Longitude", "Longitude"},
      {"PosDevice", "Position device"},
      {"PosAccuracy", "Pos Accuracy"},
      {"UTC", "UTC"},
      {"RAIM", "RAIM"},
      {"Channel", "Channel"}}},
    {"frameSARAircraft",
     "SAR Aircraft report (Msg 9)",
     {{"Latitude", "Latitude"},
      {"Longitude", "Longitude"},
      {"SOG", "SOG"},
      {"COG", "COG"},
      {"Altitude", "Altitude"},
      {"PosAccuracy", "Pos Accuracy"},
      {"UTCSecond", "UTC Second"},
      {"RAIM", "RAIM"},
      {"DTE", "DTE"},
      {"Channel", "Channel"}}},
    {"frameClassB",
     "Class B standard report (Msg 18)",
     {{"Latitude", "Latitude"},
      {"Longitude", "Longitude"},
      {"SOG", "SOG"},
      {"COG", "COG"},
      {"HDG", "HDG"},
      {"PosAccuracy", "Pos Accuracy"},
      {"UTCSecond", "UTC Second"}}},
    {"frameClassB2",
     "Class B extended report (Msg 19)",
     {{"Name", "Name"},
      {"ShipType", "Type of ship"},
      {"CargoType", "Type of cargo"},
      {"PosDevice", "Position device"},
      {"A", "A"},
      {"B", "B"},
      {"C", "C"},
      {"D", "D"},
      {"Length", "Length (A+B)"},
      {"Breadth", "Breadth (C+D)"},
      {"RegAppl", "RegAppl"},
      {"LocAppl", "LocAppl"},
      {"DTE", "DTE"},
      {"RAIM", "RAIM"},
      {"ComStateFlag", "ComStateFlag"},
      {"MsgCh", "Msg / Ch"}}},
    {"frameAtoNreport",
     "Aids to Navigation report (Msg 21)",
     {{"Latitude", "Latitude"},
      {"Longitude", "Longitude"},
      {"PosAccuracy", "Pos Accuracy"},
      {"PosDevice", "Position device"},
      {"Name", "Name"},
      {"A", "A"},
      {"B", "B"},
      {"C", "C"},
      {"D", "D"},
      {"UTCSecond", " UTC Second"},
      {"AtoNType", " Type of Aids to Navigation"},
      {"OffPosition", " Out of position"},
      {"Virtual", " Virtual transmission"},
      {"RegAppl", "RegAppl"},
      {"RAIM", "RAIM"}}},
    {"frameMessage24A", "Static Data Report (Msg 24A)", {{"Name", "Name"}}},
    {"frameMessage24B",
     "Static Data Report (Msg 24B, Only from Class B vessels)",
     {{"ShipType", "Type of ship"},
      {"CargoType", "Type of cargo"},
      {"CallSign", "Call Sign"},
      {"A", "A"},
      {"B", "B"},
      {"C", "C"},
      {"D", "D"},
      {"VendorID", "Vendor ID"}}},
    {"frameSpecialReports",
     "Special report msg (Msg 6 or 8)  ",
     {{"HeightOverKeel", "Height Over Keel"}, {"Passengers", "Passengers incl crew"}}},
    {"frameCommState", "Communication State", {}},
}};

// Writes the labels of one frame.
class Writer {
public:
    Writer(std::vector<LabelText>& out, InfoFrame frame) : out_(out), frame_(FrameDesign(frame).name) {}
    Writer(std::vector<LabelText>& out, const char* frameName) : out_(out), frame_(frameName) {}
    void operator()(std::string_view key, std::string text) {
        out_.push_back({ValueLabelName(frame_, key), std::move(text)});
    }

private:
    std::vector<LabelText>& out_;
    const char* frame_;
};

std::string position(double v, const char* kind) {
    return v == base::kNotAvailable ? std::string(kNotAvailableText) : geodesy::FormatPosition(v, kind, "display", 1);
}


std::string codeAndText(int code, std::string_view text) { return std::to_string(code) + " - " + std::string(text); }

std::string rotText(float rot) {
    if (rot == base::kNotAvailable) return kNotAvailableText;
    if (rot >= 720.0f) return "    stb";
    if (rot <= -720.0f) return "   port";
    return base::formatNumber(rot, "0.0");
}

std::string messageAndChannel(const TargetRecord& t, int type) {
    return std::to_string(type) + " / " + LastChannelText(t, type - 1);
}

void writeDimensions(Writer& w, int a, int b, int c, int d, bool sums) {
    w("A", base::FormatAvailable(a, "0"));
    w("B", base::FormatAvailable(b, "0"));
    w("C", base::FormatAvailable(c, "0"));
    w("D", base::FormatAvailable(d, "0"));
    if (sums) {
        w("Length", base::FormatAvailable(a + b, "0"));
        w("Breadth", base::FormatAvailable(c + d, "0"));
    }
}

void writePosition(Writer& w, const TargetRecord& t) {
    w("Latitude", position(t.Fix.Latitude, "LAT"));
    w("Longitude", position(t.Fix.Longitude, "LON"));
}

void writeMotion(Writer& w, const TargetRecord& t, bool heading) {
    writePosition(w, t);
    w("SOG", base::FormatAvailable(t.Motion.SOG, "0.0"));
    w("COG", base::FormatAvailable(t.Motion.COG, "000.0"));
    if (heading) w("HDG", base::FormatAvailable(t.TrueHeading, "000"));
    w("PosAccuracy", codeAndText(t.Fix.PosAccuracy, t.Fix.PosAccuracyText));
}

void writeShipStatic(Writer& w, const TargetRecord& t) {
    w("Name", WithoutTrailingBlanks(t.Id.Name));
    w("ShipType", codeAndText(t.Ship.ShipType, t.Ship.ShipTypeText));
    w("CargoType", codeAndText(t.Ship.ShipType, t.Ship.CargoTypeText));
    w("PosDevice", codeAndText(t.Epfd.EPFDType, t.Epfd.EPFDTypeText));
    writeDimensions(w, t.Dim.DimA, t.Dim.DimB, t.Dim.DimC, t.Dim.DimD, true);
}

// The channel frame of the message's last channel; the row that the slot
// time-out selects.
void writeCommState(std::vector<LabelText>& out, const TargetRecord& t, int type) {
    const bool channelB = LastChannelText(t, type - 1) == "B";
    Writer w(out, kChannelFrameNames[channelB ? 1 : 0]);
    w("SyncState", base::FormatAvailable(t.Comm.SyncState, "0"));
    w("SlotTimeOut", base::FormatAvailable(t.Comm.SlotTimeout, "0"));
    switch (t.Comm.SlotTimeout) {
        case 0:
            w("SlotOffset", base::FormatAvailable(t.Comm.SlotOffset, "0"));
            break;
        case 1:
            w("UTCHourMin", base::FormatAvailable(t.UTCHour, "00") + ":" + base::FormatAvailable(t.UTCMinute, "00"));
            break;
        case 2:
        case 4:
        case 6:
            w("SlotNo", base::FormatAvailable(t.Comm.SlotNumber, "0"));
            break;
        case 3:
        case 5:
        case 7:
            w("ReceivedStns", base::FormatAvailable(t.Comm.ReceivedStations, "0"));
            break;
        default:
            break;
    }
}

// Type 21: an aid to navigation's position, name, kind and state.
void writeAtoNReport(std::vector<LabelText>& out, const TargetRecord& t) {
    Writer w(out, InfoFrame::AtoNReport);
    writePosition(w, t);
    w("PosAccuracy", codeAndText(t.Fix.PosAccuracy, t.Fix.PosAccuracyText));
    w("PosDevice", codeAndText(t.Epfd.EPFDType, t.Epfd.EPFDTypeText));
    // Names longer than 20 characters continue in the extension.
    w("Name", WithoutTrailingBlanks(t.Id.Name + t.NameExtension));
    writeDimensions(w, t.Dim.DimA, t.Dim.DimB, t.Dim.DimC, t.Dim.DimD, false);
    w("UTCSecond", base::FormatAvailable(t.UTCSecond, "00"));
    w("AtoNType", codeAndText(t.AtoNType, t.AtoNTypeText));
    w("OffPosition", t.OffPosition != 0 ? "YES" : "no");
    w("Virtual", t.VirtualAtoN != 0 ? "YES" : "no");
    w("RAIM", base::FormatAvailable(t.Fix.RAIM, "0"));
}

// Type 24: the class B static report's parts A (name) and B (vendor, call sign, type, dimensions).
void writeStaticReport24(std::vector<LabelText>& out, const TargetRecord& t) {
    Writer a(out, InfoFrame::Message24A);
    a("Name", WithoutTrailingBlanks(t.Name24));
    Writer b(out, InfoFrame::Message24B);
    b("VendorID", WithoutTrailingBlanks(t.VendorID24));
    b("CallSign", WithoutTrailingBlanks(t.CallSign24));
    b("ShipType", codeAndText(t.Ship24.ShipType, t.Ship24.ShipTypeText));
    b("CargoType", codeAndText(t.Ship24.ShipType, t.Ship24.CargoTypeText));
    writeDimensions(b, t.Dim24.DimA, t.Dim24.DimB, t.Dim24.DimC, t.Dim24.DimD, false);
}

}  // namespace

const InfoFrameDesign& FrameDesign(InfoFrame frame) { return kDesigns[static_cast<size_t>(frame)]; }

const std::vector<InfoField>& ChannelFields() {
    static const std::vector<InfoField> fields = {
        {"SyncState", "Sync State"},         {"SlotTimeOut", "SlotTimeOut"},
        {"SlotOffset", "0 - SlotOffset"},    {"UTCHourMin", "1 - UTC Hour/Min"},
        {"SlotNo", "2,4,6 - Slot No"},       {"ReceivedStns", "3,5,7 - ReceivedStns"}};
    return fields;
}

std::string ValueLabelName(std::string_view frameName, std::string_view key) {
    std::string name(frameName);
    name += '_';
    name += key;
    return name;
}

std::vector<LabelText> FillExtraInfo(const TargetRecord& t, int type) {
    std::vector<LabelText> out;
    const bool received = type >= 1 && type <= 26 && t.MsgCount[static_cast<size_t>(type)] > 0;
    switch (type) {
        case 1:
        case 2:
        case 3: {
            Writer w(out, InfoFrame::PositionReport);
            writeMotion(w, t, true);
            w("ROT", rotText(t.ROT));
            w("NavStatus", codeAndText(t.Nav.NavStatus, t.Nav.NavStatusText));
            w("UTCSec", base::FormatAvailable(t.UTCSecond, "00"));
            w("RAIM", base::FormatAvailable(t.Fix.RAIM, "0"));
            if (received) w("MsgCh", messageAndChannel(t, type));
            break;
        }
        case 4: {
            Writer w(out, InfoFrame::BaseStation);
            writePosition(w, t);
            w("PosDevice", codeAndText(t.Epfd.EPFDType, t.Epfd.EPFDTypeText));
            w("PosAccuracy", codeAndText(t.Fix.PosAccuracy, t.Fix.PosAccuracyText));
            w("UTC", base::FormatAvailable(t.UTCYear, "0000") + "-" + base::FormatAvailable(t.UTCMonth, "00") + "-" +
                         base::FormatAvailable(t.UTCDay, "00") + " " + base::FormatAvailable(t.UTCHour, "00") + ":" +
                         base::FormatAvailable(t.UTCMinute, "00") + ":" + base::FormatAvailable(t.UTCSecond, "00"));
            w("RAIM", base::FormatAvailable(t.Fix.RAIM, "0"));
            if (received) w("Channel", LastChannelText(t, 3));
            break;
        }
        case 5: {
            Writer w(out, InfoFrame::StaticVoyageReport);
            writeShipStatic(w, t);
            w("CallSign", WithoutTrailingBlanks(t.Id.CallSign));
            w("IMONo", std::to_string(t.Id.IMONumber));
            w("Draught", base::FormatAvailable(t.Voyage.Draught, "0.0"));
            w("Destination", WithoutTrailingBlanks(t.Voyage.Destination));
            // An ETA of 0 means the report carried none.
            w("ETA", t.Voyage.ETA.isNull() ? std::string(kNotAvailableText) : t.Voyage.ETA.format("dd mmm hh:mm"));
            w("DTE", base::FormatAvailable(t.DTE, "0"));
            break;
        }
        case 9: {
            Writer w(out, InfoFrame::SARAircraft);
            writeMotion(w, t, false);
            w("Altitude", base::FormatAvailable(t.Altitude, "0000"));
            w("UTCSecond", base::FormatAvailable(t.UTCSecond, "00"));
            w("RAIM", base::FormatAvailable(t.Fix.RAIM, "0"));
            w("DTE", base::FormatAvailable(t.DTE, "0"));
            if (received) w("Channel", LastChannelText(t, 8));
            break;
        }
        case 18:
        case 19: {
            Writer w(out, InfoFrame::ClassB);
            writeMotion(w, t, true);
            w("UTCSecond", base::FormatAvailable(t.UTCSecond, "00"));
            Writer w2(out, InfoFrame::ClassB2);
            if (type == 19) {
                writeShipStatic(w2, t);
                w2("RegAppl", base::FormatAvailable(t.RegionalReserved19, "0"));
                w2("DTE", base::FormatAvailable(t.DTE, "0"));
                w2("RAIM", base::FormatAvailable(t.Fix.RAIM, "0"));
            }
            if (received) w2("MsgCh", messageAndChannel(t, type));
            break;
        }
        case 21:
            writeAtoNReport(out, t);
            break;
        case 24:
            writeStaticReport24(out, t);
            break;
        default:
            break;
    }
    const bool commState = (type >= 1 && type <= 4) || type == 9 || type == 18;
    if (commState && received) writeCommState(out, t, type);

    Writer special(out, InfoFrame::SpecialReports);
    if (t.HeightOverKeel != 0) {
        special("HeightOverKeel", t.HeightOverKeel == base::kNotAvailable ? std::string(kNotAvailableText)
                                                                             : base::plainNumber(t.HeightOverKeel));
    }
    if (t.PassengersOnboard != 0) special("Passengers", base::FormatAvailable(t.PassengersOnboard, "0"));
    return out;
}

ExtraInfoLayout ExtraInfoLayoutFor(const TargetRecord& t) {
    using F = InfoFrame;
    const bool has24 = t.MsgCount[24] > 0;
    ExtraInfoLayout l;
    if (t.Class == TargetClass::BS) {
        l = {{F::BaseStation}, {F::CommState}, {4}};
    } else if (t.Class == TargetClass::SAR) {
        l = {{F::SARAircraft}, {F::CommState}, {9}};
    } else if (t.Class == TargetClass::B) {
        l = {{F::ClassB, F::ClassB2}, {F::CommState, F::Message24A, F::Message24B}, {18, 19, 24}};
    } else if (t.Class == TargetClass::AtoN) {
        l = {{F::AtoNReport}, {}, {21}};
    } else {
        // Class A vessels, and the frames an entry of unknown class starts with.
        l = {{F::PositionReport, F::StaticVoyageReport}, {F::CommState, F::SpecialReports}, {1, 2, 3, 5}};
        if (has24) {
            l.right.push_back(F::Message24A);
            l.typesOnOpen.push_back(24);
        }
    }
    return l;
}

std::vector<int> ExtraInfoFillOrder(const TargetRecord& t, const std::vector<int>& types) {
    std::vector<int> order;
    for (int type : types) {
        if (type >= 1 && type <= 26 && t.MsgCount[static_cast<size_t>(type)] > 0) order.push_back(type);
    }
    std::stable_sort(order.begin(), order.end(), [&t](int a, int b) {
        return t.Stats[static_cast<size_t>(a - 1)].LastRxTime < t.Stats[static_cast<size_t>(b - 1)].LastRxTime;
    });
    return order;
}

ExtraInfoHeader ExtraInfoHeaderFor(const TargetRecord& t) {
    return {base::formatNumber(t.MMSI, "000000000"), ClassText(t.Class), t.Country};
}

std::string ExtraInfoCaption(const TargetRecord& t) {
    const std::string name = WithoutTrailingBlanks(t.Id.Name);
    std::string caption = name.empty() ? "  MMSI :" + std::to_string(t.MMSI) : name + "  ";
    if (IsOwnShip(t)) caption += kOwnShipSuffix;
    return caption;
}

std::optional<std::string> ExtraInfoCaptionUpdate(std::string_view caption, const TargetRecord& t) {
    const std::string name = WithoutTrailingBlanks(t.Id.Name);
    if (name.empty() || caption.substr(0, 8) != "  MMSI :") return std::nullopt;
    return name + " - Extended Info";
}

std::array<int, 4> SketchDimensions(const TargetRecord& t) {
    if (t.Dim != ais::Dimensions{}) return {t.Dim.DimA, t.Dim.DimB, t.Dim.DimC, t.Dim.DimD};
    return {t.Dim24.DimA, t.Dim24.DimB, t.Dim24.DimC, t.Dim24.DimD};
}

TwipsPoint NextExtraInfoPlace(ExtraInfoPlacement& state, int mainLeft, int mainTop, int mainWidth, int clickY) {
    constexpr int kFirstOffset = 3000;
    constexpr int kStep = 400;
    constexpr int kRightMargin = 1000;
    int left = state.placedBefore ? state.lastLeft + kStep : mainLeft + kFirstOffset;
    // Measured from the main window's left edge, so the cascade stays over the
    // main window wherever that stands on the screen.
    if (left - mainLeft > mainWidth - kRightMargin) left = mainLeft + kFirstOffset;
    state.placedBefore = true;
    state.lastLeft = left;
    return {left, mainTop + clickY};
}

}  // namespace targets
