#include "history/history_store.h"

#include <algorithm>

namespace history {

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

}  // namespace history
