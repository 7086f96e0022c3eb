// The files the program writes (ship database, setup file) must survive the
// process being killed at any moment and the disk filling up: afterwards each
// file holds exactly the old or exactly the new content.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
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

// Two generations of each file. The ship database is large enough (about
// 100 KB) that a kill often lands inside the write.
struct Generation {
    std::vector<targets::ShipDataItem> vessels;
    std::string shipFile;
    input::CommSettings comm;
    input::RunState state;
    std::string setupFile;
};

Generation makeGeneration(bool second) {
    Generation g;
    for (int i = 0; i < 1500; ++i) {
        targets::ShipDataItem v;
        v.MMSI = 257000000 + i;
        v.Name = second ? "bravo vessel number " + std::to_string(i) : "alpha " + std::to_string(i);
        v.CallSign = second ? "LB" + std::to_string(i) : "LA";
        v.IMONumber = second ? 9000000 + i : 0;
        v.ShipType = static_cast<int16_t>(second ? 70 : 80);
        v.DimA = static_cast<int16_t>(i % 300);
        g.vessels.push_back(v);
        g.shipFile += targets::FormatShipDataLine(v);
    }
    input::SetSetupDefaults(g.comm);
    if (second) {
        g.comm.UseTCP = true;
        g.comm.IPAddress = "192.168.100.200";
        g.comm.IPListCount = 10;
        for (int i = 0; i < 10; ++i) g.comm.IPList[static_cast<size_t>(i)] = "10.0.0." + std::to_string(i + 1);
        g.state.CheckChecksum = true;
        g.state.RefLat = 59.5;
        g.state.RefLon = -5.25;
        g.state.ReferenceMode = 2;
    }
    g.setupFile = input::FormatSetup(g.comm, g.state);
    return g;
}

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

int temporaryFiles(const fs::path& dir) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir)) n += e.path().filename().string().find(".tmp") != std::string::npos;
    return n;
}

// The child: saves both files again and again, alternating generations,
// until it is killed (or, should the parent be gone, after a bounded run).
[[noreturn]] void saveForever(const fs::path& dir, const Generation& a, const Generation& b) {
    base::NullMessageSink quiet;
    const std::string setup = (dir / "Orvanta.ini").string();
    for (int i = 0; i < 200000; ++i) {
        const Generation& g = i % 2 ? b : a;
        targets::SaveShipData(dir, g.vessels);
        input::SaveSetup(setup, g.comm, g.state, quiet);
    }
    ::_exit(0);
}

TEST(CrashSafeFiles, KilledWhileSavingLeavesTheOldOrTheNewFile) {
    TempDir dir;
    const Generation a = makeGeneration(false), b = makeGeneration(true);
    ASSERT_NE(a.shipFile.size(), b.shipFile.size());
    ASSERT_NE(a.setupFile.size(), b.setupFile.size());
    base::NullMessageSink quiet;
    ASSERT_TRUE(targets::SaveShipData(dir.path(), a.vessels));
    ASSERT_TRUE(input::SaveSetup((dir / "Orvanta.ini").string(), a.comm, a.state, quiet));
    ASSERT_EQ(dir.read("Shipdata.dat"), a.shipFile);

    std::mt19937 rng(7);
    int sawNewShip = 0, sawNewSetup = 0;
    constexpr int kRounds = 40;
    for (int round = 0; round < kRounds; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) saveForever(dir.path(), a, b);
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
        sawNewSetup += setup == b.setupFile;

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
    ASSERT_TRUE(targets::SaveShipData(dir.path(), b.vessels));
    ASSERT_TRUE(input::SaveSetup((dir / "Orvanta.ini").string(), b.comm, b.state, quiet));
    EXPECT_EQ(temporaryFiles(dir.path()), 0);
    RecordProperty("rounds_with_new_ship_file", sawNewShip);
    RecordProperty("rounds_with_new_setup_file", sawNewSetup);
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

// A small file system of its own that really fills up: a 64 KiB tmpfs when
// the tests may mount one (root), otherwise a file size limit, which fails
// writes the same way.
class SmallDisk {
public:
    SmallDisk() {
        dir_ = tmp_.path() / "disk";
        fs::create_directory(dir_);
        mounted_ = testing_support::runningAsRoot() &&
                   ::mount("tmpfs", dir_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") == 0;
    }
    ~SmallDisk() {
        if (mounted_) ::umount2(dir_.c_str(), MNT_DETACH);
    }
    const fs::path& path() const { return dir_; }
    bool real() const { return mounted_; }

private:
    TempDir tmp_;
    fs::path dir_;
    bool mounted_ = false;
};

TEST(CrashSafeFiles, FullDiskAtEveryPointKeepsTheOldFile) {
    SmallDisk disk;
    const fs::path dir = disk.path();
    // Contents that fit the disk alone but not beside a large filler.
    Generation a = makeGeneration(false), b = makeGeneration(true);
    a.vessels.resize(200);
    b.vessels.resize(400);
    a.shipFile.clear();
    b.shipFile.clear();
    for (const auto& v : a.vessels) a.shipFile += targets::FormatShipDataLine(v);
    for (const auto& v : b.vessels) b.shipFile += targets::FormatShipDataLine(v);
    ASSERT_LT(b.shipFile.size(), 40000u);
    const std::string setupPath = (dir / "Orvanta.ini").string();
    base::NullMessageSink quiet;

    int failures = 0;
    // The free space left beside the old files shrinks step by step, so the
    // disk fills up at every point of the new file's write.
    for (size_t filler = 0; filler <= 64 * 1024; filler += 2048) {
        fs::remove(dir / "filler");
        fs::remove(dir / "Shipdata.dat");  // else the vessels of the bigger file are merged in
        ASSERT_TRUE(targets::SaveShipData(dir, a.vessels));
        ASSERT_TRUE(input::SaveSetup(setupPath, a.comm, a.state, quiet));
        std::optional<testing_support::FileSizeLimit> limit;
        if (disk.real()) {
            // Whatever of the filler fits; a write past the end just stops.
            FILE* f = std::fopen((dir / "filler").c_str(), "wb");
            ASSERT_NE(f, nullptr);
            const std::string block(filler, 'f');
            std::fwrite(block.data(), 1, block.size(), f);
            std::fclose(f);
        } else {
            limit.emplace(static_cast<rlim_t>(64 * 1024 - filler));
        }

        const targets::ShipDataSaveResult ship = targets::SaveShipData(dir, b.vessels);
        base::RecordingMessageSink messages;
        const bool setupSaved = input::SaveSetup(setupPath, b.comm, b.state, messages);
        limit.reset();

        const std::string shipNow = readFile(dir / "Shipdata.dat");
        const std::string setupNow = readFile(dir / "Orvanta.ini");
        if (ship.ok) {
            EXPECT_EQ(shipNow, b.shipFile) << filler;
        } else {
            ++failures;
            EXPECT_EQ(shipNow, a.shipFile) << filler;
            EXPECT_FALSE(ship.error.empty());
        }
        if (setupSaved) {
            EXPECT_EQ(setupNow, b.setupFile) << filler;
            EXPECT_TRUE(messages.entries.empty());
        } else {
            EXPECT_EQ(setupNow, a.setupFile) << filler;
            ASSERT_EQ(messages.entries.size(), 1u);
            EXPECT_NE(messages.entries[0].text.find("Setup file not stored!"), std::string::npos);
        }
        EXPECT_EQ(temporaryFiles(dir), 0) << filler;
    }
    EXPECT_GT(failures, 5);  // the disk was really full for a good part of the sweep
    RecordProperty("real_tmpfs", disk.real() ? 1 : 0);
}

}  // namespace
