#include "base/text_escape.h"

#include "base/text_file.h"

namespace base {

std::string_view TrimSpaces(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

namespace {

// Copies text to out: valid multi-byte sequences as they are, U+FFFD for each
// byte that starts none. Each ASCII byte goes to special(c) first, which
// returns true when it has written the byte (or left it out) itself.
template <class Special>
void WalkUtf8(std::string& out, std::string_view text, Special special) {
    size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if (!special(static_cast<char>(c))) out += static_cast<char>(c);
            ++i;
            continue;
        }
        const size_t n = Utf8SequenceLength(text.substr(i));
        if (n == 0) {
            out += kReplacementCharacter;
            ++i;
        } else {
            out.append(text.substr(i, n));
            i += n;
        }
    }
}

}  // namespace

void AppendCsvField(std::string& out, std::string_view text) {
    const bool quoted = text.find_first_of(",\"\r\n") != std::string_view::npos;
    if (quoted) out += '"';
    WalkUtf8(out, text, [&](char c) {
        if (c != '"') return false;
        out += "\"\"";
        return true;
    });
    if (quoted) out += '"';
}

void AppendCsvText(std::string& out, std::string_view text) {
    const bool formula = !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
    if (!formula) {
        AppendCsvField(out, text);
        return;
    }
    std::string marked = "'";
    marked += text;
    AppendCsvField(out, marked);
}

void AppendXmlText(std::string& out, std::string_view text) {
    WalkUtf8(out, text, [&](char c) {
        switch (c) {
            case '&': out += "&amp;"; return true;
            case '<': out += "&lt;"; return true;
            case '>': out += "&gt;"; return true;
            case '"': out += "&quot;"; return true;
            case '\'': out += "&apos;"; return true;
            default: return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;  // left out
        }
    });
}

}  // namespace base
