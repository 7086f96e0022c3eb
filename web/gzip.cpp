#include "web/gzip.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>

namespace web {

std::string Gzip(std::string_view text) {
    z_stream z{};
    // Window bits 15 + 16: a gzip header and trailer around the deflate stream.
    // Level 1: most of the gain for a fraction of the time of the default.
    if (deflateInit2(&z, 1, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) return {};
    std::string out(deflateBound(&z, static_cast<uLong>(text.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int r = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (r != Z_STREAM_END) return {};
    return out;
}

bool AcceptsGzip(const Request& request) {
    std::string_view rest = request.header("accept-encoding");
    while (!rest.empty()) {
        const size_t comma = rest.find(',');
        std::string_view item = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        const auto trim = [](std::string_view s) {
            while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
            while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
            return s;
        };
        const size_t semicolon = item.find(';');
        std::string_view name = trim(item.substr(0, semicolon));
        std::string lower(name);
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        if (lower != "gzip" && lower != "x-gzip" && lower != "*") continue;
        if (semicolon == std::string_view::npos) return true;
        // "q=0", "q=0.0", "q=0.000": refused; any other weight takes it.
        std::string_view q = trim(item.substr(semicolon + 1));
        if (q.size() < 2 || (q[0] != 'q' && q[0] != 'Q') || q[1] != '=') return true;
        q.remove_prefix(2);
        return q.find_first_not_of("0.") != std::string_view::npos;
    }
    return false;
}

}  // namespace web
