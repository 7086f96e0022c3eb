// What a run keeps of earlier data and what it adds: ship database lines it
// does not refresh stay byte for byte, only names the vessels sent are
// stored, a linked file stays linked, a failed save is told once; the
// reference position follows only real positions.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/fed_receiver.h"
#include "support/temp_dir.h"
#include "targets/ship_database.h"
#include "targets/target_row.h"
#include "targets/target_sort.h"

namespace app {
namespace {

using namespace testing_support;

class KeptData : public FedReceiver {
protected:
    TempDir dir;
};

// Lines the run does not refresh come back as they were, wherever they stand
// and whatever they hold; the refreshed record keeps its place.
TEST_F(KeptData, LinesNotRefreshedStayByteForByte) {
    const std::string hostile[] = {
        "0,\"no mmsi\",\"X\",0,0,0,0,0,0,0\r\n",
        "257000009,\"wide\",\"X\",0,70000,0,0,0,0,0\r\n",             // a dimension beyond 16 bits
        "257000009,\"eleven\",\"X\",0,0,0,0,0,0,0,0\r\n",           // eleven fields
        "\xEF\xBB\xBF;comment in Latin-1 \xE6\xF8\xE5\n",              // byte-order mark, LF only
        "257000008,\"kept  \",\"C,S\",-1,1,2,3,4,5,6\r\n",          // a readable record of another vessel
        "   \r\n",
        "257000001,\"old\",\"OLD\",1,1,1,1,1,1,1\r\n",                // refreshed in its place
        "257000001,\"later duplicate\",\"D\",0,0,0,0,0,0,0\r\n",    // not the first: kept
        "\"unterminated,1,2\r\n",
        "257000007,\"no line feed\",\"E\",0,0,0,0,0,0,0\r",
    };
    std::string before;
    for (const auto& line : hostile) before += line;
    dir.write("Shipdata.dat", before);
    rx.shipDatabase().LoadShipData(dir.path());
    feed(StaticData(257000001, "NEW NAME", "NEWCS"));
    feed(StaticData(257000002, "APPENDED", "APP"));
    const auto r = targets::SaveShipData(dir.path(), rx.shipDataOfRun());
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.keptUnreadable, 5);
    std::string expected;
    for (const auto& line : hostile) {
        expected += line.starts_with("257000001,\"old\"")
                        ? "257000001,\"new name            \",\"NEWCS  \",9123456,100,20,10,12,70,1\r\n"
                        : line;
    }
    expected += "\n257000002,\"appended            \",\"APP    \",9123456,100,20,10,12,70,1\r\n";
    EXPECT_EQ(dir.read("Shipdata.dat"), expected);
}

// Only names the vessels sent reach the file: a placeholder or a name the
// database gave at the start is not news.
TEST_F(KeptData, OnlyReceivedNamesAreStored) {
    dir.write("Shipdata.dat", "257000003,\"from file\",\"FF\",0,1,2,3,4,30,1\r\n");
    rx.shipDatabase().LoadShipData(dir.path());
    feed(ClassBReport(257000001, 59.5, 5.25, 3.0f));  // "Class B vessel", call sign "n/a"
    feed(ClassBReport(257000003, 59.5, 5.25, 3.0f));  // named from the file
    ais::StaticDataReport partA, partB;
    partA.MessageID = partB.MessageID = 24;
    partA.MMSI = partB.MMSI = 257000004;
    partA.PartNumber = 0, partA.Name = "PART A";
    partB.PartNumber = 1, partB.CallSign = "LB24";
    feed(ClassBReport(257000004, 59.5, 5.25, 3.0f));
    feed(partA);
    feed(partB);
    const auto run = rx.shipDataOfRun();
    ASSERT_EQ(run.size(), 1u);  // the name as sent, 20 characters
    EXPECT_EQ(std::tie(run[0].MMSI, run[0].Name, run[0].CallSign),
              std::tuple(257000004, "PART A              ", "LB24   "));
}

TEST_F(KeptData, ALinkedFileIsWrittenThroughTheLink) {
    std::filesystem::create_directory(dir / "elsewhere");
    dir.write("elsewhere/ships.dat", "257000008,\"kept\",\"K\",0,0,0,0,0,0,0\r\n");
    std::filesystem::create_symlink("elsewhere/ships.dat", dir / "Shipdata.dat");
    feed(StaticData(257000001, "LINKED", "LK"));
    ASSERT_TRUE(targets::SaveShipData(dir.path(), rx.shipDataOfRun()).ok);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "Shipdata.dat"));
    EXPECT_EQ(dir.read("elsewhere/ships.dat"),
              "257000008,\"kept\",\"K\",0,0,0,0,0,0,0\r\n257000001,\"linked              \",\"LK     \",9123456,100,20,10,12,70,1\r\n");
}

TEST_F(KeptData, AFailedSaveIsToldOnce) {
    std::filesystem::create_directory(dir / "Shipdata.dat");  // cannot be read nor replaced
    feed(StaticData(257000001, "LOST", "LS"));
    base::RecordingMessageSink messages;
    EXPECT_FALSE(targets::StoreShipData(dir.path(), rx.shipDataOfRun(), messages).ok);
    ASSERT_EQ(messages.entries.size(), 1u);
    EXPECT_TRUE(messages.entries[0].text.ends_with(" Ship database not stored!")) << messages.entries[0].text;
}

// A report without a position moves neither the reference nor any range; an
// entry without a position sorts after every real range, also one across an ocean.
TEST_F(KeptData, TheReferenceFollowsOnlyRealPositions) {
    targets::Reference& s = rx.reference();
    s.setMode(targets::kRefFromVDO);
    feed(ClassAReport(257000001, 59.5, 10.25, 1.0f), true);
    feed(ClassAReport(257000002, -33.9, 18.4, 1.0f));  // Cape Town: about 5,700 nm
    for (const double lat : {91.0, 0.0}) {
        feed(ClassAReport(257000001, lat, 10.25, 1.0f), true);
        EXPECT_EQ(std::pair(s.lat(), s.lon()), std::pair(59.5, 10.25)) << lat;
    }
    feed(ClassAReport(257000003, 91.0, 181.0, 1.0f));
    auto& table = rx.targets();
    const double far = table.entry(2).FromReference.range();
    EXPECT_NEAR(far / 1852.0, 5700, 150);
    targets::SortTargets(table, targets::kColLat, false, s.mode());
    const int last = table.DisplayOrder()[static_cast<size_t>(table.TargetCount())];
    EXPECT_EQ(std::pair(table.entry(table.DisplayOrder()[1]).MMSI, table.entry(last).MMSI),
              std::pair(257000002, 257000003));
}

}  // namespace
}  // namespace app
