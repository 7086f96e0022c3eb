#include "web/coast_geojson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace web {
namespace {

double Distance(const plot::GeoPoint& p, const plot::GeoPoint& a, const plot::GeoPoint& b) {
    const double dx = b.lon - a.lon, dy = b.lat - a.lat, len2 = dx * dx + dy * dy;
    const double t = len2 > 0 ? std::clamp(((p.lon - a.lon) * dx + (p.lat - a.lat) * dy) / len2, 0.0, 1.0) : 0;
    return std::hypot(p.lon - a.lon - t * dx, p.lat - a.lat - t * dy);
}

// Every point left out lies within the tolerance of the kept line between
// its kept neighbours, and the ends stay.
TEST(CoastGeoJson, SimplifyingLeavesOutOnlyPointsWithinTheTolerance) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> wobble(-0.01, 0.01);
    std::vector<plot::GeoPoint> line;
    for (int k = 0; k < 2000; ++k) line.push_back({k * 0.001 + wobble(random), std::sin(k * 0.01) + wobble(random)});
    for (double tolerance : {0.0005, 0.005, 0.05}) {
        const std::vector<plot::GeoPoint> kept = SimplifyLine(line, tolerance);
        ASSERT_GE(kept.size(), 2u);
        EXPECT_LT(kept.size(), line.size());
        EXPECT_EQ(kept.front().lon, line.front().lon);
        EXPECT_EQ(kept.back().lon, line.back().lon);
        // The kept points are a subsequence of the line; each point between
        // two kept ones lies within the tolerance of the segment joining them.
        std::vector<size_t> at;
        for (size_t k = 0, j = 0; k < line.size() && j < kept.size(); ++k) {
            if (line[k].lon == kept[j].lon && line[k].lat == kept[j].lat) at.push_back(k), ++j;
        }
        ASSERT_EQ(at.size(), kept.size());
        for (size_t j = 0; j + 1 < at.size(); ++j) {
            for (size_t k = at[j] + 1; k < at[j + 1]; ++k) {
                EXPECT_LE(Distance(line[k], kept[j], kept[j + 1]), tolerance * 1.000001) << tolerance;
            }
        }
    }
    const std::vector<plot::GeoPoint> square = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0.5}};
    EXPECT_GE(SimplifyRing(square, 10).size(), 4u);
}

QJsonObject View(CoastGeoJson& coast, double w, double s, double e, double n, int z) {
    const std::string text = coast.view(w, s, e, n, z);
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text.substr(0, 200);
    return doc.object();
}

TEST(CoastGeoJson, ViewsGiveLandAndShoreAtTheirZoomAndStayBounded) {
    CoastGeoJson coast;
    const QJsonObject northSea = View(coast, 2, 51, 6, 53, 7);
    if (northSea["resolution"].toString().isEmpty()) GTEST_SKIP() << "no GSHHG shoreline file installed";
    int land = 0, shore = 0;
    for (const auto& f : northSea["features"].toArray()) {
        const QJsonObject props = f.toObject()["properties"].toObject();
        land += props["level"].toInt() == 1;
        shore += props.contains("shore");
    }
    EXPECT_GT(land, 0);
    EXPECT_GT(shore, 0);
    // Asking again comes from the cache.
    const size_t cached = coast.cachedBins();
    View(coast, 2, 51, 6, 53, 7);
    EXPECT_EQ(coast.cachedBins(), cached);
    // The whole world at a street's zoom is answered coarser, within the bin limit.
    const QJsonObject world = View(coast, -180, -85, 180, 85, 15);
    EXPECT_EQ(world["resolution"].toString(), "c");
    // Across the date line the coordinates continue beyond 180.
    bool beyond = false;
    for (const auto& f : View(coast, 170, -50, 190, -30, 5)["features"].toArray()) {
        const QJsonArray c = f.toObject()["geometry"].toObject()["coordinates"].toArray();
        const QJsonArray first = c[0].isArray() && c[0].toArray()[0].isArray() ? c[0].toArray()[0].toArray() : c[0].toArray();
        beyond = beyond || first[0].toDouble() > 180;
    }
    EXPECT_TRUE(beyond);
    // Without shoreline files: an empty collection, not an error.
    CoastGeoJson none({"/nonexistent"});
    EXPECT_EQ(View(none, 2, 51, 6, 53, 7)["features"].toArray().size(), 0);
}

}  // namespace
}  // namespace web
