// Setup files written by someone else: values out of range give their
// section's defaults (the rest of the file still counts), the file that failed
// is kept beside as Orvanta.ini.bad, and something other than a regular file
// in its place neither blocks nor is copied.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "station/setup_file.h"
#include "support/temp_dir.h"

namespace input {
namespace {

using testing_support::TempDir;

constexpr const char* kComport = "\"REM Comport\"\r\n3,9600,7,\"even\",2\r\n";
constexpr const char* kAddress = "\"REM IP Address\"\r\n#TRUE#,\"10.1.1.1\",1234\r\n";
constexpr const char* kRange = "Value out of range - Error in Setup file. Default data loaded";

TEST(SetupHostile, ValuesOutOfRangeGiveTheirSectionsDefaults) {
    const struct Row {
        std::string section;  // added after the two good sections above
        const char* message;  // nullptr: loads without a word
        bool comportKept, addressKept;
    } rows[] = {
        {"\"REM RefPos Settings\"\r\n1e308,10.25\r\n2,0\r\n", kRange, true, true},
        {"\"REM RefPos Settings\"\r\n59.5,180.5\r\n2,0\r\n", kRange, true, true},
        {"\"REM RefPos Settings\"\r\n59.5,10.25\r\n7,0\r\n", kRange, true, true},
        {"\"REM RefPos Settings\"\r\n59.5,10.25\r\n3,-5\r\n", kRange, true, true},
        {"\"REM Binary Message Standard\"\r\n5\r\n", kRange, true, true},
        {"\"REM IP Address\"\r\n#TRUE#,\"10.1.1.1\",70000\r\n", kRange, true, false},
        {"\"REM IP Address\"\r\n#TRUE#,\"10.1.1.1\",0\r\n", kRange, true, false},
        {"\"REM Comport\"\r\n17,9600,7,\"even\",2\r\n", kRange, false, true},
        {"\"REM Comport\"\r\n3,9600,9,\"even\",2\r\n", kRange, false, true},
        {"\"REM Comport\"\r\n3,9600,7,\"x\",2\r\n", kRange, false, true},
        {"\"REM Comport\"\r\n3,-9600,7,\"n\",2\r\n", kRange, false, true},
        // The server address: a host name or an IPv4 or IPv6 address, nothing else.
        {"\"REM IP Address\"\r\n#TRUE#,\"evil host;rm -rf\",1234\r\n", kRange, true, false},
        {"\"REM IP Address\"\r\n#TRUE#,\"$(reboot)\",1234\r\n", kRange, true, false},
        {"\"REM IP Address\"\r\n#TRUE#,\"-ais.example.org\",1234\r\n", kRange, true, false},
        {"\"REM IP Address\"\r\n#TRUE#,\"ais..example.org\",1234\r\n", kRange, true, false},
        {"\"REM IP Address\"\r\n#TRUE#,\"" + std::string(64, 'a') + ".org\",1234\r\n", kRange, true, false},
        {"\"REM IP Address\"\r\n#TRUE#,\"" + std::string(250, 'a') + ".org\",1234\r\n", kRange, true, false},
        {"\"REM IP Address\"\r\n#TRUE#,\"10.1.1.256\",1234\r\n", kRange, true, false},
        {"\"REM IP Address\"\r\n#TRUE#,\"fe80::1::2\",1234\r\n", kRange, true, false},
        {"\"REM IP Address\"\r\n#TRUE#,\"ais-1.example.org\",1234\r\n", nullptr, true, true},
        {"\"REM IP Address\"\r\n#TRUE#,\"2001:db8::7\",1234\r\n", nullptr, true, true},
        {"\"REM IP Address\"\r\n#TRUE#,\"" + std::string(63, 'a') + "." + std::string(63, 'b') + "\",1234\r\n",
         nullptr, true, true},
        // Reading stops at a broken item; what was read out of range is not kept either.
        {"\"REM RefPos Settings\"\r\n91,abc\r\n", "Type mismatch - Error in Setup file. Default data loaded", true,
         true},
        {"\"REM RefPos Settings\"\r\n-90,-180\r\n3,999999999\r\n", nullptr, true, true},
    };
    for (const Row& r : rows) {
        TempDir dir;
        const std::string text = std::string(kComport) + kAddress + r.section;
        dir.write("Orvanta.ini", text);
        CommSettings comm;
        SetSetupDefaults(comm);
        targets::Reference state;
        ReceiveSettings receive;
        base::RecordingMessageSink sink;
        LoadSetup((dir / "Orvanta.ini").string(), comm, receive, state, sink);
        ASSERT_EQ(sink.entries.size(), r.message ? 1u : 0u) << r.section;
        if (r.message) {
            EXPECT_EQ(sink.entries[0].text, r.message) << r.section;
        }
        EXPECT_EQ(std::tuple(comm.ComPort, comm.UseTCP), std::tuple(r.comportKept ? 3 : 0, r.addressKept)) << r.section;
        if (r.message == kRange || !r.message) {  // else every line setting takes its default
            EXPECT_EQ(std::pair(comm.BaudRate, comm.IPPort),
                      std::pair(r.comportKept ? 9600 : 38400, r.addressKept ? 1234 : 8040))
                << r.section;
        }
        EXPECT_TRUE(state.lat() >= -90 && state.lat() <= 90 && state.lon() >= -180 && state.lon() <= 180);
        EXPECT_TRUE(state.mode() >= 0 && state.mode() <= 3 && state.mmsi() >= 0) << r.section;
        EXPECT_TRUE(receive.BinaryMsgStandard == 0 || receive.BinaryMsgStandard == 1) << r.section;
        // The user's file survives the defaults that will be written over it.
        if (r.message) {
            EXPECT_EQ(dir.read("Orvanta.ini.bad"), text) << r.section;
        } else {
            EXPECT_FALSE(std::filesystem::exists(dir / "Orvanta.ini.bad")) << r.section;
        }
    }
}

// The hosts of the further inputs and of the UDP output get the same check;
// a serial input's address is a device path.
TEST(SetupHostile, InputAndOutputHostsAreHostNamesOrAddresses) {
    const struct Row {
        std::string tcp, udp, serial;  // the addresses of a TCP, a UDP and a serial input
        std::string output;            // the UDP output's address
        bool inputsKept, outputsKept;
    } rows[] = {
        {"ais.example.org", "0.0.0.0", "/dev/serial/by-id/usb-AIS 1", "::1", true, true},
        {"evil host;rm -rf", "0.0.0.0", "/dev/ttyUSB0", "127.0.0.1", false, true},
        {"ais.example.org", "0.0.0.0|nc", "/dev/ttyUSB0", "127.0.0.1", false, true},
        {"ais.example.org", "0.0.0.0", "/dev/ttyUSB0", "host name`id`", true, false},
    };
    for (const Row& r : rows) {
        TempDir dir;
        const std::string text = std::string(kComport) + kAddress + "\"REM Inputs\"\r\n3\r\n\"tcp\",#TRUE#,\"" + r.tcp +
                                 "\",4001,0\r\n\"udp\",#TRUE#,\"" + r.udp + "\",10110,0\r\n\"serial\",#TRUE#,\"" +
                                 r.serial + "\",0,38400\r\n\"REM Outputs\"\r\n#TRUE#,\"" + r.output +
                                 "\",10111,#TRUE#,10112,#FALSE#\r\n";
        dir.write("Orvanta.ini", text);
        CommSettings comm;
        SetSetupDefaults(comm);
        targets::Reference state;
        ReceiveSettings receive;
        StationSettings station;
        base::RecordingMessageSink sink;
        LoadSetup((dir / "Orvanta.ini").string(), comm, receive, state, sink, &station);
        const bool clean = r.inputsKept && r.outputsKept;
        ASSERT_EQ(sink.entries.size(), clean ? 0u : 1u) << text;
        if (!clean) {
            EXPECT_EQ(sink.entries[0].text, kRange);
        }
        // The other sections stay.
        EXPECT_EQ(std::tuple(station.Inputs.size(), station.Outputs.UdpEnabled, comm.IPPort,
                             std::filesystem::exists(dir / "Orvanta.ini.bad")),
                  std::tuple(r.inputsKept ? 3u : 0u, r.outputsKept, 1234, !clean))
            << text;
        EXPECT_EQ(StationSettingsProblem(station).empty(), true) << StationSettingsProblem(station);
    }
    // Setup > Inputs says the same of what it is given.
    StationSettings typed;
    typed.Inputs = {{InputKind::Tcp, true, "evil host;rm -rf", 4001, 0}};
    EXPECT_EQ(StationSettingsProblem(typed), "Input 1: not a host name or address");
}

TEST(SetupHostile, OnlyARegularFileIsRead) {
    TempDir dir;
    const std::string path = (dir / "Orvanta.ini").string();
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);  // no writer: a blocking open would never return
    CommSettings comm;
    targets::Reference state;
    ReceiveSettings receive;
    base::RecordingMessageSink sink;
    LoadSetup(path, comm, receive, state, sink);
    ASSERT_EQ(sink.entries.size(), 1u);
    EXPECT_EQ(sink.entries[0].text, "Path/File access error - Error in Setup file. Default data loaded");
    EXPECT_EQ(comm.BaudRate, 38400);
    EXPECT_FALSE(std::filesystem::exists(dir / "Orvanta.ini.bad"));
}

}  // namespace
}  // namespace input
