#include <gtest/gtest.h>

#include <vector>

#include "station/connection.h"
#include <string>
#include "sentence/framer.h"

namespace input {
namespace {

// The main input's transports as the station's list would hold them: one of
// each kind, the one asked for last is current.
struct FakeSerial : Transport {
    TransportStatus status() const override { return open_ ? TransportStatus::Open : TransportStatus::Closed; }
    void close() override {
        open_ = false;
        ++closes;
    }
    bool open(const InputSetting& s, std::string& error) override {
        openedPort = s.ComPort;
        line = {s.Baud, s.DataBits, s.Parity, s.StopBits};
        if (!available) {
            error = "Port not available";
            return false;
        }
        open_ = true;
        return true;
    }
    bool open_ = false;
    bool available = true;
    int closes = 0;
    int openedPort = 0;
    SerialLine line;
};

struct FakeSocket : Transport {
    TransportStatus status() const override { return st == kSocketClosed ? TransportStatus::Closed : TransportStatus::Opening; }
    int stateNumber() const override { return st; }
    void close() override {
        st = kSocketClosed;
        ++closes;
    }
    bool open(const InputSetting& s, std::string& error) override {
        host = s.Address;
        port = s.Port;
        if (refuse) {
            error = "Invalid argument";
            return false;
        }
        st = kSocketConnecting;
        return true;
    }
    int st = kSocketClosed;
    bool refuse = false;
    int closes = 0;
    std::string host;
    int port = 0;
};

struct FakeSlot : MainInputSlot {
    FakeSlot(Transport& serial, Transport& socket) : serial_(serial), socket_(socket) {}
    Transport& transportFor(InputKind kind) override {
        current_ = kind == InputKind::Tcp ? &socket_ : &serial_;
        return *current_;
    }
    Transport* transport() override { return current_; }
    Transport& serial_;
    Transport& socket_;
    Transport* current_ = nullptr;
};

struct FakeView : ConnectionView {
    void setConnectionText(const std::string& t) override { text = t; }
    void setConnectVisible(bool v) override { visible = v; }
    void setConnectionTestInterval(int ms) override { interval = ms; }
    void inputRestarted(InputKind k) override { restarted.push_back(k); }
    std::vector<InputKind> restarted;
    std::string text = kNoCommunication;
    bool visible = true;
    int interval = 0;
};

class ConnectionTest : public ::testing::Test {
protected:
    ConnectionTest() {
        SetSetupDefaults(comm);
        comm.ComPort = 1;
        comm.Parity = "none";
    }
    CommSettings comm;
    FakeSerial serial;
    FakeSocket socket;
    FakeSlot slot{serial, socket};
    FakeView view;
    base::RecordingMessageSink messages;
    ConnectionManager conn{comm, slot, view, messages};
};

TEST_F(ConnectionTest, SerialOpensWithLineSettingsStopsTheRefreshAndHidesTheButton) {
    view.interval = 30000;
    conn.OpenInput();
    EXPECT_EQ(std::tie(serial.open_, serial.openedPort, serial.line, view.text, view.interval, view.visible),
              std::tuple(true, 1, SerialLine{38400, 8, 'n', 1}, "Comport : 1     Baud rate : 38400", 0, false));
    EXPECT_TRUE(messages.entries.empty());
    EXPECT_EQ(conn.source(), InputKind::Serial);
    // Reopening closes the port first.
    conn.OpenInput();
    EXPECT_EQ(std::pair(serial.closes, serial.open_), std::pair(1, true));
    // An unplugged device is closed and reported; the button comes back.
    conn.SerialLost("Resource temporarily unavailable");
    EXPECT_EQ(std::tie(serial.open_, view.text, view.visible),
              std::tuple(false, "Resource temporarily unavailable No communication established", true));
}

// After the server goes the client retries by itself, 2, 4, 8 ... 60 s apart
// and without a box per retry, until connected or disconnected.
TEST_F(ConnectionTest, ReconnectsWithBackOffUntilConnectedOrDisconnected) {
    comm.UseTCP = true;
    conn.OpenInput();
    socket.st = kSocketConnected;
    conn.SocketConnected();
    conn.SocketClosedByPeer();
    std::vector<int> waits;
    for (int attempt = 0; attempt < 7; ++attempt) {
        waits.push_back(conn.reconnectIn());
        socket.host.clear();
        while (conn.reconnectIn() > 1) conn.SecondTick();
        EXPECT_TRUE(socket.host.empty());
        conn.SecondTick();
        EXPECT_EQ(socket.host, "127.0.0.1");
        conn.SocketError(10061, "refused");
    }
    EXPECT_EQ(waits, (std::vector<int>{2, 4, 8, 16, 32, 60, 60}));
    EXPECT_TRUE(messages.entries.empty());
    EXPECT_EQ(view.text, "TCP/IP Address : 127.0.0.1  port : 8040    State : Closed    Reconnecting in 60 s");
    // Connected again, the next loss starts from 2 s; DISCONNECT stops it all.
    socket.st = kSocketConnected;
    conn.SocketConnected();
    EXPECT_FALSE(view.visible);
    conn.SocketClosedByPeer();
    EXPECT_EQ(conn.reconnectIn(), 2);
    conn.Disconnect();
    socket.host.clear();
    for (int i = 0; i < 5; ++i) conn.SecondTick();
    EXPECT_TRUE(socket.host.empty());
    EXPECT_TRUE(view.visible);
}

// Opening, losing or closing an input restarts it (its unfinished line is
// dropped); a dotted address or an RFC 1123 host name is connected to.
TEST_F(ConnectionTest, InputsRestartAndOnlyDottedAddressesAreConnectedTo) {
    using S = InputKind;
    comm.UseTCP = true;
    conn.OpenInput();
    conn.SocketClosedByPeer();
    conn.SocketError(10061, "refused");
    conn.SerialLost("gone");  // not the chosen source
    EXPECT_EQ(view.restarted, (std::vector<S>{S::Serial, S::Tcp, S::Tcp, S::Tcp}));
    for (const char* address : {"-bad.org", "a..b", "ship_1", "1.2.3.256", "", "10.0.0.1 ", "0.1.2.3"}) {
        comm.IPAddress = address;
        socket.host = "none";
        conn.OpenInput();
        EXPECT_EQ(socket.host, "none") << address;
        EXPECT_EQ(view.text, "Invalid address or port. No communication established") << address;
    }
    for (const char* address : {"localhost", "ais-feed.example.org", "10.0.0.1"}) {
        comm.IPAddress = address;
        conn.OpenInput();
        EXPECT_EQ(socket.host, address);
    }
}

// The list hands a transport's loss over as it is: the chosen source's rule
// reads it (the device's own text, the TCP error's box, a quiet retry after
// the server closed).
TEST_F(ConnectionTest, ATransportsLossReachesTheRuleOfTheChosenSource) {
    const std::string closed = "TCP/IP Address : 127.0.0.1  port : 8040    State : Closed    Reconnecting in 2 s";
    struct Row {
        bool tcp;
        const char* reason;
        int number;
        bool byPeer;
        std::string text;
        std::vector<std::string> boxes;
    };
    const Row rows[] = {
        {false, "gone", 5, false, "gone No communication established", {}},
        {true, "Connection refused", 0, false, closed, {"TCP/IP Error :0 - Connection refused"}},
        {true, "closed by the server", 1, true, closed, {}},
    };
    for (const Row& r : rows) {
        comm.UseTCP = r.tcp;
        conn.OpenInput();
        messages.entries.clear();
        conn.TransportLost(TransportLoss{.reason = r.reason, .number = r.number, .byPeer = r.byPeer, .ended = false});
        EXPECT_EQ(view.text, r.text) << r.reason;
        std::vector<std::string> boxes;
        for (const auto& e : messages.entries) boxes.push_back(e.text);
        EXPECT_EQ(boxes, r.boxes) << r.reason;
        EXPECT_TRUE(view.visible) << r.reason;
        EXPECT_EQ(slot.transport()->status(), TransportStatus::Closed) << r.reason;
    }
}

struct Lines : SentenceHandler {
    void handleSentence(std::string_view s) override { sentences.emplace_back(s); }
    std::vector<std::string> sentences;
};

TEST(FramerCutOff, TheOldTailNeverJoinsTheNextLine) {
    const std::string overlong(Framer::kMaxLine + 10, 'x');
    const struct Row {
        const char* what;
        std::string before, after;
        std::vector<std::string> sentences;
        int32_t cutOff, overflow;
    } rows[] = {
        {"tail dropped", "!AIVDM,1,1,,A,13a", "!AIVDM,1,1,,B,13aG,0*00\r\n", {"!AIVDM,1,1,,B,13aG,0*00\r\n"}, 1, 0},
        {"nothing pending", "$GPGGA\r\n", "X\n", {"$GPGGA\r\n", "X\n"}, 0, 0},
        {"overlong line ends as overflow", overlong, "X\n", {"X\n"}, 0, 1},
    };
    for (const Row& r : rows) {
        Lines out;
        Framer framer(out);
        framer.receive(r.before);
        framer.dropUnfinished();
        framer.receive(r.after);
        EXPECT_EQ(std::tie(out.sentences, framer.counts().CutOff, framer.counts().Overflow),
                  std::tie(r.sentences, r.cutOff, r.overflow))
            << r.what;
    }
}

}  // namespace
}  // namespace input
