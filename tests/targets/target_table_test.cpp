#include "targets/target_table.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <tuple>
#include <utility>

#include "ais/code_tables.h"
#include "support/sample_sentences.h"
#include "support/temp_dir.h"
#include "targets/flags.h"
#include "targets/ship_database.h"
#include "targets/statistics.h"

namespace targets {
namespace {

using input::SentenceKind;

using testing_support::SetMMSI;

class TableTest : public ::testing::Test {
protected:
    TableTest() {
        ctx.reference = &state;
        ctx.now = base::DateTime::fromCalendar(2026, 12, 6, 10, 0, 0);
        ctx.monotonic = 1000;
    }
    // Feeds a message of `type` from `mmsi` with the fields set by `fill`.
    template <class Fill>
    TargetUpdate update(int type, int32_t mmsi, Fill fill, SentenceKind kind = SentenceKind::VDM) {
        SetMMSI(rec, mmsi);
        fill(rec);
        return table.AddOrUpdateTarget(kind, type, rec, ctx);
    }
    template <class Fill>
    int take(int type, int32_t mmsi, Fill fill, SentenceKind kind = SentenceKind::VDM) {
        return update(type, mmsi, fill, kind).entry;
    }
    int take(int type, int32_t mmsi, SentenceKind kind = SentenceKind::VDM) {
        return take(type, mmsi, [](ais::AISMessageRecord&) {}, kind);
    }

    targets::Reference state;
    TableContext ctx;
    ais::AISMessageRecord rec;
    TargetTable table;
};

// What each message did, in order: one MMSI may own an entry per class, a
// binary message first makes an entry of unknown class that the first
// position report adopts, and long-range reports and the types only counted
// make no entry.
TEST_F(TableTest, EachMessageSaysWhichEntryItTouched) {
    struct Row {
        int type;
        int32_t mmsi;
        TableAction action;
        int entry;
    } rows[] = {
        {1, 257000000, TableAction::Created, 1},   {1, 257000000, TableAction::Updated, 1},
        {4, 257000000, TableAction::Created, 2},   {1, 0, TableAction::NoMMSI, 0},
        {7, 257000000, TableAction::Updated, 1},   {27, 257000000, TableAction::Updated, 1},
        {7, 257000001, TableAction::NoEntry, 0},   {27, 257000001, TableAction::NoEntry, 0},
        {0, 257000000, TableAction::TypeNotTaken, 0},
        {8, 257111111, TableAction::Created, 3},   {1, 257111111, TableAction::Updated, 3},
        {8, 257111111, TableAction::Updated, 3},   {20, 257111111, TableAction::Updated, 3},
        {3, 257111111, TableAction::Updated, 3},   {5, 257111111, TableAction::Updated, 3},
        {4, 257111111, TableAction::Created, 4},
    };
    for (const Row& r : rows) {
        const TargetUpdate u = update(r.type, r.mmsi, [](ais::AISMessageRecord&) {});
        EXPECT_EQ(u.action, r.action) << r.type << " " << r.mmsi;
        EXPECT_EQ(u.entry, r.entry) << r.type << " " << r.mmsi;
    }
    std::vector<std::pair<TargetClass, std::string>> entries;
    for (int n = 1; n <= table.TargetCount(); ++n) entries.emplace_back(table.entry(n).Class, table.entry(n).Id.Name);
    using C = TargetClass;
    EXPECT_EQ(entries, (decltype(entries){{C::A, ""}, {C::BS, "Base Station"}, {C::A, ""}, {C::BS, "Base Station"}}));
}

// A report that tells the class adopts the entry a message of no class made
// before it: one row per station, with the class's intervals, the database's
// pre-fill and what the entry had (counters, first time, name). Two real
// classes under one MMSI stay two rows.
TEST_F(TableTest, TheFirstReportWithAClassAdoptsTheClasslessEntry) {
    ShipDatabase db;
    db.add({257000001, "from file a", "LAFA", 1234567, 100, 20, 10, 10, 70, 1});
    db.add({257000024, "from file b", "LAFB", 0, 10, 2, 1, 1, 37, 1});
    ctx.shipData = &db;
    auto partA = [](ais::AISMessageRecord& r) { r.Type24.PartNumber = 0, r.Type24.Name = "SEA BIRD"; };
    auto partB = [](ais::AISMessageRecord& r) { r.Type24.PartNumber = 1, r.Type24.CallSign = "LB24"; };
    auto named5 = [](ais::AISMessageRecord& r) { r.Type5.Name = "NORDIC STAR", r.Type5.CallSign = "LAXY"; };
    auto nothing = [](ais::AISMessageRecord&) {};
    auto binary = [](ais::AISMessageRecord& r) { r.Type8.Description = "persons"; };
    using Fill = std::function<void(ais::AISMessageRecord&)>;
    struct Step {
        int type;
        Fill fill;
    };
    struct Row {
        const char* what;
        int32_t mmsi;
        std::vector<Step> steps;
        std::vector<TargetClass> classes;  // of the rows left, in entry order
        const char* name;                  // of the first row
        int firstCount;                    // messages the first row counted
        const char* callSign24 = "";
    } rows[] = {
        {"5 then 1", 257000005, {{5, named5}, {1, nothing}}, {TargetClass::A}, "NORDIC STAR", 2},
        {"24A then 18", 257000024, {{24, partA}, {18, nothing}}, {TargetClass::B}, "SEA BIRD", 2},
        {"24B, 24A, 18", 257000024, {{24, partB}, {24, partA}, {18, nothing}}, {TargetClass::B}, "SEA BIRD", 3,
         "LB24"},
        {"24B, 18: the database names it", 257000024, {{24, partB}, {18, nothing}}, {TargetClass::B}, "from file b",
         2, "LB24"},
        {"8 then 1", 257000001, {{8, binary}, {1, nothing}}, {TargetClass::A}, "from file a", 2},
        {"8, 5, 1", 257000005, {{8, binary}, {5, named5}, {1, nothing}}, {TargetClass::A}, "NORDIC STAR", 3},
        {"8 then 4", 2570001, {{8, binary}, {4, nothing}}, {TargetClass::BS}, "Base Station", 2},
        {"4 and 1 stay two", 257000001, {{4, nothing}, {1, nothing}}, {TargetClass::BS, TargetClass::A},
         "Base Station", 1},
        {"8, 4, 1: two", 257000001, {{8, binary}, {4, nothing}, {1, nothing}}, {TargetClass::BS, TargetClass::A},
         "Base Station", 2},
    };
    for (const Row& r : rows) {
        table = TargetTable();
        rec = ais::AISMessageRecord();
        for (const Step& s : r.steps) {
            ctx.monotonic += 10;
            ctx.now = ctx.now.addSeconds(10);
            const TargetUpdate u = update(s.type, r.mmsi, s.fill);
            ASSERT_TRUE(u.taken()) << r.what;
            UpdateStatistics(table.entry(u.entry), SentenceKind::VDM, 'A', s.type, ctx.now, ctx.now, ctx.monotonic);
        }
        ASSERT_EQ(table.TargetCount(), static_cast<int>(r.classes.size())) << r.what;
        for (size_t k = 0; k < r.classes.size(); ++k) {
            EXPECT_EQ(table.entry(int(k) + 1).Class, r.classes[k]) << r.what << " " << k;
        }
        const TargetRecord& first = table.entry(1);
        EXPECT_EQ(first.Id.Name, r.name) << r.what;
        EXPECT_EQ(first.MsgCount[0], r.firstCount) << r.what;
        EXPECT_EQ(first.Arrival, 1u) << r.what;
        EXPECT_EQ(first.CallSign24, r.callSign24) << r.what;
        if (r.steps.front().type == 8) {
            EXPECT_EQ(first.LastMessageText, "persons") << r.what;
        }
        if (r.classes.size() == 1) {
            EXPECT_EQ(first.TrackedFor, (r.firstCount - 1) * 10) << r.what;
        }
        if (r.classes[0] == TargetClass::A) {
            EXPECT_EQ(first.Stats[4].Expected, ais::intervals::StaticVoyage) << r.what;
        }
        if (r.classes[0] == TargetClass::BS) {
            EXPECT_EQ(first.Stats[3].Expected, ais::intervals::BaseStation) << r.what;
            // The base station's form of MMSI (00MIDxxxx) gives its country.
            if (r.mmsi < 10000000) {
                EXPECT_EQ(first.Country, ais::codeTables().Country[257]) << r.what;
            }
        }
    }
}

TEST_F(TableTest, FullTableRefusesNewcomersAndChangesNothing) {
    for (int i = 0; i < kMaxTargets; ++i) ASSERT_EQ(take(1, 200000000 + i), i + 1);
    const TargetRecord before = table.entry(1);
    EXPECT_EQ(update(1, 300000001, [](ais::AISMessageRecord&) {}).action, TableAction::TableFull);
    EXPECT_EQ(update(8, 300000003, [](ais::AISMessageRecord&) {}).action, TableAction::TableFull);
    EXPECT_EQ(table.TargetCount(), kMaxTargets);
    EXPECT_EQ(TableFullText(1000, 60),
              "Maximum limit AIS targets, more than 1000 targets stored. New targets ignored! Every target was heard "
              "within the last 60 s. Options \xE2\x96\xB8 Targets sets the maximum number of targets and how long a "
              "target must be silent before a new one takes its place.");
    EXPECT_EQ(table.entry(1).LastMsgTime, before.LastMsgTime);
    // Stations already in the table go on being updated.
    ctx.now = ctx.now.addSeconds(5);
    EXPECT_EQ(take(1, 200000000), 1);
    EXPECT_EQ(table.entry(1).TrackedFor, 5);
}

TEST_F(TableTest, NamesAndTextsByType) {
    auto blankName = [](ais::AISMessageRecord& r) { r.Type19.Name = r.Type21.Name = std::string(20, ' '); };
    EXPECT_EQ(take(19, 257000019, blankName), 1);
    EXPECT_EQ(take(21, 992570021, blankName), 2);
    EXPECT_EQ(take(18, 257000018), 3);
    EXPECT_EQ(take(9, 111257009), 4);
    const std::array<const char*, 4> names = {"Class B vessel", "Aid to Navigation", "Class B vessel", "SAR Aircraft"};
    for (int n = 1; n <= 4; ++n) EXPECT_EQ(table.entry(n).Id.Name, names[size_t(n - 1)]) << n;
    EXPECT_EQ(table.entry(1).Id.CallSign, "n/a");
    // Message 24: each part writes its own fields.
    take(24, 257000024, [](ais::AISMessageRecord& r) { r.Type24.PartNumber = 0, r.Type24.Name = "SEA BIRD"; });
    take(24, 257000024, [](ais::AISMessageRecord& r) {
        r.Type24.PartNumber = 1, r.Type24.Name = "SHOULD NOT COPY", r.Type24.CallSign = "LK1234";
    });
    EXPECT_EQ(std::tie(table.entry(5).Name24, table.entry(5).CallSign24, table.entry(5).Id.Name),
              std::tuple("SEA BIRD", "LK1234", "SEA BIRD"));
    // The name of part A replaces the placeholder of a class B station and
    // stays when later reports carry no name; an unset name changes nothing.
    take(24, 257000018, [](ais::AISMessageRecord& r) { r.Type24.PartNumber = 0, r.Type24.Name = "@@@@@@@@@@@@@@@@@@@@"; });
    EXPECT_EQ(table.entry(3).Id.Name, "Class B vessel");
    take(24, 257000018, [](ais::AISMessageRecord& r) { r.Type24.PartNumber = 0, r.Type24.Name = "WAVE DANCER"; });
    take(18, 257000018);
    EXPECT_EQ(table.entry(3).Id.Name, "WAVE DANCER");
    take(19, 257000018, blankName);
    EXPECT_EQ(table.entry(3).Id.Name, "WAVE DANCER");
    // Binary applications copy only what they carried.
    take(8, 257000008, [](ais::AISMessageRecord& r) {
        r.Type8.FI = ais::BinaryAppFI(ais::BinaryApp::PersonsOnBoard, 0);
        r.Type8.PassengersOnboard = 42, r.Type8.HeightOverKeel = 33.0f, r.Type8.Description = "persons";
    });
    EXPECT_EQ(std::tie(table.entry(6).PassengersOnboard, table.entry(6).HeightOverKeel, table.entry(6).LastMessageText),
              std::tuple(42, 0.0f, "persons"));
    take(10, 257000008);
    EXPECT_EQ(table.entry(6).LastMessageText, "Msg 10 - UTC & Date Inquiry received from  257000008");
}

TEST_F(TableTest, ShipDatabasePrefillsNewVesselsOnlyAndFlagsNeedACountry) {
    ShipDatabase db;
    db.add({257000018, "old friend", "LAOF", 7654321, 150, 9, 8, 7, 6, 22});
    db.add({257000001, "tanker", "LATK", 0, 84, 1, 2, 3, 4, 3});
    testing_support::TempDir dir;
    std::filesystem::create_directory(dir / "Flags");
    dir.write("Flags/FlagIndex.ini", "257,NO,\"Norway\"\r\n0,ZZ,\"none\"\r\n");
    FlagIndex flags(dir.path());
    ctx.shipData = &db;
    ctx.flags = &flags;
    take(18, 257000018);
    take(18, 257000018);
    // The name kept by its type 18 reports, which overwrite the position
    // fixing text; ship type 150 is outside 1-99, EPFD 22 outside 1-15.
    const TargetRecord& b = table.entry(1);
    EXPECT_EQ(std::tie(b.Id.Name, b.Ship.ShipType, b.Epfd.EPFDType, b.Epfd.EPFDTypeText),
              std::tuple("old friend", 0, 0, "n/a"));
    EXPECT_NE(b.FlagIcon.find("DNO.ico"), std::string::npos);
    take(1, 257000001);
    const TargetRecord& tanker = table.entry(2);
    EXPECT_EQ(std::tie(tanker.Ship.ShipType, tanker.Ship.ShipTypeText, tanker.Epfd.EPFDTypeText),
              std::tuple(84, ais::ShipTypeRule(84).ShipTypeText, "GPS/Glonass"));
    take(5, 257000005);  // created by a static message: no pre-fill lookup
    EXPECT_EQ(table.entry(3).Id.Name, "");
    take(4, 12345678);  // MID 0 has no country: no lookup, no flag
    EXPECT_EQ(table.entry(4).FlagIcon, "");
}

TEST_F(TableTest, ReferencePositionAndRange) {
    auto at = [](double lat, double lon) {
        return [=](ais::AISMessageRecord& r) { r.Type1.Latitude = lat, r.Type1.Longitude = lon; };
    };
    take(1, 257000002, at(60.5, 5.8));
    EXPECT_EQ(table.entry(1).FromReference.range(), 0);  // no reference: no range
    // Own ship from VDO sets the reference; others get range and bearing.
    state.setMode(kRefFromVDO);
    EXPECT_TRUE(update(1, 257000001, at(60.0, 5.0), SentenceKind::VDO).referenceMoved);
    EXPECT_EQ(std::pair(state.lat(), state.lon()), std::pair(60.0, 5.0));
    EXPECT_FALSE(update(1, 257000002, at(60.5, 5.8)).referenceMoved);
    // Read after the reference moved on: still measured from where it was
    // when the target reported (the range is worked out at the first read).
    EXPECT_TRUE(update(1, 257000001, at(59.0, 4.0), SentenceKind::VDO).referenceMoved);
    EXPECT_NEAR(table.entry(1).FromReference.range(), 71175.80, 0.5);
    EXPECT_NEAR(table.entry(1).FromReference.bearing() * 57.29577951307855, 38.1472, 0.001);
    take(20, 257000001, SentenceKind::VDO);  // type 20 moves nothing
    EXPECT_DOUBLE_EQ(state.lat(), 59.0);
    // Chosen vessel by MMSI from VDM.
    state.setMode(kRefFromVDM);
    state.setMMSI(257000002);
    take(1, 257000002, at(61.0, 6.0));
    EXPECT_DOUBLE_EQ(state.lat(), 61.0);
    EXPECT_NEAR(table.entry(1).FromReference.range(), 0, 1e-6);
    // Switching the reference off freezes the last values.
    state.setMode(kRefNone);
    const double range = table.entry(2).FromReference.range();
    take(1, 257000001, at(10.0, 10.0), SentenceKind::VDO);
    EXPECT_EQ(table.entry(2).FromReference.range(), range);
    EXPECT_DOUBLE_EQ(state.lat(), 61.0);
}

// The index must give what a search of entries 1..TargetCount() in number order gives.
TEST(TargetIndex, SameResultAsOrderedSearch) {
    std::mt19937 rng(7);
    const int types[] = {1, 2, 3, 4, 5, 6, 8, 9, 10, 12, 14, 18, 19, 20, 21, 24};
    auto fits = [](const TargetRecord& t, int type) {
        switch (type) {
            case 1: case 2: case 3: case 5: return t.Class == TargetClass::A;
            case 4: return t.Class == TargetClass::BS;
            case 9: return t.Class == TargetClass::SAR;
            case 18: case 19: return t.Class == TargetClass::B;
            case 21: return t.Class == TargetClass::AtoN;
            default: return true;
        }
    };
    TargetTable table;
    TableContext ctx;
    ais::AISMessageRecord rec;
    for (int i = 0; i < 20000; ++i) {
        // A small pool of MMSIs, some colliding in the hash, so chains and classes mix.
        const int32_t mmsi = 1 + static_cast<int32_t>(rng() % 1400) * 4096;
        const int type = types[rng() % std::size(types)];
        int expected = 0;
        for (int n = 1; n <= table.TargetCount() && !expected; ++n) {
            if (table.entry(n).MMSI == mmsi && fits(table.entry(n), type)) expected = n;
        }
        ASSERT_EQ(table.FindTarget(mmsi, type), expected) << i;
        SetMMSI(rec, mmsi);
        const TargetUpdate u = table.AddOrUpdateTarget(SentenceKind::VDM, type, rec, ctx);
        if (expected) {
            ASSERT_EQ(u.entry, expected);
        }
        if (u.taken()) {
            ASSERT_EQ(table.entry(u.entry).MMSI, mmsi);
        }
    }
    EXPECT_EQ(table.TargetCount(), kMaxTargets);
}

}  // namespace
}  // namespace targets
