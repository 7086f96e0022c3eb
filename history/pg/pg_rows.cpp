#include "history/pg/pg_rows.h"

#include <charconv>
#include <cstdio>
#include <optional>
#include <type_traits>

#include "history/pg/pg_connection.h"

namespace history {

namespace {

constexpr int64_t kDayMs = 86'400'000;

struct Civil {
    int64_t year;
    unsigned month, day;
};

// Gregorian calendar date of a day number (days since 1970-01-01), after
// Howard Hinnant's days-to-civil algorithm.
Civil CivilOf(int64_t days) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t doe = days - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const unsigned d = static_cast<unsigned>(doy - (153 * mp + 2) / 5 + 1);
    const unsigned m = static_cast<unsigned>(mp < 10 ? mp + 3 : mp - 9);
    return {yoe + era * 400 + (m <= 2), m, d};
}

int64_t DaysOfCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool AppendTime(std::string& out, TimeMs time, std::string& error) {
    if (time < kEarliestTime || time > kLatestTime) {
        error = "a row's time (" + std::to_string(time) + " ms) is outside the years 1 to 9999";
        return false;
    }
    const int64_t day = DayOf(time);
    const int64_t ms = time - day * kDayMs;
    const Civil c = CivilOf(day);
    char text[40];
    const int n = std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d.%03d+00", static_cast<int>(c.year),
                                c.month, c.day, static_cast<int>(ms / 3'600'000), static_cast<int>(ms / 60'000 % 60),
                                static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000));
    out.append(text, static_cast<size_t>(n));
    return true;
}

template <typename T>
void AppendNumber(std::string& out, T value) {
    char text[32];
    const auto r = std::to_chars(text, text + sizeof text, value);
    out.append(text, r.ptr);
}

template <typename T>
void AppendOptional(std::string& out, const std::optional<T>& value) {
    if (value) {
        AppendNumber(out, *value);
    } else {
        out += "\\N";
    }
}

// The columns every row kind begins with.
bool AppendCommon(std::string& out, TimeMs time, int32_t mmsi, int16_t input, std::string_view source, uint8_t type,
                  std::string& error) {
    if (!AppendTime(out, time, error)) return false;
    out += '\t';
    AppendNumber(out, mmsi);
    out += '\t';
    AppendNumber(out, input);
    out += '\t';
    AppendCopyText(out, source);
    out += '\t';
    AppendNumber(out, static_cast<int>(type));
    return true;
}

int64_t ParseInt(std::string_view t) {
    int64_t value = 0;
    std::from_chars(t.data(), t.data() + t.size(), value);
    return value;
}

template <typename T>
std::optional<T> OptionalOf(const PgRows& rows, int row, int column) {
    if (rows.isNull(row, column)) return std::nullopt;
    if constexpr (std::is_floating_point_v<T>) {
        // Parsed as the type it is stored as, so a real comes back bit for bit.
        const std::string_view t = rows.text(row, column);
        T value{};
        std::from_chars(t.data(), t.data() + t.size(), value);
        return value;
    } else {
        return static_cast<T>(rows.int64(row, column));
    }
}

}  // namespace

int64_t DayOf(TimeMs time) { return time >= 0 ? time / kDayMs : -((-time + kDayMs - 1) / kDayMs); }

std::string DayText(int64_t day) {
    const Civil c = CivilOf(day);
    char text[24];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(c.year), c.month, c.day);
    return text;
}

std::string DaySuffix(int64_t day) {
    const Civil c = CivilOf(day);
    char text[24];
    std::snprintf(text, sizeof text, "%04d%02u%02u", static_cast<int>(c.year), c.month, c.day);
    return text;
}

std::optional<int64_t> DayOfSuffix(std::string_view suffix) {
    if (suffix.size() != 8) return std::nullopt;
    for (char c : suffix) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    const int64_t y = ParseInt(suffix.substr(0, 4));
    const unsigned m = static_cast<unsigned>(ParseInt(suffix.substr(4, 2)));
    const unsigned d = static_cast<unsigned>(ParseInt(suffix.substr(6, 2)));
    if (m < 1 || m > 12 || d < 1 || d > 31) return std::nullopt;
    return DaysOfCivil(y, m, d);
}

std::set<int64_t> DaysOf(const Batch& batch) {
    std::set<int64_t> days;
    for (const auto& r : batch.positions) days.insert(DayOf(r.time));
    for (const auto& r : batch.statics) days.insert(DayOf(r.time));
    for (const auto& r : batch.messages) days.insert(DayOf(r.time));
    return days;
}

const char* const kPositionColumns =
    "time, mmsi, input, source, type, class, latitude, longitude, sog, cog, heading, nav_status";
const char* const kStaticColumns =
    "time, mmsi, input, source, type, name, call_sign, imo, ship_type, dim_a, dim_b, dim_c, dim_d, draught, "
    "destination, eta";
const char* const kMessageColumns = "time, mmsi, input, source, type, json";

#define ORVANTA_TIME_MS "(extract(epoch FROM time) * 1000)::bigint"
const char* const kPositionSelect = ORVANTA_TIME_MS
    ", mmsi, input, source, type, class, latitude, longitude, sog, cog, heading, nav_status";
const char* const kStaticSelect = ORVANTA_TIME_MS
    ", mmsi, input, source, type, name, call_sign, imo, ship_type, dim_a, dim_b, dim_c, dim_d, draught, "
    "destination, eta";
const char* const kMessageSelect = ORVANTA_TIME_MS ", mmsi, input, source, type, json";
#undef ORVANTA_TIME_MS

bool AppendPositionsCopy(std::string& out, const std::vector<PositionRow>& rows, std::string& error) {
    out.reserve(out.size() + rows.size() * 96);
    for (const PositionRow& r : rows) {
        // A place on the globe or nothing: "not available" (91, 181) and
        // garbage are the writer's to leave out, not ours to store.
        if (!(r.latitude >= -90 && r.latitude <= 90 && r.longitude >= -180 && r.longitude <= 180)) {
            error = "a position of MMSI " + std::to_string(r.mmsi) + " is off the globe";
            return false;
        }
        if (!AppendCommon(out, r.time, r.mmsi, r.input, r.source, r.type, error)) return false;
        out += '\t';
        AppendCopyText(out, std::string_view(reinterpret_cast<const char*>(&r.stationClass), 1));
        out += '\t';
        AppendNumber(out, r.latitude);
        out += '\t';
        AppendNumber(out, r.longitude);
        out += '\t';
        AppendOptional(out, r.sog);
        out += '\t';
        AppendOptional(out, r.cog);
        out += '\t';
        AppendOptional(out, r.heading);
        out += '\t';
        AppendOptional(out, r.navStatus);
        out += '\n';
    }
    return true;
}

bool AppendStaticsCopy(std::string& out, const std::vector<StaticRow>& rows, std::string& error) {
    for (const StaticRow& r : rows) {
        if (!AppendCommon(out, r.time, r.mmsi, r.input, r.source, r.type, error)) return false;
        out += '\t';
        AppendCopyText(out, r.name);
        out += '\t';
        AppendCopyText(out, r.callSign);
        for (const auto* v : {&r.imo}) {
            out += '\t';
            AppendOptional(out, *v);
        }
        for (const auto* v : {&r.shipType, &r.dimA, &r.dimB, &r.dimC, &r.dimD}) {
            out += '\t';
            AppendOptional(out, *v);
        }
        out += '\t';
        AppendOptional(out, r.draught);
        out += '\t';
        AppendCopyText(out, r.destination);
        out += '\t';
        AppendCopyText(out, r.eta);
        out += '\n';
    }
    return true;
}

bool AppendMessagesCopy(std::string& out, const std::vector<MessageRow>& rows, std::string& error) {
    for (const MessageRow& r : rows) {
        if (!AppendCommon(out, r.time, r.mmsi, r.input, r.source, r.type, error)) return false;
        out += '\t';
        AppendCopyText(out, r.json);
        out += '\n';
    }
    return true;
}

PositionRow ReadPosition(const PgRows& rows, int row, int c) {
    PositionRow r;
    r.time = rows.int64(row, c);
    r.mmsi = static_cast<int32_t>(rows.int64(row, c + 1));
    r.input = static_cast<int16_t>(rows.int64(row, c + 2));
    r.source = std::string(rows.text(row, c + 3));
    r.type = static_cast<uint8_t>(rows.int64(row, c + 4));
    const std::string_view cls = rows.text(row, c + 5);
    r.stationClass = static_cast<StationClass>(cls.empty() ? '?' : cls.front());
    r.latitude = rows.float64(row, c + 6);
    r.longitude = rows.float64(row, c + 7);
    r.sog = OptionalOf<float>(rows, row, c + 8);
    r.cog = OptionalOf<float>(rows, row, c + 9);
    r.heading = OptionalOf<int16_t>(rows, row, c + 10);
    r.navStatus = OptionalOf<int16_t>(rows, row, c + 11);
    return r;
}

StaticRow ReadStatic(const PgRows& rows, int row, int c) {
    StaticRow r;
    r.time = rows.int64(row, c);
    r.mmsi = static_cast<int32_t>(rows.int64(row, c + 1));
    r.input = static_cast<int16_t>(rows.int64(row, c + 2));
    r.source = std::string(rows.text(row, c + 3));
    r.type = static_cast<uint8_t>(rows.int64(row, c + 4));
    r.name = std::string(rows.text(row, c + 5));
    r.callSign = std::string(rows.text(row, c + 6));
    r.imo = OptionalOf<int32_t>(rows, row, c + 7);
    r.shipType = OptionalOf<int16_t>(rows, row, c + 8);
    r.dimA = OptionalOf<int16_t>(rows, row, c + 9);
    r.dimB = OptionalOf<int16_t>(rows, row, c + 10);
    r.dimC = OptionalOf<int16_t>(rows, row, c + 11);
    r.dimD = OptionalOf<int16_t>(rows, row, c + 12);
    r.draught = OptionalOf<float>(rows, row, c + 13);
    r.destination = std::string(rows.text(row, c + 14));
    r.eta = std::string(rows.text(row, c + 15));
    return r;
}

MessageRow ReadMessage(const PgRows& rows, int row, int c) {
    MessageRow r;
    r.time = rows.int64(row, c);
    r.mmsi = static_cast<int32_t>(rows.int64(row, c + 1));
    r.input = static_cast<int16_t>(rows.int64(row, c + 2));
    r.source = std::string(rows.text(row, c + 3));
    r.type = static_cast<uint8_t>(rows.int64(row, c + 4));
    r.json = std::string(rows.text(row, c + 5));
    return r;
}

std::string TimeParam(int n) {
    return "(timestamptz 'epoch' + $" + std::to_string(n) + "::bigint * interval '1 millisecond')";
}

}  // namespace history
