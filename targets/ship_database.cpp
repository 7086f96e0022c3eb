#include "targets/ship_database.h"

#include <charconv>
#include <limits>
#include <system_error>
#include <unordered_set>

#include "base/atomic_file.h"
#include "base/text_file.h"
#include "base/operator_messages.h"

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
    if (!parseInteger(f[3], item.IMONumber) || !parseInteger(f[4], item.Dim.DimA) || !parseInteger(f[5], item.Dim.DimB) ||
        !parseInteger(f[6], item.Dim.DimC) || !parseInteger(f[7], item.Dim.DimD) || !parseInteger(f[8], item.ShipType) ||
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
    for (const long v : {long(item.IMONumber), long(item.Dim.DimA), long(item.Dim.DimB), long(item.Dim.DimC), long(item.Dim.DimD),
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

namespace {

// One line of an earlier file: its bytes as they are, line end included, and
// the record it holds when it holds one.
struct StoredLine {
    std::string_view bytes;
    std::optional<ShipDataItem> item;
};

// The lines of a file's bytes, read as LoadShipData reads them (a leading
// byte-order mark skipped, one CR before the LF dropped, Latin-1 or UTF-8).
std::vector<StoredLine> storedLines(std::string_view bytes) {
    std::vector<StoredLine> out;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t lf = bytes.find('\n', pos);
        const std::size_t end = lf == std::string_view::npos ? bytes.size() : lf + 1;
        StoredLine line{bytes.substr(pos, end - pos), std::nullopt};
        std::string_view text = line.bytes;
        if (pos == 0 && text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
        if (text.ends_with('\n')) text.remove_suffix(1);
        if (text.ends_with('\r')) text.remove_suffix(1);
        line.item = ParseShipDataLine(base::Latin1OrUtf8ToUtf8(text));
        out.push_back(line);
        pos = end;
    }
    return out;
}

bool isBlankLine(std::string_view bytes) { return bytes.find_first_not_of(" \t\r\n") == std::string_view::npos; }

// Appends a kept line; a last line without its line end gets one (completing
// a lone CR), so the next record starts a line of its own and this one reads
// back as it did.
void appendLine(std::string& content, std::string_view bytes) {
    content += bytes;
    if (!bytes.ends_with('\n')) content += bytes.ends_with('\r') ? "\n" : "\r\n";
}

}  // namespace

ShipDataLoadResult ShipDatabase::LoadShipData(const std::filesystem::path& dataDir) {
    clear();
    ShipDataLoadResult r;

    const base::FileBytes main = base::ReadFileBytes(dataDir / kShipDataFileName, base::kMaxTextFileBytes);
    r.fileFound = main.exists;
    if (main.exists && !main.ok) r.readFailed = true;
    for (const StoredLine& line : storedLines(main.bytes)) {
        if (line.item) {
            add(*line.item);
        } else if (!isBlankLine(line.bytes)) {
            ++r.malformedLines;
        }
    }

    // A backup left by an interrupted save of an older version may hold
    // vessels the main file lost; they count as known too.
    const base::FileBytes old = base::ReadFileBytes(dataDir / kShipDataOldFileName, base::kMaxTextFileBytes);
    if (old.exists && !old.ok) r.readFailed = true;
    for (const StoredLine& line : storedLines(old.bytes)) {
        if (!line.item) {
            if (!isBlankLine(line.bytes)) ++r.malformedLines;
        } else if (!LookupShipData(line.item->MMSI)) {
            add(*line.item);
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
    const base::FileBytes previous = base::ReadFileBytes(mainPath, base::kMaxTextFileBytes);
    if (previous.exists && !previous.ok) {
        r.error = previous.error;
        return r;
    }
    // An unreadable backup does not stop the save; it is just left in place.
    const base::FileBytes backup = base::ReadFileBytes(oldPath, base::kMaxTextFileBytes);

    // The vessels of this run that have something to store; the first entry of an MMSI wins.
    std::unordered_map<int32_t, const ShipDataItem*> fresh;
    for (const ShipDataItem& item : runVessels) {
        if (!item.Name.empty() && item.MMSI > 0) fresh.try_emplace(item.MMSI, &item);
    }

    std::string content;
    content.reserve(previous.bytes.size() + fresh.size() * 64);
    std::unordered_set<int32_t> known;  // MMSIs with a record in the new file
    // Every line of the previous file stays as it is, unreadable ones too,
    // except the first record of a vessel of this run: that one is refreshed
    // in its place.
    for (const StoredLine& line : storedLines(previous.bytes)) {
        const int32_t mmsi = line.item ? line.item->MMSI : 0;
        const bool first = line.item && known.insert(mmsi).second;
        if (const auto it = first ? fresh.find(mmsi) : fresh.end(); it != fresh.end()) {
            content += FormatShipDataLine(*it->second);
            ++r.fromThisRun;
        } else {
            appendLine(content, line.bytes);
            if (!line.item && !isBlankLine(line.bytes)) ++r.keptUnreadable;
        }
        if (line.item) ++r.written;
    }
    // Vessels new to the file follow, in the order given.
    for (const ShipDataItem& item : runVessels) {
        if (!fresh.contains(item.MMSI) || !known.insert(item.MMSI).second) continue;
        content += FormatShipDataLine(item);
        ++r.fromThisRun;
        ++r.written;
    }
    // Then the vessels that only a left-over backup still knows.
    if (backup.ok) {
        for (const StoredLine& line : storedLines(backup.bytes)) {
            if (line.item && known.insert(line.item->MMSI).second) {
                appendLine(content, line.bytes);
                ++r.written;
            } else if (!line.item && !isBlankLine(line.bytes)) {
                ++r.droppedLines;
            }
        }
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

ShipDataSaveResult StoreShipData(const std::filesystem::path& dataDir, std::span<const ShipDataItem> runVessels,
                                 base::MessageSink& messages) {
    ShipDataSaveResult r = SaveShipData(dataDir, runVessels);
    if (!r.ok) {
        messages.operatorMessage(base::MessageIcon::Exclamation, "Orvanta",
                                 r.error + " Ship database not stored!");
    }
    return r;
}

}  // namespace targets
