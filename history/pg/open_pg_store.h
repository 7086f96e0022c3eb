// Opening the history on a PostgreSQL server from a "postgresql://" URL.
//
//   auto opened = history::OpenPgHistoryStore("postgresql://ais@db.example:5432/orvanta",
//                                            {.spoolPath = dataDir + "/HistorySpool.sqlite"});
//   if (!opened.store) fail(opened.error);
//
// The URL is libpq's (host, port, database, user, and parameters such as
// sslmode or service); the password is never part of our settings: libpq
// reads it from ~/.pgpass (or PGPASSFILE) or a service file
// (~/.pg_service.conf, "postgresql:///?service=orvanta").
//
// With a spool path (a station writing), the store never fails for an absent
// server: batches wait in the spool until it is back. Without one (a reader:
// the command line, the web view), an unreachable server is an error.
#pragma once

#include <string>
#include <string_view>

#include "history/history_store.h"
#include "history/pg/pg_store.h"
#include "history/pg/spooled_store.h"

namespace history {

struct PgOpenOptions {
    std::string spoolPath;
    // With a spool and no statement timeout given, a write that runs longer
    // than kWriterStatementTimeoutMs counts as a server that is away (its
    // batch waits in the spool). Generous, as a batch of 20,000 stations
    // takes a second or two on a busy server, and one that always timed out
    // would never leave the spool.
    PgStore::Options server;
    SpooledStore::Options spool;
};

inline constexpr int kWriterStatementTimeoutMs = 10'000;

// True for the locations OpenPgHistoryStore takes ("postgresql://", "postgres://").
bool IsPgLocation(std::string_view location);

OpenResult OpenPgHistoryStore(std::string_view url, const PgOpenOptions& options = {});

}  // namespace history
