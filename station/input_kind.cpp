#include "station/input_kind.h"

#include <algorithm>
#include <array>

namespace input {

namespace {

constexpr std::array kKinds = {
#define ORVANTA_INPUT_KIND(name, key, label, choice, address, datagrams, retries) \
    InputKindInfo{InputKind::name, key, label, choice, AddressUse::address, datagrams, retries},
#include "station/input_kinds.inc"
#undef ORVANTA_INPUT_KIND
};

}  // namespace

std::span<const InputKindInfo> InputKinds() { return kKinds; }

const InputKindInfo* FindInputKind(InputKind kind) {
    const auto it = std::find_if(kKinds.begin(), kKinds.end(), [kind](const auto& k) { return k.kind == kind; });
    return it == kKinds.end() ? nullptr : &*it;
}

const InputKindInfo* FindInputKind(std::string_view key) {
    if (key.empty()) return nullptr;
    const auto it = std::find_if(kKinds.begin(), kKinds.end(), [key](const auto& k) { return key == k.key; });
    return it == kKinds.end() ? nullptr : &*it;
}

std::string InputLabel(InputKind kind, const std::string& address, int port) {
    const InputKindInfo* k = FindInputKind(kind);
    if (!k) return address;
    std::string label = k->label;
    if (k->address == AddressUse::None) return label;
    label += " " + address;
    if (k->address == AddressUse::Host) label += ":" + std::to_string(port);
    return label;
}

}  // namespace input
