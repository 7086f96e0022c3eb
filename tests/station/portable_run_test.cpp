// The desktop program run as a USB-stick install or a test runs it: with
// --data-dir and a home folder of its own it writes nothing outside the data
// folder, and keeps its window settings there.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

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
    // The demo's simulator is started right after the window shows.
    const std::string children = "/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children";
    for (int i = 0, child = 0; i < 1200 && !(std::ifstream(children) >> child); ++i) ::usleep(50'000);
    ::sleep(1);  // a moment of demo traffic
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    for (const char* d : {"home", "tmp"}) EXPECT_TRUE(fs::is_empty(root / d)) << d;
    EXPECT_NE(root.read("data/Orvanta.conf").find("MainLeft="), std::string::npos);
    EXPECT_TRUE(fs::exists(data / "Orvanta.ini"));
#endif
}

}  // namespace
