// orvanta-cli simulate: the built-in AIS traffic simulator. Parses the
// options, builds the engine (cli/sim) and drives the outputs at the chosen
// pace. ParseOptions holds the options and their usage text.
//
// orvanta-cli mix: the benchmark traffic (sim::BenchmarkTraffic) written as
// fast as possible to standard output; the same run as simulate with those
// options.
#include <signal.h>
#include <unistd.h>
#include <fcntl.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/number_format.h"
#include "cli/command.h"
#include "cli/options.h"
#include "cli/sim/fault_injector.h"
#include "cli/sim/outputs.h"
#include "cli/sim/simulator.h"

namespace {

constexpr std::string_view kHelpHead = R"(usage: orvanta-cli simulate [OPTIONS]

Generates AIS traffic as NMEA 0183 sentences (!AIVDM, and !AIVDO for the own
ship) from a simulated sea area. The same options and --seed give the same bytes.

Scenario
)";
constexpr std::string_view kHelpTail = R"(
At the end a summary goes to standard error: messages, sentences, bytes,
sentences per second and, with --faults, the count of each injected fault.
)";

volatile sig_atomic_t gStop = 0;
void OnSignal(int) { gStop = 1; }

double WallNow() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool ParseDouble(const char* s, double& v) {
    const auto parsed = base::ParseDecimal(s);
    if (parsed) v = *parsed;
    return parsed.has_value();
}

bool ParseInt(const char* s, long long& v) {
    char* end = nullptr;
    v = std::strtoll(s, &end, 10);
    return end != s && *end == '\0';
}

bool ParseStart(const char* s, base::DateTime& out) {
    if (std::strcmp(s, "now") == 0) {
        const std::time_t t = std::time(nullptr);
        std::tm u{};
        gmtime_r(&t, &u);
        out = base::DateTime::fromCalendar(u.tm_year + 1900, u.tm_mon + 1, u.tm_mday, u.tm_hour, u.tm_min, u.tm_sec);
        return true;
    }
    int y, mo, d, h, mi, se;
    char tail;
    if (std::sscanf(s, "%d-%d-%dT%d:%d:%d%c", &y, &mo, &d, &h, &mi, &se, &tail) != 6) return false;
    if (!base::DateTime::isValidDate(y, mo, d) || h > 23 || mi > 59 || se > 59 || h < 0 || mi < 0 || se < 0)
        return false;
    out = base::DateTime::fromCalendar(y, mo, d, h, mi, se);
    return true;
}

struct Options {
    sim::SimulatorOptions sim;
    std::vector<std::string> tcp, udp;
    bool toStdout = false, pty = false, fast = false, quiet = false, tags = false;
    std::string outFile;
    double speed = 1.0;
    long long count = -1;
    double duration = -1;
    double faults = 0;
};

constexpr const char* kMixHelp = R"(usage: orvanta-cli mix COUNT [--seed N]

Writes exactly COUNT NMEA sentences of the simulator's busy coast (1500
stations; every message type it sends, whole messages only) to standard
output, as 'simulate --fast' does. The same COUNT and seed always give the
same text (default seed 12345).
)";

int Usage(const char* message) {
    std::fprintf(stderr, "orvanta-cli simulate: %s\nRun 'orvanta-cli simulate --help' for the options.\n", message);
    return 2;
}

int Simulate(const Options& o);

// A whole number or a decimal number option: `set` takes the value when it is
// there, parses and `valid` accepts it; else `error` and exit status 2.
template <typename Valid, typename Set>
std::function<int(const cli::Values&)> WholeOption(const char* error, Valid valid, Set set) {
    return [=](const cli::Values& v) {
        long long n = 0;
        if (!v[0] || !ParseInt(v[0], n) || !valid(n)) return Usage(error);
        set(n);
        return cli::kGoOn;
    };
}

template <typename Valid, typename Set>
std::function<int(const cli::Values&)> DecimalOption(const char* error, Valid valid, Set set) {
    return [=](const cli::Values& v) {
        double x = 0;
        if (!v[0] || !ParseDouble(v[0], x) || !valid(x)) return Usage(error);
        set(x);
        return cli::kGoOn;
    };
}

// The options of the scenario: the area, its stations and their numbering.
std::vector<cli::Option> ScenarioOptions(Options& o) {
    return {
        {"--centre|--center", "LAT LON",
         "centre of the area in decimal degrees, north and east\npositive (default 51.98 3.95, the approaches to a busy\n"
         "North Sea port). --center is accepted too.",
         [&](const cli::Values& v) {
             double lat = 0, lon = 0;
             if (!v[1] || !ParseDouble(v[0], lat) || !ParseDouble(v[1], lon) || std::fabs(lat) > 85 ||
                 std::fabs(lon) > 180)
                 return Usage("--centre needs LAT LON in degrees (|LAT| <= 85, |LON| <= 180)");
             o.sim.scenario.centre = {lat, lon};
             return cli::kGoOn;
         }},
        {"--stations", "N",
         "number of stations (default 60): class A vessels of\nseveral types, some at anchor or moored, class B craft,\n"
         "base stations, aids to navigation (one virtual, one off\nposition), SAR aircraft and one own ship. Up to 20000;\n"
         "the area grows with the count (12 nm radius for 60).\nVessels start and sail at sea, by the GSHHG coastlines\n"
         "the plot reads ($ORVANTA_GSHHG_DIR, /usr/share/gmt-gshhg).",
         WholeOption("--stations needs 1 to 20000", [](long long n) { return n >= 1 && n <= 20000; },
               [&](long long n) { o.sim.scenario.stations = static_cast<int>(n); })},
        {"--turnover", "MIN",
         "vessels come and go: each stays MIN minutes on average,\nthen falls silent and a new vessel (new MMSI and name)\n"
         "takes its place, so a long run hears many more stations\nthan --stations at once (default 0: the same vessels\n"
         "all along).",
         DecimalOption("--turnover needs minutes >= 0", [](double x) { return x >= 0; },
                 [&](double x) { o.sim.turnoverMinutes = x; })},
        {"--seed", "N", "seed of every random choice (default 1).",
         WholeOption("--seed needs a whole number", [](long long) { return true; },
               [&](long long n) { o.sim.scenario.seed = static_cast<uint64_t>(n); })},
        {"--standard", "S", "numbering of binary application messages: imo236\n(IMO SN/Circ.236, default) or iala.",
         [&](const cli::Values& v) {
             const std::string_view s = v[0] ? v[0] : "";
             if (s != "imo236" && s != "iala") return Usage("--standard needs imo236 or iala");
             o.sim.standard = s == "iala" ? 1 : 0;
             return cli::kGoOn;
         }},
        {"--start", "TIME",
         "UTC time at the start of the scenario, as\nYYYY-MM-DDTHH:MM:SS, or \"now\" for the computer's clock\n"
         "(default 2026-06-15T12:00:00, so runs are repeatable).",
         [&](const cli::Values& v) {
             if (!v[0] || !ParseStart(v[0], o.sim.start)) return Usage("--start needs YYYY-MM-DDTHH:MM:SS or now");
             return cli::kGoOn;
         }},
    };
}

// The options of the run: outputs, pace, faults and what is printed.
std::vector<cli::Option> RunOptions(Options& o) {
    const auto address = [&o](bool tcp) {
        return [&o, tcp](const cli::Values& v) {
            std::string host;
            uint16_t port = 0;
            if (!v[0] || !sim::ParseHostPort(v[0], host, port)) return Usage("--tcp/--udp need HOST:PORT");
            (tcp ? o.tcp : o.udp).push_back(v[0]);
            return cli::kGoOn;
        };
    };
    return {
        {"", "", "\nOutputs (any combination; with none, --tcp 127.0.0.1:8040 is used)\n", nullptr},
        {"--tcp", "HOST:PORT", "TCP server; any number of clients may connect and leave.", address(true)},
        {"--udp", "HOST:PORT", "send to this UDP address (lines packed into datagrams).", address(false)},
        {"--stdout", "", "write to standard output.", cli::Flag(o.toStdout)},
        {"--out", "FILE", "write to FILE (replaced).",
         [&](const cli::Values& v) {
             if (!v[0]) return Usage("--out needs a file name");
             o.outFile = v[0];
             return cli::kGoOn;
         }},
        {"--pty", "", "create a pseudo-terminal and print the path of its\ndevice on standard error; open it like a serial port.",
         cli::Flag(o.pty)},
        {"", "", "\nPace\n", nullptr},
        {"--speed", "X", "run the scenario clock X times faster than real time\n(default 1).",
         DecimalOption("--speed needs a number above 0", [](double x) { return x > 0; }, [&](double x) { o.speed = x; })},
        {"--fast", "", "no waiting at all: write as fast as possible.", cli::Flag(o.fast)},
        {"--count", "N", "stop after N sentences (faults not included).",
         WholeOption("--count needs a whole number >= 0", [](long long n) { return n >= 0; }, [&](long long n) { o.count = n; })},
        {"--duration", "S", "stop after S seconds of scenario time.",
         DecimalOption("--duration needs seconds >= 0", [](double x) { return x >= 0; }, [&](double x) { o.duration = x; })},
        {"", "", "  Without --count or --duration the simulator runs until interrupted.\n\nFaults\n", nullptr},
        {"--faults", "RATE",
         "share of messages (0 to 1) that get one fault: wrong or\nlower-case checksums, lost or interleaved fragments,\n"
         "truncated lines, garbage bytes, long lines without line\nfeed, $GPGGA and !AIVDR sentences, and (with --tcp) TCP\n"
         "writes split at random points. Counts are printed at\nthe end.",
         DecimalOption("--faults needs a rate from 0 to 1", [](double x) { return x >= 0 && x <= 1; },
                 [&](double x) { o.faults = x; })},
        {"", "", "\n", nullptr},
        {"--tags", "",
         "put an NMEA 4.0 tag block in front of every sentence:\nsource (s:sim) and reception time (c:, UNIX seconds of\n"
         "the scenario clock) on the first sentence of a\nmessage, and a group (g:n-m-id) on every sentence of a\n"
         "multi-sentence message.",
         cli::Flag(o.tags)},
        {"--quiet", "", "no summary on standard error.", cli::Flag(o.quiet)},
        cli::HelpOption("this text."),
    };
}

// The options into o: kGoOn, or the exit status.
int ParseOptions(int argc, char** argv, Options& o) {
    cli::OptionTable options(kHelpHead, 21, kHelpTail);
    options.missing = cli::MissingValue::ToSetter;
    options.options = ScenarioOptions(o);
    for (cli::Option& option : RunOptions(o)) options.options.push_back(std::move(option));
    options.other = [](const char* arg) { return Usage(("unknown option '" + std::string(arg) + "'").c_str()); };
    return options.parse(argc, argv);
}

int Run(int argc, char** argv) {
    Options o;
    if (const int rc = ParseOptions(argc, argv, o); rc != cli::kGoOn) return rc;
    if (o.tcp.empty() && o.udp.empty() && !o.toStdout && o.outFile.empty() && !o.pty) o.tcp.push_back("127.0.0.1:8040");
    return Simulate(o);
}

int RunMix(int argc, char** argv) {
    long long count = -1, seed = 12345;
    const auto wrong = [] {
        std::fputs(kMixHelp, stderr);
        return 2;
    };
    cli::OptionTable options(kMixHelp, 0);
    options.missing = cli::MissingValue::ToSetter;
    options.options = {
        {"--seed", "N", "", [&](const cli::Values& v) { return v[0] && ParseInt(v[0], seed) ? cli::kGoOn : wrong(); }},
        cli::HelpOption(""),
    };
    options.other = [&](const char* arg) { return count < 0 && ParseInt(arg, count) && count >= 0 ? cli::kGoOn : wrong(); };
    if (const int rc = options.parse(argc, argv); rc != cli::kGoOn) return rc;
    if (count < 0) return wrong();
    Options o;
    o.sim = sim::BenchmarkTraffic(static_cast<uint64_t>(seed));
    o.toStdout = o.fast = o.quiet = true;
    o.count = count;
    return Simulate(o);
}

// Where the sentences go: TCP servers, UDP senders, files (the standard output
// among them) and a pseudo-terminal.
struct Outputs {
    std::vector<std::unique_ptr<sim::TcpServer>> tcp;
    std::vector<std::unique_ptr<sim::UdpSender>> udp;
    std::vector<std::unique_ptr<sim::FdWriter>> files;
    std::vector<std::string> fileNames;  // for the messages
    std::unique_ptr<sim::PtyOutput> pty;
    int64_t byteCount = 0;  // bytes delivered

    // Sends the bytes to every output (TCP writes split at `splits`) and empties both.
    void deliver(std::string& bytes, std::vector<size_t>& splits) {
        if (bytes.empty()) return;
        for (auto& t : tcp) t->write(bytes, splits);
        for (auto& u : udp) u->write(bytes);
        for (auto& f : files) f->write(bytes);
        if (pty) pty->write(bytes);
        byteCount += static_cast<int64_t>(bytes.size());
        bytes.clear();
        splits.clear();
    }
    // Serves the TCP clients for up to `ms` milliseconds; without TCP, sleeps.
    void service(int ms) {
        if (tcp.empty()) {
            if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            return;
        }
        for (size_t i = 0; i < tcp.size(); ++i) tcp[i]->service(i == 0 ? ms : 0);
    }
    // Serves the clients until the wall clock reaches `until` or the run is stopped.
    void waitUntil(double until) {
        while (!gStop) {
            const double left = until - WallNow();
            if (left <= 0) break;
            service(static_cast<int>(std::min(100.0, std::ceil(left * 1000.0))));
        }
    }
    bool allFilesFailed() const {
        return std::all_of(files.begin(), files.end(), [](const auto& f) { return f->failed(); });
    }
};

// Opens every output the options name; 0, or the exit code after the message.
int OpenOutputs(const Options& o, Outputs& out) {
    std::string error;
    for (const auto& hp : o.tcp) {
        std::string host;
        uint16_t port = 0;
        sim::ParseHostPort(hp, host, port);
        auto server = std::make_unique<sim::TcpServer>();
        if (!server->listen(host, port, error)) {
            std::fprintf(stderr, "orvanta-cli simulate: %s\n", error.c_str());
            return 1;
        }
        if (!o.quiet) std::fprintf(stderr, "simulate: TCP server on %s (port %u)\n", hp.c_str(), server->port());
        out.tcp.push_back(std::move(server));
    }
    for (const auto& hp : o.udp) {
        std::string host;
        uint16_t port = 0;
        sim::ParseHostPort(hp, host, port);
        auto sender = std::make_unique<sim::UdpSender>();
        if (!sender->open(host, port, error)) {
            std::fprintf(stderr, "orvanta-cli simulate: %s\n", error.c_str());
            return 1;
        }
        out.udp.push_back(std::move(sender));
    }
    // Fast runs write in large blocks; paced runs send each message at once.
    const size_t block = o.fast ? 256 * 1024 : 1;
    if (o.toStdout) {
        out.files.push_back(std::make_unique<sim::FdWriter>(STDOUT_FILENO, false, block));
        out.fileNames.push_back("the standard output");
    }
    if (!o.outFile.empty()) {
        const int fd = ::open(o.outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) {
            std::fprintf(stderr, "orvanta-cli simulate: cannot write '%s': %s\n", o.outFile.c_str(), std::strerror(errno));
            return 1;
        }
        out.files.push_back(std::make_unique<sim::FdWriter>(fd, true, block));
        out.fileNames.push_back("'" + o.outFile + "'");
    }
    if (o.pty) {
        out.pty = std::make_unique<sim::PtyOutput>();
        if (!out.pty->open(error)) {
            std::fprintf(stderr, "orvanta-cli simulate: %s\n", error.c_str());
            return 1;
        }
        std::fprintf(stderr, "%s\n", out.pty->path().c_str());
    }
    return 0;
}

// What a run sent, for the summary.
struct RunTotals {
    long long messages = 0;
    long long sentences = 0;
    int64_t byteCount = 0;
    double elapsed = 0;   // wall-clock seconds
    double lastTime = 0;  // scenario seconds of the last message
    std::array<int64_t, 28> perType{};
};

// The summary on the standard error: counts, speed, station turnover, message
// types, injected faults and TCP clients.
void PrintSummary(const Options& o, const RunTotals& totals, const sim::Simulator& simulator,
                  const sim::FaultInjector& faults, const std::vector<std::unique_ptr<sim::TcpServer>>& tcp) {
    const long long messages = totals.messages;
    const long long sentences = totals.sentences;
    const int64_t byteCount = totals.byteCount;
    const double elapsed = totals.elapsed;
    const double lastTime = totals.lastTime;
    const auto& perType = totals.perType;
    std::fprintf(stderr, "simulate: %lld messages, %lld sentences, %lld bytes in %s s (%s sentences/s), "
                         "scenario time %s s\n",
                 messages, sentences, static_cast<long long>(byteCount), base::FixedText(elapsed, 3).c_str(),
                 base::FixedText(elapsed > 0 ? sentences / elapsed : 0.0, 0).c_str(),
                 base::FixedText(lastTime, 1).c_str());
    if (o.sim.turnoverMinutes > 0)
        std::fprintf(stderr, "simulate: %llu stations came and went, %zu at a time\n",
                     static_cast<unsigned long long>(simulator.stationsSeen()), simulator.scenario().stations.size());
    std::fprintf(stderr, "simulate: messages by type:");
    for (size_t t = 1; t < perType.size(); ++t)
        if (perType[t]) std::fprintf(stderr, " %zu:%lld", t, static_cast<long long>(perType[t]));
    std::fprintf(stderr, "\n");
    if (faults.enabled()) {
        const sim::FaultCounts& c = faults.counts();
        std::fprintf(stderr, "simulate: faults injected %lld:", static_cast<long long>(c.total()));
        for (size_t k = 0; k < sim::kFaultKinds; ++k)
            std::fprintf(stderr, " %s=%lld", sim::FaultName(static_cast<sim::Fault>(k)),
                         static_cast<long long>(c.injected[k]));
        std::fprintf(stderr, " (over 64 KiB: %lld)\n", static_cast<long long>(c.overlongLines));
    }
    for (auto& t : tcp)
        std::fprintf(stderr, "simulate: TCP clients accepted %lld, closed %lld\n",
                     static_cast<long long>(t->accepted()), static_cast<long long>(t->dropped()));
}

// Ends the run: the last bytes out, files flushed, TCP clients given 2 s to
// take what is queued; the summary. 1 when a file could not be written.
int Finish(const Options& o, Outputs& outputs, RunTotals& totals, const sim::Simulator& simulator,
           sim::FaultInjector& faults, std::string& bytes, std::vector<size_t>& splits, double wallStart) {
    faults.flush(bytes);
    outputs.deliver(bytes, splits);
    for (auto& f : outputs.files) f->flush();
    for (auto& t : outputs.tcp) t->drain(2.0);
    totals.elapsed = WallNow() - wallStart;
    totals.byteCount = outputs.byteCount;
    if (!o.quiet) PrintSummary(o, totals, simulator, faults, outputs.tcp);
    int rc = 0;
    for (size_t k = 0; k < outputs.files.size(); ++k) {
        if (!outputs.files[k]->failed()) continue;
        std::fprintf(stderr, "orvanta-cli simulate: cannot write %s: %s\n", outputs.fileNames[k].c_str(),
                     std::strerror(outputs.files[k]->error()));
        rc = 1;
    }
    return rc;
}

int Simulate(const Options& o) {
    ::signal(SIGPIPE, SIG_IGN);
    struct sigaction sa{};
    sa.sa_handler = OnSignal;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);

    Outputs outputs;
    if (const int rc = OpenOutputs(o, outputs); rc != 0) return rc;
    const bool tcp = !outputs.tcp.empty();
    const bool onlyFiles = !tcp && outputs.udp.empty() && !outputs.pty;

    sim::Simulator simulator(o.sim);
    sim::FaultInjector faults({o.faults, o.sim.scenario.seed, tcp});
    sim::Emission e;
    std::string bytes;
    std::vector<size_t> splits;
    RunTotals totals;
    // UNIX seconds of scenario time 0 (the day count starts on 30 Dec 1899).
    const double unixStart = (o.sim.start.value() - 25569.0) * 86400.0;
    int64_t groupId = 0;

    const double wallStart = WallNow();
    double lastService = wallStart;
    while (!gStop) {
        if (o.count >= 0 && totals.sentences >= o.count) break;
        simulator.next(e);
        if (o.duration >= 0 && e.time > o.duration) {
            // A paced run lasts its whole duration, quiet end included.
            if (!o.fast) outputs.waitUntil(wallStart + o.duration / o.speed);
            break;
        }
        if (o.count >= 0 && totals.sentences + static_cast<long long>(e.sentences.size()) > o.count) {
            // Only whole messages: a message that does not fit is skipped.
            continue;
        }
        if (!o.fast) {
            // Wait for the scenario time of this message, serving clients meanwhile.
            outputs.waitUntil(wallStart + e.time / o.speed);
            if (gStop) break;
        }
        totals.sentences += static_cast<long long>(e.sentences.size());
        ++totals.messages;
        totals.lastTime = e.time;
        ++totals.perType[static_cast<size_t>(std::clamp(e.messageType, 0, 27))];
        if (o.tags) sim::AddTagBlocks(e.sentences, "sim", static_cast<int64_t>(std::floor(unixStart + e.time)), groupId);
        if (faults.enabled() || tcp) {
            faults.apply(e.sentences, bytes, &splits);
        } else {
            for (const auto& s : e.sentences) bytes += s;
        }
        if (!o.fast || bytes.size() >= 64 * 1024) outputs.deliver(bytes, splits);
        if (o.fast && tcp) {
            const double now = WallNow();
            if (now - lastService > 0.05) {
                outputs.service(0);
                lastService = now;
            }
        }
        if (onlyFiles && outputs.allFilesFailed()) break;
    }
    return Finish(o, outputs, totals, simulator, faults, bytes, splits, wallStart);
}

const cli::Registration reg{"simulate", "AIS traffic simulator: NMEA sentences to TCP, UDP, files or a pty", Run};
const cli::Registration mixCommand{"mix", "benchmark traffic: COUNT NMEA sentences of the simulator's busy coast", RunMix};

}  // namespace
