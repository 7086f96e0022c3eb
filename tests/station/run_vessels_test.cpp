// The vessels of a run with turnover: every vessel that sent its name reaches
// the ship database, also those whose entries were freed long before the end,
// and no station is shown in two rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "station/receiver.h"
#include "base/clock.h"
#include "cli/sim/simulator.h"
#include "support/recording_events.h"
#include "support/temp_dir.h"
#include "targets/ship_database.h"
#include "targets/target_table.h"

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

struct Sailed {
    std::map<int32_t, std::string> named;  // MMSI -> last name sent
    std::map<int32_t, double> heard;       // MMSI -> scenario time last heard
    size_t freedRows = 0;
    size_t mostKept = 0;  // most vessels the run list held at once
};

// Vessels staying `turnoverMinutes` on average, on a clock that follows the
// scenario and the main window's 15 s ageing: most entries are freed (30
// minutes of silence) before the end.
Sailed SailTurnover(Receiver& rx, base::ManualClock& clock, int stations, double seconds, uint64_t seed = 11,
                    double turnoverMinutes = 15, double occasionalRate = 1.0) {
    sim::SimulatorOptions o;
    o.scenario.stations = stations;
    o.scenario.seed = seed;
    o.turnoverMinutes = turnoverMinutes;
    o.occasionalRate = occasionalRate;
    sim::Simulator simulator(o);
    Sailed run;
    double now = 0, aged = 0;
    sim::Emission e;
    for (simulator.next(e); e.time <= seconds; simulator.next(e)) {
        clock.advance(e.time - now);
        now = e.time;
        for (const auto& s : e.sentences) rx.takeBytes(app::Receiver::kMainInput, s);
        run.heard[e.mmsi] = e.time;
        if (const std::string name = sentName(e); name.find_first_not_of(" @") != std::string::npos) {
            run.named[e.mmsi] = name;
        }
        if (now - aged >= 15) {
            const int before = rx.targets().TargetCount();
            rx.ageTargets();
            run.freedRows += static_cast<size_t>(before - rx.targets().TargetCount());
            run.mostKept = std::max(run.mostKept, rx.targets().runVessels().size());
            aged = now;
        }
    }
    return run;
}

// The save holds every named vessel once, with the last name it sent.
void ExpectSavedOnce(const std::filesystem::path& dir, const std::map<int32_t, std::string>& named) {
    targets::ShipDatabase db;
    const auto loaded = db.LoadShipData(dir);
    EXPECT_EQ(loaded.records, static_cast<int>(named.size()));
    std::set<int32_t> mmsis;
    for (const targets::ShipDataItem& item : db.items()) EXPECT_TRUE(mmsis.insert(item.MMSI).second) << item.MMSI;
    for (const auto& [mmsi, name] : named) {
        const targets::ShipDataItem* item = db.LookupShipData(mmsi);
        ASSERT_NE(item, nullptr) << mmsi;
        // Stored in lower case as received (padded to the field); the
        // simulator's names are plain ASCII.
        std::string lower = name;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(targets::WithoutTrailingBlanks(item->Name), targets::WithoutTrailingBlanks(lower)) << mmsi;
    }
}

// Two hours: the save at the end holds every named vessel, also those whose
// entries were freed long before, and no station is shown in two rows.
TEST(RunVessels, TurnoverSavesEveryNamedVesselAndShowsEachStationOnce) {
    base::ManualClock clock;
    testing_support::RecordingEvents events;
    Receiver rx(clock, events);
    const Sailed run = SailTurnover(rx, clock, 60, 2 * 3600);
    ASSERT_GT(run.named.size(), 150u);
    EXPECT_GT(run.freedRows, run.named.size() / 2);  // most vessels left the table before the end

    testing_support::TempDir dir;
    const auto saved = targets::SaveShipData(dir.path(), rx.shipDataOfRun());
    ASSERT_TRUE(saved.ok) << saved.error;
    EXPECT_EQ(saved.written, static_cast<int>(run.named.size()));
    ExpectSavedOnce(dir.path(), run.named);

    // One row per station: the simulator gives no two stations one MMSI.
    std::set<int32_t> shown;
    const targets::TargetTable& table = rx.targets();
    for (int k = 1; k <= table.TargetCount(); ++k) {
        const int32_t mmsi = table.entry(table.DisplayOrder()[static_cast<size_t>(k)]).MMSI;
        EXPECT_TRUE(shown.insert(mmsi).second) << mmsi << " in two rows";
    }
    EXPECT_TRUE(events.messages.empty());
}

// Vessels coming and going for six hours: many more stations over the run
// than the table holds, yet every station heard in the last 30 minutes is in
// the table at the end and none was refused.
TEST(RunVessels, StationsComeAndGoWithoutFillingTheTable) {
    constexpr double kRun = 6 * 3600;
    base::ManualClock clock;
    testing_support::RecordingEvents events;
    Receiver rx(clock, events);
    rx.targets().setLifecycle({.capacity = 150});
    const Sailed run = SailTurnover(rx, clock, 40, kRun, 4, 10, 0);
    EXPECT_GT(run.heard.size(), 4u * 150);
    int recent = 0;
    const targets::TargetTable& table = rx.targets();
    for (const auto& [mmsi, when] : run.heard) {
        if (when < kRun - 1800) continue;
        ++recent;
        EXPECT_TRUE(table.FindTarget(mmsi, 1) || table.FindTarget(mmsi, 18) || table.FindTarget(mmsi, 4) ||
                    table.FindTarget(mmsi, 21) || table.FindTarget(mmsi, 9))
            << mmsi;
    }
    EXPECT_GT(recent, 40);
    EXPECT_LE(table.TargetCount(), 150);
    EXPECT_TRUE(events.messages.empty()) << events.messages.front().text;
}

// Beyond a day the vessels freed longest ago leave memory: written to the
// ship database while the run goes on, they are in the file at the end all
// the same, each once; without a database to write to they are let go.
TEST(RunVessels, VesselsFreedADayAgoAreStoredWhileRunningAndLeaveMemory) {
    constexpr double kRun = 30 * 3600;
    base::ManualClock clock;
    testing_support::RecordingEvents events;
    Receiver rx(clock, events);
    testing_support::TempDir dir;
    rx.keepShipData(dir.path());
    const Sailed run = SailTurnover(rx, clock, 8, kRun);
    ASSERT_GT(run.named.size(), 200u);
    // What the list holds at the end: the vessels freed in the last day.
    EXPECT_LT(rx.targets().runVessels().size(), run.named.size() * 26 / 30);
    const auto toStore = rx.shipDataToStore();  // waits for a save under way
    EXPECT_TRUE(std::filesystem::exists(dir.path() / targets::kShipDataFileName));  // written while running
    base::StandardErrorSink failures("test");
    ASSERT_TRUE(targets::StoreShipData(dir.path(), toStore, failures));
    ExpectSavedOnce(dir.path(), run.named);
    EXPECT_TRUE(events.messages.empty());

    base::ManualClock clock2;
    Receiver forgetting(clock2, events);
    const Sailed let = SailTurnover(forgetting, clock2, 8, kRun);
    EXPECT_LT(forgetting.targets().runVessels().size(), let.named.size() * 26 / 30);
    EXPECT_LT(forgetting.shipDataOfRun().size(), let.named.size() * 26 / 30);
}

}  // namespace
}  // namespace app
