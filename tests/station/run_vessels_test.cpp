// The vessels of a run with turnover: every vessel that sent its name reaches
// the ship database, also those whose entries were freed long before the end,
// and no station is shown in two rows.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <string>

#include "station/receiver.h"
#include "base/clock.h"
#include "cli/sim/simulator.h"
#include "support/recording_events.h"
#include "support/temp_dir.h"
#include "targets/ship_database.h"

namespace app {
namespace {

// The name a static report of the simulator carried, empty for other messages.
std::string sentName(const sim::Emission& e) {
    switch (e.messageType) {
        case 5: return e.truth.Type5.Name;
        case 19: return e.truth.Type19.Name;
        case 24: return e.partNumber == 0 ? e.truth.Type24.Name : std::string();
        default: return {};
    }
}

// Two hours of vessels staying 15 minutes on average, on a clock that follows
// the scenario and the main window's 15 s ageing: most entries are freed
// (30 minutes of silence) before the end, yet the save holds every named
// vessel with the last name it sent.
TEST(RunVessels, TurnoverSavesEveryNamedVesselAndShowsEachStationOnce) {
    sim::SimulatorOptions o;
    o.scenario.stations = 60;
    o.scenario.seed = 11;
    o.turnoverMinutes = 15;
    sim::Simulator simulator(o);
    base::ManualClock clock;
    testing_support::RecordingEvents events;
    Receiver rx(clock, events);

    constexpr double kRun = 2 * 3600;
    std::map<int32_t, std::string> named;  // MMSI -> last name sent
    size_t freedRows = 0;
    double now = 0, aged = 0;
    sim::Emission e;
    for (simulator.next(e); e.time <= kRun; simulator.next(e)) {
        clock.advance(e.time - now);
        now = e.time;
        for (const auto& s : e.sentences) rx.takeBytes(app::Receiver::kMainInput, s);
        if (const std::string name = sentName(e); name.find_first_not_of(" @") != std::string::npos) {
            named[e.mmsi] = name;
        }
        if (now - aged >= 15) {
            const int before = rx.targets().TargetCount();
            rx.ageTargets();
            freedRows += static_cast<size_t>(before - rx.targets().TargetCount());
            aged = now;
        }
    }
    ASSERT_GT(named.size(), 150u);
    EXPECT_GT(freedRows, named.size() / 2);  // most vessels left the table before the end

    testing_support::TempDir dir;
    const auto run = rx.shipDataOfRun();
    const auto saved = targets::SaveShipData(dir.path(), run);
    ASSERT_TRUE(saved.ok) << saved.error;
    EXPECT_EQ(saved.written, static_cast<int>(named.size()));
    targets::ShipDatabase db;
    db.LoadShipData(dir.path());
    for (const auto& [mmsi, name] : named) {
        const targets::ShipDataItem* item = db.LookupShipData(mmsi);
        ASSERT_NE(item, nullptr) << mmsi;
        // Stored in lower case as received (padded to the field); the
        // simulator's names are plain ASCII.
        std::string lower = name;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(targets::WithoutTrailingBlanks(item->Name), targets::WithoutTrailingBlanks(lower)) << mmsi;
    }

    // One row per station: the simulator gives no two stations one MMSI.
    std::set<int32_t> shown;
    const targets::TargetTable& table = rx.targets();
    for (int k = 1; k <= table.TargetCount(); ++k) {
        const int32_t mmsi = table.entry(table.DisplayOrder()[static_cast<size_t>(k)]).MMSI;
        EXPECT_TRUE(shown.insert(mmsi).second) << mmsi << " in two rows";
    }
    EXPECT_TRUE(events.messages.empty());
}

}  // namespace
}  // namespace app
