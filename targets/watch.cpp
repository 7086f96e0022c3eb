#include "targets/watch.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <tuple>

#include "base/number_format.h"
#include "geodesy/geodetic.h"
#include "targets/cpa.h"

namespace targets {

namespace {

// Speed and course as the approach needs them; none without a reported speed.
// A vessel lying still needs no course.
bool motionOf(const TargetRecord& t, Motion& m) {
    const float sog = t.Motion.SOG;
    if (!t.PositionKnown || !HasPosition(t) || sog == base::kNotAvailable || sog < 0 || sog > 102.2f) return false;
    const bool noCourse = t.Motion.COG == base::kNotAvailable || t.Motion.COG < 0 || t.Motion.COG >= 360;
    if (noCourse && t.Motion.SOG >= 0.1f) return false;
    m = {t.Fix.Latitude, t.Fix.Longitude, t.Motion.SOG, noCourse ? 0.0 : t.Motion.COG};
    return true;
}

bool moves(TargetClass c) {
    return c == TargetClass::A || c == TargetClass::B || c == TargetClass::SAR || c == TargetClass::Unknown;
}

bool anchoredOrMoored(const TargetRecord& t) {
    return t.Class == TargetClass::A && (t.Nav.NavStatus == 1 || t.Nav.NavStatus == 5);
}

// The approach counts for the alarm: not a lost target, not one the settings ignore.
bool approachCounts(const TargetRecord& t, const AlarmSettings& a) {
    if (!t.HasCPA) return false;
    if (a.ignoreMoored && anchoredOrMoored(t)) return false;
    return !(a.ignoreClassB && t.Class == TargetClass::B);
}

// The guard zone watches vessels (and aircraft) under way, whatever their approach.
bool guarded(const TargetRecord& t, const AlarmSettings& a) {
    return a.guardZone > 0 && t.HasOwnRange && moves(t.Class) && !anchoredOrMoored(t);
}

}  // namespace

bool EntersAlarm(const TargetRecord& t, const AlarmSettings& a) {
    if (t.Status == TargetStatus::Lost) return false;
    if (IsDistressBeacon(t.MMSI)) return true;
    if (guarded(t, a) && t.OwnRange < a.guardZone) return true;
    return approachCounts(t, a) && t.CPA < a.cpaLimit && t.TCPA > 0 && t.TCPA < a.tcpaLimit &&
           t.OwnRange < a.rangeLimit;
}

bool StaysInAlarm(const TargetRecord& t, const AlarmSettings& a) {
    if (t.Status == TargetStatus::Lost) return false;
    if (IsDistressBeacon(t.MMSI)) return true;
    const double widen = 1 + kAlarmClearMargin;
    if (guarded(t, a) && t.OwnRange <= a.guardZone * widen) return true;
    return approachCounts(t, a) && t.CPA <= a.cpaLimit * widen && t.TCPA >= 0 &&
           t.TCPA <= a.tcpaLimit + kAlarmClearTCPAMinutes && t.OwnRange <= a.rangeLimit * widen;
}

namespace {

std::string fixed(double v, int decimals) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    return std::string(buf, r.ptr);
}

}  // namespace

int OwnShipEntry(const TargetTable& table, const targets::Reference& state) {
    if (table.InUse(table.OwnShipIndex())) return table.OwnShipIndex();
    return state.mode() == kRefFromVDM ? ReferenceEntry(table, state) : 0;
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
constexpr double kClearMiles = 0.1, kClearMinutes = 1.0;

// The range alone puts the estimate clearly outside: beyond the range limit
// and not near the guard zone.
bool clearlyOutOfRange(double range, const AlarmSettings& s) {
    const double widen = 1 + kAlarmClearMargin;
    const bool nearGuard = s.guardZone > 0 && range <= s.guardZone * widen + kClearMiles;
    return range > s.rangeLimit * widen + kClearMiles && !nearGuard;
}

bool needsExact(const Approach& a, const AlarmSettings& s) {
    const double widen = 1 + kAlarmClearMargin;
    const bool clearlyOutside = a.cpa > s.cpaLimit * widen + kClearMiles || a.tcpa < -kClearMinutes ||
                                a.tcpa > s.tcpaLimit + kAlarmClearTCPAMinutes + kClearMinutes ||
                                a.range > s.rangeLimit * widen + kClearMiles;
    const bool nearGuard = s.guardZone > 0 && a.range <= s.guardZone * widen + kClearMiles;
    return !clearlyOutside || nearGuard;
}

}  // namespace

std::optional<ApproachPlane> OwnShipPlane(const TargetTable& table, int own) {
    Motion o;
    if (!table.InUse(own) || !motionOf(table.entry(own), o)) return std::nullopt;
    return ApproachPlane(o);
}

namespace {

// Range and bearing from the own ship where there is no approach (a target
// lying still beside a still own ship, or one without a speed).
void ownRangeWithout(const TargetRecord& own, TargetRecord& t) {
    double metres = 0, radians = 0;
    geodesy::GeodeticInverse(own.Fix.Latitude * geodesy::kDegToRad, own.Fix.Longitude * geodesy::kDegToRad,
                             t.Fix.Latitude * geodesy::kDegToRad, t.Fix.Longitude * geodesy::kDegToRad, geodesy::kInverseBoth,
                             metres, radians, geodesy::kWgs84B, geodesy::kWgs84F);
    t.OwnRange = metres / geodesy::kMetresPerNauticalMile;
    t.OwnBearing = radians / geodesy::kDegToRad;
    t.HasOwnRange = true;
}

// The course terms of the approach, computed once per course the target reports.
Course courseOf(TargetRecord& t, double cog) {
    if (!(t.CourseTermsOf == cog)) {
        const Course c = CourseTerms(cog);
        t.CourseTermsOf = cog;
        t.CourseSin = c.sin;
        t.CourseCos = c.cos;
    }
    return {t.CourseSin, t.CourseCos};
}

void takeFigures(TargetRecord& t, const Approach& a) {
    t.HasCPA = t.HasOwnRange = true;
    t.CPA = a.cpa;
    t.TCPA = a.tcpa;
    t.OwnRange = a.range;
    t.OwnBearing = a.bearing;
    t.CPALatitude = a.cpaLatitude;
    t.CPALongitude = a.cpaLongitude;
}

void computeApproach(TargetTable& table, int own, TargetRecord& t, const AlarmSettings& alarm,
                     const ApproachPlane* plane, bool exact) {
    Motion m;
    // No approach from an own ship whose position has grown old (a plane
    // made from it earlier is not used either).
    const bool ownKnown = table.InUse(own) && table.entry(own).PositionKnown;
    if (!ownKnown || t.Status == TargetStatus::Lost || !moves(t.Class)) return;
    if (motionOf(t, m)) {
        std::optional<ApproachPlane> made;
        if (!plane) {
            made = OwnShipPlane(table, own);
            plane = made ? &*made : nullptr;
        }
        std::optional<Approach> a;
        if (plane) a = exact ? plane->approach(m, ApproachPrecision::Exact) : plane->estimate(m, courseOf(t, m.cog));
        if (a && !exact && needsExact(*a, alarm)) a = plane->approach(m, ApproachPrecision::Exact);
        else if (a && !exact) t.CPAEstimated = true;
        if (a) return takeFigures(t, *a);
    }
    const TargetRecord& o = table.entry(own);
    if (t.PositionKnown && HasPosition(t) && HasPosition(o)) ownRangeWithout(o, t);
}

void updateApproach(TargetTable& table, int own, int n, const AlarmSettings& alarm, double now,
                    AlarmEpisodes& episodes, const ApproachPlane* plane, bool exact) {
    if (!table.InUse(n)) return;
    TargetRecord& t = table.entry(n);
    t.HasCPA = t.HasOwnRange = false;
    t.CPAEstimated = t.CPADeferred = false;
    if (own != n) computeApproach(table, own, t, alarm, plane, exact);

    const bool was = t.Dangerous;
    if (n == own) {
        t.Dangerous = false;
    } else if (was) {
        t.Dangerous = StaysInAlarm(t, alarm);
    } else {
        const bool rested = t.AlarmClearedAt < 0 || now - t.AlarmClearedAt >= kAlarmRearmSeconds;
        t.Dangerous = rested && EntersAlarm(t, alarm);
    }
    if (!t.Dangerous) t.AlarmAcknowledged = false;
    if (was && !t.Dangerous) {
        t.AlarmClearedAt = now;
        episodes.ended.push_back(n);
    } else if (!was && t.Dangerous) {
        episodes.started.push_back(n);
    }
}

// An upper bound of the distance (nm) between two positions (degrees), with
// cosLat1 the cosine of the first latitude: along the meridian, then along
// the parallel farther from the equator (no longer than at the first
// latitude), both at most 60.31 nm a degree on the ellipsoid.
double MilesAtMost(double lat1, double lon1, double cosLat1, double lat2, double lon2) {
    double dlon = std::fabs(lon2 - lon1);
    if (dlon > 180) dlon = 360 - dlon;
    return 60.4 * (std::fabs(lat2 - lat1) + cosLat1 * dlon);
}

// Ranges and latitudes the remembered margin holds for: at most 80 degrees
// from the equator the estimate's range stays within 1.5 % of the
// ellipsoid's up to 200 nm and within half again beyond.
constexpr double kFarLatitude = 80, kFarCloseRange = 200;

// Both the target and the own ship within kFarLatitude of the equator.
bool farLatitudes(const Motion& target, const Motion& own) {
    return std::fabs(target.latitude) <= kFarLatitude && std::fabs(own.latitude) <= kFarLatitude;
}

// A target found clearly out of range at an earlier report is still so when
// neither it nor the own ship has moved far enough since to close the
// margin. The range shrinks by no more than the two moved, and the
// estimate's range follows the ellipsoid's (kFarLatitude): counting the
// moves twice and keeping 95 % of the remembered range (60 % beyond
// kFarCloseRange) less half a mile covers the difference.
bool stillFarOff(const TargetRecord& t, const Motion& m, const ApproachPlane& plane, const AlarmSettings& alarm) {
    if (!(t.FarRange > 0)) return false;
    const Motion& o = plane.own();
    if (!farLatitudes(m, o)) return false;
    const double moved = MilesAtMost(t.FarLatitude, t.FarLongitude, t.FarCos, m.latitude, m.longitude) +
                         MilesAtMost(t.FarOwnLatitude, t.FarOwnLongitude, t.FarOwnCos, o.latitude, o.longitude);
    const double kept = t.FarRange <= kFarCloseRange ? 0.95 : 0.6;
    if (!clearlyOutOfRange(kept * t.FarRange - 0.5 - 2 * moved, alarm)) return false;
    // The cosine changes by no more than the latitude (radians).
    const double dlat = std::fabs(m.latitude - t.FarLatitude) * geodesy::kDegToRad;
    return plane.surelyMoving(m.sog, t.FarCos - dlat, std::min(1.0, t.FarCos + dlat));
}

void rememberFarOff(TargetRecord& t, double range, const Motion& m, const ApproachPlane& plane) {
    const Motion& o = plane.own();
    if (!farLatitudes(m, o)) {
        t.FarRange = 0;
        return;
    }
    t.FarRange = range;
    t.FarLatitude = m.latitude;
    t.FarLongitude = m.longitude;
    t.FarCos = std::cos(m.latitude * geodesy::kDegToRad);
    t.FarOwnLatitude = o.latitude;
    t.FarOwnLongitude = o.longitude;
    t.FarOwnCos = std::cos(o.latitude * geodesy::kDegToRad);
}

// Whether the estimate's range lies clearly beyond the alarm's range, and
// a range below it that shows so (none when not).
std::optional<double> clearlyOutOfRangeBy(TargetRecord& t, const Motion& m, const AlarmSettings& alarm,
                                          const ApproachPlane& plane) {
    // A bound below the estimate's range settles most far targets; being
    // clearly out of range only grows with the range, so what the bound
    // puts out the estimate would too.
    const Course course = courseOf(t, m.cog);
    const std::optional<ApproachPlane::RangeBound> atLeast = plane.rangeAtLeast(m, course);
    if (!atLeast) return std::nullopt;
    if (clearlyOutOfRange(atLeast->nm, alarm)) return atLeast->nm;
    if (atLeast->exact) return std::nullopt;  // the estimate's own range: asking again would give the same
    const std::optional<double> range = plane.estimatedRange(m, course);
    if (!range || !clearlyOutOfRange(*range, alarm)) return std::nullopt;
    return range;
}

// At a report of the own ship, a target whose estimate lies clearly beyond
// the alarm's range (and guard zone) can neither start an alarm episode nor
// need exact figures: what UpdateApproach would make of it is known without
// the rest of the estimate. Its figures are left for RefineApproaches (it is
// marked estimated), which the display runs once a second and a headless run
// before it prints. Only for a target that is not dangerous and no distress
// beacon, with an own ship whose plane is given.
bool deferToRefinement(TargetTable& table, int own, int n, const AlarmSettings& alarm, const ApproachPlane& plane) {
    TargetRecord& t = table.entry(n);
    if (n == own || t.MMSI == 0 || t.Dangerous || IsDistressBeacon(t.MMSI)) return false;
    if (t.Status == TargetStatus::Lost || !moves(t.Class)) return false;
    Motion m;
    if (!motionOf(t, m)) return false;
    if (!stillFarOff(t, m, plane, alarm)) {
        const std::optional<double> range = clearlyOutOfRangeBy(t, m, alarm, plane);
        if (!range) {
            t.FarRange = 0;
            return false;
        }
        rememberFarOff(t, *range, m, plane);
    }
    t.HasCPA = t.HasOwnRange = true;
    t.CPAEstimated = true;
    t.AlarmAcknowledged = false;
    return true;
}

}  // namespace

void UpdateApproach(TargetTable& table, int own, int n, const AlarmSettings& alarm, double now,
                    AlarmEpisodes& episodes, const ApproachPlane* plane) {
    updateApproach(table, own, n, alarm, now, episodes, plane, false);
}

bool DeferApproach(TargetTable& table, int own, int n, const AlarmSettings& alarm, const ApproachPlane& plane) {
    // What computeApproach asks first: without an own ship's known position
    // there is no approach, which UpdateApproach records at once.
    if (!table.InUse(n) || !table.InUse(own) || !table.entry(own).PositionKnown) return false;
    if (!deferToRefinement(table, own, n, alarm, plane)) return false;
    table.entry(n).CPADeferred = true;
    return true;
}

void EstimateDeferred(TargetTable& table, int n, const ApproachPlane& plane) {
    if (!table.InUse(n)) return;
    TargetRecord& t = table.entry(n);
    Motion m;
    if (!t.CPADeferred || !motionOf(t, m)) return;
    t.CPADeferred = false;
    if (const std::optional<Approach> a = plane.estimate(m, courseOf(t, m.cog))) takeFigures(t, *a);
}

int RefineApproaches(TargetTable& table, int own, const AlarmSettings& alarm, const ApproachPlane& plane, double now,
                     AlarmEpisodes& episodes) {
    int refined = 0;
    for (int n = 1; n <= table.EntryCount(); ++n) {
        const TargetRecord& t = table.entry(n);
        if (t.MMSI == 0 || !t.HasCPA || !t.CPAEstimated) continue;
        updateApproach(table, own, n, alarm, now, episodes, &plane, true);
        ++refined;
    }
    return refined;
}

void UpdateAllApproaches(TargetTable& table, int own, const AlarmSettings& alarm, double now,
                         AlarmEpisodes& episodes) {
    // Targets well outside the alarm's range keep the figures of their own
    // last report (recomputed at their next one); a busy network feed would
    // otherwise cost a full pass at every report of the own ship.
    const bool ownKnown = table.InUse(own) && HasPosition(table.entry(own));
    const double lat0 = ownKnown ? table.entry(own).Fix.Latitude : 0, lon0 = ownKnown ? table.entry(own).Fix.Longitude : 0;
    const double cosLat = std::cos(lat0 * 3.14159265358979 / 180);
    const double zone = std::max({24.0, 2 * alarm.rangeLimit, 2 * alarm.guardZone}) / 60.0;  // degrees of latitude
    const std::optional<ApproachPlane> plane = OwnShipPlane(table, own);
    for (int n = 1; n <= table.EntryCount(); ++n) {
        const TargetRecord& t = table.entry(n);
        if (ownKnown && t.MMSI != 0 && HasPosition(t) && !t.Dangerous) {
            const double dlat = t.Fix.Latitude - lat0;
            double dlon = std::fabs(t.Fix.Longitude - lon0);
            if (dlon > 180) dlon = 360 - dlon;
            dlon *= cosLat;
            if (dlat * dlat + dlon * dlon > zone * zone) continue;
        }
        if (plane && deferToRefinement(table, own, n, alarm, *plane)) continue;
        UpdateApproach(table, own, n, alarm, now, episodes, plane ? &*plane : nullptr);
    }
}

// ---------------------------------------------------------------- whereabouts

bool CarriesPosition(int type) {
    switch (type) {
        case 1: case 2: case 3: case 4: case 9: case 18: case 19: case 21: case 27:
            return true;
        default:
            return false;
    }
}

int ReferenceEntry(const TargetTable& table, const targets::Reference& state) {
    if (state.mode() == kRefFromVDO) return table.InUse(table.OwnShipIndex()) ? table.OwnShipIndex() : 0;
    if (state.mode() != kRefFromVDM || state.mmsi() == 0) return 0;
    if (const int n = table.FindTarget(state.mmsi(), 1)) return n;
    return table.FindTarget(state.mmsi(), 18);
}

bool ReferenceEstablished(const TargetTable& table, const targets::Reference& state, int referenceEntry) {
    if (state.mode() == kRefNone || !IsValidPosition(state.lat(), state.lon())) return false;
    if (state.mode() == kRefManual) return true;
    // A followed station that has sent a position: the reference is where it
    // last was (a report without one leaves it there).
    return referenceEntry != 0 && table.entry(referenceEntry).PositionMonotonic >= 0;
}

bool ReferenceEstablished(const TargetTable& table, const targets::Reference& state) {
    return ReferenceEstablished(table, state, ReferenceEntry(table, state));
}

namespace {

void judgeWhereabouts(const TargetTable& table, TargetRecord& t, bool established, double now) {
    t.PositionKnown = HasPosition(t) && t.PositionMonotonic >= 0 && now - t.PositionMonotonic < table.LostAfter(t);
    t.RangeKnown = t.PositionKnown && established;
}

}  // namespace

void NoteMessage(TargetTable& table, int n, int type, const targets::Reference& state, double now) {
    NoteMessage(table, n, type, state, now, ReferenceEntry(table, state));
}

void NoteMessage(TargetTable& table, int n, int type, const targets::Reference& state, double now,
                 int referenceEntry) {
    if (!table.InUse(n)) return;
    TargetRecord& t = table.entry(n);
    if (CarriesPosition(type) && HasPosition(t)) t.PositionMonotonic = now;
    judgeWhereabouts(table, t, ReferenceEstablished(table, state, referenceEntry), now);
}

void MeasureAllRanges(TargetTable& table, targets::Reference& state, double now, std::vector<int>& changed) {
    // A mode that follows a station starts from where it is, not from where
    // the reference was left by another mode.
    if (const int r = ReferenceEntry(table, state); r != 0 && HasPosition(table.entry(r))) {
        state.moveTo(table.entry(r).Fix.Latitude, table.entry(r).Fix.Longitude);
    }
    const bool established = ReferenceEstablished(table, state);
    for (int n = 1; n <= table.EntryCount(); ++n) {
        if (!table.InUse(n)) continue;
        TargetRecord& t = table.entry(n);
        const auto was = std::make_tuple(t.PositionKnown, t.RangeKnown, t.FromReference.range(), t.FromReference.bearing());
        judgeWhereabouts(table, t, established, now);
        if (established && HasPosition(t)) {
            double metres = 0, radians = 0;
            geodesy::GeodeticInverse(state.lat() * geodesy::kDegToRad, state.lon() * geodesy::kDegToRad,
                                     t.Fix.Latitude * geodesy::kDegToRad, t.Fix.Longitude * geodesy::kDegToRad,
                                     geodesy::kInverseBoth, metres, radians, geodesy::kWgs84B, geodesy::kWgs84F);
            t.FromReference.set(metres, radians);
        }
        const auto is = std::make_tuple(t.PositionKnown, t.RangeKnown, t.FromReference.range(), t.FromReference.bearing());
        if (is != was) changed.push_back(n);
    }
}

void AgePositions(TargetTable& table, double now, std::vector<int>& changed) {
    // Younger than both lost times: kept whatever the entry's kind.
    const double keptBelow = std::min(table.lifecycle().lostAfterMoving, table.lifecycle().lostAfterFixed);
    for (int n = 1; n <= table.EntryCount(); ++n) {
        TargetRecord& t = table.entry(n);
        if (t.MMSI == 0 || !t.PositionKnown) continue;
        const double age = now - t.PositionMonotonic;
        if (age < keptBelow || age < table.LostAfter(t)) continue;
        t.PositionKnown = t.RangeKnown = false;
        changed.push_back(n);
    }
}

bool AppendAlarmLog(const std::filesystem::path& file, const std::string& line, std::string& error) {
    const std::string path = file.string();
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
    for (int n = 1; n <= table.EntryCount(); ++n) {
        const TargetRecord& t = table.entry(n);
        if (t.MMSI != 0 && t.Dangerous && !t.AlarmAcknowledged) ++count;
    }
    return count;
}

void AcknowledgeAlarms(TargetTable& table) {
    for (int n = 1; n <= table.EntryCount(); ++n) {
        TargetRecord& t = table.entry(n);
        if (t.MMSI != 0 && t.Dangerous) t.AlarmAcknowledged = true;
    }
}

std::string AlarmLogLine(base::DateTime when, const TargetRecord& t) {
    std::string line = when.format("yyyy-mm-dd hh:mm:ss") + ";" + std::to_string(t.MMSI) + ";";
    // The name is a field of its own: no separator or line end inside it.
    for (char c : t.Id.Name) line += (c == ';' || c == '\r' || c == '\n') ? ' ' : c;
    while (!line.empty() && line.back() == ' ') line.pop_back();
    line += ";";
    line += t.HasCPA ? fixed(t.CPA, 2) + ";" + fixed(t.TCPA, 1) + ";" : "n/a;n/a;";
    if (!t.HasOwnRange) return line + "n/a;n/a";
    std::string bearing = fixed(t.OwnBearing, 1);
    if (bearing == "360.0") bearing = "0.0";
    while (bearing.size() < 5) bearing.insert(bearing.begin(), '0');
    return line + fixed(t.OwnRange, 2) + ";" + bearing;
}

std::string AlarmEndLogLine(base::DateTime when, const TargetRecord& t) {
    return AlarmLogLine(when, t) + ";" + kAlarmEndField;
}

std::string CPAText(const TargetRecord& t) { return t.HasCPA ? base::formatNumber(t.CPA, "0.00") : "n/a"; }
std::string TCPAText(const TargetRecord& t) {
    if (!t.HasCPA) return "n/a";
    // The sign stands before the padded digits: "-05.3".
    const std::string digits = base::formatNumber(std::fabs(t.TCPA), "00.0");
    return t.TCPA < 0 && digits != base::formatNumber(0.0, "00.0") ? "-" + digits : digits;
}

}  // namespace targets
