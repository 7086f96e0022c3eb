#include "targets/watch.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "base/number_format.h"
#include "targets/cpa.h"

namespace targets {

namespace {

bool hasPosition(const TargetRecord& t) {
    return t.Latitude != 0 && std::fabs(t.Latitude) < 90 && std::fabs(t.Longitude) <= 180;
}

// Speed and course as the approach needs them; none without a reported speed.
// A vessel lying still needs no course.
bool motionOf(const TargetRecord& t, Motion& m) {
    if (!hasPosition(t) || t.SOG == base::kNotAvailable || t.SOG < 0 || t.SOG > 102.2f) return false;
    const bool noCourse = t.COG == base::kNotAvailable || t.COG < 0 || t.COG >= 360;
    if (noCourse && t.SOG >= 0.1f) return false;
    m = {t.Latitude, t.Longitude, t.SOG, noCourse ? 0.0 : t.COG};
    return true;
}

bool moves(TargetClass c) {
    return c == TargetClass::A || c == TargetClass::B || c == TargetClass::SAR || c == TargetClass::Unknown;
}

bool dangerous(const TargetRecord& t, const AlarmSettings& a) {
    if (t.Status == TargetStatus::Lost) return false;
    if (IsDistressBeacon(t.MMSI)) return true;
    if (!t.HasCPA) return false;
    if (a.ignoreMoored && t.Class == TargetClass::A && (t.NavStatus == 1 || t.NavStatus == 5)) return false;
    if (a.ignoreClassB && t.Class == TargetClass::B) return false;
    return t.CPA <= a.cpaLimit && t.TCPA >= 0 && t.TCPA <= a.tcpaLimit && t.OwnRange <= a.rangeLimit;
}

std::string fixed(double v, int decimals) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    return std::string(buf, r.ptr);
}

}  // namespace

int OwnShipEntry(const TargetTable& table, const input::RunState& state) {
    if (table.InUse(table.OwnShipIndex)) return table.OwnShipIndex;
    if (state.ReferenceMode == kRefFromVDM && state.RefMMSI != 0) {
        if (const int n = table.FindTarget(state.RefMMSI, 1)) return n;
        return table.FindTarget(state.RefMMSI, 18);
    }
    return 0;
}

bool IsDistressBeacon(int32_t mmsi) {
    const int32_t prefix = mmsi / 1000000;
    return prefix == 970 || prefix == 972 || prefix == 974;
}

namespace {

// Where the estimate is clearly outside one of the alarm's limits (by twice
// its error at 20 nm, cpa.h), it decides the alarm alone and the exact
// figures can wait for the refinement. Near a limit, or inside all of them
// (the alarm and its log line then carry exact figures), they are worth their
// cost at once.
bool needsExact(const Approach& a, const AlarmSettings& s) {
    constexpr double kMiles = 0.1, kMinutes = 1.0;
    const bool clearlyOutside = a.cpa > s.cpaLimit + kMiles || a.tcpa < -kMinutes || a.tcpa > s.tcpaLimit + kMinutes ||
                                a.range > s.rangeLimit + kMiles;
    return !clearlyOutside;
}

}  // namespace

std::optional<ApproachPlane> OwnShipPlane(const TargetTable& table, int own) {
    Motion o;
    if (!table.InUse(own) || !motionOf(table.entry(own), o)) return std::nullopt;
    return ApproachPlane(o);
}

namespace {

bool updateApproach(TargetTable& table, int own, int n, const AlarmSettings& alarm, const ApproachPlane* plane,
                    bool exact) {
    if (!table.InUse(n)) return false;
    TargetRecord& t = table.entry(n);
    t.HasCPA = false;
    t.CPAEstimated = false;
    Motion m;
    if (own != 0 && own != n && t.Status != TargetStatus::Lost && moves(t.Class) && motionOf(t, m)) {
        std::optional<ApproachPlane> made;
        if (!plane) {
            made = OwnShipPlane(table, own);
            plane = made ? &*made : nullptr;
        }
        std::optional<Approach> a;
        if (plane) a = plane->approach(m, exact ? ApproachPrecision::Exact : ApproachPrecision::Estimate);
        if (a && !exact && needsExact(*a, alarm)) a = plane->approach(m, ApproachPrecision::Exact);
        else if (a && !exact) t.CPAEstimated = true;
        if (a) {
            t.HasCPA = true;
            t.CPA = a->cpa;
            t.TCPA = a->tcpa;
            t.OwnRange = a->range;
            t.OwnBearing = a->bearing;
            t.CPALatitude = a->cpaLatitude;
            t.CPALongitude = a->cpaLongitude;
        }
    }
    const bool was = t.Dangerous;
    t.Dangerous = n != own && dangerous(t, alarm);
    if (!t.Dangerous) t.AlarmAcknowledged = false;
    return t.Dangerous && !was;
}

}  // namespace

bool UpdateApproach(TargetTable& table, int own, int n, const AlarmSettings& alarm, const ApproachPlane* plane) {
    return updateApproach(table, own, n, alarm, plane, false);
}

int RefineApproaches(TargetTable& table, int own, const AlarmSettings& alarm, const ApproachPlane& plane,
                     std::vector<int>& raised) {
    int refined = 0;
    for (int n = 1; n <= table.EntryCount; ++n) {
        const TargetRecord& t = table.entry(n);
        if (t.MMSI == 0 || !t.HasCPA || !t.CPAEstimated) continue;
        if (updateApproach(table, own, n, alarm, &plane, true)) raised.push_back(n);
        ++refined;
    }
    return refined;
}

void UpdateAllApproaches(TargetTable& table, int own, const AlarmSettings& alarm, std::vector<int>& raised) {
    // Targets well outside the alarm's range keep the figures of their own
    // last report (recomputed at their next one); a busy network feed would
    // otherwise cost a full pass at every report of the own ship.
    const bool ownKnown = table.InUse(own) && hasPosition(table.entry(own));
    const double lat0 = ownKnown ? table.entry(own).Latitude : 0, lon0 = ownKnown ? table.entry(own).Longitude : 0;
    const double cosLat = std::cos(lat0 * 3.14159265358979 / 180);
    const double zone = std::max(24.0, 2 * alarm.rangeLimit) / 60.0;  // degrees of latitude
    const std::optional<ApproachPlane> plane = OwnShipPlane(table, own);
    for (int n = 1; n <= table.EntryCount; ++n) {
        const TargetRecord& t = table.entry(n);
        if (ownKnown && t.MMSI != 0 && hasPosition(t) && !t.Dangerous) {
            const double dlat = t.Latitude - lat0;
            double dlon = std::fabs(t.Longitude - lon0);
            if (dlon > 180) dlon = 360 - dlon;
            dlon *= cosLat;
            if (dlat * dlat + dlon * dlon > zone * zone) continue;
        }
        if (UpdateApproach(table, own, n, alarm, plane ? &*plane : nullptr)) raised.push_back(n);
    }
}

bool AppendAlarmLog(const std::filesystem::path& dataDir, const std::string& line, std::string& error) {
    const std::string path = (dataDir / kAlarmLogFileName).string();
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    const std::string whole = line + "\n";
    const ssize_t written = ::write(fd, whole.data(), whole.size());
    if (written != static_cast<ssize_t>(whole.size())) error = written < 0 ? std::strerror(errno) : "short write";
    ::close(fd);
    return written == static_cast<ssize_t>(whole.size());
}

int UnacknowledgedAlarms(const TargetTable& table) {
    int count = 0;
    for (int n = 1; n <= table.EntryCount; ++n) {
        const TargetRecord& t = table.entry(n);
        if (t.MMSI != 0 && t.Dangerous && !t.AlarmAcknowledged) ++count;
    }
    return count;
}

void AcknowledgeAlarms(TargetTable& table) {
    for (int n = 1; n <= table.EntryCount; ++n) {
        TargetRecord& t = table.entry(n);
        if (t.MMSI != 0 && t.Dangerous) t.AlarmAcknowledged = true;
    }
}

std::string AlarmLogLine(base::DateTime when, const TargetRecord& t) {
    std::string line = when.format("yyyy-mm-dd hh:mm:ss") + ";" + std::to_string(t.MMSI) + ";";
    // The name is a field of its own: no separator or line end inside it.
    for (char c : t.Name) line += (c == ';' || c == '\r' || c == '\n') ? ' ' : c;
    while (!line.empty() && line.back() == ' ') line.pop_back();
    line += ";";
    if (!t.HasCPA) return line + "n/a;n/a;n/a;n/a";
    std::string bearing = fixed(t.OwnBearing, 1);
    if (bearing == "360.0") bearing = "0.0";
    while (bearing.size() < 5) bearing.insert(bearing.begin(), '0');
    return line + fixed(t.CPA, 2) + ";" + fixed(t.TCPA, 1) + ";" + fixed(t.OwnRange, 2) + ";" + bearing;
}

std::string CPAText(const TargetRecord& t) { return t.HasCPA ? base::formatNumber(t.CPA, "0.00") : "n/a"; }
std::string TCPAText(const TargetRecord& t) {
    if (!t.HasCPA) return "n/a";
    // The sign stands before the padded digits: "-05.3".
    const std::string digits = base::formatNumber(std::fabs(t.TCPA), "00.0");
    return t.TCPA < 0 && digits != base::formatNumber(0.0, "00.0") ? "-" + digits : digits;
}

}  // namespace targets
