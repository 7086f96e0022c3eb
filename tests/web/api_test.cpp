#include "web/api.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include "targets/coverage.h"
#include "targets/target_export.h"
#include "support/fed_receiver.h"

namespace web {
namespace {

using namespace testing_support;

Request Get(const std::string& target) {
    Request r;
    const std::string head = "GET " + target + " HTTP/1.1\r\nHost: x\r\n\r\n";
    EXPECT_EQ(ParseRequest(head, HttpLimits{}, r).state, ParseState::Complete) << target;
    return r;
}

TEST(Api, PathsAnswerTheirViewAndNothingElseIsServed) {
    std::vector<View> built;
    Api::Sources sources;
    sources.view = [&](View v) {
        built.push_back(v);
        return "view " + std::to_string(static_cast<int>(v));
    };
    sources.targetDetail = [](int32_t mmsi) { return mmsi == 244123456 ? std::string("{\"detail\":1}") : std::string(); };
    std::map<std::string, StaticFile> files = {{"/", {"text/html; charset=utf-8", "<html>"}},
                                               {"/app.js", {"text/javascript", "js"}}};
    Api api(files, sources);
    struct Row {
        std::string target;
        int status;
        std::string body;  // prefix
    } rows[] = {
        {"/api/targets", 200, "view 0"},
        {"/api/targets?form=compact", 200, "view 1"},
        {"/api/targets.geojson", 200, "view 2"},
        {"/api/stats", 200, "view 3"},
        {"/api/alarms", 200, "view 4"},
        {"/api/coverage", 200, "view 5"},
        {"/api/targets/244123456", 200, "{\"detail\":1}"},
        {"/api/targets/244123457", 404, "{\"error\""},
        {"/api/targets/24412345x", 404, "{\"error\""},
        {"/api/targets/1234567890", 404, "{\"error\""},
        {"/api/targets/244123456/track", 503, "{\"error\""},
        {"/api/targets/244123456/other", 404, "{\"error\""},
        {"/api/situation?at=0", 503, "{\"error\""},
        {"/api/history", 503, "{\"error\""},
        {"/", 200, "<html>"},
        {"/app.js", 200, "js"},
        {"/etc/passwd", 404, "{\"error\""},
        {"/leaflet/leaflet.js", 404, "{\"error\""},
        {"/api", 404, "{\"error\""},
        {"/api/coast?w=2&s=51&e=6&n=53&z=7", 200, "{\"type\":\"FeatureCollection\""},
        {"/api/coast?w=2&s=51&e=6&n=53", 400, "{\"error\""},
        {"/api/coast?w=2&s=51&e=six&n=53&z=7", 400, "{\"error\""},
        {"/api/coast?w=2&s=51&e=6&n=53&z=99", 400, "{\"error\""},
        {"/api/coast?w=nan&s=51&e=6&n=53&z=7", 400, "{\"error\""},
    };
    for (const Row& r : rows) {
        const Response res = api.handle(Get(r.target));
        EXPECT_EQ(res.status, r.status) << r.target;
        EXPECT_EQ(res.body.substr(0, r.body.size()), r.body) << r.target;
    }
    // The page forbids scripts of anyone else.
    const Response page = api.handle(Get("/"));
    ASSERT_FALSE(page.headers.empty());
    EXPECT_EQ(page.headers[0].first, "Content-Security-Policy");
    // Within a second a view is built once however often it is asked for.
    const size_t before = built.size();
    for (int k = 0; k < 50; ++k) api.handle(Get("/api/targets"));
    EXPECT_EQ(built.size(), before);
    EXPECT_EQ(api.builds(View::Targets), 1);
}

TEST(Api, ThePageFilesAreBuiltInAndLeafletIsReadFromItsFolder) {
    const auto files = PageFiles("/nonexistent");
    ASSERT_TRUE(files.count("/"));
    EXPECT_NE(files.at("/").body.find("<script src=\"/app.js\">"), std::string::npos);
    EXPECT_NE(files.at("/app.js").body.find("textContent"), std::string::npos);
    EXPECT_FALSE(files.count("/leaflet/leaflet.js"));
    // The page never writes received text as markup.
    EXPECT_EQ(files.at("/app.js").body.find("innerHTML"), std::string::npos);
}

class ApiViews : public FedReceiver {
protected:
    static QJsonObject Json(const std::string& text) { return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object(); }
    QJsonObject view(View v, const targets::Coverage* coverage = nullptr) {
        return Json(BuildView(rx, v, 1765116000000, coverage));
    }
};

TEST_F(ApiViews, ViewsOfTheLiveTableAreValidJsonWithEveryTarget) {
    feed(ClassAReport(257000001, 59.5, 5.25, 12.3f));
    feed(StaticData(257000001, "<b>\"X\"</b> & 'Y'", "LA\\B"));
    feed(ClassAReport(257000002, 59.6, 5.3, 0.0f));
    targets::Coverage coverage;
    coverage.add({0, "pier \"one\""}, 257000001, 12.5, 95, 59.5, 5.25, 1765116000);
    for (View v : {View::Targets, View::Compact, View::GeoJson, View::Stats, View::Alarms, View::Coverage}) {
        const std::string text = BuildView(rx, v, 1765116000000, &coverage);
        QJsonParseError error;
        QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << static_cast<int>(v) << text;
    }
    const QJsonArray list = view(View::Compact)["targets"].toArray();
    ASSERT_EQ(list.size(), 2);
    const QJsonObject first = list[0].toObject();
    EXPECT_EQ(first["mmsi"].toInt(), 257000001);
    EXPECT_EQ(first["name"].toString().toStdString(), "<B>\"X\"</B> & 'Y'");
    EXPECT_DOUBLE_EQ(first["lat"].toDouble(), 59.5);
    EXPECT_EQ(first["symbol"].toString(), "A");
    const QJsonObject stats = view(View::Stats);
    EXPECT_EQ(stats["counters"].toObject()["TargetCount"].toInt(), 2);
    EXPECT_EQ(stats["inputs"].toArray().size(), 1);
    const QJsonObject pier = view(View::Coverage, &coverage)["coverage"].toArray()[0].toObject();
    EXPECT_EQ(pier["source"].toString().toStdString(), "pier \"one\"");
    EXPECT_DOUBLE_EQ(pier["sectors"].toArray()[9].toObject()["range_nm"].toDouble(), 12.5);
    EXPECT_TRUE(pier["sectors"].toArray()[0].isNull());
    EXPECT_NE(TargetDetailJson(rx, 257000001, &coverage).find("\"heard_by\":[{\"input\":0"), std::string::npos);
    EXPECT_FALSE(TargetDetailJson(rx, 257000002).empty());
    EXPECT_TRUE(TargetDetailJson(rx, 257000003).empty());
}

TEST_F(ApiViews, AListBuiltInSlicesIsTheSameTextAndLeavesOutWhatWasFreedMeanwhile) {
    for (int k = 0; k < 7; ++k) feed(ClassAReport(257000001 + k, 59.5 + k * 0.01, 5.25, 1.0f));
    for (View v : {View::Targets, View::Compact, View::GeoJson}) {
        ListBuild sliced(rx, v);
        int steps = 1;
        while (!sliced.step(2)) ++steps;
        EXPECT_EQ(steps, 4) << static_cast<int>(v);
        EXPECT_EQ(sliced.take(), BuildView(rx, v, 0)) << static_cast<int>(v);
    }
    EXPECT_EQ(BuildView(rx, View::GeoJson, 0), targets::TargetsGeoJson(rx.targets(), clock.monotonicSeconds()));

    // Between slices every station but the last goes silent long enough to be removed.
    ListBuild build(rx, View::Compact);
    ASSERT_FALSE(build.step(3));
    rx.targets().setLifecycle({60, 60, 60, targets::kMaxCapacity, 60});
    clock.advance(120);
    feed(ClassAReport(257000007, 59.6, 5.25, 1.0f));
    rx.targets().AgeTargets(clock.monotonicSeconds());
    ASSERT_EQ(rx.targets().TargetCount(), 1);
    while (!build.step(3)) {
    }
    std::vector<int> mmsis;
    for (const auto& t : Json(build.take())["targets"].toArray()) mmsis.push_back(t.toObject()["mmsi"].toInt());
    EXPECT_EQ(mmsis.size(), 4u);  // the three written before, and the one still heard
    EXPECT_EQ(mmsis.back(), 257000007);
}

}  // namespace
}  // namespace web
