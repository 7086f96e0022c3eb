#include <gtest/gtest.h>

#include "station/setup_file.h"
#include "support/temp_dir.h"

namespace input {
namespace {

using testing_support::TempDir;

TEST(SetupFile, WritesTheDocumentedLines) {
    CommSettings comm;
    SetSetupDefaults(comm);
    comm.ComPort = 1, comm.Parity = "none";
    targets::Reference state;
    ReceiveSettings receive;
    receive.Tests.CheckChecksum = true, receive.BinaryMsgStandard = 1;
    state.moveTo(59.5, -10.25);
    state.setMode(2), state.setMMSI(257123456);
    EXPECT_EQ(FormatSetup(comm, receive, state),
              "\"REM Comport\"\r\n1,38400,8,\"none\",1\r\n\"REM IP Address\"\r\n#FALSE#,\"127.0.0.1\",8040\r\n"
              "\"REM IP List\"\r\n0\r\n\"REM Data tests\"\r\n#TRUE#,#FALSE#\r\n\"REM RefPos Settings\"\r\n"
              "59.5,-10.25\r\n2,257123456\r\n\"REM Binary Message Standard\"\r\n1\r\n");
}

TEST(SetupFile, FailuresKeepWhatWasReadAndApplyDefaults) {
    TempDir dir;
    struct Row {
        std::string text;
        std::string message;
    } rows[] = {
        {"\"REM IP List\"\r\n11\r\n\"a0\"\r\n\"a1\"\r\n\"a2\"\r\n\"a3\"\r\n\"a4\"\r\n\"a5\"\r\n\"a6\"\r\n\"a7\"\r\n"
         "\"a8\"\r\n\"a9\"\r\n\"a10\"\r\n",
         "Subscript out of range - Error in Setup file. Default data loaded"},
        {"\"REM Comport\"\r\nabc,1,2,\"x\",1\r\n", "Type mismatch - Error in Setup file. Default data loaded"},
        {"\"REM Comport\"\r\n99999,1,2,\"x\",1\r\n", "Overflow - Error in Setup file. Default data loaded"},
        {"\"REM Comport\"\r\n2,4800\r\n", "Input past end of file - Error in Setup file. Default data loaded"},
    };
    for (const auto& r : rows) {
        dir.write("Orvanta.ini", r.text);
        CommSettings comm;
        targets::Reference state;
        ReceiveSettings receive;
        base::RecordingMessageSink sink;
        LoadSetup((dir / "Orvanta.ini").string(), comm, receive, state, sink);
        ASSERT_EQ(sink.entries.size(), 1u) << r.text;
        EXPECT_EQ(std::tie(sink.entries[0].text, sink.entries[0].icon), std::tuple(r.message, base::MessageIcon::Exclamation));
        // Defaults applied over what was read.
        EXPECT_EQ(std::tie(comm.BaudRate, comm.Parity), std::tuple(38400, "N"));
        EXPECT_LE(comm.IPListCount, 10);
    }
    // The ten addresses before the failing eleventh stay loaded.
    CommSettings comm;
    targets::Reference state;
    ReceiveSettings receive;
    ParseSetup(rows[0].text, comm, receive, state);
    EXPECT_EQ(comm.IPListCount, 10);
    EXPECT_EQ(comm.IPList[9], "a9");
}

// What a save writes, and that it replaces the file whole, the crash-safe
// files test checks; here: a save says nothing unless it fails. The saved
// file keeps the checksum test off; without a setup file (a first run) it
// starts on.
TEST(SetupFile, SaveReportsOnlyFailure) {
    TempDir dir;
    CommSettings comm;
    SetSetupDefaults(comm);
    targets::Reference state;
    const ReceiveSettings receive{.Tests = {.CheckChecksum = false, .EmptyBuffer = true}};
    base::RecordingMessageSink sink;
    ASSERT_TRUE(SaveSetup((dir / "Orvanta.ini").string(), comm, receive, state, sink));
    EXPECT_TRUE(sink.entries.empty());
    EXPECT_FALSE(SaveSetup((dir / "missing" / "Orvanta.ini").string(), comm, receive, state, sink));
    ASSERT_EQ(sink.entries.size(), 1u);
    EXPECT_NE(sink.entries[0].text.find(" Setup file not stored!"), std::string::npos);

    ReceiveSettings loaded{.Tests = {.CheckChecksum = true, .EmptyBuffer = false}};
    LoadSetup((dir / "Orvanta.ini").string(), comm, loaded, state, sink);
    EXPECT_EQ(loaded, receive);
    LoadSetup((dir / "none.ini").string(), comm, loaded, state, sink);
    EXPECT_TRUE(loaded.Tests.CheckChecksum);
}

struct Settings {
    CommSettings comm;
    ReceiveSettings receive;
    targets::Reference state;
    StationSettings station;
};

Settings sample() {
    Settings s;
    SetSetupDefaults(s.comm);
    s.comm.ComPort = 16;
    s.comm.UseTCP = true;
    s.comm.IPAddress = "10.0.0.7";
    s.comm.IPListCount = 3;
    s.comm.IPList = {"10.0.0.1", "192.168.1.20", "1.2.3.4"};
    s.comm.Device = "/dev/serial/by-id/usb-FTDI_FT232R,x-if00";  // its own section, comma and all
    s.receive.Tests.CheckChecksum = true;
    s.state.moveTo(63.123456789012, 10.987654321098);
    s.state.setMMSI(2570001);
    s.station.Inputs = {{InputKind::Udp, true, "0.0.0.0", 10110, 38400},
                        {InputKind::Serial, false, "/dev/ttyUSB1", 1, 4800},
                        {InputKind::Tcp, true, "192.168.1.20", 2000, 38400}};
    s.station.Outputs = {true, "127.0.0.1", 10111, true, 10112, true};
    return s;
}

TEST(StationSetup, SectionsReadBackOlderReadersSkipThemAndOlderOutputLinesRead) {
    const Settings in = sample();
    const std::string text = FormatSetup(in.comm, in.receive, in.state, &in.station);
    Settings back;
    EXPECT_EQ(ParseSetup(text, back.comm, back.receive, back.state, &back.station), "");
    EXPECT_EQ(std::tie(back.comm, back.station, back.receive, back.state),
              std::tie(in.comm, in.station, in.receive, in.state));
    // A reader that knows nothing of the sections reads the rest as before.
    Settings old;
    EXPECT_EQ(ParseSetup(text, old.comm, old.receive, old.state), "");
    EXPECT_EQ(FormatSetup(old.comm, old.receive, old.state), FormatSetup(in.comm, in.receive, in.state));
    // A file without the sections leaves the list empty.
    Settings none;
    EXPECT_EQ(ParseSetup(FormatSetup(in.comm, in.receive, in.state), none.comm, none.receive, none.state, &none.station), "");
    EXPECT_EQ(none.station, StationSettings{});

    // The TCP output's listen address: read back, an older line without it
    // keeps what the port did then (every interface) only when it was on, and
    // an address that is none makes the section fall back to its defaults.
    Settings base = sample();
    base.station.Outputs.TcpListenAddress = "::1";
    const std::string written = FormatSetup(base.comm, base.receive, base.state, &base.station);
    const std::string line = "#TRUE#,\"127.0.0.1\",10111,#TRUE#,10112,#TRUE#,\"::1\"\r\n";
    ASSERT_NE(written.find(line), std::string::npos) << written;
    struct Row {
        std::string outputs;  // the line after "REM Outputs"
        std::string listen;
        bool fellBack;
    } rows[] = {
        {"#TRUE#,\"127.0.0.1\",10111,#TRUE#,10112,#TRUE#,\"::1\"", "::1", false},
        {"#TRUE#,\"127.0.0.1\",10111,#TRUE#,10112,#TRUE#", "0.0.0.0", false},
        {"#TRUE#,\"127.0.0.1\",10111,#FALSE#,10112,#TRUE#", "127.0.0.1", false},
        {"#TRUE#,\"127.0.0.1\",10111,#TRUE#,10112,#TRUE#,\"evil host\"", "127.0.0.1", true},
    };
    for (const Row& r : rows) {
        std::string edited = written;
        edited.replace(edited.find(line), line.size() - 2, r.outputs);
        Settings parsed;
        const std::string error = ParseSetup(edited, parsed.comm, parsed.receive, parsed.state, &parsed.station);
        EXPECT_EQ(std::pair(error.empty(), parsed.station.Outputs.TcpListenAddress), std::pair(!r.fellBack, r.listen))
            << r.outputs;
        if (r.fellBack) {
            EXPECT_EQ(parsed.station.Outputs, OutputSettings{});
        }
    }
}

}  // namespace
}  // namespace input
