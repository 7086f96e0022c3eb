// The registration of the transports: one line per kind of input in
// kinds_transport.cpp.
#pragma once

#include <memory>

#include "station/input_kind.h"
#include "station/transport.h"

namespace input {

// A new transport of that kind; null when the kind has none.
std::unique_ptr<Transport> MakeTransport(InputKind kind);

}  // namespace input
