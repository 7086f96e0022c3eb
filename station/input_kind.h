// The kinds of input, and what the Qt-free parts need to know of each: the
// name the setup file stores, the label the windows show, and which of an
// input setting's fields the kind uses. The transports themselves are made
// by station/transports/kinds_transport.h.
//
// The kinds are listed once, in station/input_kinds.inc; nothing else
// switches on them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace input {

enum class InputKind : int16_t {
#define ORVANTA_INPUT_KIND(name, ...) name,
#include "station/input_kinds.inc"
#undef ORVANTA_INPUT_KIND
};

// What an input setting's Address and Port mean for a kind.
enum class AddressUse : int8_t {
    Device,  // Address is a device path; Baud is its speed; Port unused
    Host,    // Address is a host name or address; Port its port
    None,    // neither (a play back names its file elsewhere)
};

struct InputKindInfo {
    InputKind kind;
    const char* key;    // in the setup file ("udp"); empty: never stored
    const char* label;  // in front of the address in labels ("UDP")
    const char* choice;  // in the inputs dialog ("UDP listen")
    AddressUse address;
    bool datagrams;  // each notification is whole: its unfinished tail is dropped
    bool retries;    // tried again after a failure or loss
};

// Every kind, in the order of the inputs dialog's choice.
std::span<const InputKindInfo> InputKinds();
// The kind's entry; null for a number that names none.
const InputKindInfo* FindInputKind(InputKind kind);
// The stored kind of that setup-file name; null for an unknown name.
const InputKindInfo* FindInputKind(std::string_view key);
// "UDP 0.0.0.0:10110", "Serial /dev/ttyUSB1", "TCP host:4001".
std::string InputLabel(InputKind kind, const std::string& address, int port);

}  // namespace input
