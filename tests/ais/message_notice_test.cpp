#include "ais/message_notice.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "ais/binary_forms.h"

namespace {

using ais::ApplicationWindow;

ais::AISMessageRecord recordWithDestinations() {
    ais::AISMessageRecord rec;
    rec.Type6.DestinationMMSI = 211000001, rec.Type6.FI = rec.Type8.FI = 11;
    rec.Type10.DestinationMMSI = 2570001, rec.Type12.DestinationMMSI = 244000002;
    return rec;
}

TEST(MessageNotice, TextsByType) {
    struct Case {
        int type;
        const char* receiver;
        const char* kind;
    };
    const Case cases[] = {
        {6, "211000001", "6 - Addressed Binary Message"},
        {8, "Broadcast - To all vessels", "8 - Broadcast Binary Message"},
        {10, "2570001", "10 - UTC & Date Inquiry"},
        {12, "244000002", "12 - Safety related Addressed message"},
        {14, "Broadcast - To all vessels", "14 - Safety related Broadcast message"},
    };
    const auto rec = recordWithDestinations();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        const auto n = ais::ComposeMessageNotice(c.type, 257012300, "BLUE HERON", "SEE YOU  ", rec, "06-12-2026 13:45:02");
        EXPECT_EQ(n.lblName, " 257012300 - BLUE HERON");
        EXPECT_EQ(n.lblReceiver, c.receiver);
        EXPECT_EQ(n.lblTypeOfMsg, c.kind);
        EXPECT_EQ(n.lblTime, "06-12-2026 13:45:02");
        EXPECT_EQ(n.txtMessage, "SEE YOU  ");  // trailing blanks kept
    }
    EXPECT_TRUE(ais::ComposeMessageNotice(1, 257012300, "X", "", rec, "t").lblName.empty());
}

TEST(MessageNotice, ApplicationWindows) {
    struct Case {
        int type;
        int fi;
        const char* description;
        ApplicationWindow window;
    };
    const Case cases[] = {
        {8, 11, "FI 11 - Meteorological & Hydrological Data", ApplicationWindow::Meteorological},
        {6, 12, "FI 12 - Dangerous Cargo Indication", ApplicationWindow::DangerousCargo},
        {8, 13, "FI 13 - Fairway Closed", ApplicationWindow::FairwayClosed},
        // The other numbering puts the same applications under other FIs: no window.
        {8, 32, "FI 32 - Meteorological & Hydrological Data", ApplicationWindow::None},
        // A free text that happens to begin like an application summary is text.
        {8, 0, "FI 11 - MET DATA FOLLOWS", ApplicationWindow::None},
        {12, 0, "FI 11 - Meteorological & Hydrological Data", ApplicationWindow::None},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        ais::AISMessageRecord rec;
        rec.Type6.FI = rec.Type8.FI = static_cast<int16_t>(c.fi);
        EXPECT_EQ(ais::ComposeMessageNotice(c.type, 1, "", c.description, rec, "").window, c.window);
    }
}

TEST(MessageNotice, LogBlockLinesUpTheColons) {
    const auto n = ais::ComposeMessageNotice(12, 257012300, "BLUE HERON", "HELLO", recordWithDestinations(), "t0");
    EXPECT_EQ(ais::FormatMessageLogBlock(n),
              "AIS Message received from : 257012300 - BLUE HERON\r\n"
              "                       to : 244000002\r\n"
              "Type of Message           : 12 - Safety related Addressed message\r\n"
              "Time                      :t0\r\n"
              "MESSAGE                   : HELLO\r\n"
              "\r\n");
}

TEST(MessageLog, FailuresAreReportedAndLeaveNoPartBlock) {
    testing_support::TempDir full;
    ais::MessageLog log(full.path());
    ASSERT_TRUE(log.append(std::string(100, 'a')));
    {
        // The disk fills in the middle of the second block.
        testing_support::FileSizeLimit limit(150);
        EXPECT_FALSE(log.append(std::string(100, 'b')));
        EXPECT_FALSE(log.lastError().empty());
    }
    EXPECT_EQ(full.read("AIS_Messages/AIS_Messages.txt"), std::string(100, 'a'));
    EXPECT_TRUE(log.append("c"));
    EXPECT_EQ(full.read("AIS_Messages/AIS_Messages.txt"), std::string(100, 'a') + "c");
}

// The log stays within its size: a block that would take it past the limit
// starts a new file, the older ones move on and the oldest goes; no block is
// ever split across two files.
TEST(MessageLogRotation, WholeBlocksInAtMostFourFiles) {
    testing_support::TempDir dir;
    ais::MessageLog log(dir.path(), 100);
    // Blocks of 30 bytes "<n>...\r\n": three fit in 100 bytes, a fourth starts a new file.
    auto block = [](int n) {
        std::string b = std::to_string(n % 10);
        return b + std::string(27, '.') + "\r\n";
    };
    for (int n = 0; n < 14; ++n) ASSERT_TRUE(log.append(block(n))) << log.lastError();
    const struct {
        std::string file;
        std::string firsts;  // the first character of each block it holds
    } rows[] = {
        {"AIS_Messages/AIS_Messages.txt", "23"},  // blocks 12, 13
        {"AIS_Messages/AIS_Messages.1.txt", "901"},
        {"AIS_Messages/AIS_Messages.2.txt", "678"},
        {"AIS_Messages/AIS_Messages.3.txt", "345"},  // blocks 0-2 are gone
    };
    for (const auto& r : rows) {
        std::string want;
        for (const char c : r.firsts) want += block(c - '0');
        EXPECT_EQ(dir.read(r.file), want) << r.file;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "AIS_Messages/AIS_Messages.4.txt"));

    // A block larger than the limit still goes whole into a fresh file.
    const std::string big(250, 'x');
    ASSERT_TRUE(log.append(big));
    EXPECT_EQ(dir.read("AIS_Messages/AIS_Messages.txt"), big);
    EXPECT_EQ(dir.read("AIS_Messages/AIS_Messages.1.txt"), block(2) + block(3));
}

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
