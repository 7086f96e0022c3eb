// orvanta-cli checksum: reads NMEA lines and checks their checksums, nothing
// more. It tells whether a recording is intact, and it is the floor the
// decoding commands are measured against: a pass that only finds the lines
// and checks their checksums, which no decoder of the same input can beat.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command.h"
#include "cli/options.h"
#include "sentence/checksum.h"
#include "sentence/framer.h"

namespace {

constexpr const char* kUsageHead =
    "usage: orvanta-cli checksum [FILE|-]\n"
    "\n"
    "Reads NMEA text (FILE, or standard input when FILE is '-' or missing) and\n"
    "checks the checksum of every line: the sentence's and, when the line begins\n"
    "with an NMEA 4.0 tag block, the tag block's. Prints one line of counts:\n"
    "the lines (blank lines are skipped), those whose checksums are all right,\n"
    "those with a wrong one (also a tag block without its closing '\\' and a line\n"
    "longer than the receiver takes, 64 KiB), and those without a checksum.\n"
    "\n"
    "options:\n";

constexpr size_t kBlock = 1 << 20;

enum class Verdict { Right, Wrong, Missing };

// One sentence, or one tag block from its opening '\' up to its closing one:
// the text ends in "*hh" or has no checksum at all.
Verdict checkPart(std::string_view part) {
    if (part.size() < 3 || part[part.size() - 3] != '*') return Verdict::Missing;
    return input::ChecksumValid(part) ? Verdict::Right : Verdict::Wrong;
}

Verdict checkLine(std::string_view line) {
    if (line[0] != '\\') return checkPart(line);
    const size_t close = line.find('\\', 1);
    if (close == std::string_view::npos) return Verdict::Wrong;
    const Verdict tag = checkPart(line.substr(0, close));
    const Verdict sentence = checkPart(line.substr(close + 1));
    if (tag == Verdict::Wrong || sentence == Verdict::Wrong) return Verdict::Wrong;
    if (tag == Verdict::Missing || sentence == Verdict::Missing) return Verdict::Missing;
    return Verdict::Right;
}

struct Counts {
    int64_t lines = 0, right = 0, wrong = 0, missing = 0;

    // One line without its line feed; a carriage return before it is dropped.
    void take(std::string_view line) {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) return;
        ++lines;
        if (line.size() > input::Framer::kMaxLine) {
            ++wrong;
            return;
        }
        switch (checkLine(line)) {
            case Verdict::Right: ++right; break;
            case Verdict::Wrong: ++wrong; break;
            case Verdict::Missing: ++missing; break;
        }
    }
};

// Cuts the stream into lines block by block. A line cut by a block's end is
// held until its line feed comes; only its first kMaxLine + 1 bytes are kept,
// enough to know it is too long.
bool countLines(FILE* in, Counts& counts) {
    constexpr size_t kKept = input::Framer::kMaxLine + 1;
    std::vector<char> buf(kBlock);
    std::string held;
    bool holding = false;
    const auto hold = [&](const char* from, size_t n) {
        held.append(from, std::min(n, kKept - std::min(held.size(), kKept)));
        holding = true;
    };
    for (size_t got; (got = std::fread(buf.data(), 1, buf.size(), in)) > 0;) {
        const char* p = buf.data();
        const char* const end = p + got;
        while (p < end) {
            const auto* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
            if (!lf) {
                hold(p, static_cast<size_t>(end - p));
                break;
            }
            if (holding) {
                hold(p, static_cast<size_t>(lf - p));
                counts.take(held);
                held.clear();
                holding = false;
            } else {
                counts.take(std::string_view(p, static_cast<size_t>(lf - p)));
            }
            p = lf + 1;
        }
    }
    if (holding) counts.take(held);
    return !std::ferror(in);
}

int runChecksum(int argc, char** argv) {
    const char* path = nullptr;
    cli::OptionTable options(kUsageHead, 12);
    options.options = {cli::HelpOption("this text")};
    options.other = cli::InputArgument("checksum", options, path);
    if (const int rc = options.parse(argc, argv); rc != cli::kGoOn) return rc;
    FILE* in = cli::OpenInput("checksum", path);
    if (!in) return 1;
    Counts counts;
    const bool readOk = countLines(in, counts);
    if (in != stdin) std::fclose(in);
    if (!readOk) {
        std::fprintf(stderr, "checksum: read error\n");
        return 1;
    }
    const std::string line = "checksum: " + std::to_string(counts.lines) + " lines, " + std::to_string(counts.right) +
                             " right, " + std::to_string(counts.wrong) + " wrong, " + std::to_string(counts.missing) +
                             " without a checksum\n";
    return cli::WriteOutput(line, "checksum") ? 0 : 1;
}

const cli::Registration kChecksum{"checksum", "checks the checksum of every NMEA line, nothing more", runChecksum};

}  // namespace
