// A station at a past moment as a target record: what the live table would
// have held, filled from the stored position and static data (the rest as
// "not available"), so a past situation is written and shown like a live one.
#pragma once

#include "history/history_store.h"
#include "targets/target_table.h"

namespace history {

targets::TargetRecord TargetOfSituation(const SituationEntry& entry);

}  // namespace history
