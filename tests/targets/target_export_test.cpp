// The exported target table: CSV that reads back to the list's rows, GeoJSON
// with one feature per target in list order.
#include <gtest/gtest.h>

#include <clocale>
#include <map>
#include <string>
#include <vector>

#include "base/number_format.h"
#include "support/fed_receiver.h"
#include "targets/target_export.h"
#include "targets/target_sort.h"

namespace targets {
namespace {

using Rows = std::vector<std::vector<std::string>>;

// RFC 4180 as a spreadsheet reads it: quoted fields may hold commas, quotes
// (doubled) and line ends.
Rows ReadCsv(const std::string& text) {
    Rows rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
            rows.back().back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == ',') {
            rows.back().emplace_back();
        } else if (!quoted && c == '\n') {
            rows.emplace_back(1);
        } else {
            rows.back().back() += c;
        }
    }
    rows.pop_back();  // after the last line feed
    return rows;
}

class TargetExportTest : public testing_support::FedReceiver {};

TEST_F(TargetExportTest, CsvReadsBackToTheListsRowsAndGeoJsonKeepsTheirOrder) {
    feed(testing_support::StaticData(257000001, "SAY \"HI\", JOE", "LABC"));
    feed(testing_support::ClassAReport(257000001, 59.5, 5.25, 12.3f));
    feed(testing_support::ClassAReport(257000002, -33.25, -70.5, 0.0f));
    feed(testing_support::StaticData(257000003, "NO FIX", "LXYZ"));  // no position
    SortTargets(rx.targets(), kColMMSI, /*descending=*/true, 0);
    const Rows rows = ReadCsv(TargetListCsv(rx.targets(), {}));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"No", "MMSI", "Name", "Lat (°)", "Lon (°)", "SOG (kn)", "COG (°)",
                                                 "HDG (°)", "ROT (°/min)", "Class", "Time last msg", "NoOfMsg",
                                                 "STATUS", "CPA (nm)", "TCPA (min)", "Rx (%)"}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"1", "257000003", "NO FIX", "", "", "0.0", "0.0", "0", "0.0", "A",
                                                 "2026-12-06 14:05:09", "1", "", "", "", ""}));
    EXPECT_EQ(std::vector<std::string>(rows[3].begin() + 1, rows[3].begin() + 6),
              (std::vector<std::string>{"257000001", "SAY \"HI\", JOE", "59.500000", "5.250000", "12.3"}));
    EXPECT_EQ(std::vector<std::string>(rows[2].begin() + 3, rows[2].begin() + 5),
              (std::vector<std::string>{"-33.250000", "-70.500000"}));
    // The GeoJSON has a feature per target, in list order.
    const std::string geo = TargetsGeoJson(rx.targets(), rx.clock().monotonicSeconds());
    const size_t third = geo.find(R"({"type":"Feature","geometry":null,"properties":{"Number":1,"MMSI":257000003,)");
    const size_t second =
        geo.find(R"("geometry":{"type":"Point","coordinates":[-70.5,-33.25]},"properties":{"Number":2,)");
    const size_t first =
        geo.find(R"("geometry":{"type":"Point","coordinates":[5.25,59.5]},"properties":{"Number":3,)");
    EXPECT_TRUE(geo.starts_with(R"({"type":"FeatureCollection","features":[)")) << geo.substr(0, 80);
    EXPECT_LT(third, second);
    EXPECT_LT(second, first);
    EXPECT_NE(first, std::string::npos);
    EXPECT_NE(geo.find(R"("Name":"SAY \"HI\", JOE)"), std::string::npos);
}

// Every kind of cell of a row, for programs: numbers with "." and no unit
// (the unit is in the header), unknown values empty, texts guarded against
// formulas, position always in degrees and range and bearing beside it in a
// reference mode; the same bytes under a comma locale.
class CsvCells : public testing_support::FedReceiver {
protected:
    using Cells = std::map<std::string, std::string>;

    void SetUp() override {
        rx.reference().setMode(kRefFromVDO);  // ranges from the own ship
        ais::PositionReport own = testing_support::ClassAReport(257999999, 59.5, 5.0, 10.0f);
        own.COG = 0.0f, own.TrueHeading = 0.0f;
        feed(own, /*ownShip=*/true);
        feed(testing_support::StaticData(257000001, "=SUM(A1)", "LABC"));
        ais::PositionReport a = testing_support::ClassAReport(257000001, 59.6, 5.0, 10.0f, 0, -2.5f);
        a.COG = 180.0f, a.TrueHeading = 181.0f;
        feed(a);
        feed(testing_support::ClassAReport(257000002, 59.4, 5.0, 3.4f, 0, 720.0f));  // turning, rate unknown
        feed(testing_support::ClassAReport(257000004, 59.6, 4.99988, 1.0f));  // bearing 359.96
        ais::PositionReport none = testing_support::ClassAReport(257000003, 91.0, 181.0, base::kNotAvailable);
        none.COG = none.TrueHeading = none.ROT = base::kNotAvailable;
        feed(none);
        SortTargets(rx.targets(), kColMMSI, /*descending=*/false, 0);
    }

    // The rows by MMSI, each cell under its header.
    static std::map<std::string, Cells> ByMmsi(const std::string& csv) {
        const Rows rows = ReadCsv(csv);
        std::map<std::string, Cells> out;
        for (size_t r = 1; r < rows.size(); ++r) {
            EXPECT_EQ(rows[r].size(), rows[0].size()) << r;
            Cells& cells = out[rows[r][1]];
            for (size_t c = 0; c < rows[r].size() && c < rows[0].size(); ++c) cells[rows[0][c]] = rows[r][c];
        }
        return out;
    }
};

TEST_F(CsvCells, NumbersAsNumbersUnknownsEmptyTextsGuarded) {
    RowContext manual;
    manual.referenceMode = kRefFromVDO;
    manual.refLat = rx.reference().lat();
    manual.refLon = rx.reference().lon();
    const std::string plain = TargetListCsv(rx.targets(), {});
    const std::string ranged = TargetListCsv(rx.targets(), manual);
    EXPECT_TRUE(ranged.starts_with("No,MMSI,Name,Lat (°),Lon (°),Range (nm),Bearing (°),SOG (kn),")) << ranged;

    struct Row {
        const char* mmsi;
        Cells expected;  // the cells checked, by header; "~x": a number within 0.1 of x
    };
    const Row rows[] = {
        {"257000001",
         {{"Name", "'=SUM(A1)"}, {"Lat (°)", "59.600000"}, {"Lon (°)", "5.000000"}, {"Range (nm)", "~6.0"},
          {"Bearing (°)", "0.0"}, {"SOG (kn)", "10.0"}, {"COG (°)", "180.0"}, {"HDG (°)", "181"},
          {"ROT (°/min)", "-2.2"}, {"Class", "A"}, {"NoOfMsg", "2"}, {"CPA (nm)", "~0.0"}, {"TCPA (min)", "~18.0"}}},
        {"257000002", {{"ROT (°/min)", "stb"}, {"Lat (°)", "59.400000"}, {"Bearing (°)", "180.0"}}},
        {"257000004", {{"Bearing (°)", "0.0"}, {"Lon (°)", "4.999880"}}},
        {"257000003",
         {{"Lat (°)", ""}, {"Lon (°)", ""}, {"Range (nm)", ""}, {"Bearing (°)", ""}, {"SOG (kn)", ""},
          {"COG (°)", ""}, {"HDG (°)", ""}, {"ROT (°/min)", ""}, {"CPA (nm)", ""}, {"TCPA (min)", ""}}},
    };
    const auto cells = ByMmsi(ranged);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.mmsi);
        ASSERT_TRUE(cells.contains(row.mmsi));
        for (const auto& [header, value] : row.expected) {
            const std::string& cell = cells.at(row.mmsi).at(header);
            if (value.starts_with("~")) {
                EXPECT_NEAR(base::ParseDecimal(cell).value_or(-1e9), std::stod(value.substr(1)), 0.1) << header;
            } else {
                EXPECT_EQ(cell, value) << header;
            }
        }
    }
    // Without a reference there are no range columns; with a manual one not
    // yet set (0, 0) the ranges are unknown, the positions stay.
    EXPECT_EQ(ByMmsi(plain).at("257000001").count("Range (nm)"), 0u);
    manual.refLat = manual.refLon = 0.0;
    const auto unset = ByMmsi(TargetListCsv(rx.targets(), manual)).at("257000001");
    EXPECT_EQ(std::pair(unset.at("Range (nm)"), unset.at("Lat (°)")), std::pair(std::string(), std::string("59.600000")));

    // A German desktop: the screen writes "10,0", the file does not.
    manual.refLat = rx.reference().lat(), manual.refLon = rx.reference().lon();
    base::setDecimalSeparator(',');
    const char* saved = std::setlocale(LC_ALL, nullptr);
    const std::string savedLocale = saved ? saved : "C";
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8"}) {
        if (std::setlocale(LC_ALL, name)) break;
    }
    const std::string commaPlain = TargetListCsv(rx.targets(), {});
    const std::string commaRanged = TargetListCsv(rx.targets(), manual);
    std::setlocale(LC_ALL, savedLocale.c_str());
    base::setDecimalSeparator('.');
    EXPECT_EQ(commaPlain, plain);
    EXPECT_EQ(commaRanged, ranged);
}

}  // namespace
}  // namespace targets
