#include "web/history_api.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include "history/history_store_rows.h"
#include "support/temp_dir.h"

namespace web {
namespace {

using history::TimeMs;
using history_test::Position;
using history_test::Static;

constexpr TimeMs kT0 = 1796601600000;  // 2026-12-07T00:00:00Z
constexpr TimeMs kHour = 3600000;

Request Get(const std::string& target) {
    Request r;
    const std::string head = "GET " + target + " HTTP/1.1\r\nHost: x\r\n\r\n";
    EXPECT_EQ(ParseRequest(head, HttpLimits{}, r).state, ParseState::Complete) << target;
    return r;
}

QJsonObject Object(const Response& r) { return QJsonDocument::fromJson(QByteArray::fromStdString(r.body)).object(); }

// A store with two stations: 244123456 every hour of the day before kT0+2h,
// and a station whose name is written to break SQL, JSON and markup.
class HistoryApiTest : public testing::Test {
protected:
    void SetUp() override {
        location = (dir.path() / "History.sqlite").string();
        auto opened = history::OpenHistoryStore(location);
        ASSERT_TRUE(opened.store) << opened.error;
        history::Batch b;
        for (int h = -24; h <= 2; ++h) b.positions.push_back(Position(244123456, kT0 + h * kHour, 52.0 + h * 0.01));
        b.positions.push_back(Position(211000001, kT0 + kHour, 51.5, 3.5));
        b.statics.push_back(Static(211000001, kT0, "X'); DROP TABLE positions;--\"<b>", "AB\\C"));
        ASSERT_TRUE(opened.store->append(b).ok()) << opened.store->lastError();
    }

    testing_support::TempDir dir;
    std::string location;
};

TEST_F(HistoryApiTest, TrackAnswersItsPeriodInItsFormatAndRefusesWhatIsNotOne) {
    HistoryApi api(location, [] { return kT0 + 2 * kHour; });
    struct Case {
        std::string target;
        int status;
        int points;  // -1: not a track answer
    } cases[] = {
        // Without from/to: the 24 hours up to now, both ends in.
        {"/api/targets/244123456/track", 200, 25},
        {"/api/targets/244123456/track?from=2026-12-07T00:00:00Z&to=2026-12-07T01:00:00Z", 200, 2},
        {"/api/targets/244123456/track?from=2026-12-07T01:00:00%2B01:00&to=1796601600", 200, 1},
        {"/api/targets/244123456/track?from=1796601600.001&to=1796605200", 200, 1},
        {"/api/targets/211000001/track?from=2026-12-06T12:00:00Z&to=1796605200", 200, 1},
        {"/api/targets/244000000/track", 200, 0},
        {"/api/targets/244123456/track?from=2026-12-07T00:00:00", 400, -1},  // no zone: anyone's time
        {"/api/targets/244123456/track?from=tomorrow", 400, -1},
        {"/api/targets/244123456/track?from=1796605200&to=1796601600", 400, -1},
        {"/api/targets/244123456/track?from=0&to=1796605200&format=json", 400, -1},  // decades at once
        {"/api/targets/244123456/track?format=xml", 400, -1},
        {"/api/targets/0/track", 404, -1},
        {"/api/targets/2441234567/track", 404, -1},
        {"/api/targets/24412345x/track", 404, -1},
        {"/api/situation/track", 404, -1},
    };
    for (const Case& c : cases) {
        const Response r = api.handle(Get(c.target));
        EXPECT_EQ(r.status, c.status) << c.target << ": " << r.body;
        if (c.points < 0) {
            EXPECT_TRUE(Object(r).contains("error")) << c.target;
            continue;
        }
        EXPECT_EQ(Object(r)["positions"].toArray().size(), c.points) << c.target;
    }
    // Each format carries its content type.
    const std::pair<std::string, std::string> formats[] = {{"geojson", "application/geo+json"},
                                                           {"gpx", "application/gpx+xml"},
                                                           {"csv", "text/csv; charset=utf-8"}};
    for (const auto& [format, type] : formats) {
        const Response r = api.handle(Get("/api/targets/244123456/track?format=" + format));
        EXPECT_EQ(r.status, 200) << format;
        EXPECT_EQ(r.contentType, type) << format;
    }
    const Response geo = api.handle(Get("/api/targets/244123456/track?format=geojson"));
    const QJsonArray line = Object(geo)["features"].toArray()[0].toObject()["geometry"].toObject()["coordinates"].toArray();
    ASSERT_EQ(line.size(), 25);
    EXPECT_DOUBLE_EQ(line[0].toArray()[1].toDouble(), 52.0 - 22 * 0.01);  // oldest first
}

TEST_F(HistoryApiTest, AVeryLongTrackGivesItsNewestPoints) {
    auto opened = history::OpenHistoryStore(location);
    history::Batch b;
    const int many = static_cast<int>(HistoryApi::kMaxTrackPoints) + 7;
    for (int k = 0; k < many; ++k) b.positions.push_back(Position(244999999, kT0 + k * 1000, 50.0 + k * 1e-6));
    ASSERT_TRUE(opened.store->append(b).ok());
    opened.store.reset();
    HistoryApi api(location);
    const QJsonArray points = Object(api.handle(Get("/api/targets/244999999/track?from=1796601600&to=1796688000")))["positions"].toArray();
    ASSERT_EQ(points.size(), static_cast<qsizetype>(HistoryApi::kMaxTrackPoints));
    EXPECT_EQ(points[0].toObject()["time"].toString(), "2026-12-07T00:00:07Z");  // the oldest 7 left out
    EXPECT_EQ(points.last().toObject()["time"].toString(), "2026-12-07T13:53:26Z");
}

TEST_F(HistoryApiTest, SituationShowsEachStationAsItWasWithTextAsDataAndSpanItsEnds) {
    HistoryApi api(location);
    const Response full = api.handle(Get("/api/situation?at=2026-12-07T01:30:00Z&window=3600"));
    ASSERT_EQ(full.status, 200) << full.body;
    const QJsonObject answer = Object(full);
    EXPECT_EQ(answer["at"].toString(), "2026-12-07T01:30:00Z");
    const QJsonArray targets = answer["targets"].toArray();
    ASSERT_EQ(targets.size(), 2) << full.body;
    for (const auto& v : targets) {
        const QJsonObject t = v.toObject();
        if (t["MMSI"].toInt() == 211000001) EXPECT_EQ(t["Name"].toString(), "X'); DROP TABLE positions;--\"<b>");
        else EXPECT_EQ(t["MMSI"].toInt(), 244123456);
    }

    const Response compact = api.handle(Get("/api/situation?at=2026-12-07T01:30:00Z&window=3600&form=compact"));
    ASSERT_EQ(compact.status, 200);
    for (const auto& v : Object(compact)["targets"].toArray()) {
        const QJsonObject t = v.toObject();
        if (t["mmsi"].toInt() == 244123456) {
            EXPECT_DOUBLE_EQ(t["lat"].toDouble(), 52.01);  // the 01:00 report, the last before 01:30
            EXPECT_DOUBLE_EQ(t["heard_s_ago"].toDouble(), 1800);
            EXPECT_EQ(t["class"].toString(), "A");
        } else {
            EXPECT_EQ(t["name"].toString(), "X'); DROP TABLE positions;--\"<b>");
            EXPECT_EQ(t["callsign"].toString(), "AB\\C");
        }
    }
    // The window: 01:30 with the default 10 minutes holds nobody; a report exactly at the moment counts.
    EXPECT_EQ(Object(api.handle(Get("/api/situation?at=2026-12-07T01:30:00Z")))["targets"].toArray().size(), 0);
    EXPECT_EQ(Object(api.handle(Get("/api/situation?at=2026-12-07T02:00:00Z&window=1")))["targets"].toArray().size(), 1);
    for (const char* bad : {"/api/situation", "/api/situation?at=x", "/api/situation?at=0&window=0",
                            "/api/situation?at=0&window=86401", "/api/situation?at=0&window=5s"}) {
        EXPECT_EQ(api.handle(Get(bad)).status, 400) << bad;
    }
    // The span: the first and last report, or nulls for an empty store.
    const QJsonObject span = Object(api.handle(Get("/api/history")));
    EXPECT_EQ(span["first"].toString(), "2026-12-06T00:00:00Z");
    EXPECT_EQ(span["last"].toString(), "2026-12-07T02:00:00Z");
    HistoryApi empty((dir.path() / "Empty.sqlite").string());
    const QJsonObject none = Object(empty.handle(Get("/api/history")));
    EXPECT_TRUE(none["first"].isNull());
    EXPECT_TRUE(none["last"].isNull());
}

TEST_F(HistoryApiTest, AStoreThatCannotOpenIs503UntilItCan) {
    const std::filesystem::path later = dir.path() / "later";
    HistoryApi api((later / "History.sqlite").string());
    const Response missing = api.handle(Get("/api/history"));
    EXPECT_EQ(missing.status, 503);
    EXPECT_NE(Object(missing)["error"].toString().toStdString().find("history"), std::string::npos) << missing.body;
    std::filesystem::create_directory(later);
    EXPECT_EQ(api.handle(Get("/api/history")).status, 200);
}

}  // namespace
}  // namespace web
