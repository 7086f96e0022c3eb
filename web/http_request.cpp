#include "web/http_request.h"

#include <algorithm>
#include <cstdint>

namespace web {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Lower(x) == Lower(y);
           });
}

bool ContainsToken(std::string_view list, std::string_view token) {
    while (!list.empty()) {
        const size_t comma = list.find(',');
        std::string_view item = list.substr(0, comma);
        while (!item.empty() && (item.front() == ' ' || item.front() == '\t')) item.remove_prefix(1);
        while (!item.empty() && (item.back() == ' ' || item.back() == '\t')) item.remove_suffix(1);
        if (EqualsNoCase(item, token)) return true;
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    return false;
}

// A header name: the token characters of HTTP.
bool IsTokenChar(unsigned char c) {
    if (c >= '0' && c <= '9') return true;
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') return true;
    return std::string_view("!#$%&'*+-.^_`|~").find(static_cast<char>(c)) != std::string_view::npos;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') return (c | 0x20) - 'a' + 10;
    return -1;
}

// Percent-decoding; bytes that decode from an escape are flagged so a caller
// can refuse an encoded separator.
std::optional<std::string> PercentDecode(std::string_view text, bool plusIsSpace, bool* encodedSeparator) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size()) return std::nullopt;
            const int hi = HexValue(text[i + 1]), lo = HexValue(text[i + 2]);
            if (hi < 0 || lo < 0) return std::nullopt;
            const char d = static_cast<char>(hi * 16 + lo);
            if (encodedSeparator && (d == '/' || d == '\\')) *encodedSeparator = true;
            out += d;
            i += 2;
        } else if (c == '+' && plusIsSpace) {
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

bool ValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        int extra = 0;
        uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1, cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, cp = c & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<size_t>(extra) >= s.size()) return false;
        for (int k = 1; k <= extra; ++k) {
            const auto d = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode hide characters.
        static constexpr uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += static_cast<size_t>(extra) + 1;
    }
    return true;
}

// Splits the head into lines (CRLF, or a bare LF as lenient clients send).
std::vector<std::string_view> HeadLines(std::string_view head) {
    std::vector<std::string_view> lines;
    while (!head.empty()) {
        const size_t lf = head.find('\n');
        std::string_view line = head.substr(0, lf);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (lf == std::string_view::npos) break;
        head.remove_prefix(lf + 1);
    }
    return lines;
}

// The request line: METHOD SP target SP HTTP/1.x. Returns 0 or the error status.
int ReadRequestLine(std::string_view line, Request& out) {
    const size_t sp1 = line.find(' ');
    const size_t sp2 = sp1 == std::string_view::npos ? sp1 : line.find(' ', sp1 + 1);
    if (sp2 == std::string_view::npos || line.find(' ', sp2 + 1) != std::string_view::npos) return 400;
    const std::string_view method = line.substr(0, sp1);
    const std::string_view target = line.substr(sp1 + 1, sp2 - sp1 - 1);
    const std::string_view version = line.substr(sp2 + 1);
    if (method.empty() || target.empty()) return 400;
    for (char c : method) {
        if (!IsTokenChar(static_cast<unsigned char>(c))) return 400;
    }
    if (version == "HTTP/1.1") {
        out.http11 = true;
    } else if (version == "HTTP/1.0") {
        out.http11 = false;
    } else if (version.substr(0, 5) == "HTTP/") {
        return 505;
    } else {
        return 400;
    }
    for (char c : target) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) return 400;
    }
    out.method = std::string(method);
    out.target = std::string(target);
    if (target.front() != '/') return 400;  // no absolute form or '*': we are no proxy
    const size_t q = target.find('?');
    const std::string_view rawPath = target.substr(0, q);
    out.query = q == std::string_view::npos ? std::string() : std::string(target.substr(q + 1));
    std::optional<std::string> path = CleanPath(rawPath);
    if (!path) return 404;
    out.path = std::move(*path);
    return 0;
}

int ReadHeaders(const std::vector<std::string_view>& lines, Request& out) {
    for (size_t k = 1; k < lines.size(); ++k) {
        const std::string_view line = lines[k];
        if (line.empty()) continue;
        if (line.front() == ' ' || line.front() == '\t') return 400;  // folded lines are obsolete
        const size_t colon = line.find(':');
        if (colon == 0 || colon == std::string_view::npos) return 400;
        std::string name(line.substr(0, colon));
        for (char& c : name) {
            if (!IsTokenChar(static_cast<unsigned char>(c))) return 400;
            c = Lower(c);
        }
        std::string_view value = line.substr(colon + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
        for (char c : value) {
            const auto u = static_cast<unsigned char>(c);
            if ((u < 0x20 && c != '\t') || u == 0x7F) return 400;
        }
        out.headers.emplace_back(std::move(name), std::string(value));
    }
    return 0;
}

// What the head says about a body, the host and the connection. 0 or the status.
int CheckHead(Request& out) {
    int hosts = 0;
    for (const auto& [name, value] : out.headers) {
        if (name == "host") ++hosts;
        // This server takes no request bodies: announcing one is refused.
        if (name == "transfer-encoding") return 413;
        if (name == "content-length" && value != "0") return 413;
    }
    if (hosts > 1 || (out.http11 && hosts == 0)) return 400;
    const std::string_view connection = out.header("connection");
    out.keepAlive = out.http11 ? !ContainsToken(connection, "close") : ContainsToken(connection, "keep-alive");
    if (out.method != "GET" && out.method != "HEAD") return 405;
    return 0;
}

}  // namespace

std::string_view Request::header(std::string_view name) const {
    for (const auto& [n, v] : headers) {
        if (n == name) return v;
    }
    return {};
}

std::optional<std::string> Request::queryValue(std::string_view name) const {
    std::string_view rest = query;
    while (!rest.empty()) {
        const size_t amp = rest.find('&');
        const std::string_view pair = rest.substr(0, amp);
        const size_t eq = pair.find('=');
        const std::optional<std::string> key = DecodeQueryComponent(pair.substr(0, eq));
        if (key && *key == name) {
            return eq == std::string_view::npos ? std::optional<std::string>(std::string())
                                                : DecodeQueryComponent(pair.substr(eq + 1));
        }
        if (amp == std::string_view::npos) break;
        rest.remove_prefix(amp + 1);
    }
    return std::nullopt;
}

std::optional<std::string> Request::cookie(std::string_view name) const {
    std::string_view rest = header("cookie");
    while (!rest.empty()) {
        const size_t semi = rest.find(';');
        std::string_view item = rest.substr(0, semi);
        while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
        const size_t eq = item.find('=');
        if (eq != std::string_view::npos && item.substr(0, eq) == name) return std::string(item.substr(eq + 1));
        if (semi == std::string_view::npos) break;
        rest.remove_prefix(semi + 1);
    }
    return std::nullopt;
}

std::optional<std::string> DecodeQueryComponent(std::string_view text) { return PercentDecode(text, true, nullptr); }

std::optional<std::string> CleanPath(std::string_view rawPath) {
    if (rawPath.empty() || rawPath.front() != '/') return std::nullopt;
    bool encodedSeparator = false;
    std::optional<std::string> path = PercentDecode(rawPath, false, &encodedSeparator);
    if (!path || encodedSeparator || !ValidUtf8(*path)) return std::nullopt;
    for (char c : *path) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || c == '\\') return std::nullopt;
    }
    // Every segment between slashes: not empty (except a final one, "/dir/"),
    // not "." and not "..".
    std::string_view rest = std::string_view(*path).substr(1);
    while (true) {
        const size_t slash = rest.find('/');
        const std::string_view segment = rest.substr(0, slash);
        if (segment == "." || segment == "..") return std::nullopt;
        if (slash == std::string_view::npos) break;
        if (segment.empty()) return std::nullopt;
        rest.remove_prefix(slash + 1);
    }
    return path;
}

ParseResult ParseRequest(std::string_view bytes, const HttpLimits& limits, Request& out) {
    // Blank lines before a request are allowed (a client's stray CRLF after a request).
    size_t start = 0;
    while (start < bytes.size() && (bytes[start] == '\r' || bytes[start] == '\n')) ++start;
    const std::string_view window = bytes.substr(start, limits.maxHeaderBytes);
    size_t end = window.find("\r\n\r\n");
    size_t endLength = 4;
    const size_t lfEnd = window.find("\n\n");
    if (lfEnd != std::string_view::npos && (end == std::string_view::npos || lfEnd < end)) end = lfEnd, endLength = 2;
    if (end == std::string_view::npos) {
        if (bytes.size() - start >= limits.maxHeaderBytes) return {ParseState::Error, 431, 0};
        return {ParseState::Incomplete, 0, 0};
    }
    out = Request{};
    const std::vector<std::string_view> lines = HeadLines(window.substr(0, end));
    int status = lines.empty() ? 400 : ReadRequestLine(lines.front(), out);
    const int pathStatus = status == 404 ? 404 : 0;
    if (pathStatus) status = 0;  // a bad path is answered 404 once the head is known to be sound
    if (!status) status = ReadHeaders(lines, out);
    if (!status) status = CheckHead(out);
    if (!status) status = pathStatus;
    if (status) return {ParseState::Error, status, 0};
    return {ParseState::Complete, 0, start + end + endLength};
}

std::string_view StatusText(int status) {
    switch (status) {
    case 200: return "OK";
    case 204: return "No Content";
    case 304: return "Not Modified";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 413: return "Content Too Large";
    case 429: return "Too Many Requests";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    case 505: return "HTTP Version Not Supported";
    default: return "Unknown";
    }
}

}  // namespace web
