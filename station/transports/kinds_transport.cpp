#include "station/transports/kinds_transport.h"

#include <algorithm>

namespace input {

namespace {

struct Registration {
    InputKind kind;
    std::unique_ptr<Transport> (*make)();
};

constexpr Registration kTransports[] = {
#define ORVANTA_INPUT_KIND(name, ...) {InputKind::name, &Make##name##Transport},
#include "station/input_kinds.inc"
#undef ORVANTA_INPUT_KIND
};

}  // namespace

std::unique_ptr<Transport> MakeTransport(InputKind kind) {
    const auto* it = std::find_if(std::begin(kTransports), std::end(kTransports),
                                  [kind](const Registration& r) { return r.kind == kind; });
    return it == std::end(kTransports) ? nullptr : it->make();
}

}  // namespace input
