// The store contract every history back end keeps (tests/history/store_contract.*),
// run against the PostgreSQL store on the test cluster.
#if __has_include("history/store_contract.h")
#include <unistd.h>

#include "history/pg/pg_cluster.h"
#include "history/pg/pg_store.h"
#include "history/store_contract.h"

namespace history_test {
namespace {

std::vector<StoreFactory> PgFactories() {
    // Without the server binaries the suite has no instance (and the cluster
    // tests say why they skip).
    if (access("/usr/lib/postgresql/15/bin/initdb", X_OK) != 0) return {};
    return {{"postgresql", []() -> std::unique_ptr<history::HistoryStore> {
                 const std::string url = PgTestCluster::freshDatabase();
                 std::string error;
                 auto store = url.empty() ? nullptr : history::PgStore::open(url, {}, error);
                 if (!store) ADD_FAILURE() << "no PostgreSQL store: " << error;
                 return store;
             }}};
}

INSTANTIATE_TEST_SUITE_P(Postgres, StoreContract, ::testing::ValuesIn(PgFactories()));
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(StoreContract);

}  // namespace
}  // namespace history_test
#endif
