// Which field groups each message type copies into its entry. Every
// sub-record of the decoded-message record carries its own type number in
// each group it has, so a group copied from the wrong sub-record, one copied
// that the type does not carry, or one left out shows as a wrong number.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <type_traits>

#include "support/sample_sentences.h"
#include "targets/target_table.h"

namespace targets {
namespace {

enum Group { Nav, Motion, Fix, Comm, Id, Ship, Dim, Epfd, Voyage, Ship24, Dim24 };
constexpr const char* kGroupNames[] = {"Nav", "Motion", "Fix",   "Comm",   "Id",   "Ship",
                                       "Dim", "Epfd",   "Voyage", "Ship24", "Dim24"};

// Sets group G of sub-record r, when r has it.
template <class G, class R>
void setGroup(R& r, const G& g) {
    if constexpr (std::is_base_of_v<G, R>) static_cast<G&>(r) = g;
}

// Every group of sub-record r reads `v` in its numeric fields (and its texts).
template <class R>
void mark(R& r, int v) {
    const std::string text = "from " + std::to_string(v);
    // Code texts view text that lasts: kept here for the test's run.
    static std::set<std::string> kept;
    const ais::CodeText code = ais::CodeText::Lasting(*kept.insert(text).first);
    const auto n = static_cast<int16_t>(v);
    setGroup(r, ais::NavigationStatus{n, code});
    // Every field of a group its own value, so a field copied into its neighbour shows.
    setGroup(r, ais::Motion{float(v), float(v) + 0.5f});
    setGroup(r, ais::PositionFix{n, code, v + 0.25, v + 0.5, n});
    setGroup(r, ais::CommState{n, int16_t(n + 1), int16_t(n + 2), int16_t(n + 3), int16_t(n + 4), int16_t(n + 5)});
    setGroup(r, ais::VesselId{v, text, text});
    setGroup(r, ais::ShipKind{n, code, code});
    setGroup(r, ais::Dimensions{n, int16_t(n + 1), int16_t(n + 2), int16_t(n + 3)});
    setGroup(r, ais::EPFD{n, code});
    setGroup(r, ais::Voyage{base::DateTime(), float(v), text});
}

// Entry groups in `which` read `v`, as mark() sets a sub-record's.
void markEntry(TargetRecord& t, int v, const std::set<Group>& which) {
    ais::PositionReport a;
    ais::StaticVoyageData s;
    mark(a, v), mark(s, v);
    if (which.count(Nav)) t.Nav = a;
    if (which.count(Motion)) t.Motion = a;
    if (which.count(Fix)) t.Fix = a;
    if (which.count(Comm)) t.Comm = a;
    if (which.count(Id)) t.Id = s;
    if (which.count(Ship)) t.Ship = s;
    if (which.count(Dim)) t.Dim = s;
    if (which.count(Epfd)) t.Epfd = s;
    if (which.count(Voyage)) t.Voyage = s;
    if (which.count(Ship24)) t.Ship24 = s;
    if (which.count(Dim24)) t.Dim24 = s;
}

// The number each group of entry t reads (its first numeric field).
double groupNumber(const TargetRecord& t, Group g) {
    switch (g) {
        case Nav: return t.Nav.NavStatus;
        case Motion: return t.Motion.SOG;
        case Fix: return t.Fix.PosAccuracy;
        case Comm: return t.Comm.SyncState;
        case Id: return t.Id.IMONumber;
        case Ship: return t.Ship.ShipType;
        case Dim: return t.Dim.DimA;
        case Epfd: return t.Epfd.EPFDType;
        case Voyage: return t.Voyage.Draught;
        case Ship24: return t.Ship24.ShipType;
        case Dim24: return t.Dim24.DimA;
    }
    return 0;
}

bool sameGroup(const TargetRecord& a, const TargetRecord& b, Group g) {
    switch (g) {
        case Nav: return a.Nav == b.Nav;
        case Motion: return a.Motion == b.Motion;
        case Fix: return a.Fix == b.Fix;
        case Comm: return a.Comm == b.Comm;
        case Id: return a.Id == b.Id;
        case Ship: return a.Ship == b.Ship;
        case Dim: return a.Dim == b.Dim;
        case Epfd: return a.Epfd == b.Epfd;
        case Voyage: return a.Voyage == b.Voyage;
        case Ship24: return a.Ship24 == b.Ship24;
        case Dim24: return a.Dim24 == b.Dim24;
    }
    return false;
}

TEST(TargetCopy, EachTypeCopiesItsOwnGroupsWhole) {
    ais::AISMessageRecord rec;
    mark(rec.Type1, 1), mark(rec.Type2, 2), mark(rec.Type3, 3), mark(rec.Type4, 4), mark(rec.Type5, 5);
    mark(rec.Type9, 9), mark(rec.Type18, 18), mark(rec.Type19, 19), mark(rec.Type21, 21), mark(rec.Type24, 24);
    mark(rec.Type27, 27);
    rec.Type24.PartNumber = 1;
    const struct Row {
        int type;
        std::set<Group> groups;
    } rows[] = {
        {1, {Nav, Motion, Fix, Comm}},         {2, {Nav, Motion, Fix, Comm}},
        {3, {Nav, Motion, Fix, Comm}},         {4, {Fix, Comm, Epfd}},
        {5, {Id, Ship, Dim, Epfd, Voyage}},    {9, {Motion, Fix, Comm}},
        {18, {Motion, Fix, Comm}},             {19, {Motion, Fix, Ship, Dim, Epfd}},
        {21, {Fix, Dim, Epfd}},                {24, {Ship24, Dim24}},
        {27, {Nav, Fix, Motion}},
    };
    for (const Row& r : rows) {
        TargetTable table;
        TableContext ctx;
        ctx.monotonic = 100;
        testing_support::SetMMSI(rec, 257000000 + r.type);
        // An entry of the class the type belongs to (a long-range report
        // updates a class A vessel), its groups then set apart.
        const int maker = r.type == 27 || r.type == 24 ? 1 : r.type;
        const int n = table.AddOrUpdateTarget(SentenceKind::VDM, maker, rec, ctx).entry;
        ASSERT_NE(n, 0) << r.type;
        TargetRecord& t = table.entry(n);
        const std::set<Group> all = {Nav, Motion, Fix, Comm, Id, Ship, Dim, Epfd, Voyage, Ship24, Dim24};
        markEntry(t, 99, all);
        TargetRecord want = t;
        markEntry(want, r.type, r.groups);

        // Copied groups arrive whole, texts and all; the others are not copied.
        ASSERT_EQ(table.AddOrUpdateTarget(SentenceKind::VDM, r.type, rec, ctx).entry, n) << r.type;
        for (Group g : all) {
            EXPECT_TRUE(r.groups.count(g) ? sameGroup(t, want, g) : groupNumber(t, g) == 99)
                << "type " << r.type << ", group " << kGroupNames[g];
        }
    }
}

}  // namespace
}  // namespace targets
