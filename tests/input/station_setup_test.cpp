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

TEST(StationSetup, ValuesOutOfRangeEmptyOnlyTheirSection) {
    const Settings in = sample();
    const std::string text = FormatSetup(in.comm, in.state, &in.station);
    struct Row {
        std::string from, to;
        bool inputsKept, outputsKept;
    } rows[] = {
        {"\"udp\",#TRUE#,\"0.0.0.0\",10110", "\"udp\",#TRUE#,\"0.0.0.0\",0", false, true},
        {"\"udp\"", "\"modem\"", false, true},
        {"\"REM Inputs\"\r\n3", "\"REM Inputs\"\r\n17", false, true},
        {"\"/dev/ttyUSB1\",1,4800", "\"/dev/ttyUSB1\",1,0", false, true},
        {",10112,", ",65536,", true, false},
    };
    for (const Row& r : rows) {
        std::string changed = text;
        changed.replace(changed.find(r.from), r.from.size(), r.to);
        Settings out;
        EXPECT_EQ(ParseSetup(changed, out.comm, out.state, &out.station), "Value out of range") << r.to;
        EXPECT_EQ(out.station.Inputs, r.inputsKept ? in.station.Inputs : std::vector<InputSetting>{}) << r.to;
        EXPECT_EQ(out.station.Outputs, r.outputsKept ? in.station.Outputs : OutputSettings{}) << r.to;
        EXPECT_EQ(out.comm, in.comm) << r.to;
    }
}

}  // namespace
}  // namespace input
