// orvanta-cli history: questions to a history store (a SQLite file or a
// postgresql:// URL): a station's track, the situation at a moment, when and
// where a station was last heard, and how many rows the store holds per hour.
//
// Times on the command line are ISO 8601 with a zone ("2026-12-07T14:00:00Z",
// "2026-12-07T15:00:00+01:00", seconds and their fraction optional) or UNIX
// seconds; times printed are UTC in ISO 8601.
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/json_writer.h"
#include "base/number_format.h"
#include "cli/command.h"
#include "cli/history_output.h"
#include "cli/options.h"
#include "history/history_store.h"
#include "history/time_text.h"

namespace {

using history::TimeMs;

constexpr const char* kCommand = "history";

constexpr std::string_view kUsageHead =
    "usage: orvanta-cli history STORE --mmsi N [--from T] [--to T] [--points]\n"
    "       orvanta-cli history STORE --at T [--window S]\n"
    "       orvanta-cli history STORE --last-seen TEXT [--limit N]\n"
    "       orvanta-cli history STORE --stats [--from T] [--to T]\n"
    "                          [--format csv|json|geojson|gpx|nmea]\n"
    "\n"
    "Asks the history STORE (a SQLite file, such as History.sqlite in the data\n"
    "folder, or a postgresql:// URL) what it kept: the track of one station, the\n"
    "situation at a moment, where and when stations whose MMSI, name or call sign\n"
    "contain TEXT were last heard, or its rows per hour.\n"
    "\n"
    "T is ISO 8601 with a zone (2026-12-07T14:00:00Z, 2026-12-07T15:00+01:00) or\n"
    "UNIX seconds. Times are printed in UTC.\n"
    "\n"
    "options:\n";

struct Options : cli::HistoryOutput {
    std::string store;
    enum class Query { None, Track, Situation, LastSeen, Stats } query = Query::None;
    TimeMs from = std::numeric_limits<TimeMs>::min();
    TimeMs to = std::numeric_limits<TimeMs>::max();
    TimeMs at = 0;
    TimeMs window = 600 * 1000;
    std::string text;
    int limit = 20;
};

std::function<int(const cli::Values&)> TimeOption(const char* name, TimeMs& target) {
    return [name, &target](const cli::Values& v) {
        const auto t = history::ParseHistoryTime(v[0]);
        if (!t) {
            std::fprintf(stderr,
                         "orvanta-cli history: %s '%s' is not a time (ISO 8601 with a zone, such as "
                         "2026-12-07T14:00:00Z, or UNIX seconds)\n",
                         name, v[0]);
            return 2;
        }
        target = *t;
        return cli::kGoOn;
    };
}

int parseOptions(int argc, char** argv, Options& opt) {
    using Query = Options::Query;
    const auto query = [&](Query q) {
        if (opt.query != Query::None && opt.query != q) {
            std::fprintf(stderr, "orvanta-cli history: give one of --mmsi, --at, --last-seen and --stats\n");
            return 2;
        }
        opt.query = q;
        return cli::kGoOn;
    };
    cli::OptionTable t(kUsageHead, 22);
    t.options = {
        {"--mmsi", "N", "the track of station N, oldest first",
         [&](const cli::Values& v) {
             const auto n = base::parseTypedNumber(v[0]);
             if (!n || *n < 1 || *n > 999999999 || *n != std::floor(*n)) {
                 std::fprintf(stderr, "orvanta-cli history: --mmsi needs an MMSI (1..999999999)\n");
                 return 2;
             }
             opt.mmsi = static_cast<int32_t>(*n);
             return query(Query::Track);
         }},
        {"--from", "T", "the first moment of a track or of --stats (included)", TimeOption("--from", opt.from)},
        {"--to", "T", "the last moment of a track (included) or of --stats (excluded)", TimeOption("--to", opt.to)},
        {"--points", "", "a GeoJSON track as one point per position instead of\na LineString", cli::Flag(opt.points)},
        {"--at", "T", "every station's last position at or before T, with its\nstatic data as known at T",
         [&](const cli::Values& v) {
             if (const int rc = TimeOption("--at", opt.at)(v); rc != cli::kGoOn) return rc;
             return query(Query::Situation);
         }},
        {"--window", "S", "with --at: positions older than S seconds before T are\nleft out (default 600)",
         [&](const cli::Values& v) {
             const auto n = base::parseTypedNumber(v[0]);
             if (!n || *n <= 0 || *n > 1e9) {
                 std::fprintf(stderr, "orvanta-cli history: --window needs seconds above 0\n");
                 return 2;
             }
             opt.window = static_cast<TimeMs>(*n * 1000.0);
             return cli::kGoOn;
         }},
        {"--last-seen", "TEXT", "stations whose MMSI, name or call sign contain TEXT\n(any case), the latest heard first",
         [&](const cli::Values& v) {
             opt.text = v[0];
             return query(Query::LastSeen);
         }},
        {"--limit", "N", "with --last-seen: at most N stations (default 20)",
         [&](const cli::Values& v) {
             const auto n = base::parseTypedNumber(v[0]);
             if (!n || *n < 1 || *n > 1e6) {
                 std::fprintf(stderr, "orvanta-cli history: --limit needs a number (1..1000000)\n");
                 return 2;
             }
             opt.limit = static_cast<int>(*n);
             return cli::kGoOn;
         }},
        {"--stats", "", "rows per hour (positions, static data, messages), the\nspan of the store and its totals",
         [&](const cli::Values&) { return query(Query::Stats); }},
        {"--format", "F",
         "csv (default); json; geojson (a track is a LineString\nwith the times as a property); gpx; or nmea: the stored\n"
         "positions as !AIVDM sentences with c: tags, for replay",
         [&](const cli::Values& v) {
             opt.format = v[0];
             for (const char* f : {"csv", "json", "geojson", "gpx", "nmea"}) {
                 if (opt.format == f) return cli::kGoOn;
             }
             std::fprintf(stderr, "orvanta-cli history: unknown format '%s'\n", v[0]);
             return 2;
         }},
        cli::HelpOption("this text"),
    };
    t.other = [&](const char* arg) {
        if (opt.store.empty() && arg[0] != '-') {
            opt.store = arg;
            return cli::kGoOn;
        }
        std::fprintf(stderr, "orvanta-cli history: unknown option '%s'\n", arg);
        t.printUsage(stderr);
        return 2;
    };
    t.helpAnywhere = true;
    if (const int rc = t.parse(argc, argv); rc != cli::kGoOn) return rc;
    if (opt.store.empty() || opt.query == Query::None) {
        std::fprintf(stderr, "orvanta-cli history: give a STORE and one of --mmsi, --at, --last-seen and --stats\n");
        t.printUsage(stderr);
        return 2;
    }
    const bool fits = opt.format == "csv" || opt.format == "json" ||
                      (opt.format == "geojson" && opt.query != Query::Stats) ||
                      ((opt.format == "gpx" || opt.format == "nmea") &&
                       (opt.query == Query::Track || opt.query == Query::Situation));
    if (!fits) {
        std::fprintf(stderr, "orvanta-cli history: --format %s does not fit this question\n", opt.format.c_str());
        return 2;
    }
    return cli::kGoOn;
}

// A track a page at a time: a track of months needs memory for one page.
int PrintTrackInPages(const Options& opt, history::HistoryStore& store) {
    constexpr size_t kPage = 10000;
    base::OutputBuffer buf(stdout);
    std::optional<history::TrackWriter> writer;
    if (history::TrackWriter::Knows(opt.format)) writer.emplace(history::TrackOutput{opt.format, opt.points, opt.mmsi}, buf);
    history::TrackPage page = store.trackPage(opt.mmsi, {opt.from}, opt.to, kPage);
    for (;;) {
        if (!page.status.ok()) {
            buf.flush();
            std::fprintf(stderr, "orvanta-cli history: %s\n", page.status.error.c_str());
            return 1;
        }
        if (writer) {
            writer->add(page.rows);
        } else {
            std::string out;
            cli::WriteTrack(opt, page.rows, out);
            buf.append(out);
            buf.maybeFlush();
        }
        if (buf.failed() || !page.next) break;
        page = store.trackPage(opt.mmsi, *page.next, opt.to, kPage);
    }
    if (writer) writer->finish();
    buf.flush();
    return !buf.failed() && cli::FinishOutput(kCommand) ? 0 : 1;
}

int runHistory(int argc, char** argv) {
    Options opt;
    if (const int rc = parseOptions(argc, argv, opt); rc != cli::kGoOn) return rc;
    const bool url = opt.store.find("://") != std::string::npos;
    std::error_code ec;
    if (!url && !std::filesystem::is_regular_file(opt.store, ec)) {
        std::fprintf(stderr, "orvanta-cli history: no history store at '%s'\n", opt.store.c_str());
        return 1;
    }
    history::OpenResult open = history::OpenHistoryStore(opt.store);
    if (!open.store) {
        std::fprintf(stderr, "orvanta-cli history: %s\n", open.error.c_str());
        return 1;
    }
    if (!open.error.empty()) std::fprintf(stderr, "orvanta-cli history: %s\n", open.error.c_str());
    history::HistoryStore& store = *open.store;
    std::string out;
    switch (opt.query) {
        case Options::Query::Track: return PrintTrackInPages(opt, store);
        case Options::Query::Situation: cli::WriteSituation(opt, store.situation(opt.at, opt.window), out); break;
        case Options::Query::LastSeen: cli::WriteLastSeen(opt, store.lastSeen(opt.text, opt.limit), out); break;
        case Options::Query::Stats: cli::WriteStats(opt, store, opt.from, opt.to, out); break;
        case Options::Query::None: break;
    }
    if (const std::string error = store.lastError(); !error.empty()) {
        std::fprintf(stderr, "orvanta-cli history: %s\n", error.c_str());
        return 1;
    }
    return cli::WriteOutput(out, kCommand) ? 0 : 1;
}

const cli::Registration reg{"history", "questions to the history store: tracks, past situations, last seen",
                            runHistory};

}  // namespace
