#include "input/setup_file.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "base/atomic_file.h"

namespace input {

namespace {

constexpr const char* kTitle = "Orvanta";

// Reads items in the comma/line separated "write" convention.
class ItemReader {
public:
    explicit ItemReader(std::string_view text) : text_(text) {}

    bool atEnd() {
        skipBlankLines();
        return pos_ >= text_.size();
    }

    // Next item with its quotes removed; false at the end of the text.
    bool next(std::string& item) {
        skipBlankLines();
        if (pos_ >= text_.size()) return false;
        item.clear();
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '"') {
            const size_t close = text_.find('"', pos_ + 1);
            const size_t end = close == std::string_view::npos ? text_.size() : close;
            item.assign(text_.substr(pos_ + 1, end - pos_ - 1));
            pos_ = close == std::string_view::npos ? text_.size() : close + 1;
            // Anything up to the delimiter after the closing quote is ignored.
            while (pos_ < text_.size() && text_[pos_] != ',' && text_[pos_] != '\r' && text_[pos_] != '\n') ++pos_;
        } else {
            size_t end = pos_;
            while (end < text_.size() && text_[end] != ',' && text_[end] != '\r' && text_[end] != '\n') ++end;
            std::string_view raw = text_.substr(pos_, end - pos_);
            while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\t')) raw.remove_suffix(1);
            item.assign(raw);
            pos_ = end;
        }
        consumeDelimiter();
        return true;
    }

private:
    void consumeDelimiter() {
        if (pos_ >= text_.size()) return;
        if (text_[pos_] == ',') {
            ++pos_;
            return;
        }
        if (text_[pos_] == '\r') ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    }
    void skipBlankLines() {
        while (pos_ < text_.size() && (text_[pos_] == '\r' || text_[pos_] == '\n')) ++pos_;
    }

    std::string_view text_;
    size_t pos_ = 0;
};

const std::string kTypeMismatch = "Type mismatch";
const std::string kOverflow = "Overflow";
const std::string kPastEnd = "Input past end of file";
const std::string kSubscript = "Subscript out of range";

// Conversions of one item; return a failure description or empty.
std::string toDouble(const std::string& item, double& out) {
    if (item.empty()) {
        out = 0;
        return {};
    }
    const char* first = item.data();
    const char* last = first + item.size();
    if (*first == '+') ++first;
    auto [p, ec] = std::from_chars(first, last, out);
    if (ec == std::errc::result_out_of_range) return kOverflow;
    if (ec != std::errc() || p != last || !std::isfinite(out)) return kTypeMismatch;
    return {};
}

template <typename Int>
std::string toInt(const std::string& item, Int& out, double lo, double hi) {
    double v = 0;
    if (item == "#TRUE#" || item == "#FALSE#") {
        v = item == "#TRUE#" ? -1 : 0;
    } else if (std::string e = toDouble(item, v); !e.empty()) {
        return e;
    }
    v = std::nearbyint(v);
    if (v < lo || v > hi) return kOverflow;
    out = static_cast<Int>(v);
    return {};
}

std::string toBool(const std::string& item, bool& out) {
    if (item == "#TRUE#") {
        out = true;
        return {};
    }
    if (item == "#FALSE#") {
        out = false;
        return {};
    }
    double v = 0;
    if (std::string e = toDouble(item, v); !e.empty()) return kTypeMismatch;
    out = v != 0;
    return {};
}

std::string formatDouble(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

std::string quoted(const std::string& s) {
    // A quote inside a text cannot be written in this format; it becomes an apostrophe.
    std::string out = "\"";
    for (char c : s) out.push_back(c == '"' ? '\'' : c);
    out.push_back('"');
    return out;
}

const char* truth(bool b) { return b ? "#TRUE#" : "#FALSE#"; }

}  // namespace

void SetSetupDefaults(CommSettings& comm) {
    comm.BaudRate = 38400;
    comm.DataBits = 8;
    comm.Parity = "N";
    comm.StopBits = 1;
    comm.IPAddress = "127.0.0.1";
    comm.IPPort = 8040;
}

std::string ParseSetup(std::string_view text, CommSettings& comm, input::RunState& state) {
    ItemReader reader(text);
    std::string item;
    // Reads the next item, reporting the end of the text as a failure.
    auto need = [&](std::string& out) -> std::string { return reader.next(out) ? std::string() : kPastEnd; };
    std::string v;
#define SETUP_READ(convert)                     \
    do {                                        \
        if (auto e = need(v); !e.empty()) return e; \
        if (auto e = (convert); !e.empty()) return e; \
    } while (0)

    while (reader.next(item)) {
        if (item == "REM Comport") {
            SETUP_READ(toInt(v, comm.ComPort, -32768, 32767));
            SETUP_READ(toInt(v, comm.BaudRate, -2147483648.0, 2147483647.0));
            SETUP_READ(toInt(v, comm.DataBits, -32768, 32767));
            SETUP_READ((comm.Parity = v, std::string()));
            SETUP_READ(toInt(v, comm.StopBits, -32768, 32767));
        } else if (item == "REM IP Address") {
            SETUP_READ(toBool(v, comm.UseTCP));
            SETUP_READ((comm.IPAddress = v, std::string()));
            SETUP_READ(toInt(v, comm.IPPort, -2147483648.0, 2147483647.0));
        } else if (item == "REM IP List") {
            int16_t count = 0;
            SETUP_READ(toInt(v, count, -32768, 32767));
            // Never let the count claim more entries than the list holds.
            comm.IPListCount = static_cast<int16_t>(std::max<int>(0, std::min<int>(count, 10)));
            for (int i = 0; i < count; ++i) {
                if (i >= 10) return kSubscript;
                SETUP_READ((comm.IPList[static_cast<size_t>(i)] = v, std::string()));
            }
        } else if (item == "REM Data tests") {
            SETUP_READ(toBool(v, state.CheckChecksum));
            SETUP_READ(toBool(v, state.EmptyBuffer));
        } else if (item == "REM RefPos Settings") {
            SETUP_READ(toDouble(v, state.RefLat));
            SETUP_READ(toDouble(v, state.RefLon));
            SETUP_READ(toInt(v, state.ReferenceMode, -32768, 32767));
            SETUP_READ(toInt(v, state.RefMMSI, -2147483648.0, 2147483647.0));
        } else if (item == "REM Binary Message Standard") {
            SETUP_READ(toInt(v, state.BinaryMsgStandard, -32768, 32767));
        }
    }
#undef SETUP_READ
    return {};
}

std::string FormatSetup(const CommSettings& comm, const input::RunState& state) {
    std::ostringstream out;
    const char* crlf = "\r\n";
    out << "\"REM Comport\"" << crlf;
    out << comm.ComPort << ',' << comm.BaudRate << ',' << comm.DataBits << ',' << quoted(comm.Parity) << ','
        << comm.StopBits << crlf;
    out << "\"REM IP Address\"" << crlf;
    out << truth(comm.UseTCP) << ',' << quoted(comm.IPAddress) << ',' << comm.IPPort << crlf;
    out << "\"REM IP List\"" << crlf;
    const int count = std::max<int>(0, std::min<int>(comm.IPListCount, 10));
    out << count << crlf;
    for (int i = 0; i < count; ++i) out << quoted(comm.IPList[static_cast<size_t>(i)]) << crlf;
    out << "\"REM Data tests\"" << crlf;
    out << truth(state.CheckChecksum) << ',' << truth(state.EmptyBuffer) << crlf;
    out << "\"REM RefPos Settings\"" << crlf;
    out << formatDouble(state.RefLat) << ',' << formatDouble(state.RefLon) << crlf;
    out << state.ReferenceMode << ',' << state.RefMMSI << crlf;
    out << "\"REM Binary Message Standard\"" << crlf;
    out << state.BinaryMsgStandard << crlf;
    return out.str();
}

void LoadSetup(const std::string& path, CommSettings& comm, input::RunState& state, base::MessageSink& messages) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        messages.operatorMessage(base::MessageIcon::Information, kTitle,
                                 "Setup file do not exist. Default data loaded. Comport has to be selected.");
        SetSetupDefaults(comm);
        return;
    }
    std::ifstream in(path, std::ios::binary);
    std::string text;
    std::string failure;
    if (!in || S_ISDIR(st.st_mode)) {
        failure = "Path/File access error";
    } else if (st.st_size > 1 << 20) {
        failure = "File too large";
    } else {
        std::ostringstream buf;
        buf << in.rdbuf();
        text = buf.str();
        failure = ParseSetup(text, comm, state);
    }
    if (!failure.empty()) {
        messages.operatorMessage(base::MessageIcon::Exclamation, kTitle,
                                 failure + " - Error in Setup file. Default data loaded");
        SetSetupDefaults(comm);
    }
}

bool SaveSetup(const std::string& path, const CommSettings& comm, const input::RunState& state,
               base::MessageSink& messages) {
    const base::FileWriteResult r = base::WriteFileAtomically(path, FormatSetup(comm, state));
    if (!r.ok) {
        messages.operatorMessage(base::MessageIcon::None, kTitle, r.error + " Setup file not stored!");
        return false;
    }
    return true;
}

bool IsValidIPAddress(std::string_view text) {
    if (text.empty() || text.size() > 15 || text.front() == '.') return false;
    int dots = 0;
    for (char c : text) {
        if (c == '.') {
            ++dots;
        } else if (c < '0' || c > '9') {
            return false;
        }
    }
    if (dots != 3) return false;
    long long part = 0;
    size_t start = 0;
    for (int k = 0; k < 4; ++k) {
        const size_t end = k < 3 ? text.find('.', start) : text.size();
        const std::string_view digits = text.substr(start, end - start);
        if (digits.empty()) return false;
        part = 0;
        for (char c : digits) part = part * 10 + (c - '0');  // at most 12 digits in 15 characters
        const int lo = (k == 0 || k == 3) ? 1 : 0;
        if (part < lo || part > 255) return false;
        start = end + 1;
    }
    return true;
}

bool ReArrange_IP_List(CommSettings& comm, const std::string& address) {
    const int count = std::max<int>(0, std::min<int>(comm.IPListCount, 10));
    for (int i = 0; i < count; ++i) {
        if (comm.IPList[static_cast<size_t>(i)] == address) return false;
    }
    if (count < 10) {
        comm.IPList[static_cast<size_t>(count)] = address;
        comm.IPListCount = static_cast<int16_t>(count + 1);
        return true;
    }
    for (size_t i = 0; i < 9; ++i) comm.IPList[i] = comm.IPList[i + 1];
    comm.IPList[9] = address;
    return true;
}

}  // namespace input
