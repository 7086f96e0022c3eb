#include "station/setup_file.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "base/atomic_file.h"
#include "base/text_file.h"

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

    // Whether the item read last was followed by a comma: another item of
    // its line comes next.
    bool moreOnLine() const { return moreOnLine_; }

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
        moreOnLine_ = false;
        if (pos_ >= text_.size()) return;
        if (text_[pos_] == ',') {
            ++pos_;
            moreOnLine_ = true;
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
    bool moreOnLine_ = false;
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

// 15 significant digits and always "." (never the locale's decimal mark, which
// would turn one number into two items).
std::string formatDouble(double v) {
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

template <typename Int>
std::string formatInt(Int v) {
    char buf[24];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

const std::string kOutOfRange = "Value out of range";

bool knownParity(const std::string& parity) {
    if (parity.empty()) return true;
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(parity[0])));
    return c == 'n' || c == 'e' || c == 'o' || c == 'm' || c == 's';
}

// Each section's values within their range; false when one is not.
bool comportInRange(const CommSettings& c) {
    return c.ComPort >= 0 && c.ComPort <= 16 && c.BaudRate >= 1 && c.BaudRate <= 4000000 && c.DataBits >= 5 &&
           c.DataBits <= 8 && c.StopBits >= 1 && c.StopBits <= 2 && knownParity(c.Parity);
}
bool addressInRange(const CommSettings& c) {
    return c.IPPort >= 1 && c.IPPort <= 65535 && IsValidHostOrAddress(c.IPAddress);
}
bool referenceInRange(const targets::Reference& s) {
    return s.lat() >= -90.0 && s.lat() <= 90.0 && s.lon() >= -180.0 && s.lon() <= 180.0 && s.mode() >= 0 &&
           s.mode() <= 3 && s.mmsi() >= 0 && s.mmsi() <= 999999999;
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

namespace {
CommSettings DefaultComm() {
    CommSettings d;
    SetSetupDefaults(d);
    return d;
}

// The items of the text into the settings; the first failure to read one ends it.
struct SectionsRead {
    bool comport = false, address = false, reference = false, standard = false, inputs = false, outputs = false;
};

// A serial input's address is a device path; the others name a host.
bool usesDevice(const InputSetting& in) {
    const InputKindInfo* kind = FindInputKind(in.Type);
    return kind && kind->address == AddressUse::Device;
}
bool inputAddressValid(const InputSetting& in) { return usesDevice(in) || IsValidHostOrAddress(in.Address); }

bool inputsInRange(const StationSettings& st) {
    for (const InputSetting& in : st.Inputs) {
        if (!inputAddressValid(in)) return false;
        const InputKindInfo* kind = FindInputKind(in.Type);
        if (!kind || *kind->key == '\0') return false;
        if (kind->address == AddressUse::Host && (in.Port < 1 || in.Port > 65535)) return false;
        if (kind->address == AddressUse::Device && (in.Baud < 1 || in.Baud > 4000000)) return false;
    }
    return true;
}
bool outputsInRange(const OutputSettings& o) {
    in6_addr any;
    const char* listen = o.TcpListenAddress.c_str();
    const bool address = inet_pton(AF_INET, listen, &any) == 1 || inet_pton(AF_INET6, listen, &any) == 1;
    return address && o.UdpPort >= 1 && o.UdpPort <= 65535 && o.TcpPort >= 1 && o.TcpPort <= 65535 &&
           IsValidHostOrAddress(o.UdpAddress);
}

std::string toInputKind(const std::string& item, InputKind& out) {
    const InputKindInfo* kind = FindInputKind(item);
    out = kind ? kind->kind : static_cast<InputKind>(-1);  // unknown: out of range, the section falls back
    return {};
}

std::string readItems(std::string_view text, CommSettings& comm, ReceiveSettings& receive, targets::Reference& state,
                      StationSettings* station, SectionsRead& read) {
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
            read.comport = true;
            SETUP_READ(toInt(v, comm.ComPort, -32768, 32767));
            SETUP_READ(toInt(v, comm.BaudRate, -2147483648.0, 2147483647.0));
            SETUP_READ(toInt(v, comm.DataBits, -32768, 32767));
            SETUP_READ((comm.Parity = v, std::string()));
            SETUP_READ(toInt(v, comm.StopBits, -32768, 32767));
        } else if (item == "REM IP Address") {
            read.address = true;
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
            SETUP_READ(toBool(v, receive.Tests.CheckChecksum));
            SETUP_READ(toBool(v, receive.Tests.EmptyBuffer));
        } else if (item == "REM RefPos Settings") {
            read.reference = true;
            double lat = state.lat(), lon = state.lon();
            int16_t mode = state.mode();
            int32_t mmsi = state.mmsi();
            // Each value is taken as it is read, as far as the line goes.
            SETUP_READ(toDouble(v, lat));
            state.moveTo(lat, lon);
            SETUP_READ(toDouble(v, lon));
            state.moveTo(lat, lon);
            SETUP_READ(toInt(v, mode, -32768, 32767));
            state.setMode(mode);
            SETUP_READ(toInt(v, mmsi, -2147483648.0, 2147483647.0));
            state.setMMSI(mmsi);
        } else if (item == "REM Serial Device") {
            SETUP_READ((comm.Device = v, std::string()));
        } else if (item == "REM Binary Message Standard") {
            read.standard = true;
            SETUP_READ(toInt(v, receive.BinaryMsgStandard, -32768, 32767));
        } else if (item == "REM Inputs" && station) {
            read.inputs = true;
            int16_t count = 0;
            SETUP_READ(toInt(v, count, -32768, 32767));
            if (count < 0 || count > StationSettings::kMaxInputs) {
                // Out of range: the list falls back to empty; its lines are skipped.
                station->Inputs.assign(1, InputSetting{.Type = static_cast<InputKind>(-1)});
                continue;
            }
            station->Inputs.assign(static_cast<size_t>(count), InputSetting{});
            for (InputSetting& in : station->Inputs) {
                SETUP_READ(toInputKind(v, in.Type));
                SETUP_READ(toBool(v, in.Enabled));
                SETUP_READ((in.Address = v, std::string()));
                SETUP_READ(toInt(v, in.Port, -2147483648.0, 2147483647.0));
                SETUP_READ(toInt(v, in.Baud, -2147483648.0, 2147483647.0));
            }
        } else if (item == "REM Outputs" && station) {
            read.outputs = true;
            OutputSettings& o = station->Outputs;
            SETUP_READ(toBool(v, o.UdpEnabled));
            SETUP_READ((o.UdpAddress = v, std::string()));
            SETUP_READ(toInt(v, o.UdpPort, -2147483648.0, 2147483647.0));
            SETUP_READ(toBool(v, o.TcpEnabled));
            SETUP_READ(toInt(v, o.TcpPort, -2147483648.0, 2147483647.0));
            SETUP_READ(toBool(v, o.StripTags));
            if (reader.moreOnLine()) {
                SETUP_READ((o.TcpListenAddress = v, std::string()));
            } else {
                // Written before the port had an address: it listened on every
                // interface, and a plotter elsewhere may rely on that.
                o.TcpListenAddress = o.TcpEnabled ? kAllInterfaces : OutputSettings{}.TcpListenAddress;
            }
        }
    }
#undef SETUP_READ
    return {};
}

}  // namespace

std::string StationSettingsProblem(const StationSettings& settings) {
    if (settings.Inputs.size() > StationSettings::kMaxInputs) {
        return "At most " + std::to_string(StationSettings::kMaxInputs) + " inputs";
    }
    for (size_t i = 0; i < settings.Inputs.size(); ++i) {
        StationSettings one;
        one.Inputs = {settings.Inputs[i]};
        const std::string name = "Input " + std::to_string(i + 1) + ": ";
        if (settings.Inputs[i].Address.empty()) return name + "address missing";
        if (!inputAddressValid(settings.Inputs[i])) return name + "not a host name or address";
        if (!inputsInRange(one)) return name + (usesDevice(settings.Inputs[i]) ? "baud rate" : "port") +
                                        " out of range";
    }
    const OutputSettings& o = settings.Outputs;
    if (!IsValidHostOrAddress(o.UdpAddress)) return "Output address: not a host name or address";
    if (!outputsInRange(o)) return "Output port or listen address out of range";
    if (o.UdpEnabled && o.UdpAddress.empty()) return "Output address missing";
    return {};
}

std::string ParseSetup(std::string_view text, CommSettings& comm, ReceiveSettings& receive, targets::Reference& state,
                       StationSettings* station) {
    SectionsRead read;
    const std::string failure = readItems(text, comm, receive, state, station, read);
    // A section with a value out of its range takes that section's defaults,
    // also when reading stopped early.
    bool inRange = true;
    const CommSettings defaults = DefaultComm();
    if (read.comport && !comportInRange(comm)) {
        inRange = false;
        comm.ComPort = 0;
        comm.BaudRate = defaults.BaudRate;
        comm.DataBits = defaults.DataBits;
        comm.Parity = defaults.Parity;
        comm.StopBits = defaults.StopBits;
    }
    if (read.address && !addressInRange(comm)) {
        inRange = false;
        comm.UseTCP = false;
        comm.IPAddress = defaults.IPAddress;
        comm.IPPort = defaults.IPPort;
    }
    if (read.reference && !referenceInRange(state)) {
        inRange = false;
        state = targets::Reference();
    }
    if (read.standard && receive.BinaryMsgStandard != 0 && receive.BinaryMsgStandard != 1) {
        inRange = false;
        receive.BinaryMsgStandard = 0;
    }
    if (read.inputs && !inputsInRange(*station)) {
        inRange = false;
        station->Inputs.clear();
    }
    if (read.outputs && !outputsInRange(station->Outputs)) {
        inRange = false;
        station->Outputs = OutputSettings{};
    }
    if (!failure.empty()) return failure;
    return inRange ? std::string() : kOutOfRange;
}

std::string FormatSetup(const CommSettings& comm, const ReceiveSettings& receive, const targets::Reference& state,
                        const StationSettings* station) {
    const char* crlf = "\r\n";
    std::string out;
    out.reserve(512);
    out += "\"REM Comport\"";
    out += crlf;
    out += formatInt(comm.ComPort) + ',' + formatInt(comm.BaudRate) + ',' + formatInt(comm.DataBits) + ',' +
           quoted(comm.Parity) + ',' + formatInt(comm.StopBits) + crlf;
    out += "\"REM IP Address\"";
    out += crlf;
    out += std::string(truth(comm.UseTCP)) + ',' + quoted(comm.IPAddress) + ',' + formatInt(comm.IPPort) + crlf;
    out += "\"REM IP List\"";
    out += crlf;
    const int count = std::max<int>(0, std::min<int>(comm.IPListCount, 10));
    out += formatInt(count) + crlf;
    for (int i = 0; i < count; ++i) out += quoted(comm.IPList[static_cast<size_t>(i)]) + crlf;
    out += "\"REM Data tests\"";
    out += crlf;
    out += std::string(truth(receive.Tests.CheckChecksum)) + ',' + truth(receive.Tests.EmptyBuffer) + crlf;
    out += "\"REM RefPos Settings\"";
    out += crlf;
    out += formatDouble(state.lat()) + ',' + formatDouble(state.lon()) + crlf;
    out += formatInt(state.mode()) + ',' + formatInt(state.mmsi()) + crlf;
    out += "\"REM Binary Message Standard\"";
    out += crlf;
    out += formatInt(receive.BinaryMsgStandard) + crlf;
    if (!comm.Device.empty()) {
        out += "\"REM Serial Device\"";
        out += crlf;
        out += quoted(comm.Device) + crlf;
    }
    if (!station) return out;
    out += "\"REM Inputs\"";
    out += crlf;
    const size_t inputs = std::min<size_t>(station->Inputs.size(), StationSettings::kMaxInputs);
    out += formatInt(inputs) + crlf;
    for (size_t i = 0; i < inputs; ++i) {
        const InputSetting& in = station->Inputs[i];
        const InputKindInfo* kind = FindInputKind(in.Type);
        out += quoted(kind ? kind->key : "") + ',' + truth(in.Enabled) + ',' + quoted(in.Address) + ',' +
               formatInt(in.Port) + ',' + formatInt(in.Baud) + crlf;
    }
    const OutputSettings& o = station->Outputs;
    out += "\"REM Outputs\"";
    out += crlf;
    out += std::string(truth(o.UdpEnabled)) + ',' + quoted(o.UdpAddress) + ',' + formatInt(o.UdpPort) + ',' +
           truth(o.TcpEnabled) + ',' + formatInt(o.TcpPort) + ',' + truth(o.StripTags) + ',' +
           quoted(o.TcpListenAddress) + crlf;
    return out;
}

void LoadSetup(const std::string& path, CommSettings& comm, ReceiveSettings& receive, targets::Reference& state,
               base::MessageSink& messages, StationSettings* station) {
    // Read like every other data file: a regular file of sane size only,
    // opened without blocking (a named pipe in its place cannot stop the start).
    const base::FileBytes file = base::ReadFileBytes(path, kMaxSetupFileBytes);
    if (!file.exists) {
        messages.operatorMessage(base::MessageIcon::Information, kTitle,
                                 "Setup file do not exist. Default data loaded. Comport has to be selected.");
        SetSetupDefaults(comm);
        // A first run checks checksums: a corrupted sentence must not become
        // a wrong position before anyone has looked at the settings.
        receive.Tests.CheckChecksum = true;
        return;
    }
    std::string failure;
    if (!file.ok) {
        failure = file.error.ends_with("is too large") ? "File too large" : "Path/File access error";
    } else {
        failure = ParseSetup(file.bytes, comm, receive, state, station);
    }
    if (failure.empty()) return;
    messages.operatorMessage(base::MessageIcon::Exclamation, kTitle,
                             failure + " - Error in Setup file. Default data loaded");
    // Out-of-range values already fell back to their section's defaults;
    // anything else leaves the communication settings unknown.
    if (failure != kOutOfRange) {
        SetSetupDefaults(comm);
        if (station) *station = StationSettings{};
    }
    // The defaults will be written over the file at the end of the run: keep
    // what the user had beside it, addresses and all.
    if (file.ok) base::WriteFileAtomically(path + kBadSetupSuffix, file.bytes);
}

bool SaveSetup(const std::string& path, const CommSettings& comm, const ReceiveSettings& receive,
               const targets::Reference& state, base::MessageSink& messages, const StationSettings* station) {
    const base::FileWriteResult r = base::WriteFileAtomically(path, FormatSetup(comm, receive, state, station));
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

bool IsValidHostName(std::string_view text) {
    if (text.empty() || text.size() > 253) return false;
    size_t start = 0;
    while (true) {
        const size_t dot = text.find('.', start);
        const std::string_view label = text.substr(start, dot == std::string_view::npos ? text.size() - start : dot - start);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') return false;
        for (char c : label) {
            const bool ascii = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
            if (!ascii) return false;
        }
        if (dot == std::string_view::npos) return true;
        start = dot + 1;
    }
}

bool IsValidServerAddress(std::string_view text) {
    const bool dotted = text.find_first_not_of("0123456789.") == std::string_view::npos;
    return dotted ? IsValidIPAddress(text) : IsValidHostName(text);
}

bool IsValidHostOrAddress(std::string_view text) {
    if (text.empty()) return true;
    if (text.find(':') != std::string_view::npos) {
        // IPv6: at most 45 characters ("ffff:...:255.255.255.255").
        if (text.size() > 45) return false;
        in6_addr address{};
        return ::inet_pton(AF_INET6, std::string(text).c_str(), &address) == 1;
    }
    if (text.find_first_not_of("0123456789.") != std::string_view::npos) return IsValidHostName(text);
    // Digits and dots are an IPv4 address or nothing.
    size_t start = 0;
    for (int part = 0; part < 4; ++part) {
        const size_t end = part < 3 ? text.find('.', start) : text.size();
        if (end == std::string_view::npos) return false;
        const std::string_view digits = text.substr(start, end - start);
        if (digits.empty() || digits.size() > 3) return false;
        int value = 0;
        for (char c : digits) {
            if (c == '.') return false;
            value = value * 10 + (c - '0');
        }
        if (value > 255) return false;
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
