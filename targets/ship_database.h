// Ship database: the static data (name, call sign, IMO number, type,
// dimensions, EPFD) of class A and class B vessels heard in earlier runs, so
// a known vessel shows its name before its own static message arrives.
//
// File "Shipdata.dat" in the data folder, one vessel per line, CR LF ended,
// ten comma-separated fields; texts in double quotes, numbers plain:
//
//   257012300,"blue heron","LABC",9123456,100,20,10,10,70,1
//   MMSI, name (lower case), call sign, IMO, DimA, DimB, DimC, DimD, ship type, EPFD
//
// Reading accepts 8-bit (Latin-1) and UTF-8 files, LF or CR LF endings, and
// honours quotes, so a comma inside a quoted text is part of the text. Lines
// that do not hold a whole record are skipped and counted. Writing produces
// UTF-8 with every '"' in a text replaced by "'", so every written line reads
// back whole.
//
// Usage:
//   ShipDatabase db;
//   db.LoadShipData(dataDir);                 // once at start
//   if (const ShipDataItem* s = db.LookupShipData(mmsi)) { ...copy into the new target... }
//   ...
//   SaveShipData(dataDir, vesselsOfThisRun);  // at shutdown
//
// The list is filled once at start and not changed by the run: static data
// received during the run lives in the targets and reaches the file when the
// run ends. File errors come back as values (StoreShipData tells the operator).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ais/message_record.h"
#include "base/operator_messages.h"

namespace targets {

inline constexpr const char* kShipDataFileName = "Shipdata.dat";
// Backup that older versions kept while rewriting the file. One left behind by
// an interrupted run is merged in (its vessels not otherwise known are kept)
// and removed by the next successful save.
inline constexpr const char* kShipDataOldFileName = "Shipdata-OLD.dat";

// One vessel. Values are raw as stored; the target table applies its own
// range rules to ShipType and EPFDType when it copies them.
struct ShipDataItem {
    int32_t MMSI = 0;
    std::string Name;      // lower case as stored in the file
    std::string CallSign;
    int32_t IMONumber = 0;
    int16_t ShipType = 0;
    ais::Dimensions Dim;
    int16_t EPFDType = 0;
    bool operator==(const ShipDataItem&) const = default;
};

struct ShipDataLoadResult {
    bool fileFound = false;     // "Shipdata.dat" existed
    bool readFailed = false;    // a file existed but could not be read
    int records = 0;            // items now in the list
    int malformedLines = 0;     // non-blank lines that held no usable record
    int fromBackup = 0;         // items taken only from a left-over "Shipdata-OLD.dat"
};

class ShipDatabase {
public:
    // Empties the list and fills it from "Shipdata.dat" in dataDir, then adds
    // the vessels of a left-over "Shipdata-OLD.dat" that the main file lacks.
    // A missing file gives an empty list. Never writes anything.
    ShipDataLoadResult LoadShipData(const std::filesystem::path& dataDir);

    // The first item in file order with this MMSI, or nullptr. The pointer
    // stays valid until the list is next changed.
    const ShipDataItem* LookupShipData(int32_t mmsi) const;

    // Appends an item; an MMSI already present keeps its earlier item for lookup.
    void add(ShipDataItem item);
    void clear();

    const std::vector<ShipDataItem>& items() const { return items_; }
    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }

private:
    std::vector<ShipDataItem> items_;
    std::unordered_map<int32_t, std::size_t> index_;  // MMSI -> first item
};

struct ShipDataSaveResult {
    bool ok = false;
    std::string error;          // what failed, for logs and tests; empty when ok
    int written = 0;            // records in the new file
    int fromThisRun = 0;        // of which came from the run (refreshed or new)
    int keptUnreadable = 0;     // lines of the previous file that hold no record, kept as they were
    int droppedLines = 0;       // lines of a left-over backup that held no record
    bool backupRemoved = false; // a left-over "Shipdata-OLD.dat" was merged and deleted
    explicit operator bool() const { return ok; }
};

// Rewrites "Shipdata.dat" in dataDir. Every line of the previous file is kept
// byte for byte, in its place, also one that holds no readable record; only
// the first record of each vessel of this run is refreshed (replaced by the
// run's data, in its place). Vessels of the run new to the file follow in the
// order given, then the vessels of a left-over "Shipdata-OLD.dat" that neither
// knows (its lines as they were). Items with an empty name are not written,
// and an MMSI of the run is written once (its first occurrence wins). The
// caller passes only vessels whose static data was received in this run.
//
// The new content goes to a temporary file in the same folder (beside the
// file a symbolic link points to), is flushed to disk and only then renamed
// over "Shipdata.dat". When the previous file exists but cannot be read, or
// the new one cannot be written completely, nothing is replaced and the
// result says why.
ShipDataSaveResult SaveShipData(const std::filesystem::path& dataDir,
                                std::span<const ShipDataItem> runVessels);

// SaveShipData, and a failure raised once as an operator message
// ("<reason> Ship database not stored!"), as a failed setup file is.
ShipDataSaveResult StoreShipData(const std::filesystem::path& dataDir, std::span<const ShipDataItem> runVessels,
                                 base::MessageSink& messages);

// One record as written: lower-case name, '"' -> "'" in both texts, CR LF ended.
std::string FormatShipDataLine(const ShipDataItem& item);

// One line (without its line end, UTF-8) to an item, or nullopt when it does
// not hold ten fields with a positive MMSI and numbers in range. An empty
// numeric field reads as 0.
std::optional<ShipDataItem> ParseShipDataLine(std::string_view line);

}  // namespace targets
