// Connection management: opens the one input source the settings choose (the
// serial port or the TCP client socket), keeps the connection text of status
// bar panel 2 and reacts to the socket's connect and error notifications.
//
// The decisions live here, free of Qt; the station's list of inputs holds the
// main input's transport (MainInputSlot), the window supplies the view:
//
//   input::ConnectionManager conn(comm, slot, view, messages);
//   conn.OpenInput();              // at start, after the setup dialog, on "CONNECT"
//   conn.SocketConnected();        // socket notifications
//   conn.SocketError(n, "Connection refused");
//   conn.ConnectionTestTick();     // every 30 s while TCP is chosen
//
// Nothing here blocks: the socket connects in the background and reports
// through the notifications. OpenInput never fails to its caller; a failure is
// an operator message plus the panel text "<description> No communication established".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/operator_messages.h"
#include "station/input_kind.h"
#include "station/setup_file.h"
#include "station/transport.h"

namespace input {

inline constexpr const char* kNoCommunication = "No communication established";
inline constexpr const char* kConnectionMessageTitle = "Orvanta";
// Interval of the connection text refresh while TCP input is chosen; 0 = stopped.
inline constexpr int kConnectionTestIntervalMs = 30000;
// After the server closed or could not be reached the client tries again by
// itself after 2 s, then 4, 8, ... at most 60 s apart, until it is connected
// or the operator disconnects.
inline constexpr int kFirstReconnectSeconds = 2;
inline constexpr int kMaxReconnectSeconds = 60;

// Line settings of the serial port.
struct SerialLine {
    int32_t baudRate = 0;
    int16_t dataBits = 8;
    char parity = 'n';   // first character of the Parity text, lower case: 'n', 'o', 'e', ...
    int16_t stopBits = 1;
    bool operator==(const SerialLine&) const = default;
};

// The line settings made from the communication settings.
SerialLine SerialLineOf(const CommSettings& comm);
// "38400,n,8,1": baud rate, first character of Parity as stored, data bits, stop bits.
std::string SerialLineText(const CommSettings& comm);

// Serial ports are chosen by number 1..16. On this system the number picks the
// n-th of the available devices in a fixed order: USB serial adapters
// (ttyUSB0, ttyUSB1, ...), then USB modems (ttyACM...), then built-in ports
// (ttyS...), then any other device, each group in numeric order. Returns an
// empty text when there is no such device. The setup dialog lists the same order.
std::string SerialDeviceName(int comPort, std::vector<std::string> available);
// The devices in that order.
std::vector<std::string> OrderSerialDevices(std::vector<std::string> available);

// "    State : Connected", "    State : Trying to connect", ..., "    State : 4".
std::string SocketStateText(int state);
// "TCP/IP Address : 127.0.0.1  port : 8040    State : Closed"
std::string TcpStatusText(const CommSettings& comm, int socketState);
// "Comport : 1     Baud rate : 38400"; with a device path "Device : /dev/pts/3     Baud rate : 38400".
std::string SerialStatusText(const CommSettings& comm);
// "<description> No communication established"
std::string OpenFailureText(std::string_view description);
// "    Reconnecting in 8 s", appended to the TCP status while a reconnect waits.
std::string ReconnectText(int seconds);
// "TCP/IP Error :10061 - <description>"
std::string TcpErrorText(int number, std::string_view description);


// The main input's place in the station's list of inputs. The list owns the
// transport; asked for a kind other than the one it holds, it makes a new
// one of that kind (the old one goes).
class MainInputSlot {
public:
    virtual ~MainInputSlot() = default;
    virtual Transport& transportFor(InputKind kind) = 0;
    // The transport it holds now; null before the first.
    virtual Transport* transport() = 0;
};

class ConnectionView {
public:
    virtual ~ConnectionView() = default;
    virtual void setConnectionText(const std::string& text) = 0;  // status bar panel 2
    virtual void setConnectVisible(bool visible) = 0;             // the "CONNECT" button
    virtual void setConnectionTestInterval(int ms) = 0;           // 0 stops the timer
    // The source was opened, closed or lost: its unfinished line will never
    // be completed and must not join the first line of what comes next.
    virtual void inputRestarted(InputKind kind) {}
};


class ConnectionManager {
public:
    ConnectionManager(const CommSettings& comm, MainInputSlot& slot, ConnectionView& view, base::MessageSink& messages)
        : comm_(comm), slot_(slot), view_(view), messages_(messages) {}

    // Closes whatever is open and opens the source the settings choose.
    void OpenInput();
    // The "CONNECT" button: hidden first, then OpenInput.
    void ConnectClicked();
    // The operator's DISCONNECT: the input is closed and no reconnect follows
    // until the next OpenInput.
    void Disconnect();
    void SocketConnected();
    // Error notification of the socket: message (not for the retries of an
    // automatic reconnect), socket closed, text refreshed, button shown, and
    // a reconnect scheduled.
    void SocketError(int number, const std::string& description);
    // The server ended the connection. The text is refreshed at once, the
    // button offered again and a reconnect scheduled.
    void SocketClosedByPeer();
    // Once a second: counts down a scheduled reconnect and tries it at 0.
    void SecondTick();
    // Seconds until the scheduled reconnect; 0 when none waits.
    int reconnectIn() const { return reconnectIn_; }
    // The open serial device went away (unplugged): closed, the failure text in
    // panel 2 and the button shown, so the operator can reopen it.
    void SerialLost(const std::string& description);
    // The transport's notifications (after its own notification is over):
    // a TCP connection made; a loss, told as SocketError, SocketClosedByPeer
    // or SerialLost by the source.
    void TransportOpened();
    void TransportLost(const TransportLoss& loss);
    void ConnectionTestTick() { ShowTCPStatus(); }
    // Rewrites panel 2 from the address, port and socket state.
    void ShowTCPStatus();

    // Which kind the last OpenInput opened (or tried to open): Serial or Tcp; none after Disconnect.
    std::optional<InputKind> source() const { return source_; }
    const std::string& connectionText() const { return text_; }

private:
    void setText(const std::string& text);
    // Closes the source (their unfinished lines dropped) and forgets a scheduled reconnect.
    void closeAll();
    // Connects the socket; false (with the reason) when the call is refused.
    bool connectTcp(std::string& error);
    void scheduleReconnect();

    const CommSettings& comm_;
    // The state of the open transport; closed when there is none.
    int socketState();
    void closeTransport();

    MainInputSlot& slot_;
    ConnectionView& view_;
    base::MessageSink& messages_;
    std::optional<InputKind> source_;
    std::string text_ = kNoCommunication;
    int reconnectDelay_ = 0;  // seconds of the last wait; 0 before the first
    int reconnectIn_ = 0;
    bool reconnecting_ = false;  // the current attempt is an automatic one
};

}  // namespace input
