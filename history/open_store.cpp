#include "history/history_store.h"

#include "history/pg/open_pg_store.h"
#include "history/sqlite_store.h"

namespace history {

OpenResult OpenHistoryStore(std::string_view location, const std::string& spoolPath) {
    if (IsPgLocation(location)) {
        PgOpenOptions options;
        options.spoolPath = spoolPath;
        return OpenPgHistoryStore(location, options);
    }
    OpenResult result;
    std::string notice;
    result.store = OpenSqliteStore(std::string(location), &notice, &result.error);
    if (result.store) result.error = notice;
    return result;
}

}  // namespace history
