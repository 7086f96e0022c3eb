#include "station/status_panels.h"

#include "base/number_format.h"

namespace app {

std::string checksumPanelText(const input::RunState& state) {
    return state.CheckChecksum ? std::to_string(state.ChecksumErrorCount) : "n/a";
}

std::string ignoredPanelText(const input::RunState& state, bool withPercentage) {
    if (!state.EmptyBuffer) return "n/a";
    std::string text = std::to_string(state.IgnoredCount);
    if (withPercentage) {
        const double total = static_cast<double>(state.IgnoredCount) + state.SentenceCount;
        const double pct = total > 0 ? state.IgnoredCount / total * 100.0 : 0.0;
        text += " (" + base::formatNumber(pct, "#.0") + "%)";
    }
    return text;
}

}  // namespace app
