// The ship database written while running: a save that fails keeps its
// vessels for the next one, and the operator hears of a run of failures once.
#include <gtest/gtest.h>

#include <filesystem>

#include "station/ship_data_keeper.h"
#include "support/temp_dir.h"

namespace app {
namespace {

targets::ShipDataItem Vessel(int32_t mmsi, const std::string& name) {
    targets::ShipDataItem v;
    v.MMSI = mmsi;
    v.Name = name;
    return v;
}

std::vector<int32_t> Stored(const std::filesystem::path& dir) {
    targets::ShipDatabase db;
    db.LoadShipData(dir);
    std::vector<int32_t> out;
    for (const auto& item : db.items()) out.push_back(item.MMSI);
    return out;
}

TEST(ShipDataKeeper, AFailedSaveGoesWithTheNextAndIsToldOnce) {
    testing_support::TempDir root;
    const std::filesystem::path dir = root.path() / "data";  // not there yet: saves fail
    ShipDataKeeper keeper(dir);
    keeper.save({Vessel(244000001, "first")});
    keeper.save({Vessel(244000002, "second")});
    keeper.flush();
    EXPECT_TRUE(keeper.takeFailure().has_value());
    EXPECT_FALSE(keeper.takeFailure().has_value());

    keeper.save({Vessel(244000003, "third")});
    keeper.flush();
    std::filesystem::create_directories(dir);
    keeper.save({Vessel(244000004, "fourth")});
    EXPECT_TRUE(keeper.finish().empty());
    EXPECT_EQ(Stored(dir), (std::vector<int32_t>{244000001, 244000002, 244000003, 244000004}));
    EXPECT_EQ(keeper.saves(), 1);
    EXPECT_FALSE(keeper.takeFailure().has_value());  // the failures were told already

    std::filesystem::remove_all(dir);
    keeper.save({Vessel(244000005, "fifth")});
    const auto unsaved = keeper.finish();  // what the final save must write
    ASSERT_EQ(unsaved.size(), 1u);
    EXPECT_EQ(unsaved[0].MMSI, 244000005);
}

TEST(ShipDataKeeper, SavesMergeIntoTheFileAndAnEndingKeeperWritesWhatItHolds) {
    testing_support::TempDir dir;
    {
        ShipDataKeeper keeper(dir.path());
        keeper.save({Vessel(244000001, "first"), Vessel(244000002, "second")});
        keeper.finish();
        keeper.save({Vessel(244000001, "renamed"), Vessel(244000003, "third")});
    }  // the destructor writes what was handed
    EXPECT_EQ(Stored(dir.path()), (std::vector<int32_t>{244000001, 244000002, 244000003}));
    targets::ShipDatabase db;
    db.LoadShipData(dir.path());
    EXPECT_EQ(db.LookupShipData(244000001)->Name, "renamed");
}

}  // namespace
}  // namespace app
