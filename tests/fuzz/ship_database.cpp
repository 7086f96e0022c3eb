// The ship database reader: one line through ParseShipDataLine, and the same
// bytes as a whole "Shipdata.dat" (with a left-over "Shipdata-OLD.dat" when
// the first byte is odd) through LoadShipData and SaveShipData.
//
// What must hold: a line that reads as a record is written as one line that
// reads back to the same numbers and writes out identically again; loading
// counts every non-blank line as a record or a malformed line; saving keeps
// every line it does not refresh byte for byte and loads back to the same
// records.
#include "fuzz/fuzz_support.h"
#include "targets/ship_database.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fuzzing::ScratchDir dir;
    const std::string_view text = fuzzing::AsText(data, size);
    if (const auto item = targets::ParseShipDataLine(text)) {
        FUZZ_CHECK(item->MMSI > 0);
        fuzzing::ShipLineRoundTrip(*item);
    }

    const auto mainFile = dir.path() / targets::kShipDataFileName;
    const auto oldFile = dir.path() / targets::kShipDataOldFileName;
    std::error_code ec;
    std::filesystem::remove(oldFile, ec);
    if (size > 0 && (data[0] & 1)) {
        // The first half is the main file, the second a left-over backup.
        fuzzing::WriteFile(mainFile, text.substr(0, size / 2));
        fuzzing::WriteFile(oldFile, text.substr(size / 2));
    } else {
        fuzzing::WriteFile(mainFile, text);
    }

    targets::ShipDatabase db;
    const targets::ShipDataLoadResult loaded = db.LoadShipData(dir.path());
    FUZZ_CHECK(loaded.fileFound && !loaded.readFailed);
    FUZZ_CHECK(loaded.records == static_cast<int>(db.size()));
    for (const auto& item : db.items()) {
        FUZZ_CHECK(item.MMSI > 0);
        FUZZ_CHECK(db.LookupShipData(item.MMSI) != nullptr);
    }

    // Saving refreshes one vessel (one the file knows when there is one, else
    // a new one). Every other line of the main file comes back byte for byte
    // in its place; the refreshed record replaces the vessel's first record or
    // follows the old lines; then come the backup's vessels that neither knows.
    const std::string before = fuzzing::ReadFile(mainFile);
    const targets::ShipDataItem vessel{db.empty() ? 123456789 : db.items().front().MMSI, "FUZZ", "FZ", 1, 2, {3, 4, 5, 6}, 7};
    const targets::ShipDataSaveResult saved = targets::SaveShipData(dir.path(), std::span(&vessel, 1));
    FUZZ_CHECK(saved.ok && saved.fromThisRun == 1);
    FUZZ_CHECK(!std::filesystem::exists(oldFile, ec));
    const std::string after = fuzzing::ReadFile(mainFile);
    const std::string fresh = targets::FormatShipDataLine(vessel);
    const auto oldLines = fuzzing::Lines(before);
    const auto newLines = fuzzing::Lines(after);
    size_t differ = 0;
    size_t k = 0;
    bool same = false;  // an old line (completed) that already is the refreshed record
    for (; k < oldLines.size(); ++k) {
        FUZZ_CHECK(k < newLines.size());
        std::string old = oldLines[k];
        if (!old.ends_with('\n')) old += old.ends_with('\r') ? "\n" : "\r\n";
        same = same || old == fresh;
        if (newLines[k] == old) continue;
        FUZZ_CHECK(newLines[k] == fresh && ++differ == 1);
    }
    if (differ == 0) {
        // Not in the main file (or already written as it is now): the
        // refreshed record follows the old lines.
        FUZZ_CHECK(same || (k < newLines.size() && newLines[k] == fresh));
    }

    // What was saved loads back: each vessel once, with its numbers.
    targets::ShipDatabase again;
    const targets::ShipDataLoadResult reloaded = again.LoadShipData(dir.path());
    FUZZ_CHECK(reloaded.records == saved.written);
    for (const auto& item : db.items()) {
        if (db.LookupShipData(item.MMSI) != &item || item.MMSI == vessel.MMSI) continue;  // a later duplicate
        const targets::ShipDataItem* back = again.LookupShipData(item.MMSI);
        FUZZ_CHECK(back != nullptr);
        FUZZ_CHECK(back->IMONumber == item.IMONumber && back->Dim == item.Dim && back->ShipType == item.ShipType &&
                   back->EPFDType == item.EPFDType);
    }
    FUZZ_CHECK(again.LookupShipData(vessel.MMSI) && again.LookupShipData(vessel.MMSI)->IMONumber == 1);
    return 0;
}
