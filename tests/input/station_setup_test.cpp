// The inputs and outputs sections of the setup file, and what an older
// reader makes of a file that has them.
#include <gtest/gtest.h>

#include "input/setup_file.h"

namespace input {
namespace {

struct Settings {
    CommSettings comm;
    RunState state;
    StationSettings station;
};

Settings sample() {
    Settings s;
    SetSetupDefaults(s.comm);
    s.comm.ComPort = 3;
    s.comm.UseTCP = true;
    s.comm.IPAddress = "10.0.0.7";
    s.state.CheckChecksum = true;
    s.state.RefLat = 59.25;
    s.station.Inputs = {{InputType::Udp, true, "0.0.0.0", 10110, 38400},
                        {InputType::Serial, false, "/dev/ttyUSB1", 1, 4800},
                        {InputType::Tcp, true, "192.168.1.20", 2000, 38400}};
    s.station.Outputs = {true, "127.0.0.1", 10111, true, 10112, true};
    return s;
}

TEST(StationSetup, SectionsReadBackAndOlderReadersSkipThem) {
    const Settings in = sample();
    const std::string text = FormatSetup(in.comm, in.state, &in.station);
    Settings back;
    EXPECT_EQ(ParseSetup(text, back.comm, back.state, &back.station), "");
    EXPECT_EQ(std::tie(back.comm, back.station, back.state.CheckChecksum, back.state.RefLat),
              std::tie(in.comm, in.station, in.state.CheckChecksum, in.state.RefLat));
    // A reader that knows nothing of the sections reads the rest as before.
    Settings old;
    EXPECT_EQ(ParseSetup(text, old.comm, old.state), "");
    EXPECT_EQ(FormatSetup(old.comm, old.state), FormatSetup(in.comm, in.state));
    // A file without the sections leaves the list empty.
    Settings none;
    EXPECT_EQ(ParseSetup(FormatSetup(in.comm, in.state), none.comm, none.state, &none.station), "");
    EXPECT_EQ(none.station, StationSettings{});
}

// The TCP output's listen address: read back, an older line without it keeps
// what the port did then (every interface) only when it was on, and an
// address that is none makes the section fall back to its defaults.
TEST(StationSetup, TcpListenAddressAndOlderLines) {
    Settings base = sample();
    base.station.Outputs.TcpListenAddress = "::1";
    const std::string written = FormatSetup(base.comm, base.state, &base.station);
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
        std::string text = written;
        text.replace(text.find(line), line.size() - 2, r.outputs);
        Settings back;
        const std::string error = ParseSetup(text, back.comm, back.state, &back.station);
        EXPECT_EQ(std::pair(error.empty(), back.station.Outputs.TcpListenAddress), std::pair(!r.fellBack, r.listen))
            << r.outputs;
        if (r.fellBack) EXPECT_EQ(back.station.Outputs, OutputSettings{});
    }
}

}  // namespace
}  // namespace input
