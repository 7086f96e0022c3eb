#include "plot/landmarks.h"

#include <charconv>
#include <cmath>

#include "base/operator_messages.h"
#include "base/text_file.h"
#include "geodesy/grid.h"

namespace plot {
namespace {

// A whole field as a finite number with a point as decimal mark; blanks
// around it and a leading '+' are allowed, anything else is not a number.
std::optional<double> readNumber(std::string_view field) {
    while (!field.empty() && (field.front() == ' ' || field.front() == '\t')) field.remove_prefix(1);
    while (!field.empty() && (field.back() == ' ' || field.back() == '\t')) field.remove_suffix(1);
    if (!field.empty() && field.front() == '+') {
        field.remove_prefix(1);
        if (!field.empty() && field.front() == '-') return std::nullopt;
    }
    double v = 0;
    const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), v);
    if (ec != std::errc() || end != field.data() + field.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

// Degrees plus minutes taken with the sign of the degrees; sign(0) is 0.
double combine(double degrees, double minutes) {
    const double sign = degrees > 0 ? 1.0 : degrees < 0 ? -1.0 : 0.0;
    return degrees + sign * minutes / 60.0;
}

// The first character of valid UTF-8 text (one to four bytes), or " ".
std::string firstCharacter(std::string_view text) {
    if (text.empty()) return " ";
    const auto lead = static_cast<unsigned char>(text.front());
    std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    return std::string(text.substr(0, std::min(length, text.size())));
}

void readFile(const std::filesystem::path& path, LandmarkKind kind, const geodesy::DatumTable& datum,
              std::vector<Landmark>& list, LandmarkFileResult& result) {
    list.clear();
    const base::TextFileLines file = base::ReadTextLines(path);
    result.found = file.exists;
    result.readFailed = file.exists && !file.ok;
    if (!file.ok) return;
    base::NullMessageSink quiet;  // the forward conversion has nothing to report
    for (const std::string& line : file.lines) {
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        std::optional<Landmark> landmark = ParseLandmarkLine(line, kind);
        if (!landmark) {
            ++result.malformedLines;
            continue;
        }
        if (static_cast<int>(list.size()) >= kMaxLandmarks) {
            ++result.beyondCapacity;
            continue;
        }
        double lat = landmark->latitude * geodesy::kDegToRad;
        double lon = landmark->longitude * geodesy::kDegToRad;
        geodesy::GridConvert(datum, 1, lat, lon, landmark->easting, landmark->northing,
                             geodesy::GridDirection::GeogToGrid, quiet);
        list.push_back(std::move(*landmark));
    }
    result.records = static_cast<int>(list.size());
}

}  // namespace

std::optional<Landmark> ParseLandmarkLine(std::string_view line, LandmarkKind kind) {
    const std::string text = base::Latin1OrUtf8ToUtf8(line);
    const auto fields = base::SplitQuotedFields(text);
    const std::size_t needed = 5;
    if (!fields || fields->size() < needed) return std::nullopt;
    const auto& f = *fields;
    const auto latDeg = readNumber(f[1]), latMin = readNumber(f[2]);
    const auto lonDeg = readNumber(f[3]), lonMin = readNumber(f[4]);
    if (!latDeg || !latMin || !lonDeg || !lonMin) return std::nullopt;
    Landmark landmark;
    landmark.name = f[0];
    landmark.latitude = combine(*latDeg, *latMin);
    landmark.longitude = combine(*lonDeg, *lonMin);
    // A position off the globe has no place on the grid.
    if (!(std::fabs(landmark.latitude) <= 90.0) || !(std::fabs(landmark.longitude) <= 180.0)) return std::nullopt;
    if (landmark.latitude == 0) landmark.latitude = 0;  // no "-0" in what is shown later
    if (landmark.longitude == 0) landmark.longitude = 0;
    landmark.type = kind == LandmarkKind::City ? "A" : firstCharacter(f.size() > 5 ? std::string_view(f[5]) : "");
    return landmark;
}

void AppendLandmarks(MapPicture& out, const LandmarkDatabases& db, const PlotView& view,
                     const geodesy::DatumTable& datum, const TextMeasure& measure) {
    if (view.scale > kLandmarkScaleLimit) return;
    struct Shown {
        const Landmark* landmark;
        PlotView::Point at;
        bool town;
    };
    std::vector<Shown> shown;
    auto consider = [&](const Landmark& l, bool town) {
        const GridPoint g = ToGridPoint(datum, l.latitude, l.longitude);
        const PlotView::Point p = GridToPixel(view, g);
        if (!NearPicture(view, p)) return;
        for (const Shown& s : shown) {
            if (std::hypot(s.at.x - p.x, s.at.y - p.y) < kLandmarkSpacing) return;
        }
        shown.push_back({&l, p, town});
    };
    for (const Landmark& l : db.Cities) consider(l, true);
    if (view.scale <= kPlatformScaleLimit) {
        for (const Landmark& l : db.Platforms) consider(l, false);
    }
    std::vector<LabelRequest> requests;
    for (const Shown& s : shown) {
        const bool blank = s.landmark->type.empty() || s.landmark->type == " ";
        out.symbols.push_back({s.town ? SymbolKind::Square : blank ? SymbolKind::Diamond : SymbolKind::Glyph,
                               MapColour::Landmark, s.at, s.town ? std::string() : s.landmark->type});
        requests.push_back({s.at.x, s.at.y, measure.width(s.landmark->name), measure.height, s.town ? 2 : 1, false});
    }
    const std::vector<LabelPlacement> spots = PlaceLabels(requests);
    for (size_t i = 0; i < shown.size(); ++i) {
        if (spots[i].spot == LabelSpot::Dropped) continue;
        out.labels.push_back({shown[i].landmark->name, MapColour::Landmark, spots[i].left, spots[i].top,
                              requests[i].width, requests[i].height});
    }
}

LandmarkDatabases LoadDatabases(const std::filesystem::path& dataDir, const geodesy::DatumTable& datum) {
    LandmarkDatabases db;
    const std::filesystem::path folder = dataDir / kDatabaseFolder;
    db.chartPath = folder / kCoastlineFileName;
    readFile(folder / kCityFileName, LandmarkKind::City, datum, db.Cities, db.cityFile);
    // Without a city file the platforms are not read either.
    if (!db.cityFile.found || db.cityFile.readFailed) return db;
    readFile(folder / kPlatformFileName, LandmarkKind::Platform, datum, db.Platforms, db.platformFile);
    return db;
}

}  // namespace plot
