// The ship database reader: one line through ParseShipDataLine, and the same
// bytes as a whole "Shipdata.dat" (with a left-over "Shipdata-OLD.dat" when
// the first byte is odd) through LoadShipData and SaveShipData.
//
// What must hold: a line that reads as a record is written as one line that
// reads back to the same numbers and writes out identically again; loading
// counts every non-blank line as a record or a malformed line; saving what
// was loaded succeeds and loads back to the same records.
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

    // Saving with nothing from the run keeps exactly the loaded vessels, each
    // MMSI once (records of earlier runs are kept also without a name).
    const targets::ShipDataSaveResult saved = targets::SaveShipData(dir.path(), {});
    FUZZ_CHECK(saved.ok);
    FUZZ_CHECK(!std::filesystem::exists(oldFile, ec));
    targets::ShipDatabase again;
    const targets::ShipDataLoadResult reloaded = again.LoadShipData(dir.path());
    FUZZ_CHECK(reloaded.malformedLines == 0 && reloaded.records == saved.written);
    int expected = 0;
    for (const auto& item : db.items()) {
        if (db.LookupShipData(item.MMSI) != &item) continue;  // a later duplicate
        const targets::ShipDataItem* back = again.LookupShipData(item.MMSI);
        ++expected;
        FUZZ_CHECK(back != nullptr);
        FUZZ_CHECK(back->IMONumber == item.IMONumber && back->DimA == item.DimA && back->ShipType == item.ShipType &&
                   back->EPFDType == item.EPFDType);
    }
    FUZZ_CHECK(expected == saved.written);
    return 0;
}
