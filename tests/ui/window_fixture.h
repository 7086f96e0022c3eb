// Shared pieces of the window tests: a main window whose operator messages are
// recorded instead of opening modal boxes, fed through its receiver; controls
// found by name; loopback and pseudo-terminal peers for the inputs.
#pragma once

#include <pty.h>
#include <unistd.h>

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <string>

#include "ais/binary_encoder.h"
#include "app/frm_main_window.h"
#include "app/incoming_messages_window.h"
#include "app/plot_keeper_window.h"
#include "app/watch_keeper_window.h"
#include "history/history_store_rows.h"
#include "support/sample_sentences.h"
#include "support/temp_dir.h"
#include "windows/targets/target_list_model.h"
#include "ui/settings_store.h"
#include "ui/twips.h"

namespace testing_support {

// Rows of a history store as an earlier run would have left them.
using history_test::Position;
using history_test::Static;
constexpr history::TimeMs kHourMs = 3600 * 1000;
// 2026-12-07 12:00:00 UTC: "now" of the tests.
constexpr history::TimeMs kNoon = 1796644800000;

inline void StoreHistory(const std::filesystem::path& file, const history::Batch& batch) {
    auto opened = history::OpenHistoryStore(file.string());
    QVERIFY2(opened.store, opened.error.c_str());
    QVERIFY(opened.store->append(batch).ok());
}

struct MainWindow {
    base::RecordingMessageSink messages;
    app::FrmMain w;
    explicit MainWindow(ui::SettingsStore* settings = nullptr, const base::Clock* clock = nullptr)
        : w(settings, nullptr, clock) {
        w.setMessageSink(&messages);
    }
    template <class Rec>
    void feed(const Rec& rec, char channel = 'A', bool ownShip = false) {
        w.receiver().takeBytes(app::Receiver::kMainInput, Join(Sentences(rec, channel, ownShip)));
    }
    void feed(const ais::BinaryMessage& m) {
        const auto p = ais::EncodeBinaryMessage(m, 0);
        w.receiver().takeBytes(app::Receiver::kMainInput, input::MakeSentence(false, 1, 1, -1, 'A', p->Payload, p->FillBits));
    }
    QString lastMessage() const {
        return messages.entries.empty() ? QString() : QString::fromStdString(messages.entries.back().text);
    }
};

// Heading south at 10 kn towards the own ship of ListFixture::ownShipNorth.
inline ais::PositionReport Closing(int32_t mmsi, double lat, double lon = 5.25) {
    auto r = ClassAReport(mmsi, lat, lon, 10.0f);
    r.COG = 180;
    return r;
}

// The main window as it stands after start-up, its input not opened; started
// on the data folder `dataDir` if given, a missing setup file not told.
struct LoadedWindow : MainWindow {
    explicit LoadedWindow(ui::SettingsStore* settings = nullptr) : MainWindow(settings) { w.load(false); }
    explicit LoadedWindow(const std::filesystem::path& dataDir) {
        w.startUp(dataDir, true);
        w.load(false);
    }
};

// The child of that name; a missing one ends the test program with its name.
template <class T>
T* Child(const QObject& parent, const char* name) {
    T* c = parent.findChild<T*>(name);
    if (!c) qFatal("no child %s", name);
    return c;
}

// A loopback server for one client at a time.
struct LocalServer {
    QTcpServer server;
    QTcpSocket* peer = nullptr;
    LocalServer() { server.listen(QHostAddress::LocalHost, 0); }
    int port() const { return server.serverPort(); }
    bool accept() {
        if (!server.hasPendingConnections() && !server.waitForNewConnection(5000)) return false;
        peer = server.nextPendingConnection();
        return peer != nullptr;
    }
    void send(const std::string& bytes) {
        peer->write(bytes.data(), static_cast<qint64>(bytes.size()));
        peer->flush();
    }
};

// A pseudo-terminal: the program opens `name` as its serial device, the test
// writes to `master` as the receiver at the other end of the cable would.
struct PseudoTerminal {
    int master = -1, slave = -1;
    char name[256] = {};
    bool ok = ::openpty(&master, &slave, name, nullptr, nullptr) == 0;
    ~PseudoTerminal() {
        if (!ok) return;
        ::close(slave);
        ::close(master);
    }
    bool write(const std::string& bytes) const {
        return ::write(master, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
};

// Runs the tests of T on offscreen screens laid out as `screens` (the
// offscreen platform's JSON list of screens), in place of QTEST_MAIN.
template <class T>
int RunOnScreens(int argc, char** argv, const char* screens) {
    TempDir dir;
    dir.write("screens.json", std::string(R"({"screens": )") + screens + "}");
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + (dir / "screens.json").c_str());
    QApplication application(argc, argv);
    T test;
    return QTest::qExec(&test, argc, argv);
}

// Writes a file of these bytes in dir and gives its path.
inline QString WriteFile(const TempDir& dir, std::string_view name, std::string_view bytes) {
    dir.write(name, bytes);
    return QString::fromStdString((dir / name).string());
}

// A settings store of its own, in a folder removed afterwards.
struct StoredSettings {
    QTemporaryDir dir;
    ui::SettingsStore store{dir.filePath("settings.ini")};
};

// The main window on a manual clock with its target list model under
// QAbstractItemModelTester, for the list tests.
struct ListFixture {
    base::ManualClock clock{base::DateTime::fromCalendar(2026, 12, 6, 14, 5, 9)};
    MainWindow m;
    targets::TargetListModel& model = m.w.listModel();
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::QtTest};
    explicit ListFixture(ui::SettingsStore* settings = nullptr) : m(settings, &clock) { m.w.load(false); }
    void feed(int32_t mmsi, float sog = 8.0f) { m.feed(ClassAReport(mmsi, 59.5, 5.25, sog)); }
    // The own ship at 59.5 N 5.25 E steaming north at 10 kn.
    void ownShipNorth() {
        auto own = ClassAReport(257999999, 59.5, 5.25, 10.0f);
        own.COG = 0;
        m.feed(own, 'A', true);
    }
    QColor colour(int row) const { return model.index(row, targets::kColMMSI).data(Qt::ForegroundRole).value<QColor>(); }
    void age(double seconds) {
        clock.advance(seconds);
        m.w.receiver().ageTargets();
        model.flush();
    }
    QString cell(int row, int column) const { return model.index(row, column).data().toString(); }
    QStringList mmsiColumn() const {
        QStringList out;
        for (int r = 0; r < model.rowCount(); ++r) out << cell(r, targets::kColMMSI);
        return out;
    }
    void clickHeader(int column) {
        emit Child<QTableView>(m.w, "fgAISTargets")->horizontalHeader()->sectionClicked(column);
    }
};

}  // namespace testing_support
