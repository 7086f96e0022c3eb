// Reading one HTTP/1.x request from the bytes a client sent, with the limits
// of a server that takes no request bodies: the request line and headers must
// end within maxHeaderBytes, a request that announces a body is refused, only
// GET and HEAD are served. The parser never reads past what it was given and
// never allocates more than the limit, whatever arrives.
//
//   web::Request req;
//   web::ParseResult r = web::ParseRequest(buffer, limits, req);
//   if (r.state == web::ParseState::Incomplete) wait for more bytes;
//   else if (r.state == web::ParseState::Error) answer r.status and close;
//   else { serve req; buffer.erase(0, r.consumed); }
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace web {

struct HttpLimits {
    size_t maxHeaderBytes = 8 * 1024;  // request line and headers together
};

struct Request {
    std::string method;   // "GET" or "HEAD"
    std::string target;   // as sent: path and query
    std::string path;     // the path, percent-decoded and checked (CleanPath)
    std::string query;    // after '?', still encoded
    bool http11 = true;
    bool keepAlive = true;
    std::vector<std::pair<std::string, std::string>> headers;  // names in lower case

    // The first header of that name (lower case), empty when none.
    std::string_view header(std::string_view name) const;
    // A query parameter, percent-decoded ('+' as space); nullopt when absent.
    std::optional<std::string> queryValue(std::string_view name) const;
    // A cookie of the Cookie header; nullopt when absent.
    std::optional<std::string> cookie(std::string_view name) const;
};

enum class ParseState { Incomplete, Complete, Error };

struct ParseResult {
    ParseState state = ParseState::Incomplete;
    int status = 0;       // Error: the status to answer with (400, 404, 405, 413, 431, 505)
    size_t consumed = 0;  // Complete: bytes of this request (the next one starts there)
};

ParseResult ParseRequest(std::string_view bytes, const HttpLimits& limits, Request& out);

// The percent-decoded path when it is a clean absolute path: starts with '/',
// no empty, "." or ".." segment, no backslash, no control character or NUL,
// no encoded '/' or '\', valid UTF-8. nullopt otherwise, so that no spelling
// of a path can step outside the names a server chooses to serve.
std::optional<std::string> CleanPath(std::string_view rawPath);

// Percent-decoding of a query value ('+' is a space); nullopt for a broken escape.
std::optional<std::string> DecodeQueryComponent(std::string_view text);

// The reason phrase of a status code ("Not Found").
std::string_view StatusText(int status);

}  // namespace web
