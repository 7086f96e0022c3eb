// The PostgreSQL history's speed on a throw-away local cluster: rows per
// second written by COPY in batches of one second of a 1,000- and a
// 20,000-station feed, then a day of a 1,000-station feed stored (a minute a
// batch) and the
// time of a 24-hour track and of the situation at a moment.
//
//   bench_history_pg [--interval SECONDS] [--stations N]
//
// --interval is the seconds between two stored positions of a station in the
// day (default 10, the writer's default thinning); --stations the stations
// of that day (default 1000). Needs postgresql-15 and postgresql-15-postgis-3.
#include <libpq-fe.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "history/pg/pg_store.h"

namespace {

using history::Batch;
using history::PgStore;
using history::PositionRow;
using history::TimeMs;
using Clock = std::chrono::steady_clock;

constexpr TimeMs T0 = 1'796'601'600'000;  // 2026-12-07T00:00:00Z

// CPU seconds (user and system) a process has spent, from /proc: the
// server's own cost of the writes, whatever else the machine is doing.
double CpuSeconds(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto close = line.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream rest(line.substr(close + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14 || i == 15) ticks += std::stod(field);
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

int ServerPid(const std::string& url) {
    PGconn* c = PQconnectdb(url.c_str());
    PGresult* r = PQexec(c, "SELECT pid FROM pg_stat_activity WHERE application_name = 'orvanta'");
    const int pid = PQntuples(r) == 1 ? std::atoi(PQgetvalue(r, 0, 0)) : 0;
    PQclear(r);
    PQfinish(c);
    return pid;
}

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// Station s at time t: ships on slow circles, so positions and speeds vary.
PositionRow Report(int s, TimeMs t) {
    PositionRow p;
    p.time = t;
    p.mmsi = 200'000'000 + s;
    p.input = 1;
    p.type = 1;
    p.stationClass = history::StationClass::ClassA;
    const double phase = static_cast<double>(t % 3'600'000) / 3'600'000.0 * 6.283;
    p.latitude = 50 + (s % 100) * 0.1 + 0.05 * std::sin(phase + s);
    p.longitude = (s / 100) * 0.2 + 0.05 * std::cos(phase + s);
    p.sog = static_cast<float>(s % 25);
    p.cog = static_cast<float>((s * 37) % 360);
    p.heading = static_cast<int16_t>((s * 37) % 360);
    p.navStatus = 0;
    return p;
}

Batch Second(int stations, int second, int every = 1) {
    Batch b;
    b.positions.reserve(static_cast<size_t>(stations));
    for (int s = 0; s < stations; ++s) {
        if ((second + s) % every == 0) b.positions.push_back(Report(s, T0 + second * 1000LL + s % 1000));
    }
    return b;
}

void MeasureWrites(PgStore& store, int serverPid, int stations, int batches) {
    std::vector<double> times;
    const auto start = Clock::now();
    const double serverStart = CpuSeconds(serverPid);
    for (int i = 0; i < batches; ++i) {
        const auto t = Clock::now();
        const history::Status s = store.append(Second(stations, i));
        if (!s.ok()) {
            std::fprintf(stderr, "append failed: %s\n", s.error.c_str());
            std::exit(1);
        }
        times.push_back(Seconds(t));
    }
    const double total = Seconds(start);
    const double rows = stations * static_cast<double>(batches);
    const double serverCpu = CpuSeconds(serverPid) - serverStart;
    std::sort(times.begin(), times.end());
    std::printf("write %6d stations: %3d batches of %6d rows, %8.0f rows/s, batch median %6.1f ms, max %6.1f ms; "
                "%8.0f rows per server CPU second\n",
                stations, batches, stations, rows / total, times[times.size() / 2] * 1000, times.back() * 1000,
                serverCpu > 0 ? rows / serverCpu : 0.0);
}

template <typename F>
double MedianMs(int runs, F f) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto t = Clock::now();
        f(i);
        times.push_back(Seconds(t) * 1000);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::string Option(int argc, char** argv, const char* name, const char* fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == name) return argv[i + 1];
    }
    return fallback;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int interval = std::max(1, std::atoi(Option(argc, argv, "--interval", "10").c_str()));
    const int dayStations = std::max(1, std::atoi(Option(argc, argv, "--stations", "1000").c_str()));
    const std::string script = std::string(ORVANTA_SOURCE_DIR) + "/scripts/pg-test-cluster";
    const std::string dir = "/tmp/orvanta-pg-bench-" + std::to_string(getpid());
    if (std::system((script + " start " + dir + " --watch " + std::to_string(getpid()) + " >/dev/null").c_str()) != 0) {
        std::fprintf(stderr, "the test cluster did not start\n");
        return 1;
    }
    std::string url;
    std::getline(std::ifstream(dir + "/url"), url);
    std::string error;
    auto store = PgStore::open(url, {}, error);
    if (!store) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const int serverPid = ServerPid(url);
    MeasureWrites(*store, serverPid, 1000, 60);
    MeasureWrites(*store, serverPid, 20000, 20);
    store->applyRetention({0, 1}, T0);  // empty again

    // A day: every station every `interval` seconds, loaded a minute a batch.
    const auto load = Clock::now();
    int64_t rows = 0;
    for (int minute = 0; minute < 1440; ++minute) {
        Batch b;
        for (int second = minute * 60; second < minute * 60 + 60; ++second) {
            Batch s = Second(dayStations, second, interval);
            b.positions.insert(b.positions.end(), s.positions.begin(), s.positions.end());
        }
        rows += static_cast<int64_t>(b.positions.size());
        if (!store->append(b).ok()) {
            std::fprintf(stderr, "append failed: %s\n", store->lastError().c_str());
            return 1;
        }
    }
    const double loadSeconds = Seconds(load);
    const int64_t bytes = store->storedBytes().value_or(0);
    std::printf("day of %d stations, one position per %d s: %lld rows in %.0f s (%.0f rows/s), %.0f bytes per row "
                "with indexes\n",
                dayStations, interval, static_cast<long long>(rows), loadSeconds, rows / loadSeconds,
                static_cast<double>(bytes) / static_cast<double>(rows));
    size_t got = 0;
    const double track = MedianMs(21, [&](int i) {
        got = store->track(200'000'000 + (i * 37) % dayStations, T0, T0 + 86'400'000).size();
    });
    std::printf("24-hour track of one station (%zu positions): median %.1f ms\n", got, track);
    const double situation = MedianMs(21, [&](int i) {
        got = store->situation(T0 + 3'600'000LL * (1 + i), 600'000).size();
    });
    std::printf("situation at a moment, 10-minute window (%zu stations): median %.1f ms\n", got, situation);
    const double lastSeen = MedianMs(5, [&](int i) { got = store->lastSeen("2000001", 10).size(); });
    std::printf("last seen by MMSI digits (%zu found): median %.1f ms\n", got, lastSeen);
    const double counts = MedianMs(5, [&](int) { got = store->countsPerHour(T0, T0 + 86'400'000).size(); });
    std::printf("counts per hour of the day (%zu hours): median %.1f ms\n", got, counts);
    store.reset();
    return std::system((script + " stop " + dir).c_str()) == 0 ? 0 : 1;
}
