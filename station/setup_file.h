// The setup file "Orvanta.ini": communication settings, the two input tests,
// the reference-position settings and the binary message standard.
//
// Plain text, CR LF line ends, items separated by commas or line ends in the
// classic "write" convention: texts in double quotes, numbers in decimal with
// "." and no blanks, truth values as #TRUE# / #FALSE#. Sections start with a
// quoted header ("REM Comport", ...) and may stand in any order; unknown items
// are skipped. For example the first lines of a file for serial port 1:
//
//   "REM Comport"
//   1,38400,8,"none",1
//   "REM IP Address"
//   #FALSE#,"127.0.0.1",8040
//
// The serial device by path has a section of its own at the end
// ("REM Serial Device", then the quoted path), so files without it load as
// before and older readers skip it.
//
// Loading never fails to its caller: problems become an operator message and
// the defaults. A value outside its range (a latitude beyond 90, a port
// beyond 65535, an unknown mode) is such a problem too; it gives its section's
// defaults. A file that failed to load is kept as "Orvanta.ini.bad" before the
// defaults can be written over it. Saving replaces the file atomically, so a crash or a full disk
// leaves either the old or the new file, never a half-written one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "station/input_counters.h"
#include "station/input_kind.h"
#include "targets/reference.h"
#include "base/operator_messages.h"

namespace input {

struct CommSettings {
    int16_t ComPort = 0;
    int32_t BaudRate = 0;
    int16_t DataBits = 0;
    int16_t StopBits = 0;
    std::string Parity;
    bool UseTCP = false;
    std::string IPAddress;
    int32_t IPPort = 0;
    int16_t IPListCount = 0;
    std::array<std::string, 10> IPList;
    // A serial device by its path (a pty, /dev/serial/by-id/..., /dev/rfcomm0);
    // when set it is opened instead of port number ComPort.
    std::string Device;
    bool operator==(const CommSettings&) const = default;
};

// The further inputs and the outputs, in sections of their own that older
// versions skip as unknown items:
//
//   "REM Inputs"
//   2
//   "udp",#TRUE#,"0.0.0.0",10110,38400
//   "serial",#FALSE#,"/dev/ttyUSB1",0,4800
//   "REM Outputs"
//   #TRUE#,"127.0.0.1",10111,#FALSE#,10112,#FALSE#,"127.0.0.1"
//
// An input: type, enabled, address (serial: device; TCP: host; UDP: address
// to listen on), port (TCP, UDP), baud rate (serial). Outputs: forward to UDP,
// its address and port, serve on TCP, its port, strip tag blocks, the address
// the TCP port listens on. That last item came later: older versions skip it,
// and an older line without it keeps what the port did then (every
// interface) when it was on; when it was off it starts at this computer only.
struct InputSetting {
    InputKind Type = InputKind::Udp;
    bool Enabled = true;
    std::string Address = "0.0.0.0";
    int32_t Port = 10110;
    int32_t Baud = 38400;
    // The main input's serial line (never stored with the further inputs):
    // a port number 1..16 when Address is empty, and the line settings.
    int32_t ComPort = 0;
    int16_t DataBits = 8;
    char Parity = 'n';
    int16_t StopBits = 1;
    bool operator==(const InputSetting&) const = default;
};

struct OutputSettings {
    bool UdpEnabled = false;
    std::string UdpAddress = "127.0.0.1";
    int32_t UdpPort = 10111;
    bool TcpEnabled = false;
    int32_t TcpPort = 10112;
    bool StripTags = false;
    // An IPv4 or IPv6 address of this computer; "0.0.0.0" is every interface.
    std::string TcpListenAddress = "127.0.0.1";
    bool operator==(const OutputSettings&) const = default;
};

inline constexpr const char* kAllInterfaces = "0.0.0.0";

struct StationSettings {
    static constexpr int kMaxInputs = 16;
    std::vector<InputSetting> Inputs;
    OutputSettings Outputs;
    bool operator==(const StationSettings&) const = default;
};

// What is wrong with the settings ("Input 2: port out of range"), empty when
// nothing is: the ranges the setup file keeps, and an address for every input
// and enabled output.
std::string StationSettingsProblem(const StationSettings& settings);

// How the receiver takes sentences, kept beside the communication settings:
// the input tests of every input ("REM Data tests") and the numbering of
// binary messages the decoder uses ("REM Binary Message Standard": 0 IMO
// SN/Circ.236, 1 the IALA proposal).
struct ReceiveSettings {
    InputTests Tests;
    int16_t BinaryMsgStandard = 0;
    bool operator==(const ReceiveSettings&) const = default;
};

// BaudRate 38400, DataBits 8, Parity "N", StopBits 1, IPAddress "127.0.0.1",
// IPPort 8040; everything else stays.
void SetSetupDefaults(CommSettings& comm);

inline constexpr const char* kBadSetupSuffix = ".bad";
inline constexpr std::size_t kMaxSetupFileBytes = 1 << 20;

// Reads the settings from text (the content of the file). Returns an empty
// string on success, else the description of the failure; fields read before
// the failure keep what was read. A section with a value out of range is set
// to its defaults and reading goes on; "Value out of range" is returned then
// (unless a later item fails to read).
// With station, the inputs and outputs sections are read into it (a missing
// section leaves its part as it was); without, they are skipped.
std::string ParseSetup(std::string_view text, CommSettings& comm, ReceiveSettings& receive, targets::Reference& state,
                       StationSettings* station = nullptr);

// The file content SaveSetup writes; the inputs and outputs sections only with station.
std::string FormatSetup(const CommSettings& comm, const ReceiveSettings& receive, const targets::Reference& state,
                        const StationSettings* station = nullptr);

void LoadSetup(const std::string& path, CommSettings& comm, ReceiveSettings& receive, targets::Reference& state,
               base::MessageSink& messages, StationSettings* station = nullptr);
// Returns false (after telling the operator) when the file could not be stored.
bool SaveSetup(const std::string& path, const CommSettings& comm, const ReceiveSettings& receive,
               const targets::Reference& state, base::MessageSink& messages, const StationSettings* station = nullptr);

// Server address check of the setup dialog: four dot-separated decimal parts,
// first and last 1-255, middle ones 0-255, at most 15 characters.
bool IsValidIPAddress(std::string_view text);
// A host name as RFC 1123 allows it: dot-separated labels of letters, digits
// and '-' (not at either end of a label), each 1-63 characters, 253 in all.
bool IsValidHostName(std::string_view text);
// What the server address may be: text of digits and dots is checked as a
// dotted address (so "1.2.3.256" stays wrong), anything else as a host name.
bool IsValidServerAddress(std::string_view text);

// What a server, host or listen address kept in the setup file may be: a
// host name (IsValidHostName), an IPv4 address of four parts 0-255 (0.0.0.0,
// "any", included) or an IPv6 address. Empty text passes: no address set.
bool IsValidHostOrAddress(std::string_view text);

// Records address in the list of recent addresses (oldest first, at most 10).
// Returns true when the list changed.
bool ReArrange_IP_List(CommSettings& comm, const std::string& address);

}  // namespace input
