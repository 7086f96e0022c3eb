#include "station/connection.h"

#include <algorithm>
#include <cctype>
#include <tuple>

namespace input {

SerialLine SerialLineOf(const CommSettings& comm) {
    SerialLine line;
    line.baudRate = comm.BaudRate;
    line.dataBits = comm.DataBits;
    line.parity = comm.Parity.empty() ? 'n' : static_cast<char>(std::tolower(static_cast<unsigned char>(comm.Parity[0])));
    line.stopBits = comm.StopBits;
    return line;
}

std::string SerialLineText(const CommSettings& comm) {
    std::string text = std::to_string(comm.BaudRate) + ",";
    if (!comm.Parity.empty()) text += comm.Parity[0];
    text += "," + std::to_string(comm.DataBits) + "," + std::to_string(comm.StopBits);
    return text;
}

namespace {

// Sort key of a device name: group, then the number at its end, then the name.
std::tuple<int, long, std::string> DeviceKey(const std::string& name) {
    const std::string base = name.substr(name.rfind('/') == std::string::npos ? 0 : name.rfind('/') + 1);
    int group = 3;
    if (base.rfind("ttyUSB", 0) == 0) {
        group = 0;
    } else if (base.rfind("ttyACM", 0) == 0) {
        group = 1;
    } else if (base.rfind("ttyS", 0) == 0) {
        group = 2;
    }
    size_t digits = base.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(base[digits - 1]))) --digits;
    long number = -1;
    if (digits < base.size() && base.size() - digits < 9) number = std::stol(base.substr(digits));
    return {group, number, base};
}

}  // namespace

std::vector<std::string> OrderSerialDevices(std::vector<std::string> available) {
    std::sort(available.begin(), available.end(),
              [](const std::string& a, const std::string& b) { return DeviceKey(a) < DeviceKey(b); });
    available.erase(std::unique(available.begin(), available.end()), available.end());
    return available;
}

std::string SerialDeviceName(int comPort, std::vector<std::string> available) {
    if (comPort < 1) return {};
    available = OrderSerialDevices(std::move(available));
    if (static_cast<size_t>(comPort) > available.size()) return {};
    return available[static_cast<size_t>(comPort - 1)];
}

std::string SocketStateText(int state) {
    switch (state) {
        case kSocketClosed: return "    State : Closed";
        case kSocketConnected: return "    State : Connected";
        case kSocketConnecting: return "    State : Trying to connect";
        case kSocketClosing: return "    State : Closing";
        default: return "    State : " + std::to_string(state);
    }
}

std::string TcpStatusText(const CommSettings& comm, int socketState) {
    return "TCP/IP Address : " + comm.IPAddress + "  port : " + std::to_string(comm.IPPort) +
           SocketStateText(socketState);
}

std::string SerialStatusText(const CommSettings& comm) {
    if (!comm.Device.empty()) return "Device : " + comm.Device + "     Baud rate : " + std::to_string(comm.BaudRate);
    return "Comport : " + std::to_string(comm.ComPort) + "     Baud rate : " + std::to_string(comm.BaudRate);
}

std::string OpenFailureText(std::string_view description) {
    std::string text(description);
    text += " ";
    text += kNoCommunication;
    return text;
}

std::string TcpErrorText(int number, std::string_view description) {
    std::string text = "TCP/IP Error :" + std::to_string(number) + " - ";
    text += description;
    return text;
}

std::string ReconnectText(int seconds) { return "    Reconnecting in " + std::to_string(seconds) + " s"; }

void ConnectionManager::setText(const std::string& text) {
    text_ = text;
    view_.setConnectionText(text_);
}

int ConnectionManager::socketState() {
    Transport* t = slot_.transport();
    return t ? t->stateNumber() : kSocketClosed;
}

void ConnectionManager::closeTransport() {
    if (Transport* t = slot_.transport(); t && t->status() != TransportStatus::Closed) t->close();
}

void ConnectionManager::closeAll() {
    closeTransport();
    view_.inputRestarted(InputKind::Serial);
    view_.inputRestarted(InputKind::Tcp);
    reconnectDelay_ = 0;
    reconnectIn_ = 0;
    reconnecting_ = false;
}

void ConnectionManager::OpenInput() {
    closeAll();

    std::string error;
    bool ok = true;
    if (comm_.UseTCP) {
        source_ = InputKind::Tcp;
        ok = connectTcp(error);
        if (ok) {
            ShowTCPStatus();
            view_.setConnectionTestInterval(kConnectionTestIntervalMs);
        }
    } else {
        source_ = InputKind::Serial;
        view_.setConnectionTestInterval(0);
        if (comm_.Device.empty() && (comm_.ComPort < 1 || comm_.ComPort > 16)) {
            ok = false;
            error = "Invalid port number";
        } else {
            const SerialLine line = SerialLineOf(comm_);
            InputSetting setting{.Type = InputKind::Serial, .Address = comm_.Device, .Port = 0, .Baud = line.baudRate};
            setting.ComPort = comm_.Device.empty() ? comm_.ComPort : 0;
            setting.DataBits = line.dataBits, setting.Parity = line.parity, setting.StopBits = line.stopBits;
            ok = slot_.transportFor(InputKind::Serial).open(setting, error);
        }
        if (ok) setText(SerialStatusText(comm_));
    }
    if (!ok) {
        const std::string text = OpenFailureText(error);
        messages_.operatorMessage(base::MessageIcon::Critical, kConnectionMessageTitle, text);
        setText(text);
        // Nothing is open: the operator may try again.
        view_.setConnectVisible(true);
        return;
    }
    view_.setConnectVisible(false);
}

bool ConnectionManager::connectTcp(std::string& error) {
    // The setup file's address passes the dialog's check too: a dotted
    // address or a host name, which the socket looks up in the background.
    if (comm_.IPPort < 1 || comm_.IPPort > 65535 || !IsValidServerAddress(comm_.IPAddress)) {
        error = "Invalid address or port.";
        return false;
    }
    const InputSetting setting{.Type = InputKind::Tcp, .Address = comm_.IPAddress, .Port = comm_.IPPort};
    return slot_.transportFor(InputKind::Tcp).open(setting, error);
}

void ConnectionManager::scheduleReconnect() {
    reconnectDelay_ = reconnectDelay_ == 0 ? kFirstReconnectSeconds : std::min(2 * reconnectDelay_, kMaxReconnectSeconds);
    reconnectIn_ = reconnectDelay_;
    ShowTCPStatus();
}

void ConnectionManager::SecondTick() {
    if (reconnectIn_ <= 0 || source_ != InputKind::Tcp) return;
    if (--reconnectIn_ > 0) {
        ShowTCPStatus();
        return;
    }
    reconnecting_ = true;
    std::string error;
    if (connectTcp(error)) {
        ShowTCPStatus();
    } else {
        scheduleReconnect();
    }
}

void ConnectionManager::Disconnect() {
    closeAll();
    setText(source_ == InputKind::Tcp ? TcpStatusText(comm_, kSocketClosed) : std::string(kNoCommunication));
    source_.reset();
    view_.setConnectVisible(true);
}

void ConnectionManager::ConnectClicked() {
    view_.setConnectVisible(false);
    OpenInput();
}

void ConnectionManager::SocketConnected() {
    reconnectDelay_ = 0;
    reconnectIn_ = 0;
    reconnecting_ = false;
    ShowTCPStatus();
    view_.setConnectVisible(false);
}

void ConnectionManager::SocketError(int number, const std::string& description) {
    if (source_ != InputKind::Tcp) return;
    // One box for a failure the operator started; the retries after it only
    // count down in the panel, or a server that stays away would bury the
    // operator under boxes.
    if (!reconnecting_) {
        messages_.operatorMessage(base::MessageIcon::Critical, kConnectionMessageTitle, TcpErrorText(number, description));
    }
    closeTransport();
    view_.inputRestarted(InputKind::Tcp);
    scheduleReconnect();
    view_.setConnectVisible(true);
}

void ConnectionManager::SocketClosedByPeer() {
    if (source_ != InputKind::Tcp) return;
    closeTransport();
    view_.inputRestarted(InputKind::Tcp);
    reconnecting_ = true;
    scheduleReconnect();
    view_.setConnectVisible(true);
}

void ConnectionManager::SerialLost(const std::string& description) {
    if (source_ != InputKind::Serial) return;
    closeTransport();
    view_.inputRestarted(InputKind::Serial);
    setText(OpenFailureText(description));
    view_.setConnectVisible(true);
}

void ConnectionManager::TransportOpened() {
    if (source_ == InputKind::Tcp) SocketConnected();
}

void ConnectionManager::TransportLost(const TransportLoss& loss) {
    if (source_ == InputKind::Serial) {
        SerialLost(loss.reason);
    } else if (loss.byPeer) {
        SocketClosedByPeer();
    } else {
        SocketError(loss.number, loss.reason);
    }
}

void ConnectionManager::ShowTCPStatus() {
    std::string text = TcpStatusText(comm_, socketState());
    if (reconnectIn_ > 0) text += ReconnectText(reconnectIn_);
    setText(text);
}

}  // namespace input
