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
}

}  // namespace
}  // namespace ais
