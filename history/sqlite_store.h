// The SQLite back end of the history store: one file, written by one writer
// at a time, read by any number of readers on their own connections.
//
//   std::string notice;
//   auto store = history::OpenSqliteStore("/data/History.sqlite", &notice);
//   if (!notice.empty()) tell(notice);   // a damaged file was set aside
//
// The file runs in WAL mode with synchronous=NORMAL: a committed batch
// survives the program's crash or SIGKILL (the WAL is replayed on the next
// open), only a failure of the machine itself may lose the last batches.
// Every batch is one transaction through prepared statements; every value,
// texts from the air included, is a bound parameter.
//
// Tables: positions (a station's reports in blocks of a few dozen under an
// (mmsi, first time) key: history/position_block.h), statics and messages
// (each indexed by (mmsi, time) and by time) and stations, one row per MMSI with when and where it was last heard
// and its latest name and call sign, kept up to date by append() so a search
// never scans the positions.
//
// A file that is no database (a garbage header, truncated, unreadable
// tables) is renamed to NAME.bad and a new store is made; the notice says so.
// An object is used by one thread at a time.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "history/history_store.h"

namespace history {

// The store in the file at path (made when missing). Null with *error set
// when no store could be opened at all (a folder that cannot be written).
std::unique_ptr<HistoryStore> OpenSqliteStore(const std::string& path, std::string* notice, std::string* error);

}  // namespace history
