#include "ais/binary_forms.h"

#include <gtest/gtest.h>

namespace {

using ais::BinaryForm;

std::string textOf(const BinaryForm& f, const std::string& name) {
    const ais::FormItem* item = f.find(name);
    return item ? item->text : "<missing " + name + ">";
}

TEST(BinaryForms, DatesAndNumbersOfCargoFairwayAndTide) {
    ais::BinaryMessage m;
    auto& fc = m.FairwayClosed;
    fc.ClosedFromDay = 5, fc.ClosedFromMonth = 6, fc.ClosedFromHour = 14, fc.ClosedFromMinute = 30;
    fc.ClosingRadius = 250, fc.ClosingRadiusUnit = 2;
    const BinaryForm fair = ais::FairwayClosedForm(m);
    EXPECT_EQ(textOf(fair, "cmdFrom"), "05.06  14:30");
    EXPECT_EQ(textOf(fair, "cmdUntil"), "00.00  00:00");
    EXPECT_EQ(textOf(fair, "txtClosingRadius"), " 250");
    EXPECT_EQ(textOf(fair, "cmbUnit"), "  2- nautical mile");

    auto& dc = m.DangerousCargo;
    dc.ETADay = 31, dc.ETAMonth = 12, dc.ETAHour = 23, dc.ETAMinute = 59;
    dc.UNNumber = 1203, dc.CargoAmount = -1, dc.CargoUnit = 3, dc.LastPortOfCall = "NLRTM";
    const BinaryForm cargo = ais::DangerousCargoForm(m);
    EXPECT_EQ(textOf(cargo, "cmdETA"), "31.12  23:59");
    EXPECT_EQ(textOf(cargo, "txtCargoAmount"), "-1");
    EXPECT_EQ(textOf(cargo, "cmbUnit"), "  3- 1000 tons");
    EXPECT_EQ(textOf(cargo, "txtLastPortOfCall"), "NLRTM");

    auto& tw = m.TidalWindow;
    tw.TideDay = 7, tw.TideMonth = 3;
    tw.Entry[0] = {51.5, 3.25, 6, 5, 18, 0, 270, 1.26f};
    tw.Entry[1] = {52.0, -4.0, 7, 45, 19, 15, 90, 0.0f};
    const BinaryForm tide = ais::TidalWindowForm(m);
    EXPECT_EQ(tide.caption, " Tidal Window,  Binary Msg Fi=14, IMO SN/Circ.236");
    EXPECT_EQ(textOf(tide, "cmdFrom_1"), "07.03  06:05");
    EXPECT_EQ(textOf(tide, "cmdFrom_2"), "07:45");  // later positions carry no date
    EXPECT_EQ(textOf(tide, "txtCurSpd_1"), "1.3");
    EXPECT_EQ(textOf(tide, "txtLon_2"), "004°00'00.0\"W");
    EXPECT_EQ(tide.find("txtLat_3")->group, "Position #3");

    EXPECT_TRUE(ais::BinaryFormFor(ais::ApplicationWindow::None, m).items.empty());
    EXPECT_EQ(ais::BinaryFormFor(ais::ApplicationWindow::TidalWindow, m).objectName, "frmTidalWindow");
}

}  // namespace
