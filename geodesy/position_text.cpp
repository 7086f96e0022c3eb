#include "geodesy/position_text.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <optional>

#include "base/number_format.h"

namespace geodesy {

namespace {

constexpr char32_t kDegreeMark = U'\u00B0';
constexpr char32_t kFileDegreeMark = U'\u00F8';  // "ø", code 248 of the old 8-bit files
constexpr char32_t kEastNordic = U'\u00D8';       // "Ø", after upper-casing "ø"
constexpr int kMaxCount = 32767;                 // degree and minute counts are 16-bit

// UTF-8 to code points; a byte that does not start a valid sequence is taken
// as a Latin-1 character, so 8-bit text reads the way it was meant.
std::u32string decodeText(std::string_view in) {
    std::u32string out;
    out.reserve(in.size());
    size_t i = 0;
    while (i < in.size()) {
        const auto b0 = static_cast<unsigned char>(in[i]);
        int extra = 0;
        char32_t cp = b0;
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            extra = 1;
            cp = b0 & 0x1F;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            extra = 2;
            cp = b0 & 0x0F;
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            extra = 3;
            cp = b0 & 0x07;
        }
        bool valid = extra > 0;
        for (int k = 1; valid && k <= extra; ++k) {
            if (i + k >= in.size() || (static_cast<unsigned char>(in[i + k]) & 0xC0) != 0x80) {
                valid = false;
            } else {
                cp = (cp << 6) | (static_cast<unsigned char>(in[i + k]) & 0x3F);
            }
        }
        // Overlong forms, surrogates and values past U+10FFFF are not text.
        if (valid && ((extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000) ||
                      (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)) {
            valid = false;
        }
        if (extra > 0 && valid) {
            out.push_back(cp);
            i += extra + 1;
        } else {
            out.push_back(b0);
            ++i;
        }
    }
    return out;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string encodeText(std::u32string_view text) {
    std::string out;
    for (char32_t c : text) appendUtf8(out, c);
    return out;
}

// Upper case for ASCII and the Latin-1 letters (ø -> Ø), which is all the
// hemisphere letters need.
char32_t upperChar(char32_t c) {
    if (c >= U'a' && c <= U'z') return c - 32;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
    return c;
}

// Kinds and styles are plain ASCII words compared without regard to case.
bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const char x = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 32) : a[i];
        const char y = b[i] >= 'a' && b[i] <= 'z' ? static_cast<char>(b[i] - 32) : b[i];
        if (x != y) return false;
    }
    return true;
}

bool isLatitude(std::string_view kind) { return equalsIgnoringCase(kind, "LAT"); }

std::u32string trimLeft(std::u32string_view s) {
    size_t i = 0;
    while (i < s.size() && s[i] == U' ') ++i;
    return std::u32string(s.substr(i));
}

std::u32string trim(std::u32string_view s) {
    size_t end = s.size();
    while (end > 0 && s[end - 1] == U' ') --end;
    return trimLeft(s.substr(0, end));
}

bool isDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

size_t firstNonDigit(std::u32string_view s) {
    for (size_t i = 0; i < s.size(); ++i) {
        if (!isDigit(s[i])) return i;
    }
    return std::u32string_view::npos;
}

// A run of digits as a 16-bit count; empty gives 0, too many gives nothing.
std::optional<int> countValue(std::u32string_view digits) {
    int value = 0;
    for (char32_t c : digits) {
        value = value * 10 + static_cast<int>(c - U'0');
        if (value > kMaxCount) return std::nullopt;
    }
    return value;
}

std::string secondsPattern(int decimals) {
    switch (decimals) {
        case 0: return "00";
        case 1: return "00.0";
        case 2: return "00.00";
        case 3: return "00.000";
        case 4: return "00.0000";
        default: return {};
    }
}

// Reads the seconds number at the start of `s` (a comma counts as the decimal
// point and is rewritten to one); `stop` is left at the first other character.
// Empty when the number does not fit a float.
std::optional<float> readSecondsNumber(std::u32string& s, size_t& stop) {
    std::string number;
    for (stop = 0; stop < s.size(); ++stop) {
        const char32_t c = s[stop];
        if (isDigit(c) || c == U'.') {
            number.push_back(static_cast<char>(c));
        } else if (c == U',') {
            s[stop] = U'.';
            number.push_back('.');
        } else {
            break;
        }
    }
    const base::LeadingNumber read = base::ReadLeadingNumber(number);
    if (read.tooLarge || read.value > FLT_MAX) return std::nullopt;
    return static_cast<float>(read.value);
}

// Degrees, minutes, seconds and hemisphere read from a position text.
struct PositionParts {
    int degrees = 0;
    int minutes = 0;
    float seconds = 0;
    char32_t hemisphere = U'N';
};

// Range checks and repairs, in this order; each repair is told through `say`.
template <typename Say>
void repairPosition(PositionParts& p, bool latitude, const std::string& name, Say&& say) {
    int& degrees = p.degrees;
    int& minutes = p.minutes;
    float& seconds = p.seconds;
    char32_t& hemisphere = p.hemisphere;
    const double value = degrees + minutes / 60.0 + seconds / 3600.0;
    if (latitude && value > 90) {
        say(name + " FORMAT ERROR. Max 90 deg allowed");
        degrees = 90;
        minutes = 0;
        seconds = 0;
    }
    if (!latitude && value > 180) {
        say(name + " FORMAT ERROR. Max 180 deg allowed");
        degrees = 180;
        minutes = 0;
        seconds = 0;
    }
    if (seconds >= 60) {
        say(name + " SECOND FORMAT ERROR. Max 59.9999 allowed");
        minutes += 1;
        seconds = 0;
    }
    if (minutes >= 60) {
        say(name + " MINUTE FORMAT ERROR. Max 59 allowed");
        degrees += 1;
        minutes = 0;
    }
    if (latitude && hemisphere != U'N' && hemisphere != U'S') {
        say(name + " FORMAT ERROR. Default, N, used");
        hemisphere = U'N';
    }
    if (!latitude && hemisphere != U'E' && hemisphere != U'W') {
        say(name + " FORMAT ERROR. Default, E, used");
        hemisphere = U'E';
    }
}

// The canonical text of a position: degrees, minutes and seconds with four
// decimals, then the hemisphere letter.
std::string canonicalPosition(const PositionParts& p, bool latitude) {
    const int degrees = p.degrees;
    const int minutes = p.minutes;
    const float seconds = p.seconds;
    const char32_t hemisphere = p.hemisphere;
    // Seconds just below 60 would round to "60.0000" in four
    // decimals; they are cut to 59.9999 so the text reads back without complaint.
    std::string secondsText = base::formatNumber(seconds, "00.0000");
    if (seconds < 60 && secondsText.rfind("60", 0) == 0) {
        secondsText = base::formatNumber(std::floor(seconds * 10000.0) / 10000.0, "00.0000");
    }
    std::string canonical = base::formatNumber(degrees, latitude ? "00" : "000");
    appendUtf8(canonical, kDegreeMark);
    canonical += base::formatNumber(minutes, "00") + "'" + secondsText + "\"";
    appendUtf8(canonical, hemisphere);
    return canonical;
}

enum class Step { Minutes, Seconds, Hemisphere, Checks };

// Reads the degrees, minutes and seconds from the front of s into parts:
// each field is digits up to the first other character, which ends it.
// Leaves in s what follows them and returns whether a hemisphere letter is
// to be read (Step::Hemisphere) or not (Step::Checks); nothing when a field
// is not a number.
std::optional<Step> readNumberFields(std::u32string& s, PositionParts& parts) {
    Step next = Step::Checks;

    if (s.empty()) {
        next = Step::Hemisphere;
    } else {
        const size_t stop = firstNonDigit(s);
        const auto count = countValue(std::u32string_view(s).substr(0, stop));
        if (!count) return std::nullopt;
        parts.degrees = *count;
        if (stop == std::u32string::npos) {
            s.clear();
            next = Step::Checks;
        } else if (stop + 1 < s.size()) {
            s = trimLeft(std::u32string_view(s).substr(stop + 1));
            next = Step::Minutes;
        } else {
            s = s.substr(stop);
            next = s.front() == kFileDegreeMark ? Step::Checks : Step::Hemisphere;
        }
    }

    if (next == Step::Minutes) {
        const size_t stop = firstNonDigit(s);
        const auto count = countValue(std::u32string_view(s).substr(0, stop));
        if (!count) return std::nullopt;
        parts.minutes = *count;
        if (stop == std::u32string::npos) {
            s.clear();
            next = Step::Checks;
        } else if (stop + 1 < s.size()) {
            s = trimLeft(std::u32string_view(s).substr(stop + 1));
            next = Step::Seconds;
        } else if (s[stop] == U'\'') {
            next = Step::Checks;
        } else {
            s = s.substr(stop);
            next = Step::Hemisphere;
        }
    }

    if (next == Step::Seconds) {
        size_t stop = 0;
        const std::optional<float> read = readSecondsNumber(s, stop);
        if (!read) return std::nullopt;
        parts.seconds = *read;
        if (stop == s.size()) {
            s.clear();
            next = Step::Checks;
        } else if (stop + 1 == s.size()) {
            if (s[stop] == U'"') {
                next = Step::Checks;
            } else {
                s = s.substr(stop);
                next = Step::Hemisphere;
            }
        } else {
            s = trimLeft(std::u32string_view(s).substr(stop + 1));
            next = Step::Hemisphere;
        }
    }

    return next;
}

}  // namespace

double ParsePosition(std::string& text, std::string_view kind, base::MessageSink& sink) {
    const bool latitude = isLatitude(kind);
    const std::string name = latitude ? "LATITUDE" : "LONGITUDE";
    const std::string defaultHemisphere = latitude ? "N" : "E";
    char32_t hemisphere = latitude ? U'N' : U'E';
    auto say = [&](const std::string& message) {
        sink.operatorMessage(base::MessageIcon::None, kPositionMessageTitle, message);
    };
    auto abandon = [&]() {
        say(name + " FORMAT ERROR. ");
        return 0.0;
    };

    std::u32string s = trim(decodeText(text));
    PositionParts parts;
    if (!s.empty() && s.front() == U'-') {
        hemisphere = latitude ? U'S' : U'W';
        s = trimLeft(std::u32string_view(s).substr(1));
    }
    const std::optional<Step> next = readNumberFields(s, parts);
    if (!next) return abandon();

    if (*next == Step::Hemisphere) {
        if (s.size() == 1) {
            hemisphere = upperChar(s.front());
            if (!latitude && hemisphere == kEastNordic) hemisphere = U'E';
            if (!latitude && hemisphere == U'V') hemisphere = U'W';
        } else {
            say(encodeText(s) + "!   " + name + " CHARACTER FORMAT ERROR. Default, " + defaultHemisphere + ", used");
        }
    }

    parts.hemisphere = hemisphere;
    repairPosition(parts, latitude, name, say);
    text = canonicalPosition(parts, latitude);

    double result = parts.degrees + parts.minutes / 60.0 + static_cast<double>(parts.seconds) / 60.0 / 60.0;
    if (parts.hemisphere == U'S' || parts.hemisphere == U'W') result = -result;
    return result;
}

std::string FormatPosition(double value, std::string_view kind, std::string_view style, int decimals) {
    if (!std::isfinite(value)) return "n/a";
    const bool latitude = isLatitude(kind);
    const double a = std::fabs(value);

    // Seconds from 60 less half a unit of the last shown decimal carry into
    // the minutes, so nothing prints as 60 seconds.
    double threshold = 59.0;
    for (int j = 1; j <= decimals; ++j) threshold += 9.0 * std::pow(10.0, -j);
    threshold += 5.0 * std::pow(10.0, -(decimals + 1.0));

    double degrees = std::floor(a);
    double minutes = std::floor((a - degrees) * 60.0);
    float seconds = static_cast<float>(((a - degrees) * 60.0 - minutes) * 60.0);
    if (seconds >= threshold) {
        seconds = 0;
        minutes += 1;
        if (minutes == 60) {
            minutes = 0;
            degrees += 1;
        }
    }

    const char* hemisphere = latitude ? (value < 0 ? "S" : "N") : (value < 0 ? "W" : "E");
    const std::string pattern = secondsPattern(decimals);
    std::string out = base::formatNumber(degrees, latitude ? "00" : "000");
    appendUtf8(out, equalsIgnoringCase(style, "FILE") ? kFileDegreeMark : kDegreeMark);
    out += base::formatNumber(minutes, "00");
    out += "'";
    if (!pattern.empty()) out += base::formatNumber(seconds, pattern);
    out += "\"";
    out += hemisphere;
    return out;
}

std::string FormatDuration(double seconds, int decimals) {
    if (!std::isfinite(seconds)) return "n/a";
    const int shown = decimals >= 1 && decimals <= 4 ? decimals : 0;
    const std::string pattern = shown == 0 ? "00" : secondsPattern(shown);
    const double scale = std::pow(10.0, shown);
    // Whole units of the last shown decimal, split exactly.
    const double units = std::floor(std::fabs(seconds) * scale + 0.5);
    const double perMinute = 60.0 * scale;
    const double perHour = 3600.0 * scale;
    const double hours = std::floor(units / perHour);
    const double rest = units - hours * perHour;
    const double minutes = std::floor(rest / perMinute);
    const double secs = (rest - minutes * perMinute) / scale;
    std::string out = seconds < 0 && units > 0 ? "-" : "";
    out += base::formatNumber(hours, "00:");
    out += base::formatNumber(minutes, "00:");
    out += base::formatNumber(secs, pattern);
    return out;
}

}  // namespace geodesy
