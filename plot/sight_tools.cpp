#include "plot/sight_tools.h"

#include <cmath>

#include "base/number_format.h"
#include "geodesy/position_text.h"

namespace plot {

namespace {
using geodesy::kDegToRad;
using geodesy::kMetresPerNauticalMile;
using geodesy::kRadToDeg;
}  // namespace

ErblReadout UpdateErbl(PlotState& plot, const CursorReadout& cursor, const targets::Reference& state, bool offsetOrigin,
                       base::MessageSink& sink) {
    ErblState& e = plot.erbl;
    if (!offsetOrigin) {
        e.originLat = state.lat() * kDegToRad;
        e.originLon = state.lon() * kDegToRad;
        ToGrid(plot, e.originLat, e.originLon, e.originE, e.originN, sink);
    }
    double distance = 0, bearing = 0;
    geodesy::GeodeticInverse(e.originLat, e.originLon, cursor.latitude, cursor.longitude, geodesy::kInverseBoth,
                             distance, bearing, geodesy::kWgs84B, geodesy::kWgs84F);
    e.range = distance;
    ErblReadout r;
    r.range = base::formatNumber(distance / kMetresPerNauticalMile, "0.0 ") + "nmile";
    r.bearing = BearingText(bearing * kRadToDeg);
    r.lat = cursor.lat;
    r.lon = cursor.lon;
    return r;
}

void SetErblOrigin(PlotState& plot, double x, double y, base::MessageSink& sink) {
    ErblState& e = plot.erbl;
    e.originE = x + plot.centreE;
    e.originN = y + plot.centreN;
    ToGeographic(plot, e.originE, e.originN, e.originLat, e.originLon, sink);
}

std::optional<std::string> HeightCaption(std::string_view answer) {
    if (answer.empty()) return std::nullopt;
    const double value = base::ReadNumberText(answer);
    if (value < 0) return std::nullopt;
    return base::formatNumber(value, "0.0");
}

double LosRangeMetres(double heightOfEye, double heightOfObject) {
    return 1000 * 4.1 * (std::sqrt(heightOfEye) + std::sqrt(heightOfObject));
}

LosTexts LosFromCaptions(const std::string& eye, const std::string& object, double& heightOfEye,
                         double& heightOfObject) {
    heightOfEye = std::max(0.0, base::ReadNumberText(eye));
    heightOfObject = std::max(0.0, base::ReadNumberText(object));
    const double roots = std::sqrt(heightOfEye) + std::sqrt(heightOfObject);
    return {base::formatNumber(4.1 * roots, "0.0") + " km", base::formatNumber(2.2 * roots, "0.0") + " nmile"};
}

LosTexts LosFromRange(double rangeMetres) {
    return {base::formatNumber(rangeMetres / 1000, "0.0") + " km",
            base::formatNumber(rangeMetres / kMetresPerNauticalMile, "0.0") + " nmile"};
}

std::string StoredHeightText(float height) { return base::plainNumber(height); }

}  // namespace plot
