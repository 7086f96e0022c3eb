// A receiver that has taken the first two minutes of 20,000 simulated
// stations (seed 3, the own ship among them): the largest table, with an
// approach to the own ship for every target with a position. Shared by the
// benchmarks of what is made from a full table.
#pragma once

#include "cli/sim/simulator.h"
#include "station/receiver.h"

namespace bench_support {

struct SimulatedStation {
    base::ManualClock clock;
    app::ReceiverEvents events;
    app::Receiver rx{clock, events};
    SimulatedStation() {
        rx.targets().setLifecycle({360, 1080, 1800, targets::kMaxCapacity});
        sim::SimulatorOptions o;
        o.scenario.stations = targets::kMaxCapacity;
        o.scenario.seed = 3;
        sim::Simulator s(o);
        sim::Emission e;
        double last = 0;
        for (s.next(e); e.time < 120; s.next(e)) {
            clock.advance(e.time - last);
            last = e.time;
            for (const auto& line : e.sentences) rx.takeBytes(app::Receiver::kMainInput, line);
        }
    }
};

}  // namespace bench_support
