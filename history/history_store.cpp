#include "history/history_store.h"

#include <algorithm>

namespace history {

Status HistoryStore::appendQueued(const QueuedPositions& positions, const Batch& rest) {
    if (positions.rows.empty()) return append(rest);
    Batch all = rest;
    all.positions.reserve(all.positions.size() + positions.rows.size());
    for (size_t k = 0; k < positions.rows.size(); ++k) all.positions.push_back(positions.row(k));
    return append(all);
}

Status HistoryStore::visitTrack(int32_t mmsi, TimeMs from, TimeMs to,
                                const std::function<bool(const PositionRow&)>& visit) {
    const std::vector<PositionRow> rows = track(mmsi, from, to);
    if (rows.empty() && !lastError().empty()) return {lastError()};
    for (const PositionRow& r : rows) {
        if (!visit(r)) break;
    }
    return {};
}

TrackPage HistoryStore::trackPage(int32_t mmsi, TrackCursor at, TimeMs to, size_t limit) {
    TrackPage page;
    limit = std::max<size_t>(limit, 1);  // a page of nothing would never move on
    int64_t skip = at.skip;
    page.status = visitTrack(mmsi, at.time, to, [&](const PositionRow& r) {
        if (skip > 0 && r.time == at.time) {
            --skip;
            return true;
        }
        if (page.rows.size() < limit) {
            page.rows.push_back(r);
            return true;
        }
        // A row beyond the page: there is a next one. It starts after the
        // rows of this page with the last one's time (and those skipped).
        const TimeMs last = page.rows.empty() ? at.time : page.rows.back().time;
        int64_t same = last == at.time ? at.skip : 0;
        for (auto it = page.rows.rbegin(); it != page.rows.rend() && it->time == last; ++it) ++same;
        page.next = TrackCursor{last, same};
        return false;
    });
    return page;
}

QueuedPosition QueuedPosition::Of(const PositionRow& row) {
    return {row.time, row.latitude, row.longitude, row.mmsi, row.sog.value_or(0), row.cog.value_or(0),
            row.heading.value_or(0), row.navStatus.value_or(0), row.input, row.type, row.stationClass,
            static_cast<uint8_t>((row.sog ? kSog : 0) | (row.cog ? kCog : 0) | (row.heading ? kHeading : 0) |
                                 (row.navStatus ? kNavStatus : 0)),
            0};
}

uint32_t QueuedPositions::number(std::string_view source) {
    if (source.empty()) return 0;
    // A feed's rows mostly share one source: a new entry only when it changed.
    if (sources.back() != source) sources.emplace_back(source);
    return static_cast<uint32_t>(sources.size() - 1);
}

PositionRow QueuedPositions::row(size_t k) const {
    const QueuedPosition& q = rows[k];
    PositionRow r;
    r.time = q.time;
    r.mmsi = q.mmsi;
    r.input = q.input;
    r.source = sources[q.source];
    r.type = q.type;
    r.stationClass = q.stationClass;
    r.latitude = q.latitude;
    r.longitude = q.longitude;
    r.sog = q.knownSog();
    r.cog = q.knownCog();
    r.heading = q.knownHeading();
    r.navStatus = q.knownNavStatus();
    return r;
}

}  // namespace history
