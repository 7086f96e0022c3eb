// The exported target table: CSV that reads back to the list's rows, GeoJSON
// with one feature per target in list order.
#include <gtest/gtest.h>

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

class TargetExportTest : public testing_support::FedReceiver {
protected:
    void SetUp() override {
        feed(testing_support::StaticData(257000001, "SAY \"HI\", JOE", "LABC"));
        feed(testing_support::ClassAReport(257000001, 59.5, 5.25, 12.3f));
        feed(testing_support::ClassAReport(257000002, -33.25, -70.5, 0.0f));
        feed(testing_support::StaticData(257000003, "NO FIX", "LXYZ"));  // no position
        SortTargets(rx.targets(), kColMMSI, /*descending=*/true, 0);
    }
};

TEST_F(TargetExportTest, CsvReadsBackToTheListsColumnsAndRows) {
    base::setDecimalSeparator(',');  // the screen's, in a German locale
    const Rows rows = ReadCsv(TargetListCsv(rx.targets(), {}));
    EXPECT_EQ(base::decimalSeparator(), ',');
    base::setDecimalSeparator('.');
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"No", "MMSI", "Name", "Lat", "Lon", "SOG", "COG", "HDG", "ROT",
                                                 "Class", "Time last msg", "NoOfMsg", "STATUS", "CPA", "TCPA", "Rx %"}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"1", "257000003", "NO FIX", "n/a", "n/a", "0.0", "000.0", "000", "0.0",
                                                 "A", "06 Dec 14:05:09", "1", "", "n/a", "n/a", "n/a"}));
    EXPECT_EQ(std::vector<std::string>(rows[3].begin() + 1, rows[3].begin() + 6),
              (std::vector<std::string>{"257000001", "SAY \"HI\", JOE", "59\xC2\xB0" "30'00.0\"N", "005\xC2\xB0" "15'00.0\"E", "12.3"}));

    RowContext manual;
    manual.referenceMode = kRefManual;
    EXPECT_EQ(ReadCsv(TargetListCsv(rx.targets(), manual))[0][3], "Range(or Lat)");
}

// A name from the air that a spreadsheet would run as a formula is written as
// text; the numbers of the row, negative ones too, stay numbers.
TEST_F(TargetExportTest, CsvNamesNeverBecomeFormulas) {
    for (const auto& [mmsi, name] : {std::pair{257000004, "=CMD?' /C CALC'!A0"}, {257000005, "-1+1"},
                                     {257000006, "=1+1"}, {257000007, "+EVIL"}}) {
        feed(testing_support::StaticData(mmsi, name, "LABC"));
        feed(testing_support::ClassAReport(mmsi, 59.5, 5.25, 1.0f, 0, -20.0f));
    }
    const std::map<std::string, std::string> expected = {{"257000004", "'=CMD?' /C CALC'!A0"},
                                                         {"257000005", "'-1+1"},
                                                         {"257000006", "'=1+1"},
                                                         {"257000007", "'+EVIL"}};
    const Rows rows = ReadCsv(TargetListCsv(rx.targets(), {}));
    ASSERT_EQ(rows.size(), 8u);
    int seen = 0;
    for (const auto& row : rows) {
        const auto it = expected.find(row[kColMMSI]);
        if (it == expected.end()) continue;
        ++seen;
        EXPECT_EQ(row[kColName], it->second);
        EXPECT_EQ(row[kColROT].front(), '-') << row[kColROT];
    }
    EXPECT_EQ(seen, 4);
}

TEST_F(TargetExportTest, GeoJsonHasAFeaturePerTargetInListOrder) {
    const std::string geo = TargetsGeoJson(rx.targets(), rx.clock().monotonicSeconds());
    const size_t third = geo.find(R"({"type":"Feature","geometry":null,"properties":{"Number":1,"MMSI":257000003,)");
    const size_t second = geo.find(R"("geometry":{"type":"Point","coordinates":[-70.5,-33.25]},"properties":{"Number":2,)");
    const size_t first = geo.find(R"("geometry":{"type":"Point","coordinates":[5.25,59.5]},"properties":{"Number":3,)");
    EXPECT_TRUE(geo.starts_with(R"({"type":"FeatureCollection","features":[)")) << geo.substr(0, 80);
    EXPECT_LT(third, second);
    EXPECT_LT(second, first);
    EXPECT_NE(first, std::string::npos);
    EXPECT_NE(geo.find(R"("Name":"SAY \"HI\", JOE)"), std::string::npos);
}

}  // namespace
}  // namespace targets
