// Checks and texts of the communication setup dialog, free of Qt.
//
//   input::ParsePortNumber("8040abc")  -> 8040
//   input::ParsePortNumber("80,5")     -> nullopt (read as 80.5)
//   input::ListComPorts({"/dev/ttyS0", "/dev/ttyUSB0"})
//       -> {{1, "/dev/ttyUSB0"}, {2, "/dev/ttyS0"}}
//
// The address check itself is input::IsValidIPAddress (setup_file.h).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace input {

inline constexpr const char* kCommSetupMessageTitle = "Orvanta";
inline constexpr const char* kInvalidIPAddressText =
    " is not a valid IP address! Has to be in the range 1.0.0.1 to 255.255.255.255";
inline constexpr const char* kInvalidPortText =
    " is not a valid port number! Has to be an integer value in the range 1-65535";
inline constexpr const char* kNoComportSelected = "No comport selected";

inline constexpr std::array<int32_t, 6> kBaudRates = {4800, 9600, 19200, 38400, 57600, 115200};
// Port numbers above this are not offered.
inline constexpr int kMaxComPort = 16;

// The server port of a typed text: its leading number ("," taken as a decimal
// point, trailing text ignored) when that is a whole number from 1 to 65535.
std::optional<int32_t> ParsePortNumber(std::string_view text);

struct ComPortEntry {
    int number = 0;      // 1..kMaxComPort, shown as "COM<number>"
    std::string device;  // the system's device behind the number
    bool operator==(const ComPortEntry&) const = default;
};

// The ports the dialog offers: the available devices in the order that gives
// them their numbers (see SerialDeviceName), at most kMaxComPort of them.
std::vector<ComPortEntry> ListComPorts(std::vector<std::string> available);

}  // namespace input
