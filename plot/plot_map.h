// The map under the plot's targets: built-in coastlines, the user's charts
// on top of them, then the landmarks with their labels. The plot window and
// the headless renderer both build their static layer from one PlotMap.
//
//   plot::PlotMap map;
//   map.setLandmarks(&landmarks);
//   plot::MapPicture picture = map.build(view, plot.datum, measure);   // at every set-up
//   std::vector<plot::LabelBox> taken = plot::LabelBoxes(picture);     // kept clear by target labels
#pragma once

#include <optional>
#include <vector>

#include "plot/chart_set.h"
#include "plot/coastline.h"
#include "plot/label_placement.h"
#include "plot/landmarks.h"
#include "plot/map_layer.h"

namespace plot {

struct MapOptions {
    bool coastlines = true;
    bool landmarks = true;
    double safetyDepth = 10;  // metres: depth areas shallower than this are shaded as unsafe
};

class PlotMap {
public:
    explicit PlotMap(std::vector<std::filesystem::path> gshhgFolders = DefaultGshhgFolders())
        : coast_(std::move(gshhgFolders)) {}

    MapOptions options;
    Coastlines& coastlines() { return coast_; }
    ChartSet& charts() { return charts_; }
    const ChartSet& charts() const { return charts_; }
    // The landmark lists outlive the map; null draws none.
    void setLandmarks(const LandmarkDatabases* landmarks) { landmarks_ = landmarks; }

    MapPicture build(const PlotView& view, const geodesy::DatumTable& datum, const TextMeasure& measure);
    // The coastline resolution of the last build; nullopt when none was drawn.
    std::optional<ShoreResolution> resolution() const { return resolution_; }

private:
    Coastlines coast_;
    ChartSet charts_;
    const LandmarkDatabases* landmarks_ = nullptr;
    std::optional<ShoreResolution> resolution_;
};

// The boxes of a picture's labels.
std::vector<LabelBox> LabelBoxes(const MapPicture& picture);

}  // namespace plot
