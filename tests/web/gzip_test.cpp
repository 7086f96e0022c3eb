#include "web/gzip.h"

#include <zlib.h>

#include <gtest/gtest.h>

#include "web/api.h"

namespace web {
namespace {

Request Get(const std::string& target, const std::string& acceptEncoding = {}) {
    Request r;
    std::string head = "GET " + target + " HTTP/1.1\r\nHost: x\r\n";
    if (!acceptEncoding.empty()) head += "Accept-Encoding: " + acceptEncoding + "\r\n";
    head += "\r\n";
    EXPECT_EQ(ParseRequest(head, HttpLimits{}, r).state, ParseState::Complete) << target;
    return r;
}

std::string Gunzip(const std::string& data) {
    z_stream z{};
    EXPECT_EQ(inflateInit2(&z, 15 + 16), Z_OK);
    std::string out(1 << 20, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int r = inflate(&z, Z_FINISH);
    out.resize(z.total_out);
    inflateEnd(&z);
    EXPECT_EQ(r, Z_STREAM_END);
    return out;
}

TEST(Gzip, AcceptEncodingIsReadAsBrowsersAndToolsSendIt) {
    const std::pair<std::string, bool> cases[] = {
        {"", false},
        {"gzip", true},
        {"GZip", true},
        {"gzip, deflate, br", true},
        {"deflate,br ,gzip", true},
        {"br;q=1.0, gzip;q=0.8, *;q=0.1", true},
        {"gzip;q=0", false},
        {"gzip; q=0.000", false},
        {"gzip;q=0.001", true},
        {"identity", false},
        {"*", true},
        {"gzipped", false},
        {"x-gzip", true},
    };
    for (const auto& [header, accepts] : cases) {
        EXPECT_EQ(AcceptsGzip(Get("/", header)), accepts) << header;
    }
}

TEST(Gzip, RoundTripsLargeAndEmptyTexts) {
    std::string json;
    for (int k = 0; k < 5000; ++k) json += "{\"mmsi\":" + std::to_string(244000000 + k) + ",\"name\":\"SHIP\"},";
    const std::string packed = Gzip(json);
    EXPECT_LT(packed.size(), json.size() / 5);
    EXPECT_EQ(Gunzip(packed), json);
    EXPECT_EQ(Gunzip(Gzip("")), "");
}

// A large list is answered at once with the last text while the next one is
// made; only a text too old (or none) makes a client wait for a new one.
TEST(Gzip, AListIsKeptFreshInTheBackgroundAndSentCompressed) {
    auto now = std::chrono::steady_clock::time_point{} + std::chrono::hours(1);
    int made = 0;
    std::vector<std::function<void(std::string, std::string)>> pending;
    Api::Sources sources;
    sources.view = [&](View) { return "{\"made\":" + std::to_string(++made) + ",\"pad\":\"" + std::string(2000, 'x') + "\"}"; };
    sources.refresh = [&](View, std::function<void(std::string, std::string)> done) { pending.push_back(std::move(done)); };
    sources.clock = [&] { return now; };
    Api api({}, sources);
    EXPECT_EQ(api.handle(Get("/api/targets")).body.substr(0, 10), "{\"made\":1,");
    EXPECT_EQ(made, 1);

    now += std::chrono::milliseconds(1500);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(api.handle(Get("/api/targets")).body.substr(0, 10), "{\"made\":1,");
    ASSERT_EQ(pending.size(), 1u);  // one making under way however many ask
    const std::string fresh = "{\"made\":2,\"pad\":\"" + std::string(3000, 'y') + "\"}";
    pending[0](fresh, Gzip(fresh));
    const Response packed = api.handle(Get("/api/targets", "gzip"));
    ASSERT_EQ(packed.headers.size(), 2u);
    EXPECT_EQ(packed.headers[1], (std::pair<std::string, std::string>{"Content-Encoding", "gzip"}));
    EXPECT_EQ(Gunzip(packed.body), fresh);
    EXPECT_EQ(api.handle(Get("/api/targets")).body, fresh);
    EXPECT_EQ(api.builds(View::Targets), 2);

    // A making that failed leaves the last text and lets the next request try again.
    now += std::chrono::milliseconds(1500);
    api.handle(Get("/api/targets"));
    ASSERT_EQ(pending.size(), 2u);
    pending[1]({}, {});
    EXPECT_EQ(api.handle(Get("/api/targets")).body, fresh);
    EXPECT_EQ(pending.size(), 3u);

    // Too old to pass for the present: the client waits for a new text.
    now += std::chrono::seconds(Api::kStaleSeconds);
    EXPECT_EQ(api.handle(Get("/api/targets")).body.substr(0, 10), "{\"made\":2,");
    EXPECT_EQ(made, 2);
    // Small answers go as they are, compressed or not asked.
    sources.view = [](View) { return std::string("{}"); };
    Api small({}, sources);
    const Response plain = small.handle(Get("/api/stats", "gzip"));
    EXPECT_EQ(plain.body, "{}");
    EXPECT_EQ(plain.headers.size(), 1u);
}

}  // namespace
}  // namespace web
