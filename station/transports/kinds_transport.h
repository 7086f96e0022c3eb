// The transports of the kinds of input: every kind listed in
// station/input_kinds.inc has one, made by its Make<Name>Transport().
#pragma once

#include <memory>

#include "station/input_kind.h"
#include "station/transport.h"

namespace input {

// A new transport of that kind; null for a number that names no kind.
std::unique_ptr<Transport> MakeTransport(InputKind kind);

// Each kind's own maker, defined beside its transport class:
// std::unique_ptr<Transport> MakeSerialTransport(), MakeTcpTransport(), ...
#define ORVANTA_INPUT_KIND(name, ...) std::unique_ptr<Transport> Make##name##Transport();
#include "station/input_kinds.inc"
#undef ORVANTA_INPUT_KIND

}  // namespace input
