// The files the program writes (ship database, setup file) must survive the
// process being killed at any moment: afterwards each file holds exactly the
// old or exactly the new content. (A full disk: atomic_file_test.cpp.)
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "base/atomic_file.h"
#include "base/operator_messages.h"
#include "station/setup_file.h"
#include "support/temp_dir.h"
#include "targets/ship_database.h"
#include "station/data_folder.h"

namespace {

using testing_support::TempDir;
namespace fs = std::filesystem;

// One generation of both files. The ship database of 1500 vessels is about
// 100 KB, so a kill often lands inside its write.
struct Generation {
    std::vector<targets::ShipDataItem> vessels;
    std::string shipFile;
    input::CommSettings comm;
    input::ReceiveSettings receive;
    targets::Reference state;
    std::string setupFile;

    Generation(bool second, int count) {
        for (int i = 0; i < count; ++i) {
            const std::string n = std::to_string(i);
            vessels.push_back({257000000 + i, second ? "bravo vessel number " + n : "alpha " + n,
                               second ? "LB" + n : "LA", second ? 9000000 + i : 0,
                               static_cast<int16_t>(second ? 70 : 80), static_cast<int16_t>(i % 300), 0, 0, 0, 0});
            shipFile += targets::FormatShipDataLine(vessels.back());
        }
        input::SetSetupDefaults(comm);
        if (second) {
            comm.UseTCP = true, comm.IPAddress = "192.168.100.200", comm.IPListCount = 10;
            for (int i = 0; i < 10; ++i) comm.IPList[static_cast<size_t>(i)] = "10.0.0." + std::to_string(i + 1);
            receive.Tests.CheckChecksum = true;
            state.moveTo(59.5, -5.25), state.setMode(2);
        }
        setupFile = input::FormatSetup(comm, receive, state);
    }
    bool save(const fs::path& dir, base::MessageSink& messages) const {
        const bool ship = targets::SaveShipData(dir, vessels).ok;
        return input::SaveSetup((dir / "Orvanta.ini").string(), comm, receive, state, messages) && ship;
    }
};

int temporaryFiles(const fs::path& dir) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir)) n += e.path().filename().string().find(".tmp") != std::string::npos;
    return n;
}

TEST(CrashSafeFiles, KilledWhileSavingLeavesTheOldOrTheNewFile) {
    TempDir dir;
    const Generation a(false, 1500), b(true, 1500);
    base::NullMessageSink quiet;
    ASSERT_TRUE(a.save(dir.path(), quiet));
    std::mt19937 rng(7);
    for (int round = 0; round < 40; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Saves both generations in turn until killed (bounded, should the parent be gone).
            for (int i = 0; i < 200000; ++i) (i % 2 ? b : a).save(dir.path(), quiet);
            ::_exit(0);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(1000 + rng() % 30000));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped on its own";

        const std::string ship = dir.read("Shipdata.dat");
        ASSERT_TRUE(ship == a.shipFile || ship == b.shipFile) << "round " << round << ": " << ship.size() << " bytes";
        const std::string setup = dir.read("Orvanta.ini");
        ASSERT_TRUE(setup == a.setupFile || setup == b.setupFile) << "round " << round << ":\n" << setup;
        // And the program reads them back whole.
        targets::ShipDatabase db;
        const targets::ShipDataLoadResult loaded = db.LoadShipData(dir.path());
        ASSERT_EQ(std::pair(loaded.records, loaded.malformedLines), std::pair(1500, 0));
        input::CommSettings comm;
        targets::Reference state;
        input::ReceiveSettings receive;
        base::RecordingMessageSink messages;
        input::LoadSetup((dir / "Orvanta.ini").string(), comm, receive, state, messages);
        ASSERT_TRUE(messages.entries.empty());
    }
    // A kill inside a write leaves its hidden temporary file behind; the next
    // save clears those of processes that are gone, so they never pile up.
    ASSERT_TRUE(b.save(dir.path(), quiet));
    EXPECT_EQ(temporaryFiles(dir.path()), 0);
}

TEST(CrashSafeFiles, NextSaveRemovesTemporariesOfWritersThatAreGone) {
    TempDir dir;
    const pid_t gone = ::fork();
    ASSERT_GE(gone, 0);
    if (gone == 0) ::_exit(0);
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    const std::string dead = ".Orvanta.ini.tmp-" + std::to_string(gone) + "-0";
    const std::string live = ".Orvanta.ini.tmp-" + std::to_string(::getppid()) + "-3";
    const std::string mine = ".Orvanta.ini.tmp-" + std::to_string(::getpid()) + "-99";
    const std::string other = ".Shipdata.dat.tmp-" + std::to_string(gone) + "-0";
    for (const auto& name : {dead, live, mine, other}) dir.write(name, "half a fi");
    ASSERT_TRUE(base::WriteFileAtomically(dir / "Orvanta.ini", "whole"));
    EXPECT_FALSE(fs::exists(dir / dead));
    EXPECT_TRUE(fs::exists(dir / live));   // its writer may still be at work
    EXPECT_TRUE(fs::exists(dir / mine));
    EXPECT_TRUE(fs::exists(dir / other));  // another file's business
    EXPECT_EQ(dir.read("Orvanta.ini"), "whole");
}

TEST(DataFolder, GivenFolderThenWritableExecutableFolderThenTheUsersShareFolder) {
    testing_support::TempDir tmp;
    const auto share = tmp.path() / ".local" / "share" / "Orvanta";
    EXPECT_EQ(app::ResolveDataFolder(tmp / "a" / "b", tmp.path(), tmp.path().c_str()), tmp / "a" / "b");
    EXPECT_TRUE(std::filesystem::is_directory(tmp / "a" / "b"));  // created
    EXPECT_EQ(app::ResolveDataFolder(std::nullopt, tmp.path(), "/nonexistent-home"), tmp.path());
    EXPECT_EQ(app::ResolveDataFolder(std::nullopt, tmp / "gone", tmp.path().c_str()), share);
    EXPECT_EQ(app::ResolveDataFolder(std::nullopt, "/usr/bin/", tmp.path().c_str()), share);  // also for root
    EXPECT_TRUE(std::filesystem::is_directory(share));
}

}  // namespace
