// orvanta-cli replay: the whole receive pipeline of the desktop program on a
// file or standard input, then the target table in list order and the run
// counters.
//
// Time: a file carries no reception times, so the replay runs on a manual
// clock that starts at the local time of the run and moves on 10 ms per
// sentence (100 sentences a second, a busy shore receiver). Periods, ages and
// the fragment time-out therefore behave as in a live run, and two replays of
// one file build the same table. Every 15 s of that clock the targets are
// aged, as the main window's status timer does.
//
// The input is framed by the program's framer in blocks of 1 MiB, as the TCP
// input path does with its notifications; when the setup file switches the
// empty-buffer rule on, each line is handed over as a notification of its own.
// With --realtime or --speed the lines are handed over at the pace of their
// tag blocks' c: times (input/playback.h) instead; the clock stays as above,
// so a paced run builds the same table as an unpaced one.
//
// Unpaced, on two or more cores, reading, framing, the intake and decoding
// run on a second thread (station/receive_front.h) and this one applies what
// they made to the table; --threads 1 keeps it all on one.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "station/receiver.h"
#include "base/atomic_file.h"
#include "base/clock.h"
#include "base/number_format.h"
#include "base/json_writer.h"
#include "base/text_escape.h"
#include "cli/command.h"
#include "cli/options.h"
#include "cli/progress.h"
#include "cli/replay_print.h"
#include "cli/replay_history.h"
#include "geodesy/position_text.h"
#include "station/playback.h"
#include "station/receive_front.h"
#include "station/setup_file.h"
#include "plot/trail_store.h"
#include "targets/ship_database.h"
#include "targets/target_export.h"

namespace {

constexpr double kSecondsPerSentence = 0.01;
constexpr double kAgeingPeriod = 15.0;
constexpr double kTrailPeriod = 1.0;  // the plot's trail pass
constexpr size_t kBlock = 1 << 20;

constexpr std::string_view kUsageHead =
    "usage: orvanta-cli replay [FILE|-] [--data-dir DIR] [--ref LAT LON]\n"
    "                          [--format text|csv|json|geojson] [--tracks GPX]\n"
    "                          [--own-mmsi N] [--alarms FILE] [--capacity N]\n"
    "                          [--rate N] [--realtime | --speed X] [--max-gap S]\n"
    "                          [--threads N] [--bench]\n"
    "\n"
    "Runs the receive pipeline of the program on NMEA text (FILE, or standard input\n"
    "when FILE is '-' or missing): sentence counting, checksum test, VDM/VDO\n"
    "assembly, decoding, the target table and its statistics. Then prints the\n"
    "target table in list order and the run counters.\n"
    "\n"
    "The clock starts at the local time of the run and advances 10 ms per\n"
    "sentence (see --rate); targets are aged every 15 s of that clock.\n"
    "\n"
    "On a terminal, a progress line on standard error shows how much of FILE is\n"
    "done, the rate and the time left.\n"
    "\n"
    "options:\n";
constexpr std::string_view kUsageTail =
    "\n"
    "Operator messages (such as the table-full message) go to standard error.\n";

// Bytes read as the input's notifications: all in one, or under the
// empty-buffer rule a line each. A file has no notification boundaries of its
// own, so under that rule nothing is discarded for being in the same block as
// another line.
template <typename Take>
void ForEachNotification(std::string_view bytes, bool perLine, Take take) {
    if (!perLine) return take(bytes);
    while (!bytes.empty()) {
        const size_t lf = bytes.find('\n');
        const size_t len = lf == std::string_view::npos ? bytes.size() : lf + 1;
        take(bytes.substr(0, len));
        bytes.remove_prefix(len);
    }
}

// Operator messages to stderr; nothing else is shown.
class ReplayEvents final : public app::ReceiverEvents {
public:
    bool quiet = false;
    void operatorMessage(base::MessageIcon, const std::string& title, const std::string& text) override {
        // A text without a title (the history's notices name the history
        // themselves) goes out as the command's own.
        if (!quiet) std::fprintf(stderr, "%s: %s\n", title.empty() ? "orvanta-cli replay" : title.c_str(), text.c_str());
    }
    // The first failure to write the alarm log.
    std::string alarmLogError;
    void collisionAlarm(int, bool logFailed, const std::string& logError) override {
        if (logFailed && alarmLogError.empty()) alarmLogError = logError.empty() ? "write failed" : logError;
    }
};

struct Options {
    std::string file = "-";
    std::string dataDir;
    bool haveRef = false;
    double refLat = 0, refLon = 0;
    int32_t ownMMSI = 0;
    int capacity = targets::kMaxTargets;
    double secondsPerSentence = kSecondsPerSentence;
    std::string format = "text";
    std::string tracks;  // GPX file to write, empty for none
    std::string alarms;  // alarm log to write, empty for none
    std::string history; // history store to fill, empty for none
    bool bench = false;
    int threads = 0;      // 1 or 2; 0: two on two or more cores
    double speed = 0;     // > 0: paced play back, this many times real time
    double maxGap = input::kDefaultMaxGap;  // paced: longer jumps of the c: times are skipped
};

// One replay: a receiver and its clock. The file is the receiver's main
// input; after every sentence the clock moves on.
class Replay final {
public:
    Replay(const Options& opt, ReplayEvents& events) : clock_(initialTime()), rx_(clock_, events) {
        rx_.setInputKind(app::Receiver::kMainInput, input::InputKind::Serial);
        rx_.setAfterSentence([this] { sentenceDone(); });
        if (!opt.dataDir.empty()) {
            const std::filesystem::path dir(opt.dataDir);
            const std::filesystem::path ini = dir / "Orvanta.ini";
            std::error_code ec;
            if (std::filesystem::exists(ini, ec)) {
                input::CommSettings comm;
                input::SetSetupDefaults(comm);
                input::ReceiveSettings receive;
                input::LoadSetup(ini.string(), comm, receive, rx_.reference(), events);
                rx_.setInputTests(receive.Tests);
                rx_.setBinaryStandard(receive.BinaryMsgStandard);
            }
            rx_.shipDatabase().LoadShipData(dir);
            std::filesystem::create_directories(dir, ec);  // a new data folder starts empty
            rx_.keepShipData(dir);
            rx_.flagIndex().setDataDir(dir);
        }
        if (opt.haveRef) {
            rx_.reference().setMode(targets::kRefManual);
            rx_.reference().moveTo(opt.refLat, opt.refLon);
        }
        targets::LifecycleSettings life = rx_.targets().lifecycle();
        life.capacity = opt.capacity;
        rx_.targets().setLifecycle(life);
        if (opt.ownMMSI != 0) {
            rx_.reference().setMode(targets::kRefFromVDM);
            rx_.reference().setMMSI(opt.ownMMSI);
        }
        if (!opt.alarms.empty()) rx_.setAlarmLog(opt.alarms);
        // The table is printed after refineApproaches; nothing reads an
        // approach before (the alarm log's lines are of targets near enough).
        rx_.setDeferFarApproaches(true);
        clock_.setUtcMilliseconds(base::SystemClock().utcMilliseconds() / 1000 * 1000);
        nextAgeing_ = clock_.monotonicSeconds() + kAgeingPeriod;
        keepTrails_ = !opt.tracks.empty();
        secondsPerSentence_ = opt.secondsPerSentence;
        nextTrailPass_ = clock_.monotonicSeconds() + kTrailPeriod;
    }

    // Bytes of any length, as one input notification. A file has no
    // notification boundaries of its own, so under the empty-buffer rule every
    // line is its own notification and nothing is discarded for being in the
    // same block as another.
    void feed(std::string_view bytes) {
        ForEachNotification(bytes, rx_.inputTests().EmptyBuffer, [this](std::string_view b) { take(b); });
    }
    // The same on two threads, with finish(): `read` hands every block of the
    // input in order to its argument and says whether all was read; it runs
    // on a thread of its own with a front (framing, intake, decoding), and
    // this thread applies the front's steps to the table. The table and the
    // counters are those of feed() to the byte. The front does about two
    // fifths of the work, so on two cores a busy feed goes through in about
    // four fifths of the time (the hand-over costs a little of the rest).
    template <typename Read>
    bool runOnTwoThreads(Read read, cli::Progress* progress) {
        app::StepRing ring;
        app::ReceiveFront front(clock_, secondsPerSentence_, rx_.inputTests(), rx_.binaryStandard(), ring);
        const bool perLine = rx_.inputTests().EmptyBuffer;
        bool readOk = false;
        std::exception_ptr failed;  // what stopped the reading thread, thrown again here
        std::thread reader([&] {
            try {
                readOk = read([&](std::string_view block) {
                    ForEachNotification(block, perLine, [&](std::string_view b) { front.take(b); });
                    return !ring.cancelled();
                });
                front.endOfStream();
            } catch (...) {
                failed = std::current_exception();
            }
            ring.close();
        });
        uint64_t bytes = 0;
        try {
            while (const app::StepBatch* batch = ring.next()) {
                for (const app::ReceiveStep& step : batch->steps()) {
                    rx_.takeStep(kMain, step, *batch);
                    if (step.kind == app::ReceiveStep::Kind::Notification) bytes += static_cast<uint64_t>(step.bytes);
                    if (progress && step.kind == app::ReceiveStep::Kind::NotificationDone)
                        progress->update(bytes, rx_.sentencesRead());
                }
            }
        } catch (...) {
            ring.cancel();
            reader.join();
            throw;
        }
        reader.join();
        if (failed) std::rethrow_exception(failed);
        finishTable();
        if (progress) progress->finish(bytes, rx_.sentencesRead());
        return readOk;
    }
    // A last line without a line feed still counts as a sentence, or as an
    // overlong line when it outgrew the input bound.
    void finish() {
        rx_.endOfStream(kMain);
        finishTable();
    }

    app::Receiver& receiver() { return rx_; }
    const plot::TrailStore& trails() const { return trails_; }
private:
    static constexpr int kMain = app::Receiver::kMainInput;
    void finishTable() {
        rx_.refineApproaches();  // the table is printed with exact approaches
        if (keepTrails_) trails_.record(rx_.targets(), clock_.now());  // where the input left them
    }
    void take(std::string_view bytes) { rx_.takeBytes(kMain, bytes); }
    void sentenceDone() {
        clock_.advance(secondsPerSentence_);
        if (clock_.monotonicSeconds() >= nextAgeing_) {
            rx_.ageTargets();
            nextAgeing_ += kAgeingPeriod;
        }
        if (keepTrails_ && clock_.monotonicSeconds() >= nextTrailPass_) {
            trails_.record(rx_.targets(), clock_.now());
            nextTrailPass_ += kTrailPeriod;
        }
    }

    // The wall-clock start on a whole second: the rounded whole-second figures
    // (period, time tracked, receive timer) must not depend on the fraction of
    // the second the replay happened to start in, or two replays of one file
    // would build different tables.
    static base::DateTime initialTime() {
        base::CalendarTime c = base::SystemClock().now().toCalendar();
        c.millisecond = 0;
        return base::DateTime::fromCalendar(c);
    }

    base::ManualClock clock_;
    app::Receiver rx_;
    double nextAgeing_ = 0;
    bool keepTrails_ = false;
    double secondsPerSentence_ = kSecondsPerSentence;
    plot::TrailStore trails_;
    double nextTrailPass_ = 0;
};

// The input in blocks to `take` (which says whether to go on); false on a
// read error.
template <typename Take>
bool readBlocks(FILE* in, Take take) {
    std::vector<char> buf(kBlock);
    for (;;) {
        const size_t got = std::fread(buf.data(), 1, buf.size(), in);
        if (got > 0 && !take(std::string_view(buf.data(), got))) break;
        if (got < buf.size()) break;
    }
    return !std::ferror(in);
}

// progress may be null (the bench passes show none).
bool readAll(FILE* in, Replay& replay, int threads, cli::Progress* progress = nullptr) {
    if (threads >= 2) {
        return replay.runOnTwoThreads([in](const auto& take) { return readBlocks(in, take); }, progress);
    }
    uint64_t bytesRead = 0;
    const bool ok = readBlocks(in, [&](std::string_view block) {
        replay.feed(block);
        bytesRead += block.size();
        if (progress) progress->update(bytesRead, replay.receiver().sentencesRead());
        return true;
    });
    replay.finish();
    if (progress) progress->finish(bytesRead, replay.receiver().sentencesRead());
    return ok;
}

// Lines at the pace of their reception times (or the rate), speed times
// faster than real time.
bool readPaced(FILE* in, Replay& replay, double speed, double rate, double maxGap) {
    input::PlaybackReader reader(rate, maxGap);
    reader.attach(in);
    reader.onGapSkipped([](double seconds) {
        std::fprintf(stderr, "orvanta-cli replay: %s\n", input::GapSkippedText(seconds).c_str());
    });
    const auto start = std::chrono::steady_clock::now();
    std::string chunk;
    for (double due = reader.nextDue(); std::isfinite(due); due = reader.nextDue()) {
        std::this_thread::sleep_until(start + std::chrono::duration<double>(due / speed));
        chunk.clear();
        reader.take(due, chunk);
        replay.feed(chunk);
    }
    replay.finish();
    return !reader.readFailed();
}

// Processor time of this process: on a shared machine the wall clock also
// counts the time other programs had the processor.
double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

FILE* openInput(const std::string& file) {
    if (file == "-") return stdin;
    return std::fopen(file.c_str(), "rb");
}

int runBench(const Options& opt) {
    std::string held;  // standard input is held in memory for the repeated passes
    if (opt.file == "-") {
        std::vector<char> buf(kBlock);
        size_t got;
        while ((got = std::fread(buf.data(), 1, buf.size(), stdin)) > 0) held.append(buf.data(), got);
    }
    constexpr int kPasses = 5;
    std::vector<double> sps, mps, cpuSps;
    int64_t sentences = 0, messages = 0;
    ReplayEvents events;
    events.quiet = true;
    for (int pass = 0; pass < kPasses; ++pass) {
        Replay replay(opt, events);
        FILE* in = nullptr;
        if (opt.file != "-") {
            in = openInput(opt.file);
            if (!in) {
                std::fprintf(stderr, "orvanta-cli replay: cannot open '%s'\n", opt.file.c_str());
                return 1;
            }
        }
        const double cpuStart = cpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        if (in) {
            readAll(in, replay, opt.threads);
        } else if (opt.threads >= 2) {
            replay.runOnTwoThreads(
                [&held](const auto& take) {
                    take(held);
                    return true;
                },
                nullptr);
        } else {
            replay.feed(held);
            replay.finish();
        }
        const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpu = cpuSeconds() - cpuStart;
        if (in) std::fclose(in);
        sentences = replay.receiver().totals().SentenceCount;
        messages = replay.receiver().totals().DecodedMessageCount;
        sps.push_back(sentences / secs);
        mps.push_back(messages / secs);
        cpuSps.push_back(sentences / cpu);
    }
    std::sort(sps.begin(), sps.end());
    std::sort(mps.begin(), mps.end());
    std::sort(cpuSps.begin(), cpuSps.end());
    const std::string text = "passes: " + std::to_string(kPasses) + "\nsentences: " + std::to_string(sentences) +
                             "\nmessages: " + std::to_string(messages) + "\nsentences/second: " +
                             base::FixedText(sps[kPasses / 2], 0) + "\nmessages/second: " +
                             base::FixedText(mps[kPasses / 2], 0) + "\nsentences/cpu-second: " +
                             base::FixedText(cpuSps[kPasses / 2], 0) + "\n";
    return cli::WriteOutput(text, "replay") ? 0 : 1;
}

// A number option: `set` takes the value when `valid` accepts it; else
// `error` on standard error and exit status 2.
template <typename Valid, typename Set>
std::function<int(const cli::Values&)> numberOption(Valid valid, const char* error, Set set) {
    return [=](const cli::Values& v) {
        const auto n = base::parseTypedNumber(v[0]);
        if (!n || !valid(*n)) {
            std::fprintf(stderr, "orvanta-cli replay: %s\n", error);
            return 2;
        }
        set(*n);
        return cli::kGoOn;
    };
}

// --format: one of the table's formats.
std::function<int(const cli::Values&)> formatOption(std::string& format) {
    return [&format](const cli::Values& v) {
        format = v[0];
        if (format == "text" || format == "csv" || format == "json" || format == "geojson") return cli::kGoOn;
        std::fprintf(stderr, "orvanta-cli replay: unknown format '%s'\n", format.c_str());
        return 2;
    };
}

// The options into opt: kGoOn, or the exit status.
int parseOptions(int argc, char** argv, Options& opt) {
    const auto whole = [](double n, double low, double high) { return n >= low && n <= high && n == std::floor(n); };
    cli::OptionTable options(kUsageHead, 17, kUsageTail);
    options.options = {
        {"--data-dir", "DIR",
         "read Orvanta.ini (when present), Shipdata.dat and\nFlags/FlagIndex.ini from DIR; Shipdata.dat is rewritten\n"
         "at the end with the vessels of this run",
         cli::Store(opt.dataDir)},
        {"--ref", "LAT LON",
         "manual reference position (signed degrees): the table\nshows range and bearing instead of positions",
         [&](const cli::Values& v) {
             const auto lat = base::parseTypedNumber(v[0]);
             const auto lon = base::parseTypedNumber(v[1]);
             if (!lat || !lon || *lat < -90 || *lat > 90 || *lon < -180 || *lon > 180) {
                 std::fprintf(stderr,
                              "orvanta-cli replay: --ref needs a latitude (-90..90) and a longitude (-180..180)\n");
                 return 2;
             }
             opt.haveRef = true;
             opt.refLat = *lat;
             opt.refLon = *lon;
             return cli::kGoOn;
         }},
        {"--own-mmsi", "N",
         "the own ship is station N (the \"From VDM msg, MMSI\"\nreference) when no VDO sentence names it",
         numberOption([&](double n) { return whole(n, 1, 999999999); }, "--own-mmsi needs an MMSI (1..999999999)",
                      [&](double n) { opt.ownMMSI = static_cast<int32_t>(n); })},
        {"--alarms", "FILE",
         "write the collision alarm's episodes to FILE (replaced),\nas the program's Alarms.txt: a line\n"
         "time;MMSI;name;CPA;TCPA;range;bearing when a target\nbecomes dangerous and the same with ;clear when it is\n"
         "clear again (needs --own-mmsi or a VDO own ship)",
         cli::Store(opt.alarms)},
        {"--capacity", "N", "stations the target table holds (1..20000, default 1000)",
         numberOption([&](double n) { return whole(n, 1, targets::kMaxCapacity); },
                      "--capacity needs a number of stations (1..20000)",
                      [&](double n) { opt.capacity = static_cast<int>(n); })},
        {"--rate", "N",
         "sentences per second of the clock (default 100): the\nrate at which the feed was received; with --realtime or\n"
         "--speed also the pace of lines without a c: time",
         numberOption([](double n) { return n >= 0.1 && n <= 1e6; }, "--rate needs sentences per second (0.1..1000000)",
                      [&](double n) { opt.secondsPerSentence = 1.0 / n; })},
        {"--format", "F",
         "text (default); csv (numbers with the unit in the header,\nthe position in degrees, range and bearing beside it with\n"
         "a reference, unknown values empty); json: one object\n{\"targets\": [...], \"counters\": {...}}, each target\n"
         "ending with cpa (nm), tcpa (min), dangerous, lost and\nrx_percent (null where there is none, as are a\n"
         "position, range or bearing not known); or geojson: a\nFeatureCollection with a point per target (null geometry\n"
         "without a position) and every field as a property",
         formatOption(opt.format)},
        {"--tracks", "GPX",
         "write where each target went to the file GPX (replaced):\none GPX track per target, its position once a second of\n"
         "the clock (as the plot's trails) and at the end",
         cli::Store(opt.tracks)},
        {"--realtime", "",
         "hand the lines over at the pace they were received: by\nthe c: times of their NMEA 4.0 tag blocks, lines without\n"
         "one at the --rate after the line before",
         [&](const cli::Values&) {
             opt.speed = 1;
             return cli::kGoOn;
         }},
        {"--speed", "X", "the same, X times faster (--speed 1 is --realtime)",
         numberOption([](double x) { return x > 0 && x <= 1e9; }, "--speed needs a number above 0",
                      [&](double x) { opt.speed = x; })},
        {"--max-gap", "S",
         "with --realtime or --speed: a jump of the c: times of more\nthan S seconds (default 600) is a break in the recording;\n"
         "it is skipped (\"gap of N s skipped\" on standard error)\nand the lines after it keep their pace",
         numberOption([](double x) { return x > 0 && x <= 1e9; }, "--max-gap needs seconds above 0",
                      [&](double x) { opt.maxGap = x; })},
        {"--history", "STORE",
         "fill the history STORE (a SQLite file, made when missing,\nor a postgresql:// URL) as the program does: positions\n"
         "thinned per station, static data when it changed, text\nand binary messages; at the c: times of the tag blocks,\n"
         "else at the clock's (which starts at the time of the run)",
         cli::Store(opt.history)},
        {"--threads", "N",
         "1: the whole pipeline on one thread; 2 (the default with\ntwo or more cores): reading, framing, the intake and\n"
         "decoding on a second thread (without --realtime or\n--speed); the output is the same",
         numberOption([&](double n) { return n == 1 || n == 2; }, "--threads needs 1 or 2",
                      [&](double n) { opt.threads = static_cast<int>(n); })},
        {"--bench", "",
         "run the pipeline several times without printing and\nreport sentences and messages per second (median), by\n"
         "the wall clock and by processor time;\na FILE is read again for each pass (from the page cache),\n"
         "standard input is held in memory",
         cli::Flag(opt.bench)},
        cli::HelpOption("this text"),
    };
    bool fileSet = false;
    options.other = [&](const char* arg) {
        const std::string a = arg;
        if (!fileSet && (a == "-" || a.empty() || a[0] != '-')) {
            opt.file = a;
            fileSet = true;
            return cli::kGoOn;
        }
        std::fprintf(stderr, "orvanta-cli replay: unknown option '%s'\n", a.c_str());
        options.printUsage(stderr);
        return 2;
    };
    return options.parse(argc, argv);
}

// The target table and the counters in `format` (as parsed: text, csv,
// json or geojson).
void printTable(const std::string& format, const app::Receiver& rx, std::string& out) {
    if (format == "geojson") {
        out = targets::TargetsGeoJson(rx.targets(), rx.clock().monotonicSeconds());
    } else if (format == "json") {
        cli::PrintReplayJson(rx, out);
    } else if (format == "csv") {
        cli::PrintReplayCsv(rx, out);
    } else {
        cli::PrintReplayText(rx, out);
    }
}

int runReplay(int argc, char** argv) {
    Options opt;
    if (const int rc = parseOptions(argc, argv, opt); rc != cli::kGoOn) return rc;
    // With --history the writer is a third thread; it yields to these two.
    if (opt.threads == 0) opt.threads = std::thread::hardware_concurrency() >= 2 ? 2 : 1;

    if (opt.haveRef && opt.ownMMSI != 0) {
        std::fprintf(stderr, "orvanta-cli replay: --ref and --own-mmsi choose different references; give one\n");
        return 2;
    }
    if (opt.bench) return runBench(opt);

    FILE* in = openInput(opt.file);
    if (!in) {
        std::fprintf(stderr, "orvanta-cli replay: cannot open '%s'\n", opt.file.c_str());
        return 1;
    }
    if (!opt.alarms.empty()) {
        // A new log for this run; lines are appended as episodes begin and end.
        FILE* log = std::fopen(opt.alarms.c_str(), "w");
        if (!log || std::fclose(log) != 0) {
            std::fprintf(stderr, "orvanta-cli replay: cannot write '%s'\n", opt.alarms.c_str());
            if (in != stdin) std::fclose(in);
            return 1;
        }
    }
    ReplayEvents events;
    auto replay = std::make_unique<Replay>(opt, events);
    std::unique_ptr<cli::ReplayHistory> history;
    if (!opt.history.empty()) {
        std::string error;
        history = cli::ReplayHistory::Open(opt.history, replay->receiver().clock(), events, error);
        if (!history) {
            std::fprintf(stderr, "orvanta-cli replay: %s\n", error.c_str());
            if (in != stdin) std::fclose(in);
            return 1;
        }
        replay->receiver().setHistory(&history->feed());
    }
    bool readOk = false;
    if (opt.speed > 0) {
        readOk = readPaced(in, *replay, opt.speed, 1.0 / opt.secondsPerSentence, opt.maxGap);
    } else {
        cli::Progress progress(in, "sentences");
        readOk = readAll(in, *replay, opt.threads, &progress);
    }
    if (in != stdin) std::fclose(in);
    if (!readOk) {
        std::fprintf(stderr, "orvanta-cli replay: read error on '%s'\n", opt.file.c_str());
        return 1;
    }

    app::Receiver& rx = replay->receiver();
    if (history) {
        rx.setHistory(nullptr);
        history->finishSoon();  // the writer writes its last rows while the table is printed
    }
    std::string out;
    printTable(opt.format, rx, out);
    int rc = 0;
    if (history) {
        if (const std::string error = history->finish(); !error.empty()) {
            std::fprintf(stderr, "orvanta-cli replay: %s\n", error.c_str());
            rc = 1;
        }
    }
    if (!opt.dataDir.empty()) {
        base::StandardErrorSink failures("orvanta-cli replay");
        if (!targets::StoreShipData(opt.dataDir, rx.shipDataToStore(), failures)) rc = 1;
    }

    if (!opt.tracks.empty()) {
        const auto written = base::WriteFileAtomically(opt.tracks, plot::TracksGpx(rx.targets(), replay->trails()));
        if (!written) {
            std::fprintf(stderr, "orvanta-cli replay: tracks not written: %s\n", written.error.c_str());
            rc = 1;
        }
    }

    if (!events.alarmLogError.empty()) {
        std::fprintf(stderr, "orvanta-cli replay: alarms not written: %s\n", events.alarmLogError.c_str());
        rc = 1;
    }

    if (!cli::WriteOutput(out, "replay")) return 1;
    return rc;
}

const cli::Registration reg{"replay", "the receive pipeline on NMEA text; prints targets and counters", runReplay};

}  // namespace
