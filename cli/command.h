// Sub-commands of orvanta-cli register themselves at start-up:
//
//   static int runDecode(int argc, char** argv);   // argv[0] is "decode"
//   static const cli::Registration reg{"decode", "NMEA in, one JSON object per message out", runDecode};
#pragma once

#include <string>
#include <vector>

namespace cli {

using CommandFn = int (*)(int argc, char** argv);

struct Command {
    std::string name;
    std::string summary;
    CommandFn run;
};

std::vector<Command>& commands();

struct Registration {
    Registration(const char* name, const char* summary, CommandFn run) {
        commands().push_back({name, summary, run});
    }
};

}  // namespace cli
