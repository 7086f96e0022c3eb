// The plot window opened from the main window: targets drawn, the view
// following the keys and the mouse, AutoScroll, the tools cascading and
// closing on Esc.
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>

#include "geodesy/grid.h"
#include "plot/chart_prepare.h"
#include "windows/plot/erbl_window.h"
#include "windows/plot/los_window.h"
#include "plot/plot_geometry.h"
#include "windows/plot/plot_paint_window.h"
#include "windows/plot/plot_window.h"
#include "window_fixture.h"

using namespace testing_support;

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
    QString panel(int i) const { return window()->panelText(i); }
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

}  // namespace

class TestFrmGraphics : public QObject {
    Q_OBJECT
private slots:
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

    // Hovering a target's pixel shows its tool tip in plain text; a click
    // selects it on the plot and its row in the list; a click beside it
    // changes nothing.
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
        QVERIFY2(!tip.contains("CPA"), qPrintable(tip));  // no own ship: no approach
        QCOMPARE(w->targetTip()->textFormat(), Qt::PlainText);
        QTest::mouseMove(w->picture(), at + QPoint(30, 30));
        QTRY_VERIFY(!w->targetTip()->isVisible());

        auto* list = Child<QTableView>(f.m.w, "fgAISTargets");
        QTRY_COMPARE_WITH_TIMEOUT(list->model()->rowCount(), 2, 3000);
        QTest::mouseClick(w->picture(), Qt::LeftButton, {}, at + QPoint(30, 30));
        QCOMPARE(selected.count(), 0);
        QTest::mouseClick(w->picture(), Qt::LeftButton, {}, at + QPoint(-2, 2));
        QCOMPARE(selected.count(), 1);
        QCOMPARE(selected.at(0).at(0).toInt(), 2);
        const auto rows = list->selectionModel()->selectedRows();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.front().row(), 1);
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

    // Keys, wheel and drag as people expect.
    void keysWheelAndDrag() {
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
    }

    // The tools open one beside the other; Esc closes a tool.
    void toolsCascadeAndCloseOnEsc() {
        Plot f;
        plot::FrmGraphics* w = f.window();
        Child<QAction>(*w, "mnuOptionsERBL")->trigger();
        Child<QAction>(*w, "mnuOptionsLOS")->trigger();
        QVERIFY(w->losWindow() && w->losWindow()->isVisible());
        QVERIFY(w->losWindow()->pos() != w->erblWindow()->pos());
        w->erblWindow()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w->erblWindow()));
        QTest::keyClick(w->erblWindow(), Qt::Key_Escape);
        QTRY_VERIFY(!w->erblWindow());
    }
};

QTEST_MAIN(TestFrmGraphics)
#include "test_frm_graphics.moc"
