#include "targets/target_sort.h"

#include <algorithm>
#include <cctype>
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

struct Key {
    int entry = 0;
    double number = 0;
    std::string text;
};

std::string Upper(const std::string& s) {
    std::string out = s;
    for (char& ch : out) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return out;
}

}  // namespace

void SortTargets(TargetTable& table, int column, bool descending, int16_t referenceMode, bool endNewMarks) {
    if (column < 0 || column >= kListColumns || column == kColStatus) return;
    const int count = table.TargetCount();
    const bool textKey = column == kColName || column == kColClass;
    std::vector<Key> keys;
    keys.reserve(static_cast<size_t>(count));
    for (int n = 1; n <= table.EntryCount(); ++n) {
        if (!table.InUse(n)) continue;
        const TargetRecord& t = table.entry(n);
        Key& k = keys.emplace_back();
        k.entry = n;
        const bool fixed = t.Class == TargetClass::BS || t.Class == TargetClass::AtoN;
        const bool noHeading = fixed || t.Class == TargetClass::SAR;
        switch (column) {
            case kColNo: k.number = t.Arrival; break;
            case kColMMSI: k.number = t.MMSI; break;
            case kColName: k.text = t.Id.Name.empty() ? kEmptyTextKey : Upper(t.Id.Name); break;
            // Ranges and bearings exist only where they are known; any real
            // range (up to half the globe) sorts before an entry without one.
            case kColLat:
                if (referenceMode == 0) {
                    k.number = t.Fix.Latitude == 0.0 ? kMissing : t.Fix.Latitude;
                } else {
                    k.number = t.RangeKnown ? t.Range : kMissing;
                }
                break;
            case kColLon:
                if (referenceMode == 0) {
                    k.number = t.Fix.Longitude == 0.0 ? kMissing : t.Fix.Longitude;
                } else {
                    k.number = t.RangeKnown ? t.Bearing : kMissing;
                }
                break;
            case kColSOG: k.number = (t.Motion.SOG == base::kNotAvailable || fixed) ? 999999.0 : t.Motion.SOG; break;
            case kColCOG: k.number = (t.Motion.COG == base::kNotAvailable || fixed) ? 999999.0 : t.Motion.COG; break;
            case kColHDG: k.number = (t.TrueHeading == base::kNotAvailable || noHeading) ? 999999.0 : t.TrueHeading; break;
            case kColROT: k.number = (t.ROT == base::kNotAvailable || noHeading) ? 999999.0 : t.ROT; break;
            case kColClass: k.text = t.Class == TargetClass::Unknown ? kEmptyTextKey : ClassCode(t.Class); break;
            case kColTime: k.number = t.LastMsgTime.value(); break;
            case kColNoOfMsg: k.number = t.MsgCount[0]; break;
            case kColCPA: k.number = t.HasCPA ? t.CPA : 999999.0; break;
            case kColTCPA: k.number = t.HasCPA ? t.TCPA : 999999.0; break;
            case kColRx: k.number = RxPercent(t, t.LastMsgMonotonic).value_or(999999.0); break;
            default: break;
        }
    }
    // Ascending keys, equal keys in entry order: what repeatedly taking the
    // lowest-numbered entry with the smallest remaining key gives.
    std::stable_sort(keys.begin(), keys.end(), [textKey](const Key& a, const Key& b) {
        return textKey ? a.text < b.text : a.number < b.number;
    });
    if (descending) std::reverse(keys.begin(), keys.end());
    for (int k = 1; k <= count; ++k) {
        const int e = keys[static_cast<size_t>(k - 1)].entry;
        table.placeInRow(k, e);
        TargetRecord& t = table.entry(e);
        if (endNewMarks && t.Status == TargetStatus::New) t.Status = TargetStatus::Current;
    }
}

}  // namespace targets
