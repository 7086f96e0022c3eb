#include "history/report_sieve.h"

#include <algorithm>
#include <cmath>

namespace history {
namespace {

constexpr TimeMs kForgetAfter = 3600 * 1000;  // a station silent this long loses its state

// Smallest difference of two courses, 0..180.
double CourseDifference(float a, float b) {
    double d = std::fabs(static_cast<double>(a) - b);
    if (!(d < 360)) d = std::fmod(d, 360.0);  // courses are 0..360: rarely needed
    return d > 180 ? 360 - d : d;
}

}  // namespace

bool KeepPosition(const LastKept* last, const QueuedPosition& row, const ThinningRule& rule) {
    if (!last) return true;
    if (row.time < last->time) return false;
    if (static_cast<double>(row.time - last->time) >= rule.minSeconds * 1000.0) return true;
    const bool sog = row.known & QueuedPosition::kSog, cog = row.known & QueuedPosition::kCog;
    if (sog != last->sog.has_value() || cog != last->cog.has_value()) return true;
    if (sog && std::fabs(row.sog - *last->sog) > rule.speedKnots) return true;
    if (cog && CourseDifference(row.cog, *last->cog) > rule.courseDegrees) return true;
    return rule.statusChange && row.knownNavStatus() != last->navStatus;
}

bool KeepPosition(const LastKept* last, const PositionRow& row, const ThinningRule& rule) {
    return KeepPosition(last, QueuedPosition::Of(row), rule);
}

bool MergeStatic(StaticRow& known, const StaticRow& report) {
    bool changed = false;
    const auto text = [&](std::string& to, const std::string& from) {
        if (from.empty() || to == from) return;
        to = from;
        changed = true;
    };
    const auto value = [&](auto& to, const auto& from) {
        if (!from || to == from) return;
        to = from;
        changed = true;
    };
    text(known.name, report.name);
    text(known.callSign, report.callSign);
    value(known.imo, report.imo);
    value(known.shipType, report.shipType);
    value(known.dimA, report.dimA);
    value(known.dimB, report.dimB);
    value(known.dimC, report.dimC);
    value(known.dimD, report.dimD);
    value(known.draught, report.draught);
    text(known.destination, report.destination);
    text(known.eta, report.eta);
    known.time = report.time;
    known.mmsi = report.mmsi;
    known.input = report.input;
    known.source = report.source;
    known.type = report.type;
    return changed;
}

void ReportSieve::seed(std::vector<StaticRow> known, TimeMs now) {
    for (StaticRow& row : known) {
        Station& s = stations_[row.mmsi];
        s.heard = std::max(s.heard, now);
        s.hasStatic = true;
        known_[row.mmsi] = std::move(row);
    }
}

ReportSieve::Station& ReportSieve::heard(int32_t mmsi, TimeMs time) {
    Station& s = stations_[mmsi];
    s.heard = std::max(s.heard, time);
    return s;
}

bool ReportSieve::keep(const QueuedPosition& row) {
    Station& s = heard(row.mmsi, row.time);
    const bool kept = KeepPosition(s.hasKept ? &s.kept : nullptr, row, rule_);
    if (kept) {
        s.kept = LastKept{row.time, row.knownSog(), row.knownCog(), row.knownNavStatus()};
        s.hasKept = true;
    } else {
        ++thinned_;
    }
    forgetSilentStations(row.time);
    return kept;
}

const StaticRow* ReportSieve::merge(const StaticRow& report) {
    heard(report.mmsi, report.time).hasStatic = true;
    StaticRow& known = known_[report.mmsi];
    const bool changed = MergeStatic(known, report);
    // The station was just heard: the sweep keeps it (and `known`).
    forgetSilentStations(report.time);
    return changed ? &known : nullptr;
}

void ReportSieve::forgetSilentStations(TimeMs now) {
    if (now < nextSweep_) return;
    nextSweep_ = now + kForgetAfter / 6;
    stations_.eraseIf([&](int32_t mmsi, const Station& s) {
        if (s.heard >= now - kForgetAfter) return false;
        if (s.hasStatic) known_.erase(mmsi);
        return true;
    });
}

}  // namespace history
