// The history rows as the server's tables hold them: COPY text to write a
// batch, and the select lists and readers to bring rows back.
//
// Times travel as timestamptz in UTC ("2026-12-07 14:00:00.123+00"), exact to
// the millisecond; numbers in their shortest exact text, so a float or double
// reads back as the same value; a "not available" field as NULL.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "history/history_store.h"

namespace history {

class PgRows;

// Day number (days since 1970-01-01, UTC) of a time, rounding down.
int64_t DayOf(TimeMs time);
// "YYYY-MM-DD" of a day number.
std::string DayText(int64_t day);
// "YYYYMMDD" of a day number, the suffix of that day's partitions.
std::string DaySuffix(int64_t day);
// Day number of a partition suffix "YYYYMMDD"; nullopt when it is not one.
std::optional<int64_t> DayOfSuffix(std::string_view suffix);

// Times the server's timestamptz holds and our partition names can show.
constexpr TimeMs kEarliestTime = -62135596800000;  // 0001-01-01T00:00:00Z
constexpr TimeMs kLatestTime = 253402300799999;    // 9999-12-31T23:59:59.999Z

// The COPY text of each kind of row, one line per row, in the column order
// of the k*CopyColumns lists. False, with error, when a row's time is out of
// range or a position is off the globe (not a number, beyond ±90° or ±180°).
bool AppendPositionsCopy(std::string& out, const std::vector<PositionRow>& rows, std::string& error);
bool AppendStaticsCopy(std::string& out, const std::vector<StaticRow>& rows, std::string& error);
bool AppendMessagesCopy(std::string& out, const std::vector<MessageRow>& rows, std::string& error);

// The days a batch touches.
std::set<int64_t> DaysOf(const Batch& batch);

extern const char* const kPositionColumns;  // "time, mmsi, ..." in COPY order
extern const char* const kStaticColumns;
extern const char* const kMessageColumns;

// Select lists that read the columns back in the order the readers expect.
extern const char* const kPositionSelect;
extern const char* const kStaticSelect;
extern const char* const kMessageSelect;

// Reads one row of a result made with the select list above, starting at column.
PositionRow ReadPosition(const PgRows& rows, int row, int column = 0);
StaticRow ReadStatic(const PgRows& rows, int row, int column = 0);
MessageRow ReadMessage(const PgRows& rows, int row, int column = 0);
constexpr int kPositionSelectColumns = 12;

// SQL for a time given as a bigint parameter of milliseconds ($n).
std::string TimeParam(int n);

}  // namespace history
