#include "station/status_panels.h"

#include "base/number_format.h"

namespace app {

std::string checksumPanelText(const input::InputTests& tests, const input::ReceiverTotals& totals) {
    return tests.CheckChecksum ? std::to_string(totals.ChecksumErrorCount) : "n/a";
}

std::string ignoredPanelText(const input::InputTests& tests, const input::ReceiverTotals& totals, bool withPercentage) {
    if (!tests.EmptyBuffer) return "n/a";
    std::string text = std::to_string(totals.IgnoredCount);
    if (withPercentage) {
        const double ignored = static_cast<double>(totals.IgnoredCount);
        const double total = ignored + static_cast<double>(totals.SentenceCount);
        const double pct = total > 0 ? ignored / total * 100.0 : 0.0;
        text += " (" + base::formatNumber(pct, "#.0") + "%)";
    }
    return text;
}

}  // namespace app
