// Texts of the main window's status bar panels that come from the receiver's counters.
#pragma once

#include <string>

#include "station/input_counters.h"

namespace app {

// Panel 4: the checksum error count while the test is on, else "n/a".
std::string checksumPanelText(const input::InputTests& tests, const input::ReceiverTotals& totals);
// Panel 6: "n/a" while the empty-buffer rule is off, else the ignored count;
// with a percentage of all sentences for serial input ("1 (.5%)").
std::string ignoredPanelText(const input::InputTests& tests, const input::ReceiverTotals& totals, bool withPercentage);

}  // namespace app
