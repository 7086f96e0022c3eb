// The reference position and mode of a run. One instance per Receiver;
// nothing here is global. (The counters and settings that were here live
// with their inputs and the receiver now: input/input_counters.h.)
#pragma once

#include <cstdint>

namespace input {

struct RunState {
    double RefLat = 0.0;
    double RefLon = 0.0;
    int32_t RefMMSI = 0;
    int16_t ReferenceMode = 0;
};

}  // namespace input
