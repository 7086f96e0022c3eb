// orvanta-render: the plot as a PNG without a window, for scripts and tests.
// `orvanta-cli render` runs it (and feeds it simulated traffic); it is a
// program of its own so that the other sub-commands start without Qt.
//
//   orvanta-render --centre 51.98 3.95 --scale 250000 --size 800x600 out.png
//                  [--chart FILE]... [--nmea FILE] [--capacity N] [--data-dir DIR] [--safety-depth M]
//
// The picture is what the plot window shows at that centre and scale: land,
// charts, landmarks (from DIR/Database), range rings around the centre, and
// the targets of the NMEA file, drawn by the same painting code. Exit status
// 0 when the file was written, 1 when a chart or the output failed, 2 on a
// usage error. Charts are simplified to the pixel size of the scale and
// clipped to the picture (chart_prepare.h); one too detailed to draw even
// then is refused like one that cannot be read.
//
// Run by `orvanta-cli render`, the first argument is --called-by-cli: the
// messages then name that command and a usage error prints no usage here,
// since orvanta-cli prints its own (its options differ from these).
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "station/receiver.h"
#include "base/number_format.h"
#include "base/clock.h"
#include "geodesy/grid.h"
#include "plot/chart_prepare.h"
#include "plot/gdal/ogr_chart.h"
#include "windows/plot/plot_paint_window.h"

namespace {

const char* gName = "orvanta-render";
bool gCalledByCli = false;

struct Options {
    double lat = 0, lon = 0;
    bool haveCentre = false;
    int32_t scale = 250000;
    int width = 800, height = 600;
    std::string out;
    std::vector<std::string> charts;
    std::string nmea;
    int capacity = targets::kMaxTargets;
    std::string dataDir;
    double safetyDepth = 10;
};

void usage(FILE* f) {
    if (gCalledByCli) return;
    std::fprintf(f,
                 "usage: orvanta-render --centre LAT LON [--scale N] [--size WxH] OUT.png\n"
                 "                      [--chart FILE]... [--nmea FILE] [--capacity N] [--data-dir DIR]\n"
                 "                      [--safety-depth M]\n"
                 "\n"
                 "Draws the plot (coastlines, charts, landmarks, range rings, targets) into a PNG.\n"
                 "Defaults: scale 250000, size 800x600, room for 1000 stations, safety depth 10 m.\n");
}

// "." as the decimal mark whatever the locale the window system set.
bool number(const char* text, double& out) {
    const auto parsed = base::ParseDecimal(text);
    if (parsed) out = *parsed;
    return parsed.has_value();
}

// 0 when the arguments are usable, else the exit status.
int parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](int k) { return i + k < argc ? argv[i + k] : nullptr; };
        double v = 0, w = 0;
        if (a == "--help" || a == "-h") {
            usage(stdout);
            return -1;
        } else if (a == "--centre" && value(2) && number(value(1), v) && number(value(2), w)) {
            o.lat = v, o.lon = w, o.haveCentre = true, i += 2;
        } else if (a == "--scale" && value(1) && number(value(1), v) && v >= 1 && v <= 1e9) {
            o.scale = static_cast<int32_t>(v), ++i;
        } else if (a == "--size" && value(1) && std::sscanf(value(1), "%dx%d", &o.width, &o.height) == 2) {
            ++i;
        } else if (a == "--chart" && value(1)) {
            o.charts.emplace_back(value(1)), ++i;
        } else if (a == "--nmea" && value(1)) {
            o.nmea = value(1), ++i;
        } else if (a == "--capacity" && value(1) && number(value(1), v) && v >= 1 && v <= targets::kMaxCapacity) {
            o.capacity = static_cast<int>(v), ++i;
        } else if (a == "--data-dir" && value(1)) {
            o.dataDir = value(1), ++i;
        } else if (a == "--safety-depth" && value(1) && number(value(1), v) && v >= 0) {
            o.safetyDepth = v, ++i;
        } else if (!a.empty() && a[0] != '-' && o.out.empty()) {
            o.out = a;
        } else {
            std::fprintf(stderr, "%s: cannot use '%s'\n\n", gName, a.c_str());
            usage(stderr);
            return 2;
        }
    }
    const bool sane = o.width >= 16 && o.height >= 16 && o.width <= 16384 && o.height <= 16384;
    if (!o.haveCentre || o.out.empty() || !sane || std::fabs(o.lat) >= 90 || std::fabs(o.lon) > 180) {
        std::fprintf(stderr, "%s: a centre inside the globe, a size of 16 to 16384 pixels and an "
                             "output file are needed\n\n", gName);
        usage(stderr);
        return 2;
    }
    return 0;
}

class QuietEvents final : public app::ReceiverEvents {
public:
    void operatorMessage(base::MessageIcon, const std::string&, const std::string&) override {}
};

}  // namespace

// Exit status 1 with a message when what went to standard output (the
// usage, the summary line) could not be written.
static int outputStatus() {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
    std::fprintf(stderr, "%s: cannot write the output: %s\n", gName, std::strerror(errno));
    return 1;
}

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--called-by-cli") == 0) {
        gCalledByCli = true;
        gName = "orvanta-cli render";
        argv[1] = argv[0];
        --argc, ++argv;
    }
    Options o;
    if (const int rc = parse(argc, argv, o); rc != 0) return rc < 0 ? outputStatus() : rc;
    base::SystemClock clock;
    QuietEvents events;
    app::Receiver rx(clock, events);
    targets::LifecycleSettings life = rx.targets().lifecycle();
    life.capacity = o.capacity;
    rx.targets().setLifecycle(life);
    targets::Reference& state = rx.reference();
    state.setMode(targets::kRefManual);
    state.moveTo(o.lat, o.lon);
    if (!o.nmea.empty()) {
        std::ifstream in(o.nmea, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "%s: cannot read %s\n", gName, o.nmea.c_str());
            return 1;
        }
        std::string line;
        while (std::getline(in, line)) rx.takeBytes(app::Receiver::kMainInput, line + "\n");
    }

    plot::PlotState plot;
    geodesy::SetZone(plot.datum, geodesy::ZoneFromLongitude(o.lon));
    base::NullMessageSink quiet;
    plot::SetupPlot(plot, o.lat, o.lon, o.width, o.height, quiet);
    plot.scale = o.scale;
    plot::SetupPlot(plot, o.lat, o.lon, o.width, o.height, quiet);

    plot::PlotMap map;
    map.options.safetyDepth = o.safetyDepth;
    plot::LandmarkDatabases landmarks;
    if (!o.dataDir.empty()) {
        landmarks = plot::LoadDatabases(o.dataDir, plot.datum);
        map.setLandmarks(&landmarks);
    }
    for (const std::string& path : o.charts) {
        plot::ChartOpenResult r = plot::OpenVectorChart(path);
        plot::PrepareResult prepared;
        if (r.chart) {
            prepared = plot::PrepareChart(std::make_shared<const plot::VectorChart>(std::move(*r.chart)), plot.datum, {});
        }
        if (!prepared.chart) {
            std::fprintf(stderr, "%s: %s\n", gName, (r.chart ? prepared.error : r.error).c_str());
            return 1;
        }
        map.charts().add(prepared.chart);
    }

    // Qt starts only once everything read is known to be usable.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication qapp(argc, argv);
    QImage image(o.width, o.height, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setFont(plot::PlotFont(QGuiApplication::font()));
    const plot::TextMeasure measure = plot::MeasureWith(painter.font());
    const plot::PlotView view = plot.view(o.width, o.height, 96.0 / 2.54);
    const std::vector<plot::LabelBox> taken = plot::PaintStaticLayer(painter, map, plot, view, measure);
    std::vector<plot::Shape> dots;
    plot::StoreTracks(plot, rx.targets(), dots, quiet);
    plot::PaintShapes(painter, dots, view);
    plot::PaintShapes(painter, plot::MovingLayer(plot, rx.targets(), state, {}, view, measure, taken), view);
    painter.end();
    if (!image.save(QString::fromStdString(o.out), "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", gName, o.out.c_str());
        return 1;
    }
    const auto resolution = map.resolution();
    std::printf("%s %dx%d scale 1:%d coastline %s charts %zu targets %d\n", o.out.c_str(), o.width, o.height,
                o.scale, resolution ? plot::ResolutionName(*resolution) : "none", map.charts().entries().size(),
                rx.targets().TargetCount());
    return outputStatus();
}
