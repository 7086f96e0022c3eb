#include <gtest/gtest.h>

#include "ais/code_tables.h"

namespace ais {
namespace {

struct ShipTypeRow {
    int64_t received;
    int16_t type;
    const char* group;
    const char* cargo;
    const char* full;
};

TEST(CodeTables, ShipTypeRule) {
    const std::string catD = "Cat D-DG,HS or MP IMO hazard or pollutant";
    const ShipTypeRow rows[] = {
        {0, 0, "Not defined", "Not specified", "Not defined"},
        {5, 5, "Not defined", "Reserved for future use", ""},
        {52, 52, "Tug", "n/a", "Tug"},
        {56, 56, " not used", "n/a", " not used"},
        {84, 84, "Tanker", catD.c_str(), "Tanker - Cat D-DG,HS or MP IMO hazard or pollutant"},
        {71, 71, "Cargo ship", "Cat A-DG,HS or MP IMO hazard or pollutant",
         "Cargo ship - Cat A-DG,HS or MP IMO hazard or pollutant"},
        {99, 99, "Other type of ship", "No additional information",
         "Other type of ship - No additional information"},
        {100, 0, "Not defined", "Not specified", "Not defined"},
        {-9999, 0, "Not defined", "Not specified", "Not defined"},
    };
    for (const auto& r : rows) {
        const ShipTypeTexts t = ShipTypeRule(r.received);
        EXPECT_EQ(t.ShipType, r.type) << r.received;
        EXPECT_EQ(t.ShipTypeText, r.group) << r.received;
        EXPECT_EQ(t.CargoTypeText, r.cargo) << r.received;
        EXPECT_EQ(t.ShipTypeFullText, r.full) << r.received;
    }
    EXPECT_EQ(codeTables().ShipTypeFullText[100], "");
    EXPECT_EQ(codeTables().ShipTypeGroupText[100], "");
}

// Spot checks at both ends of the tables no decoder test reads: a shifted table reads another name.
TEST(CodeTables, CountriesAndMessageNamesByIndex) {
    const CodeTables& t = codeTables();
    int filled = 0;
    for (const auto& name : t.Country) filled += name.empty() ? 0 : 1;
    EXPECT_EQ(filled, 270);
    EXPECT_EQ(t.Country[257], "Norway");
    EXPECT_EQ(t.Country[260], "");
    EXPECT_EQ(t.Country[775], "Venezuela");
    EXPECT_EQ(t.MessageTypeName[0], "Class A vessel scheduled position report");
    EXPECT_EQ(t.MessageTypeName[26], "Not defined");
}

TEST(CodeTables, ReportingIntervals) {
    EXPECT_EQ(intervals::ClassA[3], 3.3f);
    EXPECT_NE(static_cast<double>(intervals::ClassA[3]), 10.0 / 3.0);
    EXPECT_EQ(intervals::ClassB[3], 5.0f);
}

}  // namespace
}  // namespace ais
