// A past situation becomes target-table entries: what each station class
// reports, the fields a report leaves "not available", static data, order,
// age against the moment, ranges, and more stations than the live default.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "history/history_store_rows.h"
#include "history/situation_table.h"

namespace {

using history::SituationEntry;
using history::StationClass;
using history_test::Position;
using targets::TargetClass;
using targets::TargetRecord;

constexpr history::TimeMs kAt = 1'796'652'000'000;  // 2026-12-07 14:00:00 UTC
constexpr float kNA = -9999;

SituationEntry Entry(int32_t mmsi, int type, StationClass cls, history::TimeMs age = 5000) {
    history::PositionRow p = Position(mmsi, kAt - age, 57.5, 11.9);
    p.type = static_cast<uint8_t>(type);
    p.stationClass = cls;
    return {p, std::nullopt};
}

history::StaticRow Statics(int32_t mmsi, std::string name, std::string callSign, int16_t shipType) {
    history::StaticRow s = history_test::Static(mmsi, kAt - 60000, std::move(name), std::move(callSign));
    s.shipType = shipType;
    s.dimA = 100, s.dimB = 20, s.dimC = 10, s.dimD = 8;
    return s;
}

struct Filled {
    targets::TargetTable table;
    history::SituationFill fill;
    const TargetRecord& only() const { return table.entry(table.DisplayOrder()[1]); }
};

std::unique_ptr<Filled> Fill(const std::vector<SituationEntry>& entries, targets::Reference ref = {}) {
    auto f = std::make_unique<Filled>();
    f->fill = history::FillSituationTable(f->table, entries, kAt, ref);
    return f;
}

TEST(SituationTable, EachStationClassBecomesItsEntry) {
    SituationEntry full = Entry(244123456, 1, StationClass::ClassA);
    full.statics = Statics(244123456, "NORDIC STAR", "PDAB", 70);
    SituationEntry bare = Entry(244000001, 3, StationClass::ClassA);
    bare.position.sog.reset(), bare.position.cog.reset(), bare.position.heading.reset(), bare.position.navStatus.reset();
    SituationEntry classB = Entry(244000002, 18, StationClass::ClassB);
    classB.statics = Statics(244000002, "SEA BREEZE", "PB1234", 37);
    SituationEntry extended = Entry(244000003, 19, StationClass::ClassB);
    extended.statics = Statics(244000003, "LONG RANGER", "", 36);
    SituationEntry aton = Entry(992446001, 21, StationClass::AidToNavigation);
    aton.statics = Statics(992446001, "NOORD HINDER", "", 0);

    const struct {
        const char* what;
        SituationEntry entry;
        TargetClass cls;
        std::function<void(const TargetRecord&)> check;
    } cases[] = {
        {"class A with static data", full, TargetClass::A,
         [](const TargetRecord& t) {
             EXPECT_FLOAT_EQ(t.Motion.SOG, 12.5f);
             EXPECT_FLOAT_EQ(t.Motion.COG, 271.3f);
             EXPECT_FLOAT_EQ(t.TrueHeading, 270);
             EXPECT_EQ(t.Nav.NavStatus, 0);
             EXPECT_FALSE(t.Nav.NavStatusText.empty());
             EXPECT_EQ(t.Id.Name, "NORDIC STAR");
             EXPECT_EQ(t.Id.CallSign, "PDAB");
             EXPECT_EQ(t.Ship.ShipType, 70);
             EXPECT_EQ(t.Dim, (ais::Dimensions{100, 20, 10, 8}));
         }},
        {"class A without speed, course, heading or status", bare, TargetClass::A,
         [](const TargetRecord& t) {
             EXPECT_EQ(t.Motion.SOG, kNA);
             EXPECT_EQ(t.Motion.COG, kNA);
             EXPECT_EQ(t.TrueHeading, kNA);
             EXPECT_EQ(t.Nav.NavStatus, 15);
         }},
        {"class B with both parts of its static data", classB, TargetClass::B,
         [](const TargetRecord& t) {
             EXPECT_FLOAT_EQ(t.Motion.SOG, 12.5f);
             EXPECT_EQ(t.Id.Name, "SEA BREEZE");
             EXPECT_EQ(t.CallSign24, "PB1234");
             EXPECT_EQ(t.Ship24.ShipType, 37);
             EXPECT_EQ(t.Dim24, (ais::Dimensions{100, 20, 10, 8}));
         }},
        {"class B extended report", extended, TargetClass::B,
         [](const TargetRecord& t) {
             EXPECT_EQ(t.Id.Name, "LONG RANGER");
             EXPECT_EQ(t.Ship.ShipType, 36);
             EXPECT_EQ(t.Dim.DimA, 100);
         }},
        {"aid to navigation with its name", aton, TargetClass::AtoN,
         [](const TargetRecord& t) { EXPECT_EQ(t.Id.Name, "NOORD HINDER"); }},
        {"base station", Entry(2442000, 4, StationClass::BaseStation), TargetClass::BS, nullptr},
        {"SAR aircraft", Entry(111244001, 9, StationClass::SarAircraft), TargetClass::SAR,
         [](const TargetRecord& t) { EXPECT_FLOAT_EQ(t.Motion.SOG, 12.5f); }},
        {"long-range report of a class A vessel", Entry(244000004, 27, StationClass::ClassA), TargetClass::A, nullptr},
        {"no class stored: the report type tells", Entry(244000005, 18, StationClass::Unknown), TargetClass::B,
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto f = Fill({c.entry});
        ASSERT_EQ(f->fill.stations, 1);
        ASSERT_EQ(f->table.TargetCount(), 1);
        const TargetRecord& t = f->only();
        EXPECT_EQ(t.MMSI, c.entry.position.mmsi);
        EXPECT_EQ(t.Class, c.cls);
        EXPECT_DOUBLE_EQ(t.Fix.Latitude, 57.5);
        EXPECT_DOUBLE_EQ(t.Fix.Longitude, 11.9);
        EXPECT_EQ(t.Status, targets::TargetStatus::Current);
        if (c.check) c.check(t);
    }
}

TEST(SituationTable, StationsInMmsiOrderAgedAgainstTheMoment) {
    const auto f = Fill({Entry(300000003, 1, StationClass::ClassA, 400'000), Entry(300000001, 1, StationClass::ClassA, 5'000),
                         Entry(300000002, 1, StationClass::ClassA, 40'000)});
    ASSERT_EQ(f->table.TargetCount(), 3);
    const auto row = [&](int r) -> const TargetRecord& { return f->table.entry(f->table.DisplayOrder()[static_cast<size_t>(r)]); };
    EXPECT_EQ(row(1).MMSI, 300000001);
    EXPECT_EQ(row(2).MMSI, 300000002);
    EXPECT_EQ(row(3).MMSI, 300000003);
    EXPECT_EQ(row(1).Status, targets::TargetStatus::Current);
    EXPECT_EQ(row(2).Status, targets::TargetStatus::Old);
    EXPECT_EQ(row(3).Status, targets::TargetStatus::Lost);
    // Reception times keep their distances (the list shows them in local time).
    EXPECT_NEAR(row(1).LastMsgTime.secondsSince(row(2).LastMsgTime), 35.0, 0.01);
}

TEST(SituationTable, RangesFromTheReferenceWhichStaysWhereItWas) {
    targets::Reference ref;
    ref.setMode(targets::kRefManual);
    ref.moveTo(57.5 - 1.0 / 60, 11.9);  // one minute of latitude south of the station
    const targets::Reference before = ref;
    const auto f = Fill({Entry(244123456, 1, StationClass::ClassA)}, ref);
    EXPECT_TRUE(f->only().RangeKnown);
    EXPECT_NEAR(f->only().FromReference.range(), 1855.0, 5.0);
    EXPECT_EQ(ref, before);
}

TEST(SituationTable, TakesMoreStationsThanTheLiveDefault) {
    std::vector<SituationEntry> many;
    for (int i = 0; i < 1500; ++i) many.push_back(Entry(200000000 + i, 1, StationClass::ClassA));
    const auto f = Fill(many);
    EXPECT_EQ(f->fill.stations, 1500);
    EXPECT_EQ(f->fill.skipped, 0);
    EXPECT_EQ(f->table.TargetCount(), 1500);
}

}  // namespace
