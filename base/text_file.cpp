#include "base/text_file.h"

#include <algorithm>
#include <fstream>
#include <system_error>

namespace base {

std::size_t Utf8SequenceLength(std::string_view text) {
    if (text.empty()) return 0;
    const auto b = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = b(0);
    if (lead < 0x80) return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // overlong
        if (lead == 0xED) high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;   // overlong
        if (lead == 0xF4) high = 0x8F;  // beyond U+10FFFF
    } else {
        return 0;
    }
    if (text.size() < length || b(1) < low || b(1) > high) return 0;
    for (size_t i = 2; i < length; ++i) {
        if ((b(i) & 0xC0) != 0x80) return 0;
    }
    return length;
}

bool IsValidUtf8(std::string_view s) {
    while (!s.empty()) {
        const std::size_t n = Utf8SequenceLength(s);
        if (n == 0) return false;
        s.remove_prefix(n);
    }
    return true;
}

std::string Latin1OrUtf8ToUtf8(std::string_view bytes) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out.push_back(ch);
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

TextFileLines ReadTextLines(const std::filesystem::path& path, std::size_t maxBytes) {
    TextFileLines r;
    std::error_code ec;
    const auto st = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(st)) {
        // A path whose folder cannot be searched is not "missing": say so.
        r.exists = ec && ec != std::errc::no_such_file_or_directory && ec != std::errc::not_a_directory;
        if (r.exists) r.error = "cannot examine " + path.string() + ": " + ec.message();
        return r;
    }
    r.exists = true;
    if (!std::filesystem::is_regular_file(st)) {
        r.error = path.string() + " is not a regular file";
        return r;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        r.error = "cannot open " + path.string();
        return r;
    }
    std::string data;
    char buf[65536];
    while (in) {
        in.read(buf, sizeof buf);
        data.append(buf, static_cast<std::size_t>(in.gcount()));
        if (data.size() > maxBytes) {
            r.error = path.string() + " is too large";
            return r;
        }
    }
    if (in.bad()) {
        r.error = "cannot read " + path.string();
        return r;
    }

    std::string_view rest(data);
    if (rest.starts_with("\xEF\xBB\xBF")) rest.remove_prefix(3);
    while (!rest.empty()) {
        const std::size_t nl = rest.find('\n');
        std::string_view line = rest.substr(0, nl);
        rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        r.lines.push_back(Latin1OrUtf8ToUtf8(line));
    }
    r.ok = true;
    return r;
}

std::optional<std::vector<std::string>> SplitQuotedFields(std::string_view line) {
    auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    std::vector<std::string> fields;
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (true) {
        while (i < n && isBlank(line[i])) ++i;
        if (i < n && line[i] == '"') {
            const std::size_t close = line.find('"', i + 1);
            if (close == std::string_view::npos) return std::nullopt;
            fields.emplace_back(line.substr(i + 1, close - i - 1));
            i = close + 1;
            while (i < n && isBlank(line[i])) ++i;
            if (i < n && line[i] != ',') return std::nullopt;
        } else {
            const std::size_t comma = std::min(line.find(',', i), n);
            std::size_t end = comma;
            while (end > i && isBlank(line[end - 1])) --end;
            fields.emplace_back(line.substr(i, end - i));
            i = comma;
        }
        if (i >= n) break;
        ++i;  // past the comma
    }
    return fields;
}

}  // namespace base
