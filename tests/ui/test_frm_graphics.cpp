// The plot window opened from the main window: targets drawn, the view
// following its controls and the mouse, the ERBL and line-of-sight tools.
#include <QMenu>

#include "geodesy/grid.h"
#include "plot/erbl_window.h"
#include "plot/los_window.h"
#include "plot/plot_geometry.h"
#include "plot/plot_window.h"
#include "plot/sight_tools.h"
#include "targets/extra_info_window.h"
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

// Shapes of the moving layer that pass the test.
template <class Test>
std::vector<plot::Shape> shapes(plot::FrmGraphics& w, Test test) {
    std::vector<plot::Shape> out;
    for (const plot::Shape& s : w.picture()->moving()) {
        if (test(s)) out.push_back(s);
    }
    return out;
}
size_t labels(plot::FrmGraphics& w) {
    return shapes(w, [](const plot::Shape& s) { return s.kind == plot::Shape::Kind::Text; }).size();
}
std::vector<plot::Shape> red(plot::FrmGraphics& w) {
    return shapes(w, [](const plot::Shape& s) { return s.colour == plot::PlotColour::Red; });
}

QString textOf(QWidget* w, const char* name) { return Child<QLabel>(*w, name)->text(); }

}  // namespace

class TestFrmGraphics : public QObject {
    Q_OBJECT
private slots:
    void opensAndClosesFromEitherSide() {
        Plot f;
        plot::FrmGraphics* w = f.window();
        QVERIFY(w && w->isVisible());
        // Closing the plot clears the menu's check mark; the menu opens it again and closes it.
        QAction* item = Child<QAction>(f.m.w, "mnuViewGraphics");
        w->close();
        QTRY_VERIFY(!f.window());
        QVERIFY(!item->isChecked());
        item->trigger();
        QVERIFY(f.window() && f.window()->isVisible());
        item->trigger();
        QTRY_VERIFY(!f.window());
    }

    void drawsTheTargetsOfTheTable() {
        Plot f;
        plot::FrmGraphics* w = f.window();
        QCOMPARE(labels(*w), size_t(2));
        f.m.feed(ClassAReport(244000003, 51.99, 3.97, 5.0f));
        QTRY_COMPARE_WITH_TIMEOUT(labels(*w), size_t(3), 2500);
        // The picture shows the symbols in black on white at their grid positions.
        const QImage image = w->picture()->grab().toImage();
        const qreal ratio = image.devicePixelRatio();
        QCOMPARE(image.pixelColor(f.pixelOf(52.00, 4.00) * ratio), QColor(0, 0, 0));
        QCOMPARE(image.pixelColor(QPoint(2, 2)), QColor(255, 255, 255));
    }

    void theViewFollowsItsControls() {
        Plot f;
        plot::FrmGraphics* w = f.window();
        auto* scale = Child<QComboBox>(*w, "cmbScale");
        auto* plus = Child<QPushButton>(*w, "cmdZoom_0");
        f.m.w.receiver().state().ReferenceMode = targets::kRefManual;  // the view moves, the reference stays
        const plot::PlotView start = w->view();
        QTest::mouseClick(plus, Qt::LeftButton);
        QCOMPARE(w->view().scale, 200000);
        scale->setEditText("15");
        QTest::keyClick(scale->lineEdit(), Qt::Key_Return);
        QTest::mouseClick(plus, Qt::LeftButton);
        QCOMPARE(w->view().scale, 10);
        QVERIFY(!plus->isEnabled());

        // A box half the picture wide zooms in twice.
        scale->setCurrentIndex(scale->findText("500000"));
        emit scale->activated(scale->currentIndex());
        const plot::PlotView v = w->view();
        QCOMPARE(v.scale, 500000);
        const double half = v.widthMetres() / 2;
        w->pictureMouseDown(Qt::LeftButton, QPointF(0, 0));
        w->pictureMouseMove(Qt::LeftButton, QPointF(half / 2, 10));
        w->pictureMouseMove(Qt::LeftButton, QPointF(half, 20));
        w->pictureMouseUp(Qt::LeftButton, QPointF(half, 20), QPoint());
        QCOMPARE(w->view().scale, 250000);
        QCOMPARE(scale->currentText(), QString("250000"));

        // The right button's menu re-centres on the mouse.
        const plot::PlotView before = w->view();
        w->pictureMouseUp(Qt::RightButton, QPointF(3000, -4000), QPoint(10, 10));
        Child<QMenu>(*w, "pmnuCenter")->close();
        Child<QAction>(*w, "pmnuCenterMouse")->trigger();
        QCOMPARE(w->view().centreE, before.centreE + 3000);
        Child<QAction>(*w, "pmnuCenterCurrentPosition")->trigger();
        QVERIFY(std::fabs(w->view().centreE - start.centreE) < 1e-6);
    }

    // Keys, wheel and drag as people expect; AutoScroll brings the reference back into view.
    void keysWheelDragAndAutoScroll() {
        Plot f;
        plot::FrmGraphics* w = f.window();
        auto* scale = Child<QComboBox>(*w, "cmbScale");
        QTest::keyClick(scale->lineEdit(), Qt::Key_Plus);  // zooms, is not typed
        QCOMPARE(w->view().scale, 200000);
        QCOMPARE(scale->currentText(), QString("200000"));
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

        input::RunState& st = f.m.w.receiver().state();
        st.ReferenceMode = targets::kRefManual, st.RefLat = 51.98, st.RefLon = 3.95;
        w->picturePanned(QPointF(w->picture()->width() * 0.45, 0));
        Child<QAction>(*w, "mnuOptionsAutoScroll")->trigger();
        QVERIFY((QPointF(f.pixelOf(51.98, 3.95)) - QPointF(w->picture()->rect().center())).manhattanLength() < 3);
    }

    void erblFollowsTheCursor() {
        QTemporaryDir dir;
        ui::SettingsStore store(dir.filePath("settings.ini"));
        Plot f(&store);
        plot::FrmGraphics* w = f.window();
        QAction* erbl = Child<QAction>(*w, "mnuOptionsERBL");
        erbl->trigger();
        plot::FrmERBL* tool = w->erblWindow();
        QVERIFY(tool && tool->isVisible());
        // A real mouse move over the picture reads out in the tool and the status bar.
        QTest::mouseMove(w->picture(), f.pixelOf(51.98, 3.95));
        QTRY_VERIFY(!f.panel(1).isEmpty() && textOf(tool, "lblLat") == f.panel(1));
        QCOMPARE(textOf(tool, "lblERBL_Range"), f.panel(3));
        QCOMPARE(red(*w).size(), size_t(2));  // the line to the cursor and the ring through it
        // Closing the tool clears the check mark and the overlay, and keeps its place.
        tool->close();
        QTRY_VERIFY(!w->erblWindow());
        QVERIFY(!erbl->isChecked());
        QVERIFY(red(*w).empty());
        QCOMPARE(store.readNumber("ERBLLeft", 0), 1950.0);
    }

    // The heights typed into the line-of-sight tool draw its ring; it opens
    // clear of the ERBL tool; Esc closes a tool, closing the plot the other.
    void lineOfSightRingFromTheTwoHeights() {
        Plot f;
        plot::FrmGraphics* w = f.window();
        Child<QAction>(*w, "mnuOptionsERBL")->trigger();
        Child<QAction>(*w, "mnuOptionsLOS")->trigger();
        QPointer<plot::FrmLOS> los = w->losWindow();
        QVERIFY(los && los->isVisible());
        QVERIFY(los->pos() != w->erblWindow()->pos());
        w->erblWindow()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w->erblWindow()));
        QTest::keyClick(w->erblWindow(), Qt::Key_Escape);
        QTRY_VERIFY(!w->erblWindow());
        los->setInputBox([](const QString& title, const QString&, const QString&) {
            return std::optional<QString>(title == "HEIGHT OF EYE" ? "16" : "25");
        });
        QTest::mouseClick(Child<QPushButton>(*los, "cmdHeight_0"), Qt::LeftButton);
        QTest::mouseClick(Child<QLabel>(*los, "lblHeight_1"), Qt::LeftButton);  // the label acts as its button
        QCOMPARE(textOf(los, "lblLOS_km"), QString::fromStdString(plot::LosFromRange(plot::LosRangeMetres(16, 25)).km));
        QTRY_COMPARE(red(*w).size(), size_t(1));
        QCOMPARE(red(*w)[0].radius, plot::LosRangeMetres(16, 25));
        w->close();
        QTRY_VERIFY(!los);
    }
};

QTEST_MAIN(TestFrmGraphics)
#include "test_frm_graphics.moc"
