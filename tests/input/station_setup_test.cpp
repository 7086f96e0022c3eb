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

}  // namespace
}  // namespace input
