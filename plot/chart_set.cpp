#include "plot/chart_set.h"

#include "plot/chart_prepare.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string_view>

namespace plot {

namespace {

bool OneOf(const std::string& s, std::initializer_list<std::string_view> list) {
    return std::find(list.begin(), list.end(), s) != list.end();
}

bool Starts(const std::string& s, std::string_view prefix) { return s.rfind(prefix, 0) == 0; }

MapColour DepthShade(const ChartFeature& f, double safetyDepth) {
    const double low = f.depthLow;
    if (std::isnan(low)) return MapColour::Medium;  // unknown depth: neither safe nor dry
    if (low < 0 || (!std::isnan(f.depthHigh) && f.depthHigh <= 0)) return MapColour::Drying;
    if (low < safetyDepth) return MapColour::Shallow;
    if (low < 2 * safetyDepth) return MapColour::Medium;
    return MapColour::Deep;
}

FeatureStyle S57Style(const ChartFeature& f, double safetyDepth, double safetyContour) {
    FeatureStyle s;
    const std::string& c = f.objectClass;
    const bool area = f.kind == FeatureKind::Area;
    if (area && OneOf(c, {"DEPARE", "DRGARE"})) {
        s.drawn = true;
        s.path.fill = DepthShade(f, safetyDepth);
    } else if (area && c == "LNDARE") {
        s.drawn = true;
        s.path.fill = MapColour::Land;
    } else if (c == "DEPCNT" && f.kind == FeatureKind::Line) {
        s.drawn = true;
        s.pass = 1;
        const bool safety = !std::isnan(safetyContour) && f.depthLow == safetyContour;
        s.path.line = safety ? MapColour::SafetyContour : MapColour::Contour;
        s.path.width = safety ? 2.0f : 1.0f;
    } else if (f.kind == FeatureKind::Line && OneOf(c, {"COALNE", "SLCONS", "LNDARE"})) {
        s.drawn = true;
        s.pass = 1;
        s.path.line = MapColour::Shore;
        s.path.width = 1.5f;
    } else if (area && OneOf(c, {"RESARE", "CTNARE", "MIPARE", "PRCARE", "ACHARE"})) {
        s.drawn = true;
        s.pass = 2;
        s.path.line = MapColour::Restricted;
        s.path.style = LineStyle::Dash;
        s.path.width = 1.5f;
    } else if (f.kind == FeatureKind::Point && (Starts(c, "BOY") || Starts(c, "BCN"))) {
        s.drawn = true;
        s.pass = 3;
        const bool buoy = Starts(c, "BOY");
        s.symbol = buoy ? SymbolKind::Circle : SymbolKind::Beacon;
        s.symbolColour = buoy ? MapColour::Buoy : MapColour::Beacon;
    }
    return s;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool Contains(const std::string& s, std::string_view part) { return s.find(part) != std::string::npos; }

// Layers of land, by the names land layers go by (S-57 LNDARE, "land",
// "land_polygons", "landarea"); a layer of landmarks is not one.
bool LandLayer(const std::string& name) {
    const std::string n = Lower(name);
    return n == "lndare" || (Starts(n, "land") && !Starts(n, "landmark"));
}

bool RestrictedLayer(const std::string& name) {
    const std::string n = Lower(name);
    for (std::string_view part : {"resare", "ctnare", "mipare", "prcare", "restrict", "prohibit", "caution", "danger",
                                  "military", "exclusion"}) {
        if (Contains(n, part)) return true;
    }
    return false;
}

// Hex digits to a number; false when one is not a digit.
bool Hex(std::string_view digits, uint32_t& out) {
    out = 0;
    for (char c : digits) {
        const int v = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                      : (c >= 'a' && c <= 'f')                    ? c - 'a' + 10
                      : (c >= 'A' && c <= 'F')                    ? c - 'A' + 10
                                                                  : -1;
        if (v < 0) return false;
        out = out * 16 + static_cast<uint32_t>(v);
    }
    return true;
}

// "#RRGGBB" or "#RRGGBBAA" to 0xAARRGGBB; 0 when it is neither.
uint32_t StyleColour(std::string_view text) {
    if (text.empty() || text[0] != '#' || (text.size() != 7 && text.size() != 9)) return 0;
    uint32_t rgb = 0, alpha = 255;
    if (!Hex(text.substr(1, 6), rgb)) return 0;
    if (text.size() == 9 && !Hex(text.substr(7, 2), alpha)) return 0;
    if (alpha == 0) return 0;
    return (alpha << 24) | rgb;
}

// The value of `key` among the parameters of a style tool ("c:#FF0000,w:2px").
std::string_view StyleParam(std::string_view params, std::string_view key) {
    size_t at = 0;
    while (at < params.size()) {
        size_t end = params.find(',', at);
        if (end == std::string_view::npos) end = params.size();
        const std::string_view item = params.substr(at, end - at);
        if (item.size() > key.size() && item.substr(0, key.size()) == key && item[key.size()] == ':') {
            std::string_view value = item.substr(key.size() + 1);
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
            return value;
        }
        at = end + 1;
    }
    return {};
}

}  // namespace

void ReadOgrStyle(const std::string& style, ChartFeature& f) {
    size_t at = 0;
    while (at < style.size()) {
        const size_t open = style.find('(', at);
        if (open == std::string::npos) break;
        const size_t close = style.find(')', open);
        if (close == std::string::npos) break;
        std::string tool = style.substr(at, open - at);
        while (!tool.empty() && (tool.front() == ';' || tool.front() == ' ')) tool.erase(tool.begin());
        const std::string_view params(style.data() + open + 1, close - open - 1);
        if (tool == "BRUSH") {
            if (const uint32_t c = StyleColour(StyleParam(params, "fc"))) f.styleFill = c;
        } else if (tool == "PEN") {
            if (const uint32_t c = StyleColour(StyleParam(params, "c"))) f.styleLine = c;
            const std::string width(StyleParam(params, "w"));
            const float w = std::strtof(width.c_str(), nullptr);
            if (w > 0 && w <= 20) f.styleWidth = w;
        }
        at = close + 1;
    }
}

namespace {

PathStyle OtherArea(const ChartFeature& f, const std::string& layerName, uint8_t shade) {
    if (LandLayer(layerName)) return {MapColour::Land, MapColour::Shore, 1.0f, LineStyle::Solid, 0};
    PathStyle p{MapColour::ChartArea, MapColour::ChartLine, 1.0f, LineStyle::Solid, shade};
    if (RestrictedLayer(layerName)) p.fill = p.line = MapColour::Restricted;
    p.fillAlpha = 50;
    p.fillArgb = f.styleFill;
    p.lineArgb = f.styleLine;
    if (f.styleWidth > 0) p.width = f.styleWidth;
    return p;
}

}  // namespace

FeatureStyle StyleOf(const ChartFeature& f, bool s57, double safetyDepth, double safetyContour) {
    if (s57) return S57Style(f, safetyDepth, safetyContour);
    FeatureStyle s;
    s.drawn = true;
    const auto shade = static_cast<uint8_t>(f.layer % 6);
    switch (f.kind) {
        case FeatureKind::Area:
            s.path = OtherArea(f, f.objectClass, shade);
            break;
        case FeatureKind::Line:
            s.path = {MapColour::None, MapColour::ChartLine, 1.5f, LineStyle::Solid, shade};
            if (RestrictedLayer(f.objectClass)) s.path.line = MapColour::Restricted;
            s.path.lineArgb = f.styleLine;
            if (f.styleWidth > 0) s.path.width = f.styleWidth;
            break;
        case FeatureKind::Point:
            s.symbol = SymbolKind::Circle;
            s.symbolColour = MapColour::ChartPoint;
            break;
    }
    return s;
}

double SafetyContour(const VectorChart& chart, double safetyDepth) {
    double best = std::numeric_limits<double>::quiet_NaN();
    for (const ChartFeature& f : chart.features) {
        if (f.objectClass != "DEPCNT" || std::isnan(f.depthLow) || f.depthLow < safetyDepth) continue;
        if (std::isnan(best) || f.depthLow < best) best = f.depthLow;
    }
    return best;
}

void ChartSet::add(VectorChart chart, bool visible) {
    entries_.push_back({std::make_shared<const VectorChart>(std::move(chart)), visible, nullptr});
}

void ChartSet::add(std::shared_ptr<const PreparedChart> prepared, bool visible) {
    entries_.push_back({prepared->source, visible, prepared});
}

void ChartSet::setPrepared(std::shared_ptr<const PreparedChart> prepared) {
    for (Entry& e : entries_) {
        if (e.chart == prepared->source) e.prepared = prepared;
    }
}

void ChartSet::remove(size_t index) {
    if (index >= entries_.size()) return;
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
}

void ChartSet::setVisible(size_t index, bool visible) {
    if (index < entries_.size()) entries_[index].visible = visible;
}

bool ChartSet::contains(const std::string& path) const {
    return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.chart->path == path; });
}

std::vector<size_t> ChartSet::stale(int zone) const {
    std::vector<size_t> out;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (!entries_[i].prepared || entries_[i].prepared->zone != zone) out.push_back(i);
    }
    return out;
}

void ChartSet::appendTo(MapPicture& out, const PlotView& view, const geodesy::DatumTable& datum, double safetyDepth) {
    const int zone = datum.datumSlots[1].zone;
    for (Entry& entry : entries_) {
        if (!entry.visible) continue;
        if ((!entry.prepared || entry.prepared->zone != zone) && prepareWhenDrawn) {
            // One refused here stays undrawn (empty) rather than tried at every set-up.
            entry.prepared = PrepareChart(entry.chart, datum, {}).chart;
            if (!entry.prepared) {
                auto empty = std::make_shared<PreparedChart>();
                empty->zone = zone;
                entry.prepared = std::move(empty);
            }
        }
        if (!entry.prepared || entry.prepared->zone != zone) continue;
        const VectorChart& chart = *entry.chart;
        const auto& grid = entry.prepared->drawn(view.metresPerPixel());
        if (grid.size() != chart.features.size()) continue;
        const double contour = chart.s57 ? SafetyContour(chart, safetyDepth) : 0;
        std::vector<FeatureStyle> styles;
        styles.reserve(chart.features.size());
        for (const ChartFeature& f : chart.features) styles.push_back(StyleOf(f, chart.s57, safetyDepth, contour));
        // A cell draws pass by pass; other sources layer by layer in their own order.
        std::vector<size_t> order;
        for (size_t k = 0; k < chart.features.size(); ++k) {
            if (styles[k].drawn) order.push_back(k);
        }
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            if (chart.s57) return styles[a].pass < styles[b].pass;
            return chart.features[a].layer < chart.features[b].layer;
        });
        for (size_t k : order) {
            const ChartFeature& f = chart.features[k];
            const FeatureStyle& s = styles[k];
            const std::vector<GridPath>& parts = grid[k];
            if (f.kind == FeatureKind::Area) {
                if (s.path.fill != MapColour::None) {
                    AppendArea(out, view, parts, s.path);
                } else {
                    for (const GridPath& ring : parts) {
                        GridPath closed = ring;
                        if (!closed.points.empty()) closed.points.push_back(closed.points.front());
                        AppendPath(out, view, closed, s.path);
                    }
                }
            } else if (f.kind == FeatureKind::Line) {
                for (const GridPath& line : parts) AppendPath(out, view, line, s.path);
            } else {
                for (const GridPath& point : parts) {
                    if (point.points.empty()) continue;
                    const PlotView::Point p = GridToPixel(view, point.points[0]);
                    if (!NearPicture(view, p)) continue;
                    out.symbols.push_back({s.symbol, s.symbolColour, p, {}, f.colour});
                }
            }
        }
    }
}

}  // namespace plot
