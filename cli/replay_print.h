// What `orvanta-cli replay` prints at the end of a run: the target table in
// list order (text columns, CSV as File > Export targets... writes it, or
// JSON with the run counters).
#pragma once

#include <string>

namespace app {
class Receiver;
}

namespace cli {

void PrintReplayText(const app::Receiver& rx, std::string& out);
void PrintReplayCsv(const app::Receiver& rx, std::string& out);
void PrintReplayJson(const app::Receiver& rx, std::string& out);

}  // namespace cli
