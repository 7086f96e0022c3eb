// Transport: where the bytes of one input come from (a serial device, a TCP
// connection, a UDP port, ...). One implementation per kind of input, made
// by MakeTransport (input/kinds_transport.h) from the table of kinds; the
// station's input list drives every kind through this interface alone.
//
//   std::unique_ptr<input::Transport> t = input::MakeTransport(setting.Type);
//   t->setBytesHandler([&](std::string_view b) { receiver.takeBytes(n, b); });
//   t->setLostHandler([&](const std::string& why) { ...try again later... });
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

class Transport {
public:
    using BytesHandler = std::function<void(std::string_view)>;
    using LostHandler = std::function<void(const std::string& reason)>;

    virtual ~Transport() = default;

    // Opens what the setting names (its Address, Port and Baud as the kind
    // reads them); false with the reason when it cannot.
    virtual bool open(const InputSetting& setting, std::string& error) = 0;
    virtual void close() = 0;
    virtual TransportStatus status() const = 0;

    // Bytes as they arrive, one notification per call (for a kind of
    // datagrams, one datagram per call).
    void setBytesHandler(BytesHandler handler) { bytes_ = std::move(handler); }
    // The input failed or went away after open (refused, closed by the
    // other end, unplugged); reason is the transport's own text.
    void setLostHandler(LostHandler handler) { lost_ = std::move(handler); }

protected:
    void deliver(std::string_view bytes) const {
        if (bytes_) bytes_(bytes);
    }
    void reportLost(const std::string& reason) const {
        if (lost_) lost_(reason);
    }

private:
    BytesHandler bytes_;
    LostHandler lost_;
};

}  // namespace input
