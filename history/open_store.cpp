#include "history/history_store.h"

#include "history/sqlite_store.h"

namespace history {

OpenResult OpenHistoryStore(std::string_view location) {
    OpenResult result;
    if (location.starts_with("postgresql://") || location.starts_with("postgres://")) {
        result.error = "this build cannot open a PostgreSQL history (" + std::string(location) + ")";
        return result;
    }
    std::string notice;
    result.store = OpenSqliteStore(std::string(location), &notice, &result.error);
    if (result.store) result.error = notice;
    return result;
}

}  // namespace history
