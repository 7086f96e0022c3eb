#include "plot/plot_map.h"

namespace plot {

MapPicture PlotMap::build(const PlotView& view, const geodesy::DatumTable& datum, const TextMeasure& measure) {
    MapPicture out;
    resolution_ = options.coastlines ? coast_.appendLand(out, view, datum) : std::nullopt;
    charts_.appendTo(out, view, datum, options.safetyDepth);
    if (options.landmarks && landmarks_) AppendLandmarks(out, *landmarks_, view, datum, measure);
    return out;
}

std::vector<LabelBox> LabelBoxes(const MapPicture& picture) {
    std::vector<LabelBox> out;
    out.reserve(picture.labels.size());
    for (const MapLabel& l : picture.labels) out.push_back({l.left, l.top, l.left + l.width, l.top + l.height});
    return out;
}

}  // namespace plot
