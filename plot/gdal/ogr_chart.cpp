#include "plot/gdal/ogr_chart.h"

#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>

namespace plot {

namespace {

struct Attributes {
    int drval1 = -1, drval2 = -1, valdco = -1, colour = -1;
};

double Number(OGRFeature& f, int field) {
    if (field < 0 || !f.IsFieldSetAndNotNull(field)) return std::numeric_limits<double>::quiet_NaN();
    return f.GetFieldAsDouble(field);
}

// The first colour code of COLOUR, whether OGR gives it as a list or as text.
int FirstColour(OGRFeature& f, int field) {
    if (field < 0 || !f.IsFieldSetAndNotNull(field)) return 0;
    const OGRFieldType type = f.GetFieldDefnRef(field)->GetType();
    if (type == OFTStringList) {
        char** list = f.GetFieldAsStringList(field);
        return list && list[0] ? std::atoi(list[0]) : 0;
    }
    if (type == OFTIntegerList) {
        int count = 0;
        const int* list = f.GetFieldAsIntegerList(field, &count);
        return count > 0 ? list[0] : 0;
    }
    return std::atoi(f.GetFieldAsString(field));
}

std::vector<GeoPoint> Points(const OGRSimpleCurve& curve) {
    std::vector<GeoPoint> out;
    out.reserve(static_cast<size_t>(curve.getNumPoints()));
    for (int i = 0; i < curve.getNumPoints(); ++i) {
        const double lon = curve.getX(i), lat = curve.getY(i);
        if (std::isfinite(lon) && std::isfinite(lat)) out.push_back({lon, lat});
    }
    return out;
}

// Splits a geometry into the plot's features: one per polygon, line or point.
void Collect(const OGRGeometry& g, const ChartFeature& proto, std::vector<ChartFeature>& out) {
    switch (wkbFlatten(g.getGeometryType())) {
        case wkbPoint: {
            const auto& p = *g.toPoint();
            if (!std::isfinite(p.getX()) || !std::isfinite(p.getY())) return;
            ChartFeature f = proto;
            f.kind = FeatureKind::Point;
            f.parts.push_back({{p.getX(), p.getY()}});
            out.push_back(std::move(f));
            return;
        }
        case wkbLineString:
        case wkbLinearRing: {
            ChartFeature f = proto;
            f.kind = FeatureKind::Line;
            f.parts.push_back(Points(*g.toSimpleCurve()));
            if (f.parts.front().size() >= 2) out.push_back(std::move(f));
            return;
        }
        case wkbPolygon: {
            const OGRPolygon& poly = *g.toPolygon();
            ChartFeature f = proto;
            f.kind = FeatureKind::Area;
            for (const OGRLinearRing* ring : poly) {
                std::vector<GeoPoint> points = Points(*ring);
                if (points.size() >= 3) f.parts.push_back(std::move(points));
            }
            if (!f.parts.empty()) out.push_back(std::move(f));
            return;
        }
        case wkbMultiPoint:
        case wkbMultiLineString:
        case wkbMultiPolygon:
        case wkbGeometryCollection:
        case wkbMultiCurve:
        case wkbMultiSurface:
            for (const OGRGeometry* part : *g.toGeometryCollection()) {
                if (part) Collect(*part, proto, out);
            }
            return;
        default:
            // Arcs and other curves: as the straight pieces OGR approximates them with.
            if (std::unique_ptr<OGRGeometry> linear{g.getLinearGeometry()}; linear && linear->getGeometryType() != g.getGeometryType()) {
                Collect(*linear, proto, out);
            }
            return;
    }
}

namespace fs = std::filesystem;

// Regular file or folder; anything else ("a FIFO") names what it is.
std::string KindProblem(const fs::file_status& st) {
    switch (st.type()) {
        case fs::file_type::regular:
        case fs::file_type::directory: return {};
        case fs::file_type::fifo: return "a FIFO";
        case fs::file_type::character: return "a character device";
        case fs::file_type::block: return "a block device";
        case fs::file_type::socket: return "a socket";
        default: return "not a regular file";
    }
}

// The files a driver reads beside the one named: shapefile parts and the
// update files of an S-57 cell.
std::string SideFileProblem(const fs::path& path) {
    std::error_code ec;
    auto check = [&](const fs::path& side) -> std::string {
        const fs::file_status st = fs::status(side, ec);
        if (ec || !fs::exists(st)) return {};
        const std::string kind = KindProblem(st);
        return kind.empty() || st.type() == fs::file_type::directory ? "" : side.filename().string() + " beside it is " + kind;
    };
    for (const char* ext : {".shx", ".dbf", ".prj", ".cpg", ".qix", ".sbn", ".sbx", ".SHX", ".DBF", ".PRJ", ".CPG"}) {
        if (std::string p = check(fs::path(path).replace_extension(ext)); !p.empty()) return p;
    }
    for (int update = 1; update <= 999; ++update) {
        char ext[8];
        std::snprintf(ext, sizeof ext, ".%03d", update);
        const fs::path side = fs::path(path).replace_extension(ext);
        if (side == path) continue;
        if (!fs::exists(side, ec)) break;
        if (std::string p = check(side); !p.empty()) return p;
    }
    return {};
}

std::string LastGdalError(const char* fallback) {
    const char* msg = CPLGetLastErrorMsg();
    return msg && *msg ? msg : fallback;
}

}  // namespace

std::string ChartPathProblem(const fs::path& path) {
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);  // through symbolic links
    if (!fs::exists(st)) {
        if (fs::is_symlink(fs::symlink_status(path, ec))) return "it is a symbolic link to nothing";
        return "it does not exist";
    }
    if (std::string kind = KindProblem(st); !kind.empty()) return "it is " + kind + ", not a regular file";
    if (st.type() == fs::file_type::directory) {
        // A folder is read file by file: none of them may block.
        for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code entryError;
            const fs::file_status entry = fs::status(it->path(), entryError);
            if (!fs::exists(entry)) continue;  // a dangling link names nothing to read
            const std::string kind = KindProblem(entry);
            if (!kind.empty()) return it->path().filename().string() + " in it is " + kind;
        }
        return ec ? "its folder cannot be read: " + ec.message() : "";
    }
    return SideFileProblem(path);
}

ChartOpenResult OpenVectorChart(const std::filesystem::path& path, const std::atomic<bool>* cancel) {
    static std::once_flag registered;
    std::call_once(registered, [] { GDALAllRegister(); });
    const std::string prefix = "Cannot open chart " + path.string() + ": ";
    ChartOpenResult result;
    if (std::string problem = ChartPathProblem(path); !problem.empty()) {
        result.error = prefix + problem;
        return result;
    }

    CPLErrorReset();
    CPLPushErrorHandler(CPLQuietErrorHandler);
    GDALDatasetUniquePtr ds(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
    if (!ds) {
        result.error = prefix + LastGdalError("not a vector data source that can be read");
        CPLPopErrorHandler();
        return result;
    }
    VectorChart chart;
    chart.path = path.string();
    chart.s57 = ds->GetDriver() && std::string(ds->GetDriver()->GetDescription()) == "S57";
    OGRSpatialReference wgs84;
    wgs84.SetWellKnownGeogCS("WGS84");
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    for (OGRLayer* layer : ds->GetLayers()) {
        const int layerIndex = static_cast<int>(chart.layers.size());
        chart.layers.emplace_back(layer->GetName());
        std::unique_ptr<OGRCoordinateTransformation> transform;
        if (const OGRSpatialReference* srs = layer->GetSpatialRef(); srs && !srs->IsSame(&wgs84)) {
            OGRSpatialReference source(*srs);
            source.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
            transform.reset(OGRCreateCoordinateTransformation(&source, &wgs84));
            if (!transform) {
                result.error = prefix + "layer " + layer->GetName() + " has a coordinate system without a way to WGS84";
                CPLPopErrorHandler();
                return result;
            }
        }
        OGRFeatureDefn* defn = layer->GetLayerDefn();
        Attributes a{defn->GetFieldIndex("DRVAL1"), defn->GetFieldIndex("DRVAL2"), defn->GetFieldIndex("VALDCO"),
                     defn->GetFieldIndex("COLOUR")};
        ChartFeature proto;
        proto.layer = layerIndex;
        proto.objectClass = layer->GetName();
        layer->ResetReading();
        for (auto& feature : *layer) {
            if (cancel && cancel->load(std::memory_order_relaxed)) {
                CPLPopErrorHandler();
                return {};
            }
            OGRGeometry* g = feature->GetGeometryRef();
            if (!g || g->IsEmpty()) continue;
            if (transform && g->transform(transform.get()) != OGRERR_NONE) continue;
            ChartFeature f = proto;
            f.depthLow = a.valdco >= 0 ? Number(*feature, a.valdco) : Number(*feature, a.drval1);
            f.depthHigh = Number(*feature, a.drval2);
            f.colour = FirstColour(*feature, a.colour);
            if (!chart.s57) {
                if (const char* style = feature->GetStyleString()) ReadOgrStyle(style, f);
            }
            Collect(*g, f, chart.features);
        }
    }
    CPLPopErrorHandler();
    if (chart.features.empty()) {
        result.error = prefix + "it holds no points, lines or areas";
        return result;
    }
    result.chart = std::move(chart);
    return result;
}

}  // namespace plot
