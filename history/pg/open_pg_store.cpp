#include "history/pg/open_pg_store.h"

namespace history {

bool IsPgLocation(std::string_view location) {
    return location.starts_with("postgresql://") || location.starts_with("postgres://");
}

OpenResult OpenPgHistoryStore(std::string_view url, const PgOpenOptions& options) {
    OpenResult result;
    if (options.spoolPath.empty()) {
        result.store = PgStore::open(std::string(url), options.server, result.error);
        return result;
    }
    auto spool = Spool::open(options.spoolPath, result.error);
    if (!spool) return result;
    result.error = spool->notice();
    PgStore::Options server = options.server;
    if (server.statementTimeoutMs == 0) server.statementTimeoutMs = kWriterStatementTimeoutMs;
    result.store = std::make_unique<SpooledStore>(PgStore::openLater(std::string(url), server),
                                                  std::move(spool), options.spool);
    return result;
}

}  // namespace history
