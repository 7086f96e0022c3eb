#include "targets/ship_database.h"

#include <charconv>
#include <limits>
#include <system_error>
#include <unordered_set>

#include "base/atomic_file.h"
#include "base/text_file.h"

namespace targets {
namespace {

constexpr std::size_t kFieldCount = 10;

template <typename Int>
bool parseInteger(std::string_view text, Int& out) {
    if (text.empty()) {  // an empty number field reads as 0
        out = 0;
        return true;
    }
    if (text.front() == '+') text.remove_prefix(1);
    long long v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    if (v < std::numeric_limits<Int>::min() || v > std::numeric_limits<Int>::max()) return false;
    out = static_cast<Int>(v);
    return true;
}

// A text as it goes between the quotes of a record: '"' becomes "'" so the
// reader cannot end the field early, and line breaks and other control
// characters become blanks so one record stays one line.
std::string fileText(std::string_view s, bool lowerCase) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c == '"') {
            out.push_back('\'');
        } else if (c < 0x20 || c == 0x7F) {
            out.push_back(' ');
        } else if (lowerCase && c >= 'A' && c <= 'Z') {
            out.push_back(static_cast<char>(c + ('a' - 'A')));
        } else if (lowerCase && c == 0xC3 && i + 1 < s.size() && (static_cast<unsigned char>(s[i + 1]) & 0xC0) == 0x80) {
            // Latin-1 capitals U+00C0..U+00DE (except the multiplication
            // sign U+00D7) have their small letter 0x20 further on. Only a
            // continuation byte belongs to the character: a quote or a line
            // break after a stray 0xC3 is replaced like any other.
            const auto d = static_cast<unsigned char>(s[i + 1]);
            out.push_back(static_cast<char>(c));
            out.push_back(static_cast<char>(d >= 0x80 && d <= 0x9E && d != 0x97 ? d + 0x20 : d));
            ++i;
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

// Records of one earlier file, in file order.
struct ParsedFile {
    std::vector<ShipDataItem> items;
    int malformed = 0;
};

ParsedFile parseLines(const std::vector<std::string>& lines) {
    ParsedFile f;
    for (const std::string& line : lines) {
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        if (auto item = ParseShipDataLine(line)) {
            f.items.push_back(std::move(*item));
        } else {
            ++f.malformed;
        }
    }
    return f;
}

}  // namespace

std::optional<ShipDataItem> ParseShipDataLine(std::string_view line) {
    const auto fields = base::SplitQuotedFields(line);
    if (!fields || fields->size() != kFieldCount) return std::nullopt;
    const auto& f = *fields;
    ShipDataItem item;
    // File order: MMSI, name, call sign, IMO, DimA-DimD, ship type, EPFD.
    if (f[0].empty() || !parseInteger(f[0], item.MMSI) || item.MMSI <= 0) return std::nullopt;
    item.Name = f[1];
    item.CallSign = f[2];
    if (!parseInteger(f[3], item.IMONumber) || !parseInteger(f[4], item.DimA) || !parseInteger(f[5], item.DimB) ||
        !parseInteger(f[6], item.DimC) || !parseInteger(f[7], item.DimD) || !parseInteger(f[8], item.ShipType) ||
        !parseInteger(f[9], item.EPFDType)) {
        return std::nullopt;
    }
    return item;
}

std::string FormatShipDataLine(const ShipDataItem& item) {
    std::string line;
    line.reserve(64 + item.Name.size() + item.CallSign.size());
    line += std::to_string(item.MMSI);
    line += ",\"";
    line += fileText(item.Name, true);
    line += "\",\"";
    line += fileText(item.CallSign, false);
    line += "\"";
    for (const long v : {long(item.IMONumber), long(item.DimA), long(item.DimB), long(item.DimC), long(item.DimD),
                         long(item.ShipType), long(item.EPFDType)}) {
        line += ',';
        line += std::to_string(v);
    }
    line += "\r\n";
    return line;
}

void ShipDatabase::add(ShipDataItem item) {
    index_.try_emplace(item.MMSI, items_.size());
    items_.push_back(std::move(item));
}

void ShipDatabase::clear() {
    items_.clear();
    index_.clear();
}

const ShipDataItem* ShipDatabase::LookupShipData(int32_t mmsi) const {
    const auto it = index_.find(mmsi);
    return it == index_.end() ? nullptr : &items_[it->second];
}

ShipDataLoadResult ShipDatabase::LoadShipData(const std::filesystem::path& dataDir) {
    clear();
    ShipDataLoadResult r;

    const base::TextFileLines main = base::ReadTextLines(dataDir / kShipDataFileName);
    r.fileFound = main.exists;
    if (main.exists && !main.ok) r.readFailed = true;
    if (main.ok) {
        ParsedFile parsed = parseLines(main.lines);
        r.malformedLines += parsed.malformed;
        for (auto& item : parsed.items) add(std::move(item));
    }

    // A backup left by an interrupted save of an older version may hold
    // vessels the main file lost; they count as known too.
    const base::TextFileLines old = base::ReadTextLines(dataDir / kShipDataOldFileName);
    if (old.exists && !old.ok) r.readFailed = true;
    if (old.ok) {
        ParsedFile parsed = parseLines(old.lines);
        r.malformedLines += parsed.malformed;
        for (auto& item : parsed.items) {
            if (LookupShipData(item.MMSI)) continue;
            add(std::move(item));
            ++r.fromBackup;
        }
    }
    r.records = static_cast<int>(items_.size());
    return r;
}

ShipDataSaveResult SaveShipData(const std::filesystem::path& dataDir, std::span<const ShipDataItem> runVessels) {
    ShipDataSaveResult r;
    const std::filesystem::path mainPath = dataDir / kShipDataFileName;
    const std::filesystem::path oldPath = dataDir / kShipDataOldFileName;

    // The earlier content is read before anything is written. A previous file
    // that is there but unreadable must not be replaced by one without its records.
    const base::TextFileLines previous = base::ReadTextLines(mainPath);
    if (previous.exists && !previous.ok) {
        r.error = previous.error;
        return r;
    }
    // An unreadable backup does not stop the save; it is just left in place.
    const base::TextFileLines backup = base::ReadTextLines(oldPath);

    std::string content;
    std::unordered_set<int32_t> written;
    auto emit = [&](const ShipDataItem& item) {
        if (!written.insert(item.MMSI).second) return false;
        content += FormatShipDataLine(item);
        ++r.written;
        return true;
    };

    for (const ShipDataItem& item : runVessels) {
        if (item.Name.empty() || item.MMSI <= 0) continue;
        if (emit(item)) ++r.fromThisRun;
    }
    // The previous file is newer than a left-over backup, so it goes first.
    for (const auto* source : {&previous, &backup}) {
        if (!source->ok) continue;
        const ParsedFile parsed = parseLines(source->lines);
        r.droppedLines += parsed.malformed;
        for (const ShipDataItem& item : parsed.items) emit(item);
    }

    const base::FileWriteResult w = base::WriteFileAtomically(mainPath, content);
    if (!w) {
        r.written = 0;
        r.fromThisRun = 0;
        r.error = w.error;
        return r;
    }
    r.ok = true;
    if (backup.ok) {
        std::error_code ec;
        r.backupRemoved = std::filesystem::remove(oldPath, ec) && !ec;
    }
    return r;
}

}  // namespace targets
