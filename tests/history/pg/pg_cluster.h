// A throw-away PostgreSQL/PostGIS cluster for the tests, started by
// scripts/pg-test-cluster on first use and stopped when the test program
// ends (by a watcher also when it crashes).
//
//   std::string url = PgTestCluster::freshDatabase();   // skips when no server
#pragma once

#include <string>

class PgTestCluster {
public:
    // The URL of a new, empty database with PostGIS. Calls GTEST_SKIP's
    // message through skipReason() when the server binaries are missing;
    // fails the test when the cluster cannot start.
    static std::string freshDatabase();
    // Why the cluster is not there ("" when it is).
    static std::string skipReason();
    // Stops the server (keeping its data) and starts it again on the same port.
    static bool pause();
    static bool resume();
    static void stop();
};

// Skips the test when the server binaries are missing; otherwise sets url.
#define PG_TEST_DATABASE(url)                                      \
    std::string url = PgTestCluster::freshDatabase();              \
    if (url.empty() && !PgTestCluster::skipReason().empty())       \
        GTEST_SKIP() << PgTestCluster::skipReason();               \
    ASSERT_FALSE(url.empty()) << "the test cluster did not start"
