// ParseSetup on any text, and what the program writes back from it.
//
// What must hold: whatever the text, every value read is within its range
// (latitude, longitude, ports, modes), "Value out of range" being reported
// only when a section was set back to its defaults. Whatever was read (also
// when reading stopped at a fault)
// is written by FormatSetup as a file that reads back without a fault and to
// the same settings, except that a '"' inside a text is stored as "'" and
// the reference position keeps 15 significant digits. Written again, the file
// is byte for byte the same.
#include <cmath>

#include "fuzz/fuzz_support.h"
#include "station/setup_file.h"

namespace {

std::string quoteless(std::string s) {
    for (char& c : s) {
        if (c == '"') c = '\'';
    }
    return s;
}

bool near(double a, double b) { return a == b || std::fabs(a - b) <= 1e-14 * std::max(std::fabs(a), std::fabs(b)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    input::CommSettings comm;
    input::SetSetupDefaults(comm);
    targets::Reference state;
    input::ReceiveSettings receive;
    const std::string failure = input::ParseSetup(fuzzing::AsText(data, size), comm, receive, state);
    FUZZ_CHECK(comm.IPListCount >= 0 && comm.IPListCount <= 10);
    FUZZ_CHECK(state.lat() >= -90 && state.lat() <= 90 && state.lon() >= -180 && state.lon() <= 180);
    FUZZ_CHECK(state.mode() >= 0 && state.mode() <= 3 && state.mmsi() >= 0);
    FUZZ_CHECK(receive.BinaryMsgStandard == 0 || receive.BinaryMsgStandard == 1);
    FUZZ_CHECK(comm.IPPort >= 1 && comm.IPPort <= 65535);
    FUZZ_CHECK(comm.ComPort >= 0 && comm.ComPort <= 16 && comm.DataBits >= 5 && comm.DataBits <= 8 &&
               comm.StopBits >= 1 && comm.StopBits <= 2 && comm.BaudRate >= 1);
    if (failure == "Value out of range") {
        // Only when something was out of range: the same text without any
        // out-of-range section would have read cleanly, so at least one
        // section now holds exactly its defaults.
        input::CommSettings d;
        input::SetSetupDefaults(d);
        const bool comportDefault = comm.ComPort == 0 && comm.BaudRate == d.BaudRate && comm.Parity == d.Parity;
        const bool addressDefault = !comm.UseTCP && comm.IPAddress == d.IPAddress && comm.IPPort == d.IPPort;
        const bool referenceDefault = state.lat() == 0 && state.lon() == 0 && state.mode() == 0;
        FUZZ_CHECK(comportDefault || addressDefault || referenceDefault || receive.BinaryMsgStandard == 0);
    }

    const std::string file = input::FormatSetup(comm, receive, state);
    input::CommSettings comm2;
    targets::Reference state2;
    input::ReceiveSettings receive2;
    FUZZ_CHECK(input::ParseSetup(file, comm2, receive2, state2).empty());

    FUZZ_CHECK(comm2.ComPort == comm.ComPort && comm2.BaudRate == comm.BaudRate && comm2.DataBits == comm.DataBits &&
               comm2.StopBits == comm.StopBits && comm2.UseTCP == comm.UseTCP && comm2.IPPort == comm.IPPort &&
               comm2.IPListCount == comm.IPListCount);
    FUZZ_CHECK(comm2.Parity == quoteless(comm.Parity));
    FUZZ_CHECK(comm2.IPAddress == quoteless(comm.IPAddress));
    for (int i = 0; i < comm.IPListCount; ++i) {
        FUZZ_CHECK(comm2.IPList[static_cast<size_t>(i)] == quoteless(comm.IPList[static_cast<size_t>(i)]));
    }
    FUZZ_CHECK(receive2 == receive);
    FUZZ_CHECK(near(state2.lat(), state.lat()) && near(state2.lon(), state.lon()));
    FUZZ_CHECK(state2.mode() == state.mode() && state2.mmsi() == state.mmsi());

    FUZZ_CHECK(input::FormatSetup(comm2, receive2, state2) == file);
    return 0;
}
