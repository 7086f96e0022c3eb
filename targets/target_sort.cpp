#include "targets/target_sort.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "base/number_format.h"
#include "targets/statistics.h"
#include "targets/target_row.h"

namespace targets {

namespace {

// The placeholder of an empty text key; sorts after the upper-case letters
// (U+00D8 as UTF-8 compares above every ASCII character).
const std::string kEmptyTextKey = "\xC3\x98";

constexpr double kMissing = std::numeric_limits<double>::max();

struct NumberKey {
    double key = 0;
    int entry = 0;
};

struct TextKey {
    std::string key;
    int entry = 0;
};

std::string Upper(const std::string& s) {
    std::string out = s;
    for (char& ch : out) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return out;
}

double NumberOf(const TargetRecord& t, int column, int16_t referenceMode) {
    const bool fixed = t.Class == TargetClass::BS || t.Class == TargetClass::AtoN;
    const bool noHeading = fixed || t.Class == TargetClass::SAR;
    switch (column) {
        case kColNo: return t.Arrival;
        case kColMMSI: return t.MMSI;
        // Ranges and bearings exist only where they are known; any real
        // range (up to half the globe) sorts before an entry without one.
        case kColLat:
            if (referenceMode == 0) return t.Fix.Latitude == 0.0 ? kMissing : t.Fix.Latitude;
            return t.RangeKnown ? t.FromReference.range() : kMissing;
        case kColLon:
            if (referenceMode == 0) return t.Fix.Longitude == 0.0 ? kMissing : t.Fix.Longitude;
            return t.RangeKnown ? t.FromReference.bearing() : kMissing;
        case kColSOG: return (t.Motion.SOG == base::kNotAvailable || fixed) ? 999999.0 : t.Motion.SOG;
        case kColCOG: return (t.Motion.COG == base::kNotAvailable || fixed) ? 999999.0 : t.Motion.COG;
        case kColHDG: return (t.TrueHeading == base::kNotAvailable || noHeading) ? 999999.0 : t.TrueHeading;
        case kColROT: return (t.ROT == base::kNotAvailable || noHeading) ? 999999.0 : t.ROT;
        case kColTime: return t.LastMsgTime.value();
        case kColNoOfMsg: return t.MsgCount[0];
        case kColCPA: return t.HasCPA ? t.CPA : 999999.0;
        case kColTCPA: return t.HasCPA ? t.TCPA : 999999.0;
        case kColRx: return RxPercent(t, t.LastMsgMonotonic).value_or(999999.0);
        default: return 0;
    }
}

std::string TextOf(const TargetRecord& t, int column) {
    if (column == kColName) return t.Id.Name.empty() ? kEmptyTextKey : Upper(t.Id.Name);
    return t.Class == TargetClass::Unknown ? kEmptyTextKey : ClassCode(t.Class);
}

// The lines of record t that its key in `column` reads, fetched ahead of
// use: the records lie kilobytes apart, and a pass over 20,000 of them would
// otherwise wait on memory for each field it reads.
void FetchAhead(const TargetRecord& t, int column) {
    __builtin_prefetch(&t.MMSI);
    switch (column) {
        case kColCPA:
        case kColTCPA:
            __builtin_prefetch(&t.HasCPA);
            __builtin_prefetch(column == kColCPA ? &t.CPA : &t.TCPA);
            break;
        case kColLat:
        case kColLon:
            __builtin_prefetch(&t.RangeKnown);
            __builtin_prefetch(&t.FromReference);
            __builtin_prefetch(&t.Fix);
            break;
        default: break;
    }
}

// Keys in the rows' present order. The rows hold every entry in use; should
// one not, the keys come from the entries and the rows are all placed anew.
template <typename Key, typename KeyOf>
std::vector<Key> KeysInRowOrder(const TargetTable& table, int column, KeyOf keyOf) {
    const int count = table.TargetCount();
    std::vector<Key> keys;
    keys.reserve(static_cast<size_t>(count));
    constexpr int kAhead = 8;
    for (int k = 1; k <= count; ++k) {
        if (k + kAhead <= count) {
            const int ahead = table.DisplayOrder()[static_cast<size_t>(k + kAhead)];
            if (ahead >= 1 && ahead <= table.EntryCount()) FetchAhead(table.entry(ahead), column);
        }
        const int n = table.DisplayOrder()[static_cast<size_t>(k)];
        if (n < 1 || n > table.EntryCount() || !table.InUse(n)) {
            keys.clear();
            for (int e = 1; e <= table.EntryCount(); ++e) {
                if (table.InUse(e)) keys.push_back({keyOf(table.entry(e)), e});
            }
            return keys;
        }
        keys.push_back({keyOf(table.entry(n)), n});
    }
    return keys;
}

// Ascending keys, equal keys in entry order (what repeatedly taking the
// lowest-numbered entry with the smallest remaining key gives); descending is
// that order reversed as a whole. Entry numbers are distinct, so the order is
// total and any sort gives the same rows. The rows are sorted from their
// present order, which a list kept sorted mostly has already: most passes end
// at the check, and the others touch the rows only where they moved.
template <typename Key>
bool PlaceSorted(TargetTable& table, std::vector<Key>& keys, bool descending) {
    const auto ascending = [](const Key& a, const Key& b) {
        return a.key < b.key || (!(b.key < a.key) && a.entry < b.entry);
    };
    const auto before = [&](const Key& a, const Key& b) { return descending ? ascending(b, a) : ascending(a, b); };
    const auto& order = table.DisplayOrder();
    const bool inRows = std::equal(keys.begin(), keys.end(), order.begin() + 1, order.begin() + 1 + static_cast<ptrdiff_t>(keys.size()),
                                   [](const Key& k, int16_t n) { return k.entry == n; });
    if (inRows && std::is_sorted(keys.begin(), keys.end(), before)) return false;
    std::sort(keys.begin(), keys.end(), before);
    bool moved = false;
    for (size_t k = 0; k < keys.size(); ++k) {
        const int row = static_cast<int>(k) + 1;
        if (order[k + 1] == keys[k].entry) continue;
        table.placeInRow(row, keys[k].entry);
        moved = true;
    }
    return moved;
}

}  // namespace

bool SortTargets(TargetTable& table, int column, bool descending, int16_t referenceMode, bool endNewMarks) {
    if (column < 0 || column >= kListColumns || column == kColStatus) return false;
    bool moved = false;
    if (column == kColName || column == kColClass) {
        auto keys = KeysInRowOrder<TextKey>(table, column, [column](const TargetRecord& t) { return TextOf(t, column); });
        moved = PlaceSorted(table, keys, descending);
    } else {
        // A NaN key would leave the order without a strict ordering; it sorts last.
        auto keys = KeysInRowOrder<NumberKey>(table, column, [column, referenceMode](const TargetRecord& t) {
            const double v = NumberOf(t, column, referenceMode);
            return std::isnan(v) ? std::numeric_limits<double>::infinity() : v;
        });
        moved = PlaceSorted(table, keys, descending);
    }
    if (endNewMarks) {
        for (int k = 1; k <= table.TargetCount(); ++k) {
            TargetRecord& t = table.entry(table.DisplayOrder()[static_cast<size_t>(k)]);
            if (t.Status == TargetStatus::New) t.Status = TargetStatus::Current;
        }
    }
    return moved;
}

}  // namespace targets
