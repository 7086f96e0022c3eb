// Texts from the air and from the data files are shown as the characters they
// are, in every window that shows them: a name "<B>BOLD</B>" is not bold, an
// "<IMG SRC=X.PNG>" loads no picture (one lies ready in the working folder),
// "<IMG HEIGHT=999999999 ...>" does not stretch a window, a link is not a link.
#include <QMessageBox>
#include <QScreen>

#include "windows/plot/plot_window.h"
#include "windows/targets/extra_info_window.h"
#include "ui/message_box_sink.h"
#include "window_fixture.h"

using namespace testing_support;

namespace {

const std::string kBold = "<B>BOLD</B>[*]";  // "[*]" is also special, in window titles
const std::string kTallImage = "<IMG HEIGHT=999999999 SRC=X>";
const std::string kImage = "<IMG SRC=X.PNG>";
const std::string kLink = "<A HREF=X>LINK</A>";

// Every label under a window is plain, small, and the window fits the screen.
QStringList unsafeLabels(QWidget* window) {
    QStringList out;
    const QRect screen = window->screen()->availableGeometry();
    if (window->width() > screen.width() || window->height() > screen.height()) out << window->objectName() + " size";
    for (const QLabel* l : window->findChildren<QLabel*>()) {
        if (l->textFormat() != Qt::PlainText) out << l->objectName() + " format";
        // A picture loaded from the working folder would make it 400 pixels tall.
        if (l->sizeHint().height() > 5 * l->fontMetrics().lineSpacing()) out << l->objectName() + " height";
    }
    return out;
}

}  // namespace

class TestHostileText : public QObject {
    Q_OBJECT
private slots:
    void markupIsShownAsText() {
        TempDir dir;
        QImage picture(400, 400, QImage::Format_RGB32);
        picture.fill(Qt::red);
        for (const char* name : {"X.PNG", "X"}) {
            QVERIFY(picture.save(QString::fromStdString((dir / name).string()), "PNG"));
        }
        const QString before = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(dir.path().string()));
        std::filesystem::create_directories(dir / "Database");
        dir.write("Database/City Database.txt", "<img src=x.png>,51,59,3,57\r\n");
        dir.write("Shipdata.dat", "257000004,\"&lt;b&gt;old&lt;/b&gt;\",\"<b>x\",0,10,10,5,5,70,1\r\n");

        MainWindow m;
        m.w.startUp(dir.path(), true);
        m.w.load(false);
        Child<QAction>(m.w, "mnuViewPortMonitor")->trigger();
        m.w.receiver().takeBytes(app::Receiver::kMainInput, "<IMG SRC=X.PNG><B>RAW</B>\r\n");
        auto* monitor = Child<QWidget>(m.w, "frmPortMonitor");
        QTRY_VERIFY(Child<QLabel>(*monitor, "lblInputBuffer2")->text().contains("<IMG SRC=X.PNG><B>RAW</B>"));

        m.feed(ClassAReport(257000001, 51.98, 3.95, 10.0f));
        ais::StaticVoyageData s = StaticData(257000001, kBold, "<I>CALL");
        s.Destination = kLink;
        m.feed(s);
        ais::AtoNReport aton;
        aton.MessageID = 21, aton.MMSI = 992570001, aton.Latitude = 51.99, aton.Longitude = 3.96;
        aton.Name = kTallImage.substr(0, 20), aton.NameExtension = kTallImage.substr(20);
        m.feed(aton);
        m.feed(ClassBReport(257000002, 51.97, 3.94, 5.0f));
        ais::StaticDataReport a;
        a.MessageID = 24, a.MMSI = 257000002, a.PartNumber = 0, a.Name = kImage;
        m.feed(a);
        a.PartNumber = 1, a.VendorID = "<B>XYZ", a.CallSign = "&LT;B>";
        m.feed(a);
        m.feed(ClassAReport(257000004, 51.96, 3.93, 1.0f));  // named from the ship database

        ais::BroadcastSafetyMessage broadcast;
        broadcast.MessageID = 14, broadcast.MMSI = 257000001, broadcast.Text = kTallImage + " " + kBold;
        m.feed(broadcast);

        for (int entry = 1; entry <= 4; ++entry) m.w.showExtraInfo(entry);
        Child<QAction>(m.w, "mnuViewGraphics")->trigger();
        m.w.show();
        QApplication::processEvents();

        const auto extra = [&](int entry, const char* label) {
            return m.w.extraInfoWindows().window(entry)->valueText(label).toStdString();
        };
        QCOMPARE(extra(1, "frameStaticVoyageReport_Name") + extra(1, "frameStaticVoyageReport_Destination"), kBold + kLink);
        QVERIFY(m.w.extraInfoWindows().window(1)->windowHandle()->title().startsWith(QString::fromStdString(kBold)));
        QCOMPARE(extra(2, "frameAtoNreport_Name"), kTallImage);
        QCOMPARE(extra(3, "frameMessage24A_Name") + extra(3, "frameMessage24B_CallSign"), kImage + "&LT;B>");
        m.w.listModel().flush();
        QCOMPARE(m.w.listModel().index(3, 2).data().toString(), QString("&lt;b&gt;old&lt;/b&gt;"));

        auto* message = Child<QWidget>(m.w, "frmAISMessage");
        QVERIFY(Child<QLabel>(*message, "lblName")->text().contains(QString::fromStdString(kBold)));
        QCOMPARE(Child<QPlainTextEdit>(*message, "txtMessage")->toPlainText().toStdString(), broadcast.Text);
        auto* plot = Child<plot::FrmGraphics>(m.w, "frmGraphics");
        plot->Update_AISGraphics(plot::FrmGraphics::UpdateMode::CurrentPos);
        const auto& shapes = plot->picture()->moving();
        QVERIFY(std::any_of(shapes.begin(), shapes.end(),
                            [](const plot::Shape& s) { return s.text.starts_with(kBold + " "); }));

        QStringList unsafe;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible()) unsafe += unsafeLabels(w);
        }
        QVERIFY2(unsafe.isEmpty(), qPrintable(unsafe.join(", ")));
        QDir::setCurrent(before);
    }

    // Operator messages quote typed texts and file names: the box shows them as typed.
    void messageBoxesArePlain() {
        ui::MessageBoxSink sink;
        Qt::TextFormat format = Qt::RichText;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            format = box->textFormat();
            box->close();
        });
        sink.operatorMessage(base::MessageIcon::Critical, "Orvanta", kImage + " is not a valid MMSI number!");
        QCOMPARE(format, Qt::PlainText);
    }
};

// A screen that holds every window at its designed size.
int main(int argc, char** argv) {
    return RunOnScreens<TestHostileText>(
        argc, argv, R"([{"name": "s", "x": 0, "y": 0, "width": 1920, "height": 1200, "logicalDpi": 96}])");
}
#include "test_hostile_text.moc"
