// orvanta-cli inverse | grid | position: the program's geodesy and position
// text from the command line, for scripts and checks.
//
//   orvanta-cli inverse 60 5 60.5 5.8
//   distance_m 71175.800
//   bearing_deg 38.147...
//
// Output is one "key value" pair per line, "." as decimal mark, millimetres
// and 1e-9 degrees. Operator messages go to standard error. Exit status: 0 on
// success, 1 when the computation reported a problem (a repaired position
// text, a grid inverse that did not converge), 2 on a usage error.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/number_format.h"
#include "base/operator_messages.h"
#include "cli/command.h"
#include "cli/options.h"
#include "geodesy/geodetic.h"
#include "geodesy/grid.h"
#include "geodesy/position_text.h"

namespace {

// Prints operator messages to standard error and remembers that there were some.
class StderrSink final : public base::MessageSink {
public:
    explicit StderrSink(const char* command) : command_(command) {}
    void operatorMessage(base::MessageIcon, const std::string&, const std::string& text) override {
        std::fprintf(stderr, "orvanta-cli %s: %s\n", command_, text.c_str());
        ++count;
    }
    int count = 0;

private:
    const char* command_;
};

// The table of a command whose arguments are mostly values: --help wherever
// it stands, `other` for every other argument.
cli::OptionTable valueTable(const char* usage, std::function<int(const char*)> other) {
    cli::OptionTable options(usage, 0);
    options.helpAnywhere = true;
    options.missing = cli::MissingValue::ToSetter;
    options.options = {cli::HelpOption("")};
    options.other = std::move(other);
    return options;
}

// Collects the arguments into args.
std::function<int(const char*)> collect(std::vector<const char*>& args) {
    return [&args](const char* arg) {
        args.push_back(arg);
        return cli::kGoOn;
    };
}

std::optional<double> number(const char* text) { return base::parseTypedNumber(text); }

// Writes the result to standard output; 1 (with a message) when it cannot be written.
int print(const std::string& text) { return cli::WriteOutput(text, "geodesy") ? 0 : 1; }

int usageError(const char* command, const std::string& why, void (*usage)(FILE*)) {
    std::fprintf(stderr, "orvanta-cli %s: %s\n\n", command, why.c_str());
    usage(stderr);
    return 2;
}

// ---- inverse ---------------------------------------------------------------

constexpr const char* kInverseUsage =
    "usage: orvanta-cli inverse LAT1 LON1 LAT2 LON2\n"
    "\n"
    "Distance and true bearing from point 1 to point 2 on the WGS84 ellipsoid, as the\n"
    "program computes target range and bearing. Positions in signed decimal degrees\n"
    "(north and east positive; '.' or ',' as decimal mark).\n"
    "\n"
    "output:\n"
    "  distance_m   metres, 3 decimals\n"
    "  distance_nm  nautical miles of 1852 m\n"
    "  bearing_deg  degrees from north clockwise, 0 to 360, 9 decimals\n";

void inverseUsage(FILE* out) { std::fputs(kInverseUsage, out); }

int runInverse(int argc, char** argv) {
    std::vector<const char*> args;
    if (const int rc = valueTable(kInverseUsage, collect(args)).parse(argc, argv); rc != cli::kGoOn) return rc;
    if (args.size() != 4) return usageError("inverse", "expected four numbers", inverseUsage);
    double v[4];
    for (int i = 0; i < 4; ++i) {
        const auto n = number(args[i]);
        if (!n) return usageError("inverse", std::string("not a number: ") + args[i], inverseUsage);
        v[i] = *n;
    }
    if (std::fabs(v[0]) > 90 || std::fabs(v[2]) > 90) {
        return usageError("inverse", "latitudes must lie within -90..90", inverseUsage);
    }
    if (std::fabs(v[1]) > 180 || std::fabs(v[3]) > 180) {
        return usageError("inverse", "longitudes must lie within -180..180", inverseUsage);
    }
    double distance = 0, bearing = 0;
    geodesy::GeodeticInverse(v[0] * geodesy::kDegToRad, v[1] * geodesy::kDegToRad, v[2] * geodesy::kDegToRad,
                             v[3] * geodesy::kDegToRad, geodesy::kInverseBoth, distance, bearing, geodesy::kWgs84B,
                             geodesy::kWgs84F);
    return print("distance_m " + base::FixedText(distance, 3) + "\ndistance_nm " +
                 base::FixedText(distance / geodesy::kMetresPerNauticalMile, 6) + "\nbearing_deg " +
                 base::FixedText(bearing * geodesy::kRadToDeg, 9) + "\n");
}

// ---- grid ------------------------------------------------------------------

constexpr const char* kGridUsage =
    "usage: orvanta-cli grid LAT LON [--zone Z]\n"
    "       orvanta-cli grid --inverse EASTING NORTHING --zone Z\n"
    "\n"
    "UTM grid of the plot on WGS84: scale 0.9996, false easting 500000 m, no false\n"
    "northing (negative south of the equator). The zone (1-60) defaults to the zone of\n"
    "the longitude; a longitude on a zone boundary belongs to the western zone.\n"
    "\n"
    "output (forward):  zone, easting_m, northing_m (3 decimals)\n"
    "output (inverse):  zone, latitude_deg, longitude_deg (9 decimals), passes\n"
    "The inverse exits with status 1 after 20 passes without convergence, printing\n"
    "its last estimate.\n";

void gridUsage(FILE* out) { std::fputs(kGridUsage, out); }

int runGrid(int argc, char** argv) {
    bool inverse = false;
    std::optional<int> zone;
    std::vector<double> values;
    cli::OptionTable options = valueTable(kGridUsage, [&](const char* arg) {
        const auto n = number(arg);
        if (!n) return usageError("grid", std::string("unexpected argument: ") + arg, gridUsage);
        values.push_back(*n);
        return cli::kGoOn;
    });
    options.options.push_back({"--inverse", "", "", [&](const cli::Values&) {
                                   inverse = true;
                                   return cli::kGoOn;
                               }});
    options.options.push_back({"--zone", "Z", "", [&](const cli::Values& v) {
                                   if (!v[0]) return usageError("grid", "--zone needs a number", gridUsage);
                                   const auto z = number(v[0]);
                                   if (!z || *z != static_cast<int>(*z) || *z < 1 || *z > 60) {
                                       return usageError("grid", std::string("zone must be a whole number 1-60: ") + v[0],
                                                         gridUsage);
                                   }
                                   zone = static_cast<int>(*z);
                                   return cli::kGoOn;
                               }});
    if (const int rc = options.parse(argc, argv); rc != cli::kGoOn) return rc;
    if (values.size() != 2) return usageError("grid", "expected two numbers", gridUsage);
    if (inverse && !zone) return usageError("grid", "--inverse needs --zone", gridUsage);

    if (!inverse) {
        if (std::fabs(values[0]) > 90) return usageError("grid", "latitude must lie within -90..90", gridUsage);
        if (std::fabs(values[1]) > 180) return usageError("grid", "longitude must lie within -180..180", gridUsage);
    }
    const int useZone = zone ? *zone : geodesy::ZoneFromLongitude(values[1]);
    geodesy::DatumTable table;
    geodesy::InitDatum(table);
    geodesy::SetZone(table, useZone);
    StderrSink sink("grid");

    if (!inverse) {
        double lat = values[0] * geodesy::kDegToRad, lon = values[1] * geodesy::kDegToRad, e = 0, n = 0;
        geodesy::GridConvert(table, 1, lat, lon, e, n, geodesy::GridDirection::GeogToGrid, sink);
        return print("zone " + std::to_string(useZone) + "\neasting_m " + base::FixedText(e, 3) + "\nnorthing_m " +
                     base::FixedText(n, 3) + "\n");
    }
    double lat = 0, lon = 0, e = values[0], n = values[1];
    const geodesy::GridOutcome out =
        geodesy::GridConvert(table, 1, lat, lon, e, n, geodesy::GridDirection::GridToGeog, sink);
    const int rc = print("zone " + std::to_string(useZone) + "\nlatitude_deg " + base::FixedText(lat * geodesy::kRadToDeg, 9) +
                         "\nlongitude_deg " + base::FixedText(lon * geodesy::kRadToDeg, 9) + "\npasses " +
                         std::to_string(out.passes) + "\n");
    return rc != 0 ? rc : out.converged ? 0 : 1;
}

// ---- position --------------------------------------------------------------

constexpr const char* kPositionUsage =
    "usage: orvanta-cli position parse TEXT lat|lon\n"
    "       orvanta-cli position format VALUE lat|lon [DECIMALS] [--file]\n"
    "\n"
    "parse reads a typed position the way the reference-position boxes do (for\n"
    "example \"59 30 12,5 N\", \"-5 20\", \"10 0 0 V\") and prints\n"
    "  value    signed decimal degrees, 9 decimals\n"
    "  text     the canonical rewrite\n"
    "  message  one line per operator message (the fault and its repair)\n"
    "It exits with status 1 when there were messages.\n"
    "\n"
    "format writes signed decimal degrees as degrees, minutes, seconds and hemisphere\n"
    "with DECIMALS (0-4, default 1) decimals of seconds; --file uses the file-form\n"
    "degree mark.\n";

void positionUsage(FILE* out) { std::fputs(kPositionUsage, out); }

std::optional<std::string> kindOf(const char* text) {
    std::string k = text;
    for (char& c : k) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (k == "LAT" || k == "LON") return k;
    return std::nullopt;
}

int runPosition(int argc, char** argv) {
    std::vector<const char*> args;
    bool fileForm = false;
    cli::OptionTable options = valueTable(kPositionUsage, collect(args));
    options.options.push_back({"--file", "", "", [&](const cli::Values&) {
                                   fileForm = true;
                                   return cli::kGoOn;
                               }});
    if (const int rc = options.parse(argc, argv); rc != cli::kGoOn) return rc;
    if (args.size() < 3) return usageError("position", "expected parse or format with a value and a kind", positionUsage);
    const std::string_view action = args[0];
    const auto kind = kindOf(args[2]);
    if (!kind) return usageError("position", std::string("kind must be lat or lon: ") + args[2], positionUsage);

    if (action == "parse" && args.size() == 3) {
        std::string text = args[1];
        base::RecordingMessageSink sink;
        const double value = geodesy::ParsePosition(text, *kind, sink);
        std::string out = "value " + base::FixedText(value, 9) + "\ntext " + text + "\n";
        for (const auto& m : sink.entries) out += "message " + m.text + "\n";
        const int rc = print(out);
        return rc != 0 ? rc : sink.entries.empty() ? 0 : 1;
    }
    if (action == "format" && args.size() <= 4) {
        const auto value = number(args[1]);
        if (!value) return usageError("position", std::string("not a number: ") + args[1], positionUsage);
        int decimals = 1;
        if (args.size() == 4) {
            const auto d = number(args[3]);
            if (!d || *d != static_cast<int>(*d) || *d < -32768 || *d > 32767) {
                return usageError("position", std::string("decimals must be a whole number: ") + args[3],
                                  positionUsage);
            }
            decimals = static_cast<int>(*d);
        }
        return print(geodesy::FormatPosition(*value, *kind, fileForm ? "FILE" : "form", decimals) + "\n");
    }
    return usageError("position", "expected: parse TEXT KIND, or format VALUE KIND [DECIMALS]", positionUsage);
}

const cli::Registration inverseCommand{"inverse", "distance and bearing between two positions (WGS84)", runInverse};
const cli::Registration gridCommand{"grid", "UTM grid conversion, geographic to grid and back", runGrid};
const cli::Registration positionCommand{"position", "parse or format position text", runPosition};

}  // namespace
