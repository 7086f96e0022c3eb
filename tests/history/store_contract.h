// The contract every history back end keeps, as one value-parameterised
// suite: a back end's test file instantiates it with a factory of empty
// stores.
//
//   INSTANTIATE_TEST_SUITE_P(Sqlite, StoreContract,
//       ::testing::Values(history_test::StoreFactory{"sqlite", [] { return ...; }}));
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "history/history_store.h"

namespace history_test {

struct StoreFactory {
    std::string name;
    // A new, empty store; null when none can be made (the test fails).
    std::function<std::unique_ptr<history::HistoryStore>()> make;
};

inline std::ostream& operator<<(std::ostream& os, const StoreFactory& f) { return os << f.name; }

class StoreContract : public ::testing::TestWithParam<StoreFactory> {
protected:
    void SetUp() override {
        store = GetParam().make();
        ASSERT_TRUE(store) << "no store from " << GetParam().name;
    }
    std::unique_ptr<history::HistoryStore> store;
};

}  // namespace history_test
