#include "station/transports/kinds_transport.h"

#include <algorithm>

#include "station/transports/playback_transport.h"
#include "station/transports/serial_transport.h"
#include "station/transports/tcp_transport.h"
#include "station/transports/udp_transport.h"

namespace input {

namespace {

struct Registration {
    InputKind kind;
    std::unique_ptr<Transport> (*make)();
};

template <class T>
std::unique_ptr<Transport> make() {
    return std::make_unique<T>();
}

// One line per kind.
constexpr Registration kTransports[] = {
    {InputKind::Serial, &make<SerialTransport>},
    {InputKind::Tcp, &make<TcpTransport>},
    {InputKind::Udp, &make<UdpTransport>},
    {InputKind::Playback, &make<PlaybackTransport>},
};

}  // namespace

std::unique_ptr<Transport> MakeTransport(InputKind kind) {
    const auto* it = std::find_if(std::begin(kTransports), std::end(kTransports),
                                  [kind](const Registration& r) { return r.kind == kind; });
    return it == std::end(kTransports) ? nullptr : it->make();
}

}  // namespace input
