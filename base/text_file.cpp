#include "base/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

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

FileBytes ReadFileBytes(const std::filesystem::path& path, std::size_t maxBytes) {
    FileBytes r;
    // Non-blocking, so a named pipe without a writer (or a device) cannot hold the program here.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        r.exists = err != ENOENT && err != ENOTDIR;
        if (r.exists) r.error = "cannot open " + path.string() + ": " + std::strerror(err);
        return r;
    }
    r.exists = true;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        r.error = path.string() + " is not a regular file";
    } else if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) {
        r.error = path.string() + " is too large";
    } else {
        r.bytes.reserve(static_cast<std::size_t>(st.st_size));
        char buf[65536];
        while (true) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                r.error = "cannot read " + path.string() + ": " + std::strerror(errno);
                break;
            }
            if (n == 0) {
                r.ok = true;
                break;
            }
            r.bytes.append(buf, static_cast<std::size_t>(n));
            // The file may grow while it is read.
            if (r.bytes.size() > maxBytes) {
                r.error = path.string() + " is too large";
                break;
            }
        }
    }
    ::close(fd);
    if (!r.ok) r.bytes.clear();
    return r;
}

TextFileLines ReadTextLines(const std::filesystem::path& path, std::size_t maxBytes) {
    TextFileLines r;
    const FileBytes file = ReadFileBytes(path, maxBytes);
    r.exists = file.exists;
    r.error = file.error;
    if (!file.ok) return r;
    const std::string& data = file.bytes;

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
