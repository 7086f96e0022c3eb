#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "targets/ship_database.h"

namespace targets {
namespace {

using testing_support::TempDir;

ShipDataItem vessel(int32_t mmsi, std::string name, std::string callSign = "LABC") {
    return {mmsi, std::move(name), std::move(callSign), 9123456, 70, 100, 20, 10, 10, 1};
}

std::vector<ShipDataItem> load(const TempDir& dir) {
    ShipDatabase db;
    db.LoadShipData(dir.path());
    return db.items();
}

TEST(ShipDataFile, WritesTheRecordLayoutOfTheFile) {
    ShipDataItem s = vessel(257012300, "BLUE HERON");
    EXPECT_EQ(FormatShipDataLine(s), "257012300,\"blue heron\",\"LABC\",9123456,100,20,10,10,70,1\r\n");
    s.Name = "SAY \"HI\", JO";
    s.CallSign = "A\"B,C";
    s.IMONumber = -9999;
    EXPECT_EQ(FormatShipDataLine(s), "257012300,\"say 'hi', jo\",\"A'B,C\",-9999,100,20,10,10,70,1\r\n");
    s.Name = "\xC3\x86GIR\r\nNEXT";  // Æ and a line break that must not split the record
    EXPECT_TRUE(FormatShipDataLine(s).starts_with("257012300,\"\xC3\xA6gir  next\",")) << FormatShipDataLine(s);
    // A stray UTF-8 lead byte before a quote, a line break or another control
    // character must not carry that character into the file unreplaced.
    for (const std::string tail : {"\"", "\n", "\r", "\x01", "\"x\"", ","}) {
        std::string line = FormatShipDataLine({2155, "6151\"\x8d\xc3" + tail, "DA4", 0, 80, 5, 10, 5, 5, 3});
        ASSERT_TRUE(line.ends_with("\r\n"));
        line.resize(line.size() - 2);
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
        const auto back = ParseShipDataLine(line);
        ASSERT_TRUE(back.has_value()) << line;
        EXPECT_EQ(back->CallSign, "DA4");
        EXPECT_EQ(back->EPFDType, 3);
    }
}

TEST(ShipDatabase, LoadSkipsBrokenLinesAndLooksUpTheFirstRecordOfAnMMSI) {
    TempDir dir;
    dir.write("Shipdata.dat",
              "257012300,\"blue heron\",\"LABC\",9123456,100,20,10,10,70,1\r\n"
              "garbage\r\n"
              "\r\n"
              "211000001,\"first\",\"DA\",0,1,2,3,4,30,3\r\n"
              "211000001,\"second\",\"DB\",0,1,2,3,4,30,3\r\n"
              "266000002,\"no line end\",\"SA\",0,5,6,7,8,60,1");
    ShipDatabase db;
    const ShipDataLoadResult r = db.LoadShipData(dir.path());
    EXPECT_EQ(std::tuple(r.fileFound, r.readFailed, r.records, r.malformedLines), std::tuple(true, false, 4, 1));
    EXPECT_EQ(std::pair(db.LookupShipData(211000001)->Name, db.LookupShipData(266000002)->Dim.DimD),
              std::pair(std::string("first"), int16_t{8}));
    EXPECT_EQ(db.LookupShipData(999999999), nullptr);

    // Loading again replaces the list instead of adding to it.
    dir.write("Shipdata.dat", "257012300,\"only\",\"\",0,0,0,0,0,0,0\r\n");
    db.LoadShipData(dir.path());
    EXPECT_EQ(db.size(), 1u);
    EXPECT_EQ(db.LookupShipData(211000001), nullptr);
    // No file: an empty list; a folder in its place: a read failure.
    std::filesystem::remove(dir / "Shipdata.dat");
    EXPECT_FALSE(db.LoadShipData(dir.path()).fileFound);
    EXPECT_EQ(db.size(), 0u);
    std::filesystem::create_directory(dir / "Shipdata.dat");
    EXPECT_TRUE(db.LoadShipData(dir.path()).readFailed);
}

TEST(ShipDatabase, ReadsLatin1AndUtf8Files) {
    TempDir dir;
    dir.write("Shipdata.dat", "257000001,\"tr\xF8nderl\xE5g\",\"L\xC6\",0,0,0,0,0,0,0\r\n");
    auto items = load(dir);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(std::tie(items[0].Name, items[0].CallSign), std::tuple("tr\xC3\xB8nderl\xC3\xA5g", "L\xC3\x86"));

    // A record the run does not refresh keeps its bytes; a refreshed one is UTF-8.
    ASSERT_TRUE(SaveShipData(dir.path(), {}));
    EXPECT_EQ(load(dir), items);
    ASSERT_TRUE(SaveShipData(dir.path(), std::vector{vessel(257000001, "\xC3\x86GIR")}));
    EXPECT_EQ(dir.read("Shipdata.dat"), "257000001,\"\xC3\xA6gir\",\"LABC\",9123456,100,20,10,10,70,1\r\n");
}

// An older version renamed the file to "Shipdata-OLD.dat" before rewriting it;
// a crash in between leaves the backup, with or without a partial new file.
TEST(ShipDatabase, LeftOverBackupIsMergedAndRemoved) {
    const std::string backup = "211000001,\"from backup\",\"DA\",0,0,0,0,0,0,0\r\n"
                               "266000002,\"only in backup\",\"SA\",0,0,0,0,0,0,0\r\n";
    const std::string partial = "211000001,\"partial new\",\"DA\",0,0,0,0,0,0,0\r\n";
    TempDir dir;
    dir.write("Shipdata-OLD.dat", backup);
    dir.write("Shipdata.dat", partial);
    ShipDatabase db;
    const ShipDataLoadResult lr = db.LoadShipData(dir.path());
    EXPECT_EQ(std::tuple(lr.records, lr.fromBackup, db.LookupShipData(211000001)->Name),
              std::tuple(2, 1, "partial new"));
    EXPECT_TRUE(std::filesystem::exists(dir / "Shipdata-OLD.dat"));  // loading writes nothing
    TempDir blank;  // a blank line in the backup is no broken line
    blank.write("Shipdata-OLD.dat", backup + "\r\n");
    EXPECT_EQ(ShipDatabase().LoadShipData(blank.path()).malformedLines, 0);
    const ShipDataSaveResult r = SaveShipData(dir.path(), std::vector{vessel(257012300, "RUN")});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.backupRemoved);
    EXPECT_EQ(dir.read("Shipdata.dat"), partial + "257012300,\"run\",\"LABC\",9123456,100,20,10,10,70,1\r\n" +
                                            backup.substr(backup.find('\n') + 1));
    EXPECT_EQ(dir.entryCount(), 1);
    // The crash came before the new file was created: the backup holds everything.
    TempDir dir2;
    dir2.write("Shipdata-OLD.dat", backup);
    ASSERT_TRUE(SaveShipData(dir2.path(), {}));
    EXPECT_EQ(dir2.read("Shipdata.dat"), backup);
    EXPECT_EQ(dir2.entryCount(), 1);
}

}  // namespace
}  // namespace targets
