#include "plot/landmarks.h"

#include <gtest/gtest.h>

#include <cmath>

#include "geodesy/grid.h"
#include "support/temp_dir.h"

namespace {

using plot::LandmarkKind;

struct LineCase {
    const char* line;
    LandmarkKind kind;
    bool valid;
    const char* name;
    double latitude;
    double longitude;
    const char* type;
};

TEST(LandmarkLine, FieldsSignsAndTypes) {
    const LineCase cases[] = {
        {"Portville,60,23.5,5,19.8", LandmarkKind::City, true, "Portville", 60.391667, 5.33, "A"},
        // Minutes take the sign of the degrees; with 0 degrees they are dropped.
        {"Southend,-33,30,-70,45", LandmarkKind::City, true, "Southend", -33.5, -70.75, "A"},
        {"\"Bay, North\",  59 , 6 ,+10,0.6", LandmarkKind::City, true, "Bay, North", 59.1, 10.01, "A"},
        {"Troll A,60,38.7,3,43.6,Gas", LandmarkKind::Platform, true, "Troll A", 60.645, 3.726667, "G"},
        {"Umlaut,56,0,2,30,\xC3\x96l", LandmarkKind::Platform, true, "Umlaut", 56.0, 2.5, "\xC3\x96"},
        {"Signs,+-5,0,5,0", LandmarkKind::City, false, "", 0, 0, ""},
        {"Pole+,90,30,5,0", LandmarkKind::City, false, "", 0, 0, ""},
        {"Date line,0,0,180,1", LandmarkKind::City, false, "", 0, 0, ""},
        {"\"Open,1,2,3,4", LandmarkKind::City, false, "", 0, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const auto landmark = plot::ParseLandmarkLine(c.line, c.kind);
        ASSERT_EQ(landmark.has_value(), c.valid);
        if (!landmark) continue;
        EXPECT_EQ(landmark->name, c.name);
        EXPECT_NEAR(landmark->latitude, c.latitude, 5e-7);
        EXPECT_NEAR(landmark->longitude, c.longitude, 5e-7);
        EXPECT_FALSE(std::signbit(landmark->latitude) && landmark->latitude == 0);
        EXPECT_EQ(landmark->type, c.type);
    }
}

class LandmarkFiles : public ::testing::Test {
protected:
    void SetUp() override {
        geodesy::InitDatum(datum_);
        std::filesystem::create_directories(dir_ / plot::kDatabaseFolder);
    }
    void write(const char* name, std::string_view text) {
        dir_.write(std::string(plot::kDatabaseFolder) + "/" + name, text);
    }
    plot::LandmarkDatabases load() { return plot::LoadDatabases(dir_.path(), datum_); }

    testing_support::TempDir dir_;
    geodesy::DatumTable datum_;
};

TEST_F(LandmarkFiles, GridCoordinatesAreThoseOfSlotOne) {
    write(plot::kCityFileName, "Portville,60,0,5,0\r\n\r\n  \nBad,line\n\"Far, East\",59,30,4,30\n");
    write(plot::kPlatformFileName, "P1,58,0,2,0,Oil\n");
    const auto db = load();
    ASSERT_EQ(db.Cities.size(), 2u);
    EXPECT_EQ(db.cityFile.records, 2);
    EXPECT_EQ(db.cityFile.malformedLines, 1);
    // The worked example of the grid: 60 N 5 E in zone 31.
    EXPECT_NEAR(db.Cities[0].easting, 611544.04, 0.01);
    EXPECT_NEAR(db.Cities[0].northing, 6653097.43, 0.01);
    ASSERT_EQ(db.Platforms.size(), 1u);
    EXPECT_EQ(db.Platforms[0].type, "O");
}

TEST_F(LandmarkFiles, ListsStopAtAHundredAndCountTheRest) {
    std::string text;
    for (int i = 0; i < 130; ++i) {
        text += 'C';
        text += std::to_string(i) + ",50," + std::to_string(i % 60) + ",3,0\n";
    }
    write(plot::kCityFileName, text);
    const auto db = load();
    ASSERT_EQ(db.Cities.size(), 100u);
    EXPECT_EQ(db.Cities.back().name, "C99");
    EXPECT_EQ(db.cityFile.beyondCapacity, 30);
    // A folder in place of the city file loads nothing, not even the platforms.
    write(plot::kPlatformFileName, "P1,58,0,2,0,Oil\n");
    std::filesystem::remove(dir_ / "Database" / plot::kCityFileName);
    std::filesystem::create_directories(dir_ / "Database" / plot::kCityFileName);
    const auto none = load();
    EXPECT_TRUE(none.cityFile.readFailed);
    EXPECT_TRUE(none.Cities.empty() && none.Platforms.empty());
}

}  // namespace
