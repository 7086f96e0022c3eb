// Compression of answers for clients that take it: a target list of 2,000
// stations is ~4 MB of JSON and ~10 times smaller as gzip, which is what
// lets many pages poll it without the station spending itself on copies.
#pragma once

#include <string>
#include <string_view>

#include "web/http_request.h"

namespace web {

// The text as a gzip stream (RFC 1952); empty when zlib fails.
std::string Gzip(std::string_view text);

// Whether the request's Accept-Encoding takes gzip (not with q=0).
bool AcceptsGzip(const Request& request);

}  // namespace web
