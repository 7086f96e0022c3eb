// A past situation becomes target-table entries: what each station class
// reports, the fields a report leaves "not available", static data, order,
// age against the moment, ranges, and more stations than the live default.
#include <gtest/gtest.h>

#include <sstream>

#include "history/history_store_rows.h"
#include "history/situation_table.h"

namespace {

using history::SituationEntry;
using history::StationClass;
using history_test::Position;
using targets::TargetClass;
using targets::TargetRecord;

constexpr history::TimeMs kAt = 1'796'652'000'000;  // 2026-12-07 14:00:00 UTC

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

// Static data (name, call sign, ship type and dimensions; then a class B
// vessel's message 24 fields), motion and status, as one line.
std::string Shown(const TargetRecord& t) {
    std::ostringstream s;
    for (const ais::Dimensions* d : {&t.Dim, &t.Dim24}) {
        const bool b = d == &t.Dim24;
        s << (b ? "" : t.Id.Name + "/") << (b ? t.CallSign24 : t.Id.CallSign) << ' '
          << (b ? t.Ship24.ShipType : t.Ship.ShipType) << ' ' << d->DimA << ',' << d->DimB << ',' << d->DimC << ','
          << d->DimD << " | ";
    }
    s << t.Motion.SOG << ' ' << t.Motion.COG << ' ' << t.TrueHeading << ' ' << t.Nav.NavStatus << ' '
      << t.Nav.NavStatusText;
    return s.str();
}

TEST(SituationTable, EachStationClassBecomesItsEntry) {
    SituationEntry full = Entry(244123456, 1, StationClass::ClassA);
    full.statics = Statics(244123456, "NORDIC STAR", "PDAB", 70);
    SituationEntry bare = Entry(244000001, 3, StationClass::ClassA);
    bare.position = history_test::WithoutMotion(bare.position);
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
        const char* shown;  // the start of Shown()
    } cases[] = {
        {"class A with static data", full, TargetClass::A,
         "NORDIC STAR/PDAB 70 100,20,10,8 |  0 0,0,0,0 | 12.5 271.3 270 0 Under way using engines"},
        {"class A without speed, course, heading or status", bare, TargetClass::A,
         "/ 0 0,0,0,0 |  0 0,0,0,0 | -9999 -9999 -9999 15 not defined"},
        {"class B with both parts of its static data", classB, TargetClass::B,
         "SEA BREEZE/n/a 0 0,0,0,0 | PB1234 37 100,20,10,8 | 12.5 271.3 270 0"},
        {"class B extended report", extended, TargetClass::B, "LONG RANGER/n/a 36 100,20,10,8 | "},
        {"aid to navigation with its name", aton, TargetClass::AtoN, "NOORD HINDER/"},
        {"base station", Entry(2442000, 4, StationClass::BaseStation), TargetClass::BS, ""},
        {"SAR aircraft", Entry(111244001, 9, StationClass::SarAircraft), TargetClass::SAR,
         "SAR Aircraft/n/a 0 0,0,0,0 |  0 0,0,0,0 | 12.5"},
        {"long-range report of a class A vessel", Entry(244000004, 27, StationClass::ClassA), TargetClass::A, ""},
        {"no class stored: the report type tells", Entry(244000005, 18, StationClass::Unknown), TargetClass::B, ""},
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
        EXPECT_TRUE(Shown(t).starts_with(c.shown)) << Shown(t);
    }
}

TEST(SituationTable, StationsInMmsiOrderAgedAgainstTheMoment) {
    const auto f = Fill({Entry(300000003, 1, StationClass::ClassA, 400'000), Entry(300000001, 1, StationClass::ClassA, 5'000),
                         Entry(300000002, 1, StationClass::ClassA, 40'000)});
    ASSERT_EQ(f->table.TargetCount(), 3);
    const auto row = [&](int r) -> const TargetRecord& { return f->table.entry(f->table.DisplayOrder()[static_cast<size_t>(r)]); };
    using S = targets::TargetStatus;
    std::vector<std::pair<int32_t, S>> rows;
    for (int r = 1; r <= 3; ++r) rows.emplace_back(row(r).MMSI, row(r).Status);
    EXPECT_EQ(rows, (std::vector<std::pair<int32_t, S>>{{300000001, S::Current}, {300000002, S::Old}, {300000003, S::Lost}}));
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
    EXPECT_EQ(std::tuple(f->fill.stations, f->fill.skipped, f->table.TargetCount()), std::tuple(1500, 0, 1500));
}

}  // namespace
