#include "history/pg/pg_cluster.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

struct State {
    bool tried = false;
    std::string dir;
    std::string templateUrl;
    std::string skip;
    int databases = 0;
};

State& TheState() {
    static State state;
    return state;
}

int Run(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Script() { return std::string(ORVANTA_SOURCE_DIR) + "/scripts/pg-test-cluster"; }

bool Start() {
    State& s = TheState();
    if (s.tried) return !s.templateUrl.empty();
    s.tried = true;
    s.dir = "/tmp/orvanta-pg-test-" + std::to_string(getpid());
    const int rc = Run(Script() + " start " + s.dir + " --watch " + std::to_string(getpid()) + " >/dev/null");
    if (rc == 77) {
        s.skip = "PostgreSQL 15 with PostGIS is not installed (postgresql-15, postgresql-15-postgis-3)";
        return false;
    }
    std::ifstream in(s.dir + "/url");
    std::getline(in, s.templateUrl);
    return !s.templateUrl.empty();
}

// Stops the cluster when the test program ends normally.
class ClusterEnvironment : public ::testing::Environment {
public:
    void TearDown() override { PgTestCluster::stop(); }
};

const auto* const registered = ::testing::AddGlobalTestEnvironment(new ClusterEnvironment);

}  // namespace

std::string PgTestCluster::skipReason() { return TheState().skip; }

std::string PgTestCluster::freshDatabase() {
    if (!Start()) return {};
    State& s = TheState();
    const std::string base = s.templateUrl.substr(0, s.templateUrl.rfind('/') + 1);
    const std::string name = "t" + std::to_string(++s.databases);
    PGconn* admin = PQconnectdb((base + "postgres").c_str());
    const std::string sql = "CREATE DATABASE " + name + " TEMPLATE orvanta_template STRATEGY file_copy";
    PGresult* r = PQexec(admin, sql.c_str());
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
    if (!ok) ADD_FAILURE() << PQerrorMessage(admin);
    PQclear(r);
    PQfinish(admin);
    return ok ? base + name : std::string();
}

bool PgTestCluster::pause() { return Start() && Run(Script() + " pause " + TheState().dir) == 0; }

bool PgTestCluster::resume() { return Start() && Run(Script() + " resume " + TheState().dir) == 0; }

void PgTestCluster::stop() {
    State& s = TheState();
    if (!s.dir.empty()) Run(Script() + " stop " + s.dir);
    s.templateUrl.clear();
}
