#include "web/snapshot.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "base/json_writer.h"
#include "plot/plot_state_symbols.h"
#include "station/receiver.h"
#include "targets/coverage.h"
#include "targets/dangerous_targets.h"
#include "targets/statistics.h"
#include "targets/target_export.h"

namespace web {
namespace {

using base::JsonWriter;

// Every entry with this MMSI (a station may hold one entry per class), in
// entry order.
std::vector<int> EntriesOf(const targets::TargetTable& table, int32_t mmsi) {
    std::vector<int> out;
    if (mmsi <= 0) return out;
    for (int k = 1; k <= table.TargetCount(); ++k) {
        const int n = table.DisplayOrder()[static_cast<size_t>(k)];
        if (table.entry(n).MMSI == mmsi) out.push_back(k);
    }
    return out;
}

void WriteTargetsArray(JsonWriter& j, const app::Receiver& rx, const std::vector<int>& rows) {
    const auto& table = rx.targets();
    const double now = rx.clock().monotonicSeconds();
    j.key("targets");
    j.beginArray();
    for (int k : rows) targets::WriteTargetJson(j, table.entry(table.DisplayOrder()[static_cast<size_t>(k)]), k, now);
    j.endArray();
}

// A number or null. Speeds, courses and headings come as float and are
// written as the float they are (32.4, not 32.400001525878906).
template <typename Number>
void Optional(JsonWriter& j, const char* key, bool has, Number v) {
    j.key(key);
    if (has) {
        j.value(v);
    } else {
        j.null();
    }
}

std::string Trimmed(const std::string& s) {
    size_t end = s.find_last_not_of(" @");
    return end == std::string::npos ? std::string() : s.substr(0, end + 1);
}

}  // namespace

void WriteCompactTarget(JsonWriter& j, const targets::TargetRecord& t, bool own, double heardSecondsAgo) {
    j.beginObject();
    j.field("mmsi", int64_t{t.MMSI});
    std::string name = Trimmed(t.Id.Name);
    if (name.empty()) name = Trimmed(t.Name24);
    j.field("name", name);
    std::string callSign = Trimmed(t.Id.CallSign);
    if (callSign.empty()) callSign = Trimmed(t.CallSign24);
    j.field("callsign", callSign);
    j.field("class", targets::ClassCode(t.Class));
    j.field("class_text", targets::ClassText(t.Class));
    const ais::ShipKind& kind = t.Ship.ShipType ? t.Ship : t.Ship24;
    j.field("ship_type", int64_t{kind.ShipType});
    j.field("ship_type_text", kind.ShipTypeText);
    j.field("status", targets::StatusText(t.Status));
    j.field("nav_status", t.Nav.NavStatusText);
    Optional(j, "lat", t.PositionKnown, t.Fix.Latitude);
    Optional(j, "lon", t.PositionKnown, t.Fix.Longitude);
    Optional(j, "sog", t.Motion.SOG >= 0 && t.Motion.SOG < 102.3f, t.Motion.SOG);
    Optional(j, "cog", t.Motion.COG >= 0 && t.Motion.COG < 360.f, t.Motion.COG);
    Optional(j, "heading", t.TrueHeading >= 0 && t.TrueHeading < 360.f, t.TrueHeading);
    Optional(j, "range_nm", t.HasOwnRange, t.OwnRange);
    Optional(j, "bearing", t.HasOwnRange, t.OwnBearing);
    Optional(j, "cpa", t.HasCPA, t.CPA);
    Optional(j, "tcpa", t.HasCPA, t.TCPA);
    j.field("dangerous", t.Dangerous);
    j.field("own", own);
    // How the desktop's plot draws it: symbol, fill group, direction.
    static constexpr const char* kSymbols[] = {"plain", "A", "B", "base", "aton", "sar", "distress"};
    j.field("symbol", kSymbols[static_cast<int>(plot::SymbolOf(t))]);
    j.field("group", static_cast<int64_t>(plot::GroupOf(t)));
    const double angle = plot::SymbolAngle(t);
    Optional(j, "angle", !std::isnan(angle), angle);
    j.field("virtual", t.VirtualAtoN != 0);
    j.field("off_position", t.OffPosition != 0);
    const ais::Dimensions& d = (t.Dim.DimA || t.Dim.DimB) ? t.Dim : t.Dim24;
    j.key("dims");
    j.beginArray();
    for (int16_t v : {d.DimA, d.DimB, d.DimC, d.DimD}) j.value(int64_t{v});
    j.endArray();
    j.field("heard_s_ago", heardSecondsAgo);
    j.endObject();
}

namespace {

std::string CompactJson(const app::Receiver& rx, const std::vector<int>& entries) {
    const auto& table = rx.targets();
    const double now = rx.clock().monotonicSeconds();
    base::OutputBuffer out;
    JsonWriter j(out);
    j.beginObject();
    j.key("targets");
    j.beginArray();
    for (int n : entries) {
        if (table.InUse(n)) WriteCompactTarget(j, table.entry(n), n == table.OwnShipIndex(), now - table.entry(n).LastMsgMonotonic);
    }
    j.endArray();
    j.endObject();
    return std::string(out.view());
}

void WriteInputs(JsonWriter& j, const app::Receiver& rx) {
    const double now = rx.clock().monotonicSeconds();
    j.key("inputs");
    j.beginArray();
    for (int n : rx.inputs()) {
        const input::InputCounters c = *rx.inputCounters(n);
        j.beginObject();
        j.field("input", int64_t{n});
        j.field("Bytes", c.Bytes);
        j.field("Sentences", c.Sentences);
        j.field("ChecksumErrors", c.ChecksumErrors);
        j.field("Ignored", c.Ignored);
        j.field("Overflow", c.Overflow);
        j.field("CutOff", c.CutOff);
        j.key("seconds_since_data");
        if (c.LastData < 0) {
            j.null();
        } else {
            j.value(now - c.LastData);
        }
        j.endObject();
    }
    j.endArray();
}

std::string StatsJson(const app::Receiver& rx, int64_t nowMs) {
    const input::ReceiverTotals s = rx.totals();
    base::OutputBuffer out;
    JsonWriter j(out);
    j.beginObject();
    j.field("time_ms", nowMs);
    j.key("counters");
    j.beginObject();
    // The names replay's JSON uses for the same counters.
    const std::pair<const char*, int64_t> counters[] = {
        {"SentenceCount", s.SentenceCount},
        {"ChecksumErrorCount", s.ChecksumErrorCount},
        {"IgnoredCount", s.IgnoredCount},
        {"OverflowCount", s.OverflowCount},
        {"CutOffCount", s.CutOffCount},
        {"NonAISCount", s.NonAISCount},
        {"TagOnlyCount", s.TagOnlyCount},
        {"MalformedCount", s.MalformedCount},
        {"DecodedSentenceCount", s.DecodedSentenceCount},
        {"IncompleteFragmentCount", s.IncompleteFragmentCount},
        {"IncompleteMessageCount", s.IncompleteMessageCount},
        {"PendingFragmentCount", rx.pendingFragments()},
        {"DecodedMessageCount", s.DecodedMessageCount},
        {"TargetCount", rx.targets().TargetCount()},
    };
    for (const auto& [name, value] : counters) j.field(name, value);
    j.endObject();
    j.key("MessageTypeCount");
    j.beginObject();
    for (int t = 0; t < 64; ++t) {
        const int64_t n = s.MessageTypeCount[static_cast<size_t>(t)];
        if (n) j.field(std::to_string(t), n);
    }
    j.endObject();
    WriteInputs(j, rx);
    j.endObject();
    return std::string(out.view());
}

std::string AlarmsJson(const app::Receiver& rx) {
    const auto& table = rx.targets();
    base::OutputBuffer out;
    JsonWriter j(out);
    j.beginObject();
    j.key("alarms");
    j.beginArray();
    for (const targets::DangerousRow& r : targets::DangerousTargets(table)) {
        const targets::TargetRecord& t = table.entry(r.entry);
        j.beginObject();
        j.field("mmsi", int64_t{t.MMSI});
        j.field("name", r.name);
        j.key("cpa");
        if (t.HasCPA) j.value(t.CPA); else j.null();
        j.key("tcpa");
        if (t.HasCPA) j.value(t.TCPA); else j.null();
        j.key("cpa_position");
        if (t.HasCPA) {
            j.beginArray();
            j.value(t.CPALongitude);
            j.value(t.CPALatitude);
            j.endArray();
        } else {
            j.null();
        }
        j.key("range");
        if (t.HasOwnRange) j.value(t.OwnRange); else j.null();
        j.key("bearing");
        if (t.HasOwnRange) j.value(t.OwnBearing); else j.null();
        j.field("acknowledged", t.AlarmAcknowledged);
        j.endObject();
    }
    j.endArray();
    j.endObject();
    return std::string(out.view());
}

std::string CoverageJson(const targets::Coverage* coverage, int64_t nowMs) {
    base::OutputBuffer out;
    JsonWriter j(out);
    j.beginObject();
    j.field("time_ms", nowMs);
    j.key("coverage");
    j.beginArray();
    for (const targets::CoverageKey& key : coverage ? coverage->keys() : std::vector<targets::CoverageKey>{}) {
        j.beginObject();
        j.field("input", int64_t{key.input});
        j.field("source", key.source);
        j.field("messages", coverage->count(key));
        j.key("sectors");
        j.beginArray();
        const auto sectors = coverage->farthest(key, nowMs / 1000);
        for (size_t k = 0; k < sectors.size(); ++k) {
            const targets::CoverageSector& s = sectors[k];
            if (s.rangeNm <= 0) {
                j.null();
                continue;
            }
            j.beginObject();
            j.field("bearing", static_cast<int64_t>(k * 10));
            j.field("range_nm", s.rangeNm);
            j.field("lat", s.latitude);
            j.field("lon", s.longitude);
            j.field("mmsi", int64_t{s.mmsi});
            j.field("time", s.time);
            j.endObject();
        }
        j.endArray();
        j.endObject();
    }
    j.endArray();
    j.endObject();
    return std::string(out.view());
}

}  // namespace

ListBuild::ListBuild(const app::Receiver& rx, View view) : rx_(rx), view_(view) {
    const auto& table = rx.targets();
    entries_.reserve(static_cast<size_t>(table.TargetCount()));
    for (int k = 1; k <= table.TargetCount(); ++k) entries_.push_back(table.DisplayOrder()[static_cast<size_t>(k)]);
    j_.beginObject();
    if (view_ == View::GeoJson) {
        j_.field("type", "FeatureCollection");
        j_.key("features");
    } else {
        j_.key("targets");
    }
    j_.beginArray();
}

bool ListBuild::step(size_t count) {
    const auto& table = rx_.targets();
    const double now = rx_.clock().monotonicSeconds();
    const size_t end = std::min(entries_.size(), next_ + std::min(count, entries_.size()));
    for (; next_ < end; ++next_) {
        const int n = entries_[next_];
        if (!table.InUse(n)) continue;
        const targets::TargetRecord& t = table.entry(n);
        const int row = static_cast<int>(next_) + 1;
        switch (view_) {
            case View::Targets: targets::WriteTargetJson(j_, t, row, now); break;
            case View::GeoJson: targets::WriteTargetFeature(j_, t, row, now); break;
            default: WriteCompactTarget(j_, t, n == table.OwnShipIndex(), now - t.LastMsgMonotonic); break;
        }
    }
    return next_ == entries_.size();
}

std::string ListBuild::take() {
    j_.endArray();
    j_.endObject();
    std::string text(out_.view());
    if (view_ == View::GeoJson) text += '\n';
    return text;
}

std::string BuildView(const app::Receiver& rx, View view, int64_t nowMs, const targets::Coverage* coverage) {
    if (ListBuild::IsList(view)) {
        ListBuild build(rx, view);
        build.step(SIZE_MAX);
        return build.take();
    }
    switch (view) {
        case View::Stats: return StatsJson(rx, nowMs);
        case View::Alarms: return AlarmsJson(rx);
        case View::Coverage: return CoverageJson(coverage, nowMs);
        default: return {};
    }
}

std::string TargetDetailJson(const app::Receiver& rx, int32_t mmsi, const targets::Coverage* coverage) {
    const std::vector<int> rows = EntriesOf(rx.targets(), mmsi);
    if (rows.empty()) return {};
    const auto& table = rx.targets();
    const targets::TargetRecord& t = table.entry(table.DisplayOrder()[static_cast<size_t>(rows.front())]);
    base::OutputBuffer out;
    JsonWriter j(out);
    j.beginObject();
    WriteTargetsArray(j, rx, rows);
    // The detail window's two grids, as the operator reads them there.
    j.key("statistics");
    j.beginObject();
    const targets::StatisticsGrid grid = targets::StatisticsGridOnOpen(t);
    j.key("rows");
    j.beginArray();
    for (const auto& row : grid) {
        j.beginArray();
        for (const std::string& cell : row) j.value(cell);
        j.endArray();
    }
    j.endArray();
    j.key("summary");
    j.beginObject();
    const auto summary = targets::StatisticsSummary(t);
    for (size_t k = 0; k < summary.size(); ++k) j.field(targets::kSummaryTitles[k], summary[k]);
    j.endObject();
    j.endObject();
    if (coverage) {
        j.key("heard_by");
        j.beginArray();
        for (const targets::HeardBy& h : coverage->heardBy(mmsi)) {
            j.beginObject();
            j.field("input", int64_t{h.input});
            j.field("source", h.source);
            j.field("time", h.time);
            j.endObject();
        }
        j.endArray();
    }
    j.endObject();
    return std::string(out.view());
}

std::string ChangedTargetsJson(const app::Receiver& rx, const std::vector<int>& entries) {
    return CompactJson(rx, entries);
}

}  // namespace web
