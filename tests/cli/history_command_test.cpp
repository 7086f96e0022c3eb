// `replay --history` fills a store from a log with c: times; `history`
// answers from it in every format, and its NMEA replays into the same track.
#include <gtest/gtest.h>

#include <string>

#include "cli_run.h"
#include "history/sqlite_store.h"
#include "history/track_output.h"
#include "sentence/tag_block.h"
#include "support/sample_sentences.h"
#include "support/temp_dir.h"

namespace {

using namespace testing_support;

constexpr int64_t kT0 = 1796652000;  // 2026-12-07T14:00:00Z
constexpr int32_t kShip = 244000001;

// Five minutes of one ship heading north every 10 s, its voyage data, and a
// class B boat: every line behind a c: tag.
std::string Feed() {
    std::string nmea;
    for (int s = 0; s <= 300; s += 10) {
        const std::string tags = input::FormatTagBlock("rcvr1", kT0 + s);
        for (const auto& line : Sentences(ClassAReport(kShip, 52.0 + s * 1e-4, 4.0, 12.0f))) nmea += tags + line;
        for (const auto& line : Sentences(ClassBReport(244000002, 52.5, 4.2 + s * 1e-4, 5.0f))) nmea += tags + line;
    }
    const std::string tags = input::FormatTagBlock("rcvr1", kT0 + 5);
    for (const auto& line : Sentences(StaticData(kShip, "NORDIC STAR", "PD1234"))) nmea += tags + line;
    return nmea;
}

class HistoryCommand : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string feed = Feed();
        const auto r = clitest::Cli("replay --history " + store() + " --format csv", &feed);
        ASSERT_EQ(r.status, 0) << r.err;
    }
    std::string store() const { return (dir / "History.sqlite").string(); }
    clitest::Run history(const std::string& args) const { return clitest::Cli("history " + store() + " " + args); }

    TempDir dir;
};

// A track's bounds in ISO form with offsets or in Unix seconds; as GeoJSON the
// stored positions; as NMEA a log that replays into the same track.
TEST_F(HistoryCommand, TrackInEveryFormatIsTheStoredOne) {
    const auto iso = history("--mmsi 244000001 --from 2026-12-07T14:00:00Z --to 2026-12-07T14:01:00Z");
    ASSERT_EQ(iso.status, 0) << iso.err;
    const auto lines = iso.lines();
    ASSERT_EQ(lines.size(), 8u);  // header, 0 s .. 60 s both included
    EXPECT_EQ(lines[0], "time,mmsi,type,class,lat,lon,sog,cog,heading,status,input,source");
    EXPECT_EQ(lines[1], "2026-12-07T14:00:00Z,244000001,1,A,52,4,12,45,44,0,0,rcvr1");
    EXPECT_EQ(lines[7].substr(0, 20), "2026-12-07T14:01:00Z");
    const auto other = history("--mmsi 244000001 --from 1796652000 --to 2026-12-07T15:01+01:00");
    EXPECT_EQ(other.out, iso.out);
    // The GeoJSON line is the positions as decoded and stored, to the last bit.
    const auto line = history("--mmsi 244000001 --format geojson --to 2026-12-07T14:00:20Z");
    ASSERT_EQ(line.status, 0) << line.err;
    const auto csv = history("--mmsi 244000001 --to 2026-12-07T14:00:20Z").lines();
    ASSERT_EQ(csv.size(), 4u);
    std::string coordinates;
    for (size_t k = 1; k < csv.size(); ++k) {
        const size_t lat = csv[k].find(",A,") + 3, lon = csv[k].find(',', lat) + 1;
        coordinates += std::string(k > 1 ? "," : "") + "[" + csv[k].substr(lon, csv[k].find(',', lon) - lon) + "," +
                       csv[k].substr(lat, lon - 1 - lat) + "]";
    }
    EXPECT_NE(line.out.find("\"type\":\"LineString\",\"coordinates\":[" + coordinates + "]"), std::string::npos)
        << coordinates << "\n" << line.out;
    EXPECT_NE(line.out.find("\"times\":[\"2026-12-07T14:00:00Z\",\"2026-12-07T14:00:10Z\",\"2026-12-07T14:00:20Z\"]"),
              std::string::npos) << line.out;
    const auto points = history("--mmsi 244000001 --format geojson --points --to 2026-12-07T14:00:20Z");
    size_t count = 0;
    for (size_t at = 0; (at = points.out.find("\"Point\"", at)) != std::string::npos; ++at) ++count;
    EXPECT_EQ(count, 3u);
    const auto nmea = history("--mmsi 244000001 --format nmea");
    ASSERT_EQ(nmea.status, 0) << nmea.err;
    const std::string copy = (dir / "Copy.sqlite").string();
    ASSERT_EQ(clitest::Cli("replay --history " + copy + " --format csv", &nmea.out).status, 0);
    const auto again = clitest::Cli("history " + copy + " --mmsi 244000001");
    EXPECT_EQ(again.out, history("--mmsi 244000001").out);
}

// A track longer than a page prints every row once, the header once.
TEST(HistoryCommandPages, LongTrackIsPrintedWholeAcrossPages) {
    TempDir dir;
    const std::string path = (dir / "long.sqlite").string();
    {
        auto store = history::OpenSqliteStore(path, nullptr, nullptr);
        history::Batch b;
        for (int i = 0; i < 25003; ++i) {
            history::PositionRow p;
            p.mmsi = kShip;
            p.time = kT0 * 1000 + i * 1000 - (i % 9999 == 1 ? 1000 : 0);  // some share a time across a page's end
            p.latitude = 50 + i * 1e-5;
            p.longitude = 4;
            b.positions.push_back(p);
        }
        ASSERT_TRUE(store->append(b).ok());
    }
    const auto r = clitest::Cli("history " + path + " --mmsi 244000001 --from 0 --to 2000000000");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = r.lines();
    ASSERT_EQ(lines.size(), 25004u);
    EXPECT_EQ(lines[0].substr(0, 5), "time,");
    for (size_t i = 2; i < lines.size(); ++i) {
        ASSERT_LE(lines[i - 1].substr(0, 24), lines[i].substr(0, 24)) << i;
        ASSERT_NE(lines[i].substr(0, 5), "time,") << i;
    }
    // Every other format, written page by page, is the track written whole.
    auto store = history::OpenSqliteStore(path, nullptr, nullptr);
    const auto track = store->track(kShip, 0, 2000000000000LL);
    ASSERT_EQ(track.size(), 25003u);
    for (const auto& [format, points] : {std::pair("json", false), {"geojson", false}, {"geojson", true}, {"gpx", false}}) {
        std::string whole;
        ASSERT_TRUE(history::WriteTrack({format, points, kShip}, track, whole));
        const auto paged = clitest::Cli("history " + path + " --mmsi 244000001 --from 0 --to 2000000000 --format " +
                                        format + (points ? " --points" : ""));
        ASSERT_EQ(paged.status, 0) << paged.err;
        EXPECT_TRUE(paged.out == whole) << format << (points ? " points" : "");
    }
}

TEST_F(HistoryCommand, SituationAsReplayJsonLastSeenAndStats) {
    const auto r = history("--at 2026-12-07T14:02:05Z --format json");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("{\"targets\":[{\"Number\":1,\"MMSI\":", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("\"Name\":\"NORDIC STAR\""), std::string::npos);
    // The 14:02:00 report, the last before the moment.
    const std::string at = history("--mmsi 244000001 --from 2026-12-07T14:02:00Z --to 2026-12-07T14:02:00Z").lines().at(1);
    const size_t lat = at.find(",A,") + 3;
    EXPECT_NE(r.out.find("\"Latitude\":" + at.substr(lat, at.find(',', lat) - lat) + ","), std::string::npos) << at;
    EXPECT_NE(r.out.find("\"MMSI\":244000002"), std::string::npos);
    // Before anything was heard, nobody is there.
    EXPECT_EQ(history("--at 2026-12-07T13:00:00Z --format json").out, "{\"targets\":[]}\n");
    const auto seen = history("--last-seen nordic");
    ASSERT_EQ(seen.status, 0) << seen.err;
    EXPECT_EQ(seen.lines().at(1), "244000001,NORDIC STAR,PD1234,2026-12-07T14:05:00Z,52.03,4");
    const auto stats = history("--stats --format json");
    ASSERT_EQ(stats.status, 0) << stats.err;
    EXPECT_NE(stats.out.find("\"rows\":{\"positions\":62,\"statics\":1,\"messages\":0}"), std::string::npos)
        << stats.out;
}

TEST_F(HistoryCommand, BadTimesAndQuestionsAreErrorsThatSayWhy) {
    struct Case { std::string args, says; };
    const Case cases[] = {
        {"--mmsi 244000001 --from 2026-13-01T00:00:00Z", "--from '2026-13-01T00:00:00Z' is not a time"},
        {"--mmsi 244000001 --to 2026-02-29T00:00Z", "--to '2026-02-29T00:00Z' is not a time"},
        {"--at 2026-12-07T14:00:00", "--at '2026-12-07T14:00:00' is not a time"},  // no zone
        {"--at 2026-12-07T24:00Z", "is not a time"},
        {"--at yesterday", "--at 'yesterday' is not a time"},
        {"--stats --format gpx", "--format gpx does not fit"},
        {"--mmsi 1 --at 1", "give one of"},
        {"", "give a STORE"},
    };
    for (const Case& c : cases) {
        const auto r = history(c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args << ": " << r.err;
    }
    const auto missing = clitest::Cli("history " + (dir / "none.sqlite").string() + " --stats");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("no history store"), std::string::npos);
}

}  // namespace
