// The plot window opened from the main window: targets drawn, the view
// following the keys and the mouse, AutoScroll, the tools cascading and
// closing on Esc. The map as painted: charts built here with OGR's writers (an
// S-57 cell, a shapefile in a projected coordinate system, GeoJSON files),
// checked by the colour of pixels at known places.
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include "geodesy/grid.h"
#include "plot/chart_prepare.h"
#include "plot/gdal/ogr_chart.h"
#include "plot/plot_geometry.h"
#include "windows/plot/erbl_window.h"
#include "windows/plot/los_window.h"
#include "windows/plot/plot_paint_window.h"
#include "windows/plot/plot_window.h"
#include "window_fixture.h"

using namespace testing_support;
using plot::MapColour;

namespace {

// The main window with two targets and the plot open on it.
struct Plot {
    MainWindow m;
    explicit Plot(ui::SettingsStore* settings = nullptr) : m(settings) {
        m.feed(ClassAReport(244000001, 51.98, 3.95, 12.0f));
        m.feed(ClassAReport(244000002, 52.00, 4.00, 0.0f));
        Child<QAction>(m.w, "mnuViewGraphics")->trigger();
    }
    plot::FrmGraphics* window() const { return m.w.findChild<plot::FrmGraphics*>("frmGraphics"); }
    // Where a position is drawn in the picture (its zone is 31).
    QPoint pixelOf(double lat, double lon) const {
        plot::PlotState probe;
        geodesy::SetZone(probe.datum, 31);
        base::NullMessageSink quiet;
        double e = 0, n = 0;
        plot::ToGrid(probe, lat * geodesy::kDegToRad, lon * geodesy::kDegToRad, e, n, quiet);
        const plot::PlotView v = window()->view();
        const plot::PlotView::Point p = v.toPixel(e - v.centreE, n - v.centreN);
        return QPoint(int(std::lround(p.x)), int(std::lround(p.y)));
    }
};

// A GeoJSON area of `points` points, a wavy ring of 3 km around 51.99°N 3.975°E.
void WriteWavyRing(const QString& path, int points) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QByteArray text = R"({"type": "FeatureCollection", "features": [{"type": "Feature", "properties": {},
      "geometry": {"type": "Polygon", "coordinates": [[)";
    for (int i = 0; i <= points; ++i) {
        const double t = 2 * M_PI * (i % points) / points;
        const double r = 3000 + 40 * std::sin(61 * t) + 5 * std::sin(977 * t);
        text += QByteArray(i ? "," : "") + "[" + QByteArray::number(3.975 + r * std::cos(t) / 68600, 'f', 8) + "," +
                QByteArray::number(51.99 + r * std::sin(t) / 110574, 'f', 8) + "]";
    }
    text += "]]}}]}";
    QVERIFY(file.write(text) == text.size());
}

// Labels drawn on the moving layer.
size_t labels(plot::FrmGraphics& w) {
    const auto& s = w.picture()->moving();
    return std::count_if(s.begin(), s.end(), [](const plot::Shape& x) { return x.kind == plot::Shape::Kind::Text; });
}

using Ring = std::vector<std::pair<double, double>>;  // lon, lat

// A cell with two depth areas (5-10 m west of 4°E, 20-50 m east of it) and a
// red lateral buoy, written as S-57 records: spatial records (nodes, edges)
// and the features that point at them.
void WriteS57Cell(const QString& path) {
    GDALAllRegister();
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("S57");
    QVERIFY(driver);
    GDALDatasetUniquePtr ds(driver->Create(path.toUtf8().constData(), 0, 0, 0, GDT_Unknown, nullptr));
    QVERIFY(ds);
    int rcid = 1;
    bool written = true;
    auto node = [&](const char* layer, int rcnm, double lon, double lat) {
        OGRLayer* l = ds->GetLayerByName(layer);
        OGRFeatureUniquePtr f(OGRFeature::CreateFeature(l->GetLayerDefn()));
        for (auto [k, v] : {std::pair{"RCNM", rcnm}, {"RCID", rcid}, {"RVER", 1}, {"RUIN", 1}}) f->SetField(k, v);
        OGRPoint p(lon, lat);
        f->SetGeometry(&p);
        written &= l->CreateFeature(f.get()) == OGRERR_NONE;
        return rcid++;
    };
    auto feature = [&](const char* layer, int prim, int rcnm, int ref, auto&& fields) {
        OGRLayer* l = ds->GetLayerByName(layer);
        OGRFeatureUniquePtr f(OGRFeature::CreateFeature(l->GetLayerDefn()));
        for (auto [k, v] : {std::pair{"RCID", rcid++}, {"PRIM", prim}, {"GRUP", 1}}) f->SetField(k, v);
        const bool point = prim == 1;
        for (auto [k, v] : {std::pair{"NAME_RCNM", rcnm}, {"NAME_RCID", ref}, {"ORNT", point ? 255 : 1},
                            {"USAG", point ? 255 : 1}, {"MASK", point ? 255 : 2}}) {
            f->SetField(k, 1, &v);
        }
        fields(*f);
        written &= l->CreateFeature(f.get()) == OGRERR_NONE;
    };
    // An area: one edge from a node round to the same node.
    auto area = [&](const char* layer, const Ring& ring, auto&& fields) {
        const int start = node("ConnectedNode", 120, ring[0].first, ring[0].second);
        OGRLayer* edges = ds->GetLayerByName("Edge");
        OGRFeatureUniquePtr e(OGRFeature::CreateFeature(edges->GetLayerDefn()));
        const int edge = rcid++;
        for (auto [k, v] : {std::pair{"RCNM", 130}, {"RCID", edge}, {"RVER", 1}, {"RUIN", 1}}) e->SetField(k, v);
        for (const std::string end : {"0", "1"}) {
            for (auto [k, v] : {std::pair{"NAME_RCNM_", 120}, {"NAME_RCID_", start}, {"ORNT_", 255}, {"USAG_", 255},
                                {"TOPI_", end == "0" ? 1 : 2}, {"MASK_", 255}}) {
                e->SetField((k + end).c_str(), v);
            }
        }
        OGRLineString inner;
        for (size_t i = 1; i < ring.size(); ++i) inner.addPoint(ring[i].first, ring[i].second);
        e->SetGeometry(&inner);
        written &= edges->CreateFeature(e.get()) == OGRERR_NONE;
        feature(layer, 3, 130, edge, fields);
    };
    for (auto [w, e, d1, d2] : {std::array{3.90, 4.00, 5.0, 10.0}, {4.00, 4.10, 20.0, 50.0}}) {
        area("DEPARE", {{w, 51.95}, {e, 51.95}, {e, 52.05}, {w, 52.05}}, [&](OGRFeature& f) {
            f.SetField("DRVAL1", d1);
            f.SetField("DRVAL2", d2);
        });
    }
    const int buoy = node("IsolatedNode", 110, 4.05, 52.00);
    feature("BOYLAT", 1, 110, buoy, [](OGRFeature& f) {
        const char* red[] = {"3", nullptr};
        f.SetField("COLOUR", red);
    });
    QVERIFY(written);
}

// A square in UTM zone 31 metres around 52.00°N 4.00°E, 2 km a side.
void WriteShapefile(const QString& path) {
    GDALAllRegister();
    GDALDatasetUniquePtr ds(GetGDALDriverManager()->GetDriverByName("ESRI Shapefile")
                                ->Create(path.toUtf8().constData(), 0, 0, 0, GDT_Unknown, nullptr));
    QVERIFY(ds);
    OGRSpatialReference utm, wgs84;
    utm.importFromEPSG(32631);
    wgs84.SetWellKnownGeogCS("WGS84");
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation> toUtm(OGRCreateCoordinateTransformation(&wgs84, &utm));
    double x = 4.0, y = 52.0;
    QVERIFY(toUtm->Transform(1, &x, &y));
    OGRLayer* layer = ds->CreateLayer("harbour", &utm, wkbPolygon, nullptr);
    OGRFeatureUniquePtr f(OGRFeature::CreateFeature(layer->GetLayerDefn()));
    OGRPolygon poly;
    OGRLinearRing ring;
    for (auto [dx, dy] : {std::pair{-1, -1}, {1, -1}, {1, 1}, {-1, 1}, {-1, -1}}) ring.addPoint(x + 1000 * dx, y + 1000 * dy);
    poly.addRing(&ring);
    f->SetGeometry(&poly);
    QCOMPARE(layer->CreateFeature(f.get()), OGRERR_NONE);
}

void WriteGeoJson(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"type": "FeatureCollection", "features": [
      {"type": "Feature", "properties": {}, "geometry": {"type": "LineString", "coordinates": [[3.95, 51.99], [4.05, 51.99]]}},
      {"type": "Feature", "properties": {}, "geometry": {"type": "Point", "coordinates": [4.0, 52.02]}}]})");
}

// The map alone (no coastlines) around 52°N 4°E at 1:100,000, of these
// chart files, painted.
struct Picture {
    plot::PlotState plot;
    plot::PlotMap map;
    QImage image{800, 700, QImage::Format_RGB32};
    plot::PlotView view;

    explicit Picture(const QStringList& charts) : map(std::vector<std::filesystem::path>{}) {
        geodesy::SetZone(plot.datum, 31);
        base::NullMessageSink quiet;
        plot::SetupPlot(plot, 52.0, 4.0, image.width(), image.height(), quiet);
        plot.scale = 100000;
        plot::SetupPlot(plot, 52.0, 4.0, image.width(), image.height(), quiet);
        view = plot.view(image.width(), image.height(), 96 / 2.54);
        for (const QString& path : charts) {
            plot::ChartOpenResult r = plot::OpenVectorChart(path.toStdString());
            QVERIFY2(r.chart, r.error.c_str());
            map.charts().add(std::move(*r.chart));
        }
        QPainter p(&image);
        p.setFont(plot::PlotFont(p.font()));
        plot::PaintStaticLayer(p, map, plot, view, plot::MeasureWith(p.font()));
    }
    QPoint at(double lat, double lon) const {
        const plot::GridPoint g = plot::ToGridPoint(plot.datum, lat, lon);
        const plot::PlotView::Point px = plot::GridToPixel(view, g);
        return {int(std::lround(px.x)), int(std::lround(px.y))};
    }
    QColor colourAt(double lat, double lon) const { return image.pixelColor(at(lat, lon)); }
    // Whether a pixel within `radius` of the place has about this colour
    // (lines are drawn smoothed, so their edges blend).
    bool near(double lat, double lon, const QColor& c, int radius = 1, int tolerance = 60) const {
        bool found = false;
        for (int dx = -radius; dx <= radius; ++dx) {
            for (int dy = -radius; dy <= radius; ++dy) {
                const QColor q = image.pixelColor(at(lat, lon) + QPoint(dx, dy));
                found |= std::abs(q.red() - c.red()) + std::abs(q.green() - c.green()) + std::abs(q.blue() - c.blue()) < tolerance;
            }
        }
        return found;
    }
};

// A GeoJSON layer `name` (the file name too) holding one area, a square of
// about 2 km around (lat, lon), with these properties.
void WriteArea(const QDir& dir, const QString& name, double lat, double lon, const QByteArray& properties = "{}") {
    QFile file(dir.filePath(name + ".geojson"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    const double dy = 0.009, dx = 0.0146;
    auto corner = [&](double sy, double sx) {
        return "[" + QByteArray::number(lon + sx * dx, 'f', 6) + "," + QByteArray::number(lat + sy * dy, 'f', 6) + "]";
    };
    const QByteArray head = "{\"type\": \"FeatureCollection\", \"name\": \"" + name.toUtf8() +
                            "\", \"features\": [{\"type\": \"Feature\", \"properties\": " + properties +
                            ", \"geometry\": {\"type\": \"Polygon\", \"coordinates\": [[";
    file.write(head + corner(-1, -1) + "," + corner(-1, 1) + "," + corner(1, 1) + "," + corner(1, -1) + "," +
               corner(-1, -1) + "]]}}]}");
}

// Labels at pixel (x, y) of a 200x60 picture, painted by PaintShapes, or
// (expected) by QPainter::drawText as a halo: four times in translucent
// white a pixel off each way, then in the label's colour.
QImage PaintedLabels(const std::vector<std::pair<QPointF, std::string>>& labels, qreal ratio, bool expected) {
    QImage image(QSize(200, 60) * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(QColor(120, 160, 200));
    QPainter painter(&image);
    painter.setFont(plot::PlotFont(painter.font()));
    plot::PlotView view;
    view.widthPx = 200, view.heightPx = 60, view.scale = 100, view.pxPerCm = 1;  // a metre a pixel
    std::vector<plot::Shape> shapes;
    for (const auto& [at, text] : labels) {
        plot::Shape s;
        s.kind = plot::Shape::Kind::Text;
        s.colour = plot::PlotColour::Red;
        s.x1 = at.x() - 100, s.y1 = 30 - at.y();
        s.text = text;
        shapes.push_back(s);
    }
    if (!expected) {
        plot::PaintShapes(painter, shapes, view);
        return image;
    }
    const qreal ascent = QFontMetricsF(painter.font()).ascent();
    for (const plot::Shape& s : shapes) {
        const QPointF at = QPointF(view.toPixel(s.x1, s.y1).x, view.toPixel(s.x1, s.y1).y) + QPointF(s.dx, s.dy + ascent);
        painter.setPen(QColor(255, 255, 255, 200));
        for (const QPointF d : {QPointF(-1, 0), QPointF(1, 0), QPointF(0, -1), QPointF(0, 1)}) {
            painter.drawText(at + d, QString::fromStdString(s.text));
        }
        painter.setPen(plot::ColourOf(s.colour));
        painter.drawText(at, QString::fromStdString(s.text));
    }
    return image;
}

}  // namespace

class TestPlotWindow : public QObject {
    Q_OBJECT
private slots:
    // Target labels (shaped once, drawn as glyphs) look exactly as drawText
    // draws them: at whole and fractional pixels, starting left of the
    // picture or above it, at pixel ratios 1 and 2; and again when drawn a
    // second time.
    void labelsPaintAsDrawTextDrawsThem() {
        std::vector<std::pair<QPointF, std::string>> labels = {
            {{20, 10}, "NORDIC EXPLORER "},  {{60.37, 25.81}, "257000123 "}, {{-9.53, 40.2}, "TUG STAR "},
            {{-30.017, 52.49}, "AV. WAVE "}, {{120.5, -3.62}, "PILOT 52 "},  {{150.91, 45.5}, "FV.-\"@&/ "}};
        // Labels that begin left of the picture at many fractions of a pixel.
        for (int i = 0; i < 16; ++i) labels.push_back({{-25 + i * 1.37, 4 + i * 3.3}, "TUG STAR " + std::to_string(i)});
        for (const qreal ratio : {1.0, 2.0}) {
            const QImage expected = PaintedLabels(labels, ratio, true);
            QCOMPARE(PaintedLabels(labels, ratio, false), expected);
            QCOMPARE(PaintedLabels(labels, ratio, false), expected);
        }
    }

    // Ship symbols (drawn once per heading, size and colours, then copied)
    // point where the ship heads, in the colour of its own group, however
    // they follow one another, at pixel ratios 1 and 2.
    void shipSymbolsPointTheirWayInTheirOwnColours() {
        struct Case {
            plot::TargetSymbol symbol;
            double angle;
            plot::TypeGroup group;
        };
        const Case cases[] = {
            {plot::TargetSymbol::ClassA, 0, plot::TypeGroup::Cargo},     {plot::TargetSymbol::ClassA, 0, plot::TypeGroup::Tanker},
            {plot::TargetSymbol::ClassA, 90, plot::TypeGroup::Cargo},    {plot::TargetSymbol::ClassA, 180, plot::TypeGroup::Cargo},
            {plot::TargetSymbol::ClassA, 271, plot::TypeGroup::Fishing}, {plot::TargetSymbol::ClassA, 359.4, plot::TypeGroup::Other},
            {plot::TargetSymbol::ClassB, -135, plot::TypeGroup::Pleasure}, {plot::TargetSymbol::ClassB, 45, plot::TypeGroup::Pleasure},
        };
        const auto near = [](QColor a, QColor b) {
            return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) < 90;
        };
        for (const qreal ratio : {1.0, 2.0}) {
            for (const Case& c : cases) {
                QImage image(QSize(40, 40) * ratio, QImage::Format_RGB32);
                image.setDevicePixelRatio(ratio);
                image.fill(Qt::white);
                QPainter painter(&image);
                painter.setRenderHint(QPainter::Antialiasing);
                plot::PlotView view;
                view.widthPx = 40, view.heightPx = 40, view.scale = 100, view.pxPerCm = 1;  // a metre a pixel
                plot::Shape s;
                s.kind = plot::Shape::Kind::Symbol, s.symbol = c.symbol, s.angle = c.angle, s.group = c.group;
                plot::PaintShapes(painter, {s}, view);
                painter.end();
                const double size = c.symbol == plot::TargetSymbol::ClassA ? 9 : 6.5, a = c.angle * M_PI / 180;
                const auto at = [&](double along) {
                    return (QPointF(20 + along * std::sin(a), 20 - along * std::cos(a)) * ratio).toPoint();
                };
                const QString what = QString("ratio %1 angle %2 group %3").arg(ratio).arg(c.angle).arg(int(c.group));
                // Filled at the middle, drawn towards the tip, clear behind the base and beyond the tip.
                QVERIFY2(near(image.pixelColor(at(size * 0.2)), plot::GroupColour(c.group)), qPrintable(what));
                QVERIFY2(image.pixelColor(at(size * 0.75)) != QColor(Qt::white), qPrintable(what));
                QVERIFY2(image.pixelColor(at(-size * 0.9)) == QColor(Qt::white), qPrintable(what));
                QVERIFY2(image.pixelColor(at(size + 3)) == QColor(Qt::white), qPrintable(what));
            }
        }
    }

    void drawsTheTargetsOfTheTableAndClosesFromEitherSide() {
        Plot f;
        plot::FrmGraphics* w = f.window();
        QCOMPARE(labels(*w), size_t(2));
        f.m.feed(ClassAReport(244000003, 51.99, 3.97, 5.0f));
        QTRY_COMPARE_WITH_TIMEOUT(labels(*w), size_t(3), 2500);
        // The picture shows the symbols in black on white at their grid positions.
        const QImage image = w->picture()->grab().toImage();
        const qreal ratio = image.devicePixelRatio();
        // Just behind the centre, clear of the heading mark: the fill of a vessel of no known type.
        QCOMPARE(image.pixelColor((f.pixelOf(52.00, 4.00) + QPoint(-1, 1)) * ratio),
                 plot::GroupColour(plot::TypeGroup::Other));
        QCOMPARE(image.pixelColor(QPoint(2, 2)), QColor(255, 255, 255));
        // Closing the plot clears the menu's check mark; the menu opens it again.
        QAction* item = Child<QAction>(f.m.w, "mnuViewGraphics");
        w->close();
        QTRY_VERIFY(!f.window());
        QVERIFY(!item->isChecked());
        item->trigger();
        QVERIFY(f.window() && f.window()->isVisible());
    }

    // Hovering a target's pixel shows its tool tip; a click selects it on
    // the plot and its row in the list; a click beside it changes nothing.
    void hoverShowsATipAndAClickSelectsTheTarget() {
        Plot f;
        plot::FrmGraphics* w = f.window();
        QSignalSpy selected(w, &plot::FrmGraphics::targetSelected);
        const QPoint at = f.pixelOf(52.00, 4.00);
        QTest::mouseMove(w->picture(), at + QPoint(3, -2));
        QTRY_VERIFY(w->targetTip()->isVisible());
        const QString tip = w->targetTip()->text();
        QVERIFY2(tip.startsWith("MMSI 244000002\nClass A Vessel \u00b7 Other\nSOG 0.0 kn"), qPrintable(tip));
        QVERIFY2(tip.contains("Last report 0 s ago"), qPrintable(tip));
        QTest::mouseMove(w->picture(), at + QPoint(30, 30));
        QTRY_VERIFY(!w->targetTip()->isVisible());

        auto* list = Child<QTableView>(f.m.w, "fgAISTargets");
        QTRY_COMPARE_WITH_TIMEOUT(list->model()->rowCount(), 2, 3000);
        QTest::mouseClick(w->picture(), Qt::LeftButton, {}, at + QPoint(30, 30));
        QCOMPARE(selected.count(), 0);
        QTest::mouseClick(w->picture(), Qt::LeftButton, {}, at + QPoint(-2, 2));
        QCOMPARE(selected.count(), 1);
        QCOMPARE(selected.at(0).at(0).toInt(), 2);
        QCOMPARE(list->selectionModel()->selectedRows(), QModelIndexList({list->model()->index(1, 0)}));
        // The selected target keeps its label and is ringed.
        const auto& moving = w->picture()->moving();
        QVERIFY(std::any_of(moving.begin(), moving.end(),
                            [](const plot::Shape& s) { return s.kind == plot::Shape::Kind::Text && s.keep; }));
        QCOMPARE(std::count_if(moving.begin(), moving.end(),
                               [](const plot::Shape& s) { return s.kind == plot::Shape::Kind::Circle; }),
                 1);
        // Followed: moved far off, the picture centres on it at the next tick.
        Child<QAction>(*w, "mnuOptionsFollowSelected")->trigger();
        f.m.feed(ClassAReport(244000002, 52.30, 4.30, 0.0f));
        QTRY_VERIFY_WITH_TIMEOUT((f.pixelOf(52.30, 4.30) - QPoint(int(w->view().widthPx / 2), int(w->view().heightPx / 2)))
                                         .manhattanLength() <= 2,
                                 3500);
        Child<QAction>(*w, "mnuOptionsLegend")->trigger();
        QVERIFY(w->legendWindow() && w->legendWindow()->isVisible());
    }

    // A chart of 200,000 points is read and prepared by the loader thread:
    // the window goes on handling events, shows how far it is, and draws the
    // chart when it is ready; a cancel drops what is being loaded.
    void aBigChartLoadsOffTheWindowThread() {
        QTemporaryDir dir;
        WriteWavyRing(dir.filePath("big.geojson"), 200000);
        Plot f;
        plot::FrmGraphics* w = f.window();
        QVERIFY(w->addChart(dir.filePath("big.geojson")));
        QVERIFY(!w->addChart(dir.filePath("big.geojson")));  // on its way already
        QCOMPARE(w->map().charts().entries().size(), size_t(0));
        QCOMPARE(w->chartsLoading(), 1);
        QVERIFY(Child<QWidget>(*w, "prgCharts")->isVisible());
        QVERIFY(Child<QAction>(*w, "mnuFileCancelCharts")->isEnabled());
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(0);
        QTRY_COMPARE_WITH_TIMEOUT(w->map().charts().entries().size(), size_t(1), 60000);
        QVERIFY(ticks > 0);
        QCOMPARE(w->chartsLoading(), 0);
        QVERIFY(!Child<QWidget>(*w, "prgCharts")->isVisible());
        const QImage image = w->picture()->grab().toImage();
        // A light wash of the layer's colour: a user's area is not land.
        const QColor wash = plot::OverBackground(plot::FillColour(plot::StyleOf({}, false, 10, NAN).path));
        const QColor drawn = image.pixelColor(f.pixelOf(51.99, 3.975) * image.devicePixelRatio());
        QVERIFY2(std::abs(drawn.red() - wash.red()) + std::abs(drawn.green() - wash.green()) +
                         std::abs(drawn.blue() - wash.blue()) <= 6,
                 qPrintable(drawn.name() + " " + wash.name()));

        WriteWavyRing(dir.filePath("second.geojson"), 200000);
        QVERIFY(w->addChart(dir.filePath("second.geojson")));
        Child<QAction>(*w, "mnuFileCancelCharts")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(w->chartsLoading(), 0, 60000);
        QCOMPARE(w->map().charts().entries().size(), size_t(1));
    }

    // Keys, wheel and drag as people expect; then the tools.
    void keysWheelDragAndTools() {
        Plot f;
        plot::FrmGraphics* w = f.window();
        auto* scale = Child<QComboBox>(*w, "cmbScale");
        QTest::keyClick(scale->lineEdit(), Qt::Key_Plus);  // zooms, is not typed
        QCOMPARE(std::pair(w->view().scale, scale->currentText()), std::pair(200000, QString("200000")));
        QTest::keyClick(w->picture(), Qt::Key_Minus);
        QCOMPARE(w->view().scale, 500000);

        // The target under the cursor stays under it: wheel there, then drag it by 50, 30 pixels.
        const QPointF at = f.pixelOf(52.00, 4.00), to = at + QPointF(50, 30);
        QWheelEvent wheel(at, at, {}, {0, 120}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w->picture(), &wheel);
        QCOMPARE(w->view().scale, 200000);
        QVERIFY((QPointF(f.pixelOf(52.00, 4.00)) - at).manhattanLength() <= 2);
        for (auto [type, p] : {std::pair{QEvent::MouseButtonPress, at}, {QEvent::MouseMove, to}, {QEvent::MouseButtonRelease, to}}) {
            QMouseEvent e(type, p, p, Qt::MiddleButton, type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MiddleButton,
                          Qt::NoModifier);
            QApplication::sendEvent(w->picture(), &e);
        }
        QVERIFY((QPointF(f.pixelOf(52.00, 4.00)) - to).manhattanLength() <= 2);

        // AutoScroll brings the reference position back into view.
        targets::Reference& st = f.m.w.receiver().reference();
        st.setMode(targets::kRefManual), st.moveTo(51.98, 3.95);
        w->picturePanned(QPointF(w->picture()->width() * 0.45, 0));
        Child<QAction>(*w, "mnuOptionsAutoScroll")->trigger();
        QVERIFY((QPointF(f.pixelOf(51.98, 3.95)) - QPointF(w->picture()->rect().center())).manhattanLength() < 3);

        // The tools open one beside the other (wherever the view is); Esc closes a tool.
        Child<QAction>(*w, "mnuOptionsERBL")->trigger();
        Child<QAction>(*w, "mnuOptionsLOS")->trigger();
        QVERIFY(w->losWindow() && w->losWindow()->isVisible());
        QVERIFY(w->losWindow()->pos() != w->erblWindow()->pos());
        w->erblWindow()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w->erblWindow()));
        QTest::keyClick(w->erblWindow(), Qt::Key_Escape);
        QTRY_VERIFY(!w->erblWindow());
    }

    void s57CellDrawsDepthAreasByTheSafetyDepthAndABuoy() {
        QTemporaryDir dir;
        const QString cell = dir.filePath("TEST0001.000");
        WriteS57Cell(cell);
        const Picture pic(QStringList{cell});
        QCOMPARE(pic.colourAt(52.04, 3.91), plot::ColourOf(MapColour::Shallow));  // 5-10 m, safety depth 10 m
        QCOMPARE(pic.colourAt(52.04, 4.09), plot::ColourOf(MapColour::Deep));
        QCOMPARE(pic.colourAt(52.00, 4.05), QColor(220, 30, 30));  // the red buoy
        QCOMPARE(pic.colourAt(52.07, 3.95), plot::kPlotBackground);  // north of the cell
    }

    // Only a land layer is filled as land; a restricted area is a magenta
    // wash with a magenta edge, and an area with an OGR style of its own
    // takes that style's colours.
    void userAreasAreLandOnlyInALandLayer() {
        QTemporaryDir tmp;
        const QDir dir(tmp.path());
        WriteArea(dir, "restricted_area", 52.0, 4.0);
        WriteArea(dir, "land", 52.0, 4.05);
        WriteArea(dir, "styled", 52.03, 4.0, "{\"OGR_STYLE\": \"BRUSH(fc:#00C00080);PEN(c:#0000FF,w:3px)\"}");
        const Picture pic({dir.filePath("restricted_area.geojson"), dir.filePath("land.geojson"),
                           dir.filePath("styled.geojson")});
        const QColor magentaWash = plot::OverBackground(QColor(200, 0, 200, 50));
        const struct {
            double lat, lon;
            QColor colour;
        } cases[] = {{52.0, 4.0, magentaWash},
                     {52.0, 4.0 + 0.0146, plot::ColourOf(MapColour::Restricted)},  // its eastern edge
                     {52.0, 4.05, plot::ColourOf(MapColour::Land)},
                     {52.03, 4.0, plot::OverBackground(QColor(0, 192, 0, 128))},
                     {52.03, 4.0 - 0.0146, QColor(0, 0, 255)}};
        for (const auto& c : cases) {
            QVERIFY2(pic.near(c.lat, c.lon, c.colour, 1, 8), qPrintable(pic.colourAt(c.lat, c.lon).name() + ", not " + c.colour.name()));
        }
        QVERIFY(!pic.near(52.0, 4.0, plot::ColourOf(MapColour::Land), 0, 30));
    }

    void shapefileInUtmAndGeoJsonDrawWhereTheyLie() {
        QTemporaryDir dir;
        WriteShapefile(dir.filePath("harbour.shp"));
        WriteGeoJson(dir.filePath("fairway.geojson"));
        const Picture pic({dir.filePath("harbour.shp"), dir.filePath("fairway.geojson")});
        QVERIFY(pic.near(52.0, 4.0, plot::OverBackground(plot::FillColour(plot::StyleOf({}, false, 10, NAN).path)), 0,
                         6));
        QCOMPARE(pic.colourAt(52.0, 4.02), plot::kPlotBackground);  // 1.4 km east: outside the 2 km square
        QVERIFY(pic.near(51.99, 3.96, plot::ColourOf(MapColour::ChartLine, 0)));
        QVERIFY(pic.near(52.02, 4.0, plot::ColourOf(MapColour::ChartPoint), 2));
    }
};

QTEST_MAIN(TestPlotWindow)
#include "test_plot_window.moc"
