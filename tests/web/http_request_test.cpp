#include "web/http_request.h"

#include <gtest/gtest.h>

#include <string>

namespace web {
namespace {

struct ParseCase {
    const char* what;
    std::string bytes;
    ParseState state;
    int status;            // Error: the answer
    std::string path;      // Complete: the cleaned path
};

std::string Get(const std::string& target, const std::string& extra = "") {
    return "GET " + target + " HTTP/1.1\r\nHost: station\r\n" + extra + "\r\n";
}

TEST(HttpRequest, HeadsAreReadOrRefusedWithTheRightStatus) {
    const ParseCase cases[] = {
        {"plain", Get("/api/targets"), ParseState::Complete, 0, "/api/targets"},
        {"query kept apart", Get("/api/track?from=1&to=2"), ParseState::Complete, 0, "/api/track"},
        {"encoded letters", Get("/api/%74argets"), ParseState::Complete, 0, "/api/targets"},
        {"bare line feeds", "GET / HTTP/1.1\nHost: x\n\n", ParseState::Complete, 0, "/"},
        {"1.0 without host", "GET / HTTP/1.0\r\n\r\n", ParseState::Complete, 0, "/"},
        {"HEAD", "HEAD / HTTP/1.1\r\nHost: x\r\n\r\n", ParseState::Complete, 0, "/"},
        {"not finished", "GET /api/targets HTTP/1.1\r\nHost: x\r\n", ParseState::Incomplete, 0, ""},
        {"POST", "POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n", ParseState::Error, 405, ""},
        {"DELETE", "DELETE /api/targets HTTP/1.1\r\nHost: x\r\n\r\n", ParseState::Error, 405, ""},
        {"announced body", Get("/", "Content-Length: 5\r\n"), ParseState::Error, 413, ""},
        {"empty body is fine", Get("/", "Content-Length: 0\r\n"), ParseState::Complete, 0, "/"},
        {"chunked body", Get("/", "Transfer-Encoding: chunked\r\n"), ParseState::Error, 413, ""},
        {"too long a head", Get("/", "X-Pad: " + std::string(8200, 'a') + "\r\n"), ParseState::Error, 431, ""},
        {"endless head", "GET / HTTP/1.1\r\nX: " + std::string(9000, 'b'), ParseState::Error, 431, ""},
        {"HTTP/2.0", "GET / HTTP/2.0\r\nHost: x\r\n\r\n", ParseState::Error, 505, ""},
        {"no version", "GET /\r\nHost: x\r\n\r\n", ParseState::Error, 400, ""},
        {"no host on 1.1", "GET / HTTP/1.1\r\n\r\n", ParseState::Error, 400, ""},
        {"two hosts", Get("/", "Host: other\r\n"), ParseState::Error, 400, ""},
        {"control character", Get("/", "X-A: a\x01z\r\n"), ParseState::Error, 400, ""},
        {"folded header", Get("/", "X-A: a\r\n  more\r\n"), ParseState::Error, 400, ""},
        {"space in a name", Get("/", "X A: a\r\n"), ParseState::Error, 400, ""},
        {"absolute form", "GET http://evil/ HTTP/1.1\r\nHost: x\r\n\r\n", ParseState::Error, 400, ""},
        // No spelling of a path leaves the names the server serves.
        {"dot dot", Get("/../etc/passwd"), ParseState::Error, 404, ""},
        {"inner dot dot", Get("/static/../../etc/passwd"), ParseState::Error, 404, ""},
        {"encoded dots", Get("/%2e%2e/%2E%2E/etc/passwd"), ParseState::Error, 404, ""},
        {"encoded slash", Get("/static/..%2f..%2fetc%2fpasswd"), ParseState::Error, 404, ""},
        {"encoded backslash", Get("/static/..%5c..%5cwin.ini"), ParseState::Error, 404, ""},
        {"backslash", Get("/static\\..\\x"), ParseState::Error, 404, ""},
        {"overlong dot", Get("/%c0%ae%c0%ae/etc/passwd"), ParseState::Error, 404, ""},
        {"NUL", Get("/leaflet.js%00.png"), ParseState::Error, 404, ""},
        {"double slash", Get("//etc/passwd"), ParseState::Error, 404, ""},
        {"single dot", Get("/./index.html"), ParseState::Error, 404, ""},
        {"broken escape", Get("/a%2"), ParseState::Error, 404, ""},
        {"bad escape", Get("/a%zz"), ParseState::Error, 404, ""},
    };
    for (const ParseCase& c : cases) {
        Request req;
        const ParseResult r = ParseRequest(c.bytes, HttpLimits{}, req);
        EXPECT_EQ(r.state, c.state) << c.what;
        if (c.state == ParseState::Error) {
            EXPECT_EQ(r.status, c.status) << c.what;
        }
        if (c.state == ParseState::Complete) {
            EXPECT_EQ(req.path, c.path) << c.what;
            EXPECT_EQ(r.consumed, c.bytes.size()) << c.what;
        }
    }
}

TEST(HttpRequest, PipelinedRequestsAreTakenOneAtATimeWithTheirConnectionRule) {
    const std::string first = "GET /a?x=1+2&y=%C3%B8&flag HTTP/1.1\r\nHost: h\r\nCookie: a=1; orvanta_token=t0k\r\n\r\n";
    const std::string second = "GET /b HTTP/1.1\r\nHost: h\r\nConnection: close\r\n\r\n";
    const std::string both = first + second;
    Request req;
    ParseResult r = ParseRequest(both, HttpLimits{}, req);
    ASSERT_EQ(r.state, ParseState::Complete);
    EXPECT_EQ(r.consumed, first.size());
    EXPECT_TRUE(req.keepAlive);
    EXPECT_EQ(req.queryValue("x"), "1 2");
    EXPECT_EQ(req.queryValue("y"), "\xC3\xB8");
    EXPECT_EQ(req.queryValue("flag"), "");
    EXPECT_EQ(req.queryValue("z"), std::nullopt);
    EXPECT_EQ(req.cookie("orvanta_token"), "t0k");
    r = ParseRequest(std::string_view(both).substr(r.consumed), HttpLimits{}, req);
    ASSERT_EQ(r.state, ParseState::Complete);
    EXPECT_EQ(req.path, "/b");
    EXPECT_FALSE(req.keepAlive);
    // HTTP/1.0 closes unless it asks to keep the connection.
    ASSERT_EQ(ParseRequest("GET / HTTP/1.0\r\n\r\n", HttpLimits{}, req).state, ParseState::Complete);
    EXPECT_FALSE(req.keepAlive);
    ASSERT_EQ(ParseRequest("GET / HTTP/1.0\r\nConnection: Keep-Alive\r\n\r\n", HttpLimits{}, req).state,
              ParseState::Complete);
    EXPECT_TRUE(req.keepAlive);
}

}  // namespace
}  // namespace web
