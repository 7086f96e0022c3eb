#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/frm_main_window.h"
#include "geodesy/grid.h"
#include "geodesy/position_text.h"
#include "plot/erbl_window.h"
#include "plot/los_window.h"
#include "plot/plot_window.h"
#include "support/sample_sentences.h"
#include "ui/settings_store.h"

using testing_support::ClassAReport;
using testing_support::Join;
using testing_support::Sentences;

namespace {

QStringList menuTexts(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions()) out << a->text();
    return out;
}

// The main window with the plot open on it; no modal boxes.
struct Plot {
    base::RecordingMessageSink messages;
    app::FrmMain main;
    explicit Plot(ui::SettingsStore* settings = nullptr, bool withTargets = true) : main(settings) {
        main.setMessageSink(&messages);
        if (withTargets) {
            receive(244000001, 51.98, 3.95, 12.0f);
            receive(244000002, 52.00, 4.00, 0.0f);
        }
        main.findChild<QAction*>("mnuViewGraphics")->trigger();
    }
    void receive(int32_t mmsi, double lat, double lon, float sog) {
        main.receiver().receive(input::InputKind::Tcp, Join(Sentences(ClassAReport(mmsi, lat, lon, sog))));
    }
    plot::FrmGraphics* window() const { return main.findChild<plot::FrmGraphics*>("frmGraphics"); }
    QString panel(int i) const { return window()->panelText(i); }
};

std::vector<plot::Shape> redShapes(plot::FrmGraphics& w) {
    std::vector<plot::Shape> out;
    for (const plot::Shape& s : w.picture()->moving()) {
        if (s.colour == plot::PlotColour::Red) out.push_back(s);
    }
    return out;
}

QString textOf(QWidget* w, const char* name) { return w->findChild<QLabel*>(name)->text(); }

QStringList labelsOf(const plot::FrmGraphics& w) {
    QStringList out;
    for (const plot::Shape& s : const_cast<plot::FrmGraphics&>(w).picture()->moving()) {
        if (s.kind == plot::Shape::Kind::Text) out << QString::fromStdString(s.text);
    }
    return out;
}

}  // namespace

class TestFrmGraphics : public QObject {
    Q_OBJECT
private slots:
    void opensWithItsControlsAndClosesFromEitherSide() {
        Plot f(nullptr, /*withTargets=*/false);
        plot::FrmGraphics* w = f.window();
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->windowTitle(), QString(" AIS Graphics Display"));
        auto* scale = w->findChild<QComboBox*>("cmbScale");
        QVERIFY(scale);
        QCOMPARE(scale->count(), 19);
        QCOMPARE(scale->itemText(0), QString("10"));
        QCOMPARE(scale->itemText(18), QString("10000000"));
        QCOMPARE(scale->currentText(), QString("500000"));
        QCOMPARE(w->findChild<QPushButton*>("cmdZoom_0")->text(), QString("+"));
        QCOMPARE(w->findChild<QPushButton*>("cmdZoom_1")->text(), QString("-"));
        QCOMPARE(w->findChild<QLabel*>("lblGridTick")->text(), QString(" 5000 m"));
        QCOMPARE(w->findChild<QLabel*>("lblDum")->text(), QString("DblClick on target to view details"));
        QVERIFY(w->findChild<QWidget*>("picGraphics"));
        QVERIFY(w->findChild<QStatusBar*>("StatusBar1"));
        QCOMPARE(f.panel(5), QString("RangeRings : 5 nmile  "));
        QCOMPARE(f.panel(6), QString("WGS84"));
        QCOMPARE(f.panel(7), QString::fromUtf8("UTM Zone 30 (003\u00b0W) "));  // no targets
        auto* timer = w->findChild<QTimer*>("Timer1");
        QVERIFY(timer && timer->isActive());
        QCOMPARE(timer->interval(), 1000);
        QCOMPARE(menuTexts(w->findChild<QMenu*>("mnuOptions")),
                 QStringList({"ERBL", "Line Of Sight", "AutoScroll", "", "Coastlines", "Landmarks", "Safety depth...",
                              "Charts"}));
        QCOMPARE(menuTexts(w->findChild<QMenu*>("mnuFile")), QStringList({"Add chart..."}));
        QCOMPARE(menuTexts(w->findChild<QMenu*>("pmnuCenter")),
                 QStringList({"Center on Mouse", "Center on Reference  Position", "Offset reference for ERBL"}));

        // Closing the plot clears the menu's check mark; the menu opens it again and closes it.
        QAction* item = f.main.findChild<QAction*>("mnuViewGraphics");
        QVERIFY(item->isChecked());
        w->close();
        QTRY_VERIFY(!f.window());
        QVERIFY(!item->isChecked());
        item->trigger();
        QVERIFY(f.window() && f.window()->isVisible());
        item->trigger();
        QTRY_VERIFY(!f.window());
    }

    void refreshDrawsTheTargetsOfTheTable() {
        Plot f;
        plot::FrmGraphics* w = f.window();
        // Without a reference the plot centres on the mean of the targets, in their zone.
        QCOMPARE(f.panel(7), QString::fromUtf8("UTM Zone 31 (003\u00b0E) "));
        QVERIFY(std::fabs(f.main.receiver().state().RefLat - (51.98 + 52.00) / 2) < 1e-9);
        QCOMPARE(labelsOf(*w), QStringList({"244000001 ", "244000002 "}));
        // A new target appears with the next tick.
        f.receive(244000003, 51.99, 3.97, 5.0f);
        QTRY_COMPARE_WITH_TIMEOUT(labelsOf(*w).size(), 3, 2500);

        // The picture shows the symbols in black on white at their grid positions.
        const plot::PlotView v = w->view();
        double e = 0, n = 0;
        base::NullMessageSink quiet;
        plot::PlotState probe;
        geodesy::SetZone(probe.datum, 31);
        plot::ToGrid(probe, 52.00 * geodesy::kDegToRad, 4.00 * geodesy::kDegToRad, e, n, quiet);
        const plot::PlotView::Point p = v.toPixel(e - v.centreE, n - v.centreN);
        const QImage image = w->picture()->grab().toImage();
        const qreal ratio = image.devicePixelRatio();
        QCOMPARE(image.pixelColor(QPoint(int(p.x * ratio), int(p.y * ratio))), QColor(0, 0, 0));
        QCOMPARE(image.pixelColor(QPoint(2, 2)), QColor(255, 255, 255));
    }

    void zoomButtonsScaleBoxAndZoomBoxChangeTheView() {
        Plot f;
        plot::FrmGraphics* w = f.window();
        auto* scale = w->findChild<QComboBox*>("cmbScale");
        auto* plus = w->findChild<QPushButton*>("cmdZoom_0");
        auto* minus = w->findChild<QPushButton*>("cmdZoom_1");
        const double before = w->view().metresPerPixel();
        QTest::mouseClick(plus, Qt::LeftButton);
        QCOMPARE(scale->currentText(), QString("200000"));
        QCOMPARE(w->view().metresPerPixel(), before * 0.4);
        QCOMPARE(f.panel(5), QString("RangeRings : 2 nmile  "));
        QTest::mouseClick(minus, Qt::LeftButton);
        QTest::mouseClick(minus, Qt::LeftButton);
        QCOMPARE(scale->currentText(), QString("1000000"));

        // A typed scale, then down to the first entry, where "+" gives up.
        scale->setEditText("15");
        QTest::keyClick(scale->lineEdit(), Qt::Key_Return);
        QCOMPARE(w->view().scale, 15);
        QCOMPARE(f.panel(5), QString("RangeRings : 0.01 nmile  "));
        QTest::mouseClick(plus, Qt::LeftButton);
        QCOMPARE(scale->currentText(), QString("10"));
        QVERIFY(!plus->isEnabled());
        QVERIFY(minus->isEnabled());

        // A box half the picture wide zooms in twice around its centre.
        scale->setCurrentIndex(14);  // 500000
        emit scale->activated(14);
        const plot::PlotView v = w->view();
        const double halfW = v.widthMetres() / 4, y = -v.heightMetres() / 10;
        w->pictureMouseDown(Qt::LeftButton, QPointF(0, y));
        w->pictureMouseMove(Qt::LeftButton, QPointF(halfW, y + 10));
        w->pictureMouseMove(Qt::LeftButton, QPointF(2 * halfW, y + 20));
        w->pictureMouseUp(Qt::LeftButton, QPointF(2 * halfW, y + 20), QPoint());
        QCOMPARE(w->view().scale, 250000);
        QCOMPARE(w->view().centreE, v.centreE + halfW);
        QCOMPARE(w->view().centreN, v.centreN + y + 10);
        QCOMPARE(scale->currentText(), QString("250000"));
        // A drag a thirtieth of the picture wide changes nothing.
        w->pictureMouseDown(Qt::LeftButton, QPointF(0, 0));
        w->pictureMouseMove(Qt::LeftButton, QPointF(1, 0));
        w->pictureMouseMove(Qt::LeftButton, QPointF(w->view().widthMetres() / 30, 0));
        w->pictureMouseUp(Qt::LeftButton, QPointF(w->view().widthMetres() / 30, 0), QPoint());
        QCOMPARE(w->view().scale, 250000);
    }

    void recentringOnTheMouseAndOnTheReference() {
        Plot f;
        plot::FrmGraphics* w = f.window();
        input::RunState& st = f.main.receiver().state();
        st.ReferenceMode = targets::kRefManual;
        const plot::PlotView start = w->view();
        const double refLat = st.RefLat;
        w->pictureMouseUp(Qt::RightButton, QPointF(3000, -4000), QPoint(10, 10));
        QTRY_VERIFY(w->findChild<QMenu*>("pmnuCenter")->isVisible());
        w->findChild<QMenu*>("pmnuCenter")->close();
        w->findChild<QAction*>("pmnuCenterMouse")->trigger();
        QCOMPARE(w->view().centreE, start.centreE + 3000);
        QCOMPARE(w->view().centreN, start.centreN - 4000);
        QCOMPARE(st.RefLat, refLat);  // a manual reference stays
        w->findChild<QAction*>("pmnuCenterCurrentPosition")->trigger();
        QVERIFY(std::fabs(w->view().centreE - start.centreE) < 1e-6);
    }

    void cursorReadoutsShowTheExactTexts() {
        Plot f;
        plot::FrmGraphics* w = f.window();
        QWidget* pic = w->picture();
        const input::RunState& st = f.main.receiver().state();
        // The centre of the picture is the reference position.
        const QPoint centre(pic->width() / 2, pic->height() / 2);
        w->pictureMouseMove(Qt::NoButton, QPointF(0, 0));
        QCOMPARE(f.panel(3), QString("0.0 nmile"));
        QCOMPARE(f.panel(4), QString::fromUtf8("000.0 \u00b0"));
        QCOMPARE(f.panel(1).toStdString(), geodesy::FormatPosition(st.RefLat, "LAT", "FORM", 1));
        QCOMPARE(f.panel(2).toStdString(), geodesy::FormatPosition(st.RefLon, "LON", "FORM", 1));
        // A real mouse move two centimetres above the centre at 1:10000 reads 200 m north.
        auto* scale = w->findChild<QComboBox*>("cmbScale");
        scale->setCurrentIndex(9);
        emit scale->activated(9);
        const plot::PlotView v = w->view();
        QTest::mouseMove(pic, QPoint(centre.x(), centre.y() - int(std::lround(2 * v.pxPerCm))));
        QTRY_VERIFY(f.panel(3).endsWith(" nmile"));
        QCOMPARE(f.panel(3), QString("0.11 nmile"));
        QVERIFY(f.panel(4).startsWith("359.") || f.panel(4).startsWith("000."));
    }

    void doubleClickNamesTheNearestTarget() {
        Plot f;
        plot::FrmGraphics* w = f.window();
        QSignalSpy clicked(&f.main, &app::FrmMain::targetClicked);
        // Entry 2 (52.00 N 4.00 E) lies north-east of the centre (the mean position).
        w->pictureMouseUp(Qt::LeftButton, QPointF(1800, 1100), QPoint());
        w->pictureDoubleClick();
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(clicked.at(0).at(0).toInt(), 2);
        w->pictureMouseUp(Qt::LeftButton, QPointF(-1800, -1100), QPoint());
        w->pictureDoubleClick();
        QCOMPARE(clicked.at(1).at(0).toInt(), 1);
    }

    void erblFollowsTheCursorFromTheReferenceOrAnOffsetOrigin() {
        QTemporaryDir dir;
        ui::SettingsStore store(dir.filePath("settings.ini"));
        Plot f(&store);
        plot::FrmGraphics* w = f.window();
        QAction* erbl = w->findChild<QAction*>("mnuOptionsERBL");
        erbl->trigger();
        plot::FrmERBL* tool = w->erblWindow();
        QVERIFY(tool && tool->isVisible());
        QCOMPARE(tool->windowTitle(), QString("ERBL"));
        QCOMPARE(tool->findChild<QGroupBox*>("frmGeo")->title(), QString("Geograhic co-ordinates"));
        QCOMPARE(tool->findChild<QGroupBox*>("frmTrueRngBrg")->title(), QString("True rng/brg"));

        w->pictureMouseMove(Qt::NoButton, QPointF(0, 1852));
        QCOMPARE(textOf(tool, "lblERBL_Range"), QString("1.0 nmile"));
        QVERIFY(textOf(tool, "lblERBL_Bearing").startsWith("000.") || textOf(tool, "lblERBL_Bearing").startsWith("359."));
        QCOMPARE(textOf(tool, "lblLat"), f.panel(1));
        QCOMPARE(textOf(tool, "lblLon"), f.panel(2));
        auto red = redShapes(*w);
        QCOMPARE(red.size(), size_t(2));  // the line to the cursor and the ring through it
        QCOMPARE(red[0].kind, plot::Shape::Kind::Line);
        QVERIFY(std::fabs(red[1].radius - 1852) < 5);

        // Offset origin two miles west of the cursor: measured from there, and kept there.
        w->pictureMouseUp(Qt::RightButton, QPointF(-3704, 1852), QPoint(10, 10));
        w->findChild<QMenu*>("pmnuCenter")->close();
        QAction* offset = w->findChild<QAction*>("pmnuERBLReference");
        offset->trigger();
        QVERIFY(offset->isChecked());
        w->pictureMouseMove(Qt::NoButton, QPointF(0, 1852));
        QCOMPARE(textOf(tool, "lblERBL_Range"), QString("2.0 nmile"));
        QVERIFY(textOf(tool, "lblERBL_Bearing").startsWith("090."));
        offset->trigger();
        QVERIFY(!offset->isChecked());
        w->pictureMouseMove(Qt::NoButton, QPointF(0, 1852));
        QCOMPARE(textOf(tool, "lblERBL_Range"), QString("1.0 nmile"));

        // Closing the tool clears the check mark and the overlay, and keeps its position.
        tool->close();
        QTRY_VERIFY(!w->erblWindow());
        QVERIFY(!erbl->isChecked());
        QVERIFY(redShapes(*w).empty());
        QCOMPARE(store.readNumber("ERBLLeft", 0), 1950.0);
        QCOMPARE(store.readNumber("ERBLTop", 0), 1000.0);
    }

    void lineOfSightRingFromTheTwoHeights() {
        Plot f;
        plot::FrmGraphics* w = f.window();
        w->findChild<QAction*>("mnuOptionsLOS")->trigger();
        plot::FrmLOS* los = w->losWindow();
        QVERIFY(los && los->isVisible());
        QCOMPARE(los->windowTitle(), QString("LINE OF SIGHT CALCULATOR"));
        auto* eye = los->findChild<QPushButton*>("cmdHeight_0");
        auto* object = los->findChild<QPushButton*>("cmdHeight_1");
        QCOMPARE(eye->text(), QString("0"));
        QCOMPARE(textOf(los, "lblLOS_km"), QString("0.0 km"));
        QCOMPARE(textOf(los, "lblLOS_nmile"), QString("0.0 nmile"));

        QStringList asked;
        std::optional<QString> answer = QString("16");
        los->setInputBox([&](const QString& title, const QString& prompt, const QString& def) {
            asked << title + "|" + prompt + "|" + def;
            return answer;
        });
        QTest::mouseClick(eye, Qt::LeftButton);
        QCOMPARE(asked.last(), QString("HEIGHT OF EYE|Enter new value|0"));
        QCOMPARE(eye->text(), QString("16.0"));
        QCOMPARE(textOf(los, "lblLOS_km"), QString("16.4 km"));
        QCOMPARE(textOf(los, "lblLOS_nmile"), QString("8.8 nmile"));
        auto red = redShapes(*w);
        QCOMPARE(red.size(), size_t(1));
        QCOMPARE(red[0].style, plot::LineStyle::Dash);
        QCOMPARE(red[0].radius, 16400.0);

        // Cancel and a negative height change nothing; the label acts as its button.
        answer.reset();
        QTest::mouseClick(object, Qt::LeftButton);
        answer = QString("-3");
        QTest::mouseClick(object, Qt::LeftButton);
        QCOMPARE(object->text(), QString("0"));
        QCOMPARE(textOf(los, "lblLOS_km"), QString("16.4 km"));
        answer = QString("25");
        QTest::mouseClick(los->findChild<QLabel*>("lblHeight_1"), Qt::LeftButton);
        QCOMPARE(asked.last(), QString("HEIGHT OF OBJECT|Enter new value|0"));
        QCOMPARE(textOf(los, "lblLOS_km"), QString("36.9 km"));

        // Reopened, it shows the stored heights and range.
        los->close();
        QTRY_VERIFY(!w->losWindow());
        QVERIFY(!w->findChild<QAction*>("mnuOptionsLOS")->isChecked());
        QVERIFY(redShapes(*w).empty());
        w->findChild<QAction*>("mnuOptionsLOS")->trigger();
        los = w->losWindow();
        QCOMPARE(los->findChild<QPushButton*>("cmdHeight_0")->text(), QString("16"));
        QCOMPARE(los->findChild<QPushButton*>("cmdHeight_1")->text(), QString("25"));
        QCOMPARE(textOf(los, "lblLOS_km"), QString("36.9 km"));
        QCOMPARE(textOf(los, "lblLOS_nmile"), QString("19.9 nmile"));

        // Closing the plot closes its tools.
        QPointer<plot::FrmLOS> guard(los);
        w->close();
        QTRY_VERIFY(!guard);
    }

    void placementIsStoredInTwips() {
        QTemporaryDir dir;
        ui::SettingsStore store(dir.filePath("settings.ini"));
        store.writeNumber("graphicsLeft", 3000);
        store.writeNumber("graphicsWidth", 9000);
        {
            Plot f(&store);
            QCOMPARE(f.window()->width(), 600);
            f.window()->resize(660, f.window()->height());
            f.window()->close();
        }
        QCOMPARE(store.readNumber("graphicsLeft", 0), 3000.0);
        QCOMPARE(store.readNumber("graphicsTop", 0), 1000.0);
        QCOMPARE(store.readNumber("graphicsWidth", 0), 9900.0);
        QCOMPARE(store.readNumber("graphicsHeight", 0), 7000.0);
    }
};

QTEST_MAIN(TestFrmGraphics)
#include "test_frm_graphics.moc"
