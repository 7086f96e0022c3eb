// The desktop program run as a USB-stick install or a test runs it: with
// --data-dir and a home folder of its own it writes nothing outside the data
// folder, and keeps its window settings there.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// True once the program has started the demo's simulator, which it does
// right after its window shows.
[[maybe_unused]] bool SimulatorStarted(pid_t pid) {
    std::ifstream children("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
    pid_t child = 0;
    return static_cast<bool>(children >> child);
}

[[maybe_unused]] std::vector<std::string> EntriesBelow(const fs::path& dir) {
    std::vector<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(dir)) out.push_back(e.path().string());
    return out;
}

TEST(PortableRun, WritesNothingOutsideTheDataFolder) {
#ifndef ORVANTA_GUI_PATH
    GTEST_SKIP() << "built without the desktop program";
#else
    testing_support::TempDir root;
    for (const char* d : {"home", "tmp", "runtime"}) fs::create_directory(root / d);
    fs::permissions(root / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    const fs::path data = root / "data";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("HOME", (root / "home").c_str(), 1);
        ::setenv("TMPDIR", (root / "tmp").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (root / "runtime").c_str(), 1);  // a desktop session's, not kept
        for (const char* v : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"}) ::unsetenv(v);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::execl(ORVANTA_GUI_PATH, "orvanta", "--data-dir", data.c_str(), "--demo", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    for (int i = 0; i < 1200 && !SimulatorStarted(pid); ++i) ::usleep(50'000);
    ::sleep(1);  // a moment of demo traffic
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(EntriesBelow(root / "home"), std::vector<std::string>{});
    EXPECT_EQ(EntriesBelow(root / "tmp"), std::vector<std::string>{});
    EXPECT_NE(root.read("data/Orvanta.conf").find("MainLeft="), std::string::npos);
    EXPECT_TRUE(fs::exists(data / "Orvanta.ini"));
#endif
}

}  // namespace
