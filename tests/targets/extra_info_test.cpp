#include <gtest/gtest.h>

#include <functional>

#include "targets/extra_info.h"

namespace targets {
namespace {

// The text FillExtraInfo writes into a label, or nullopt when it leaves it alone.
std::optional<std::string> textOf(const std::vector<LabelText>& texts, const std::string& name) {
    std::optional<std::string> found;
    for (const LabelText& l : texts) {
        if (l.name == name) found = l.text;
    }
    return found;
}

TargetRecord received(std::initializer_list<int> types, char channel = 'A') {
    TargetRecord t;
    for (int type : types) {
        t.MsgCount[static_cast<size_t>(type)] = 1;
        t.Stats[static_cast<size_t>(type - 1)].LastChannel = channel;
    }
    return t;
}

TEST(ExtraInfoTexts, FieldsByMessageType) {
    struct Row {
        const char* what;
        int type;
        std::function<void(TargetRecord&)> set;
        const char* label;
        const char* text;
    } rows[] = {
        {"latitude", 1, [](TargetRecord& t) { t.Fix.Latitude = 59.5; }, "framePositionReport_Latitude", "59°30'00.0\"N"},
        {"SOG", 1, [](TargetRecord& t) { t.Motion.SOG = 12.34f; }, "framePositionReport_SOG", "12.3"},
        {"ROT", 1, [](TargetRecord& t) { t.ROT = -2.54f; }, "framePositionReport_ROT", "-2.5"},
        {"ROT right", 1, [](TargetRecord& t) { t.ROT = 720.003f; }, "framePositionReport_ROT", "    stb"},
        {"ROT n/a is no turn", 1, [](TargetRecord& t) { t.ROT = -9999; }, "framePositionReport_ROT", "n/a"},
        {"message and channel", 2, [](TargetRecord& t) { t.Stats[1].LastChannel = 'B'; }, "framePositionReport_MsgCh",
         "2 / B"},
        {"base station UTC", 4,
         [](TargetRecord& t) {
             t.UTCYear = 2026, t.UTCMonth = 3, t.UTCDay = 9, t.UTCHour = 4, t.UTCMinute = 0, t.UTCSecond = 59;
         },
         "frameBaseStation_UTC", "2026-03-09 04:00:59"},
        {"cargo", 5, [](TargetRecord& t) { t.Ship.ShipType = 71, t.Ship.CargoTypeText = "Hazard A"; },
         "frameStaticVoyageReport_CargoType", "71 - Hazard A"},
        {"draught", 5, [](TargetRecord& t) { t.Voyage.Draught = 7.46f; }, "frameStaticVoyageReport_Draught", "7.5"},
        {"ETA", 5, [](TargetRecord& t) { t.Voyage.ETA = base::DateTime::fromCalendar(2026, 6, 16, 1, 0); },
         "frameStaticVoyageReport_ETA", "16 Jun 01:00"},
        {"altitude", 9, [](TargetRecord& t) { t.Altitude = 250; }, "frameSARAircraft_Altitude", "0250"},
        {"class B static", 19, [](TargetRecord& t) { t.Id.Name = "SEA BREEZE          "; }, "frameClassB2_Name", "SEA BREEZE"},
        {"AtoN type", 21, [](TargetRecord& t) { t.AtoNType = 1, t.AtoNTypeText = "Reference point"; },
         "frameAtoNreport_AtoNType", "1 - Reference point"},
        {"AtoN off position", 21, [](TargetRecord& t) { t.OffPosition = 1; }, "frameAtoNreport_OffPosition", "YES"},
        {"AtoN long name", 21, [](TargetRecord& t) { t.Id.Name = "NORTH HINDER", t.NameExtension = " WEST"; },
         "frameAtoNreport_Name", "NORTH HINDER WEST"},
        {"24B", 24, [](TargetRecord& t) { t.Ship24.ShipType = 37, t.Ship24.ShipTypeText = "Pleasure craft"; },
         "frameMessage24B_ShipType", "37 - Pleasure craft"},
        {"height over keel", 8, [](TargetRecord& t) { t.HeightOverKeel = 23.4f; },
         "frameSpecialReports_HeightOverKeel", "23.4"},
    };
    for (const Row& r : rows) {
        TargetRecord t = received({r.type});
        r.set(t);
        EXPECT_EQ(textOf(FillExtraInfo(t, r.type), r.label), std::optional<std::string>(r.text)) << r.what;
    }
}

}  // namespace
}  // namespace targets
