// The files the program writes (ship database, setup file) must survive the
// process being killed at any moment and the disk filling up: afterwards each
// file holds exactly the old or exactly the new content.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "base/atomic_file.h"
#include "base/operator_messages.h"
#include "input/setup_file.h"
#include "support/temp_dir.h"
#include "targets/ship_database.h"

namespace {

using testing_support::TempDir;
namespace fs = std::filesystem;

// One generation of both files. The ship database of 1500 vessels is about
// 100 KB, so a kill often lands inside its write.
struct Generation {
    std::vector<targets::ShipDataItem> vessels;
    std::string shipFile;
    input::CommSettings comm;
    input::RunState state;
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
            comm.UseTCP = true;
            comm.IPAddress = "192.168.100.200";
            comm.IPListCount = 10;
            for (int i = 0; i < 10; ++i) comm.IPList[static_cast<size_t>(i)] = "10.0.0." + std::to_string(i + 1);
            state.CheckChecksum = true;
            state.RefLat = 59.5;
            state.RefLon = -5.25;
            state.ReferenceMode = 2;
        }
        setupFile = input::FormatSetup(comm, state);
    }
    bool save(const fs::path& dir, base::MessageSink& messages) const {
        const bool ship = targets::SaveShipData(dir, vessels).ok;
        return input::SaveSetup((dir / "Orvanta.ini").string(), comm, state, messages) && ship;
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
    int sawNewShip = 0;
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
        sawNewShip += ship == b.shipFile;
        const std::string setup = dir.read("Orvanta.ini");
        ASSERT_TRUE(setup == a.setupFile || setup == b.setupFile) << "round " << round << ":\n" << setup;
        // And the program reads them back whole.
        targets::ShipDatabase db;
        const targets::ShipDataLoadResult loaded = db.LoadShipData(dir.path());
        ASSERT_EQ(loaded.records, 1500);
        ASSERT_EQ(loaded.malformedLines, 0);
        input::CommSettings comm;
        input::RunState state;
        base::RecordingMessageSink messages;
        input::LoadSetup((dir / "Orvanta.ini").string(), comm, state, messages);
        ASSERT_TRUE(messages.entries.empty());
    }
    // A kill inside a write leaves its hidden temporary file behind; the next
    // save clears those of processes that are gone, so they never pile up.
    ASSERT_TRUE(b.save(dir.path(), quiet));
    EXPECT_EQ(temporaryFiles(dir.path()), 0);
    RecordProperty("rounds_with_new_ship_file", sawNewShip);
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

// The disk fills up at every point of the new files' writes: a 64 KiB tmpfs
// when the tests may mount one (root), otherwise a file size limit, which
// fails writes the same way.
TEST(CrashSafeFiles, FullDiskAtEveryPointKeepsTheOldFile) {
    TempDir tmp;
    const fs::path dir = tmp / "disk";
    fs::create_directory(dir);
    struct Disk {
        fs::path dir;
        bool tmpfs;
        ~Disk() {
            if (tmpfs) ::umount2(dir.c_str(), MNT_DETACH);
        }
    } disk{dir, testing_support::runningAsRoot() &&
                    ::mount("tmpfs", dir.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") == 0};
    const bool tmpfs = disk.tmpfs;
    const Generation a(false, 200), b(true, 400);  // each fits the disk alone, not beside a large filler
    ASSERT_LT(b.shipFile.size(), 40000u);
    base::NullMessageSink quiet;
    int failures = 0;
    // The free space left beside the old files shrinks step by step.
    for (size_t filler = 0; filler <= 64 * 1024; filler += 2048) {
        fs::remove(dir / "filler");
        fs::remove(dir / "Shipdata.dat");  // else the vessels of the bigger file are merged in
        ASSERT_TRUE(a.save(dir, quiet));
        std::optional<testing_support::FileSizeLimit> limit;
        if (tmpfs) {
            std::ofstream(dir / "filler", std::ios::binary) << std::string(filler, 'f');  // whatever fits
        } else {
            limit.emplace(static_cast<rlim_t>(64 * 1024 - filler));
        }
        const targets::ShipDataSaveResult ship = targets::SaveShipData(dir, b.vessels);
        base::RecordingMessageSink messages;
        const bool setupSaved = input::SaveSetup((dir / "Orvanta.ini").string(), b.comm, b.state, messages);
        limit.reset();

        auto read = [&](const char* name) {
            std::ifstream in(dir / name, std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(in), {});
        };
        failures += !ship.ok;
        EXPECT_EQ(read("Shipdata.dat"), ship.ok ? b.shipFile : a.shipFile) << filler;
        EXPECT_EQ(ship.ok, ship.error.empty()) << filler;
        EXPECT_EQ(read("Orvanta.ini"), setupSaved ? b.setupFile : a.setupFile) << filler;
        ASSERT_EQ(messages.entries.size(), setupSaved ? 0u : 1u) << filler;
        if (!setupSaved) {
            EXPECT_NE(messages.entries[0].text.find("Setup file not stored!"), std::string::npos);
        }
        EXPECT_EQ(temporaryFiles(dir), 0) << filler;
    }
    EXPECT_GT(failures, 5);  // the disk was really full for a good part of the sweep
    RecordProperty("real_tmpfs", tmpfs ? 1 : 0);
}

}  // namespace
