// A moment as people and programs write it for the history: ISO 8601 with a
// zone ("2026-12-07T14:00:00Z", "2026-12-07T15:00:00+01:00", ".123" for
// milliseconds) or UNIX seconds ("1796479200", "1796479200.5"). A date-time
// without a zone is refused: it could be anyone's local time.
#pragma once

#include <optional>
#include <string_view>

#include "history/history_store.h"

namespace history {

std::optional<TimeMs> ParseHistoryTime(std::string_view text);

}  // namespace history
