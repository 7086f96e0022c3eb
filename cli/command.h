// Sub-commands of orvanta-cli register themselves at start-up:
//
//   static int runDecode(int argc, char** argv);   // argv[0] is "decode"
//   static const cli::Registration reg{"decode", "NMEA in, one JSON object per message out", runDecode};
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cli {

using CommandFn = int (*)(int argc, char** argv);

struct Command {
    std::string name;
    std::string summary;
    CommandFn run;
};

std::vector<Command>& commands();

// Writes text to standard output and flushes it. False, after telling why on
// standard error ("orvanta-cli COMMAND: cannot write the output: ..."), when
// it could not be written whole (a full disk, a closed pipe); the command
// then exits non-zero.
bool WriteOutput(std::string_view text, const char* command);
// The same check for output already written through stdio: flushes standard
// output and reports an earlier write error.
bool FinishOutput(const char* command);

struct Registration {
    Registration(const char* name, const char* summary, CommandFn run) {
        commands().push_back({name, summary, run});
    }
};

}  // namespace cli
