#include "targets/dangerous_targets.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "base/number_format.h"
#include "targets/watch.h"

namespace targets {

namespace {

// Sort keys: missing figures as +infinity, so they follow every real one.
double TCPAKey(const TargetRecord& t) { return t.HasCPA ? t.TCPA : INFINITY; }
double RangeKey(const TargetRecord& t) { return t.HasOwnRange ? t.OwnRange : INFINITY; }

std::string DisplayName(const TargetRecord& t) {
    const auto first = t.Id.Name.find_first_not_of(" @");
    if (first == std::string::npos) return std::to_string(t.MMSI);
    const auto last = t.Id.Name.find_last_not_of(" @");
    return t.Id.Name.substr(first, last - first + 1);
}

}  // namespace

std::vector<int> DangerousEntries(const TargetTable& table) {
    std::vector<int> entries;
    for (int n = 1; n <= table.EntryCount(); ++n) {
        if (table.InUse(n) && table.entry(n).Dangerous) entries.push_back(n);
    }
    std::sort(entries.begin(), entries.end(), [&table](int a, int b) {
        const TargetRecord& x = table.entry(a);
        const TargetRecord& y = table.entry(b);
        return std::make_tuple(TCPAKey(x), RangeKey(x), a) < std::make_tuple(TCPAKey(y), RangeKey(y), b);
    });
    return entries;
}

std::vector<DangerousRow> DangerousTargets(const TargetTable& table) {
    std::vector<DangerousRow> rows;
    for (int n : DangerousEntries(table)) {
        const TargetRecord& t = table.entry(n);
        DangerousRow& r = rows.emplace_back();
        r.entry = n;
        r.name = DisplayName(t);
        r.cpa = CPAText(t);
        r.tcpa = TCPAText(t);
        if (t.HasOwnRange) {
            r.range = base::formatNumber(t.OwnRange, "0.00");
            r.bearing = base::formatNumber(std::fmod(std::round(t.OwnBearing * 10) / 10 + 360.0, 360.0), "000.0");
        }
    }
    return rows;
}

}  // namespace targets
