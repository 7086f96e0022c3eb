#include "plot/trail_store.h"

#include <algorithm>
#include <charconv>

#include "base/text_escape.h"

namespace plot {

size_t TrailStore::TrailLimit(int targets) {
    const size_t n = static_cast<size_t>(std::max(1, targets));
    return std::clamp(kTrailPointBudget / n, kMinTrailPoints, kMaxTrailPoints);
}

namespace {

// Keeps every second point and the newest until fewer than `limit` remain,
// and gives back the memory a much shorter trail no longer needs.
void thin(std::vector<TrailPoint>& trail, size_t limit) {
    if (trail.size() < limit) return;
    const TrailPoint newest = trail.back();
    while (trail.size() >= limit) {
        const bool newestKept = (trail.size() - 1) % 2 == 0;
        size_t kept = 0;
        for (size_t i = 0; i < trail.size(); i += 2) trail[kept++] = trail[i];
        trail.resize(kept);
        if (!newestKept) trail.push_back(newest);
    }
    if (trail.capacity() > 2 * limit) trail.shrink_to_fit();
}

}  // namespace

void TrailStore::record(const targets::TargetTable& table, base::DateTime now) {
    if (trails_.size() < static_cast<size_t>(table.EntryCount())) trails_.resize(static_cast<size_t>(table.EntryCount()));
    const size_t limit = TrailLimit(table.TargetCount());
    constexpr int kAhead = 8;
    for (int n = 1; n <= table.EntryCount(); ++n) {
        // The records lie kilobytes apart and each trail on a heap block of
        // its own: fetched a few entries ahead, their lines arrive in step.
        if (n + kAhead <= table.EntryCount()) {
            const targets::TargetRecord& ahead = table.entry(n + kAhead);
            __builtin_prefetch(&ahead.Status);
            __builtin_prefetch(&ahead.Fix);
            const std::vector<TrailPoint>& points = trails_[static_cast<size_t>(n + kAhead - 1)].points;
            if (!points.empty()) __builtin_prefetch(&points.back());
        }
        Trail& slot = trails_[static_cast<size_t>(n - 1)];
        if (!table.InUse(n) || slot.generation != table.Generation(n)) {
            std::vector<TrailPoint>().swap(slot.points);
            slot.generation = table.Generation(n);
        }
        if (!table.InUse(n)) continue;
        const targets::TargetRecord& t = table.entry(n);
        if (!targets::HasPosition(t)) continue;
        std::vector<TrailPoint>& trail = slot.points;
        if (!trail.empty() && trail.back().latitude == t.Fix.Latitude && trail.back().longitude == t.Fix.Longitude) {
            continue;
        }
        thin(trail, limit);
        trail.push_back({t.Fix.Latitude, t.Fix.Longitude, now});
    }
}

const std::vector<TrailPoint>& TrailStore::trail(const targets::TargetTable& table, int entry) const {
    static const std::vector<TrailPoint> kNone;
    if (entry < 1 || static_cast<size_t>(entry) > trails_.size() || !table.InUse(entry)) return kNone;
    const Trail& slot = trails_[static_cast<size_t>(entry - 1)];
    return slot.generation == table.Generation(entry) ? slot.points : kNone;
}

namespace {

void appendNumber(std::string& out, double v) {
    char text[32];
    out.append(text, std::to_chars(text, text + sizeof text, v).ptr);
}

}  // namespace

std::string TracksGpx(const targets::TargetTable& table, const TrailStore& trails) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<gpx version=\"1.1\" creator=\"Orvanta\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n";
    for (int n = 1; n <= table.EntryCount(); ++n) {
        const std::vector<TrailPoint>& trail = trails.trail(table, n);
        if (trail.empty()) continue;
        const targets::TargetRecord& t = table.entry(n);
        const std::string name = targets::WithoutTrailingBlanks(t.Id.Name);
        const std::string mmsi = std::to_string(t.MMSI);
        out += "  <trk>\n    <name>";
        base::AppendXmlText(out, name.empty() ? mmsi : name);
        out += "</name>\n    <desc>MMSI " + mmsi + "</desc>\n";
        if (*targets::ClassCode(t.Class)) out += "    <type>" + std::string(targets::ClassCode(t.Class)) + "</type>\n";
        out += "    <trkseg>\n";
        for (const TrailPoint& p : trail) {
            out += "      <trkpt lat=\"";
            appendNumber(out, p.latitude);
            out += "\" lon=\"";
            appendNumber(out, p.longitude);
            const std::string time = p.time.formatUtc();
            out += time.empty() ? "\"/>\n" : "\"><time>" + time + "</time></trkpt>\n";
        }
        out += "    </trkseg>\n  </trk>\n";
    }
    out += "</gpx>\n";
    return out;
}

}  // namespace plot
