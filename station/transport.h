// Transport: where the bytes of one input come from (a serial device, a TCP
// connection, a UDP port, ...). One implementation per kind of input, made
// by MakeTransport (input/kinds_transport.h) from the table of kinds; the
// station's input list drives every kind through this interface alone.
//
//   std::unique_ptr<input::Transport> t = input::MakeTransport(setting.Type);
//   t->setBytesHandler([&](std::string_view b) { receiver.takeBytes(n, b); });
//   t->setLostHandler([&](const input::TransportLoss& loss) { ...try again later... });
//   if (!t->open(setting, error)) ...;   // error: the transport's own text
//
// Nothing here blocks: a transport that connects in the background returns
// from open at once (status Opening) and reports a failure through the lost
// handler.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "station/setup_file.h"

namespace input {

enum class TransportStatus { Closed, Opening, Open };

// Connection states as the status texts number them (a socket's states; a
// kind without a connection uses Closed, Connecting and Connected).
enum SocketState : int {
    kSocketClosed = 0,
    kSocketOpen = 1,
    kSocketListening = 2,
    kSocketConnectionPending = 3,
    kSocketResolvingHost = 4,
    kSocketHostResolved = 5,
    kSocketConnecting = 6,
    kSocketConnected = 7,
    kSocketClosing = 8,
    kSocketError = 9,
};

// Why an open input failed or went away.
struct TransportLoss {
    std::string reason;   // the transport's own text
    int number = -1;      // the platform's error number, -1 none
    bool byPeer = false;  // the other end closed in order
    bool ended = false;   // the input came to its end (a file): its last line still counts
};

class Transport {
public:
    using BytesHandler = std::function<void(std::string_view)>;
    using LostHandler = std::function<void(const TransportLoss& loss)>;
    using OpenedHandler = std::function<void()>;

    virtual ~Transport() = default;

    // Opens what the setting names (its Address, Port and Baud as the kind
    // reads them); false with the reason when it cannot.
    virtual bool open(const InputSetting& setting, std::string& error) = 0;
    virtual void close() = 0;
    virtual TransportStatus status() const = 0;
    // The state in the numbering of SocketState.
    virtual int stateNumber() const {
        switch (status()) {
            case TransportStatus::Closed: return kSocketClosed;
            case TransportStatus::Opening: return kSocketConnecting;
            case TransportStatus::Open: return kSocketConnected;
        }
        return kSocketError;
    }
    // The other end's address or name, when the kind has one.
    virtual std::string peer() const { return {}; }

    // Bytes as they arrive, one notification per call (for a kind of
    // datagrams, one datagram per call).
    void setBytesHandler(BytesHandler handler) { bytes_ = std::move(handler); }
    // The input failed or went away after open (refused, closed by the
    // other end, unplugged); reason is the transport's own text.
    void setLostHandler(LostHandler handler) { lost_ = std::move(handler); }
    // A transport that opens in the background is now open.
    void setOpenedHandler(OpenedHandler handler) { opened_ = std::move(handler); }

protected:
    void deliver(std::string_view bytes) const {
        if (bytes_) bytes_(bytes);
    }
    void reportLost(const TransportLoss& loss) const {
        if (lost_) lost_(loss);
    }
    void reportOpened() const {
        if (opened_) opened_();
    }

private:
    BytesHandler bytes_;
    LostHandler lost_;
    OpenedHandler opened_;
};

}  // namespace input
