// The landmark readers: one line through ParseLandmarkLine as a city and as a
// platform, and the same bytes as the two files of a data folder through
// LoadDatabases (the first half as the city file, the second as the platform
// file when the first byte is odd; otherwise the whole input as the city file).
//
// What must hold: a line that reads gives a position on the globe, a
// one-character type and finite grid coordinates; every non-blank line of a
// file is a landmark, a malformed line or one beyond the capacity; a list
// never holds more than its capacity; platforms are read only after cities.
#include <cmath>

#include "base/text_file.h"
#include "fuzz/fuzz_support.h"
#include "geodesy/grid.h"
#include "plot/landmarks.h"

namespace {

void checkLine(std::string_view text, plot::LandmarkKind kind) {
    const auto landmark = plot::ParseLandmarkLine(text, kind);
    if (!landmark) return;
    FUZZ_CHECK(std::fabs(landmark->latitude) <= 90.0 && std::fabs(landmark->longitude) <= 180.0);
    FUZZ_CHECK(!landmark->type.empty() && landmark->type.size() <= 4);
    FUZZ_CHECK(base::IsValidUtf8(landmark->type) && base::IsValidUtf8(landmark->name));
    if (kind == plot::LandmarkKind::City) FUZZ_CHECK(landmark->type == "A");
}

int nonBlankLines(const std::filesystem::path& path) {
    const base::TextFileLines file = base::ReadTextLines(path);
    int n = 0;
    for (const auto& line : file.lines) n += line.find_first_not_of(" \t") != std::string::npos;
    return n;
}

void checkFile(const std::vector<plot::Landmark>& list, const plot::LandmarkFileResult& result, int lines) {
    FUZZ_CHECK(result.found && !result.readFailed);
    FUZZ_CHECK(static_cast<int>(list.size()) == result.records);
    FUZZ_CHECK(result.records <= plot::kMaxLandmarks);
    FUZZ_CHECK(result.records + result.malformedLines + result.beyondCapacity == lines);
    FUZZ_CHECK(result.beyondCapacity == 0 || result.records == plot::kMaxLandmarks);
    for (const auto& lm : list) FUZZ_CHECK(std::isfinite(lm.easting) && std::isfinite(lm.northing));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fuzzing::ScratchDir dir;
    static const geodesy::DatumTable datum = [] {
        geodesy::DatumTable t;
        geodesy::InitDatum(t);
        return t;
    }();
    const std::string_view text = fuzzing::AsText(data, size);
    if (text.size() <= 512) {
        checkLine(text, plot::LandmarkKind::City);
        checkLine(text, plot::LandmarkKind::Platform);
    }

    const auto folder = dir.path() / plot::kDatabaseFolder;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const auto cityFile = folder / plot::kCityFileName;
    const auto platformFile = folder / plot::kPlatformFileName;
    std::filesystem::remove(platformFile, ec);
    const bool both = size > 0 && (data[0] & 1);
    fuzzing::WriteFile(cityFile, both ? text.substr(0, size / 2) : text);
    if (both) fuzzing::WriteFile(platformFile, text.substr(size / 2));

    const plot::LandmarkDatabases db = plot::LoadDatabases(dir.path(), datum);
    checkFile(db.Cities, db.cityFile, nonBlankLines(cityFile));
    for (const auto& city : db.Cities) FUZZ_CHECK(city.type == "A");
    if (both) {
        checkFile(db.Platforms, db.platformFile, nonBlankLines(platformFile));
    } else {
        FUZZ_CHECK(!db.platformFile.found && db.Platforms.empty());
    }
    return 0;
}
