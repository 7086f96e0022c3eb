#include "cli/replay_print.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "base/json_writer.h"
#include "base/number_format.h"
#include "base/text_escape.h"
#include "geodesy/position_text.h"
#include "station/receiver.h"
#include "targets/target_export.h"

namespace cli {
namespace {

std::string trimRight(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// Position or range/bearing cells as the target list shows them after a message.
std::pair<std::string, std::string> positionCells(const targets::Reference& s, const targets::TargetRecord& t) {
    const bool noLat = t.Fix.Latitude == 0 || t.Fix.Latitude == base::kNotAvailable;
    const bool noLon = t.Fix.Longitude == 0 || t.Fix.Longitude == base::kNotAvailable;
    const bool positions = s.mode() == targets::kRefNone || (s.lat() == 0 && s.lon() == 0);
    if (!positions && !t.RangeKnown) return {"n/a", "n/a"};  // no range to a position too old or not measured
    std::string lat = noLat ? "n/a"
                      : positions ? geodesy::FormatPosition(t.Fix.Latitude, "LAT", "form", 1)
                                  : base::formatNumber(t.FromReference.range() / 1852.0, "0.0 nm");
    std::string lon = noLon ? "n/a"
                      : positions ? geodesy::FormatPosition(t.Fix.Longitude, "LON", "form", 1)
                                  : base::formatNumber(t.FromReference.bearing() * 57.29577951307855, "000.0 °");
    return {lat, lon};
}

const char* const kColumns[] = {"No", "MMSI", "Name", "Class", "ClassText", "Country", "Lat/Range", "Lon/Bearing",
                                "SOG", "COG", "HDG", "ROT", "Status", "Msgs", "VDM", "VDO", "ChA", "ChB"};

std::vector<std::string> rowCells(const targets::Reference& s, const targets::TargetRecord& t, int number) {
    const bool fixed = t.Class == targets::TargetClass::BS || t.Class == targets::TargetClass::AtoN;
    const bool noTurn = fixed || t.Class == targets::TargetClass::SAR;
    const auto [lat, lon] = positionCells(s, t);
    std::string rot = noTurn ? "n/a" : base::FormatAvailable(t.ROT, "0.0");
    if (!noTurn && t.ROT >= 720) rot = "stb";
    if (!noTurn && t.ROT <= -720 && t.ROT != base::kNotAvailable) rot = "port";
    return {std::to_string(number),
            std::to_string(t.MMSI),
            trimRight(t.Id.Name + t.NameExtension),
            targets::ClassCode(t.Class),
            targets::ClassText(t.Class),
            t.Country,
            lat,
            lon,
            fixed ? "n/a" : base::FormatAvailable(t.Motion.SOG, "0.0"),
            fixed ? "n/a" : base::FormatAvailable(t.Motion.COG, "000.0"),
            noTurn ? "n/a" : base::FormatAvailable(t.TrueHeading, "000"),
            rot,
            targets::StatusText(t.Status),
            std::to_string(t.MsgCount[0]),
            std::to_string(t.VDMCount),
            std::to_string(t.VDOCount),
            std::to_string(t.ChACount),
            std::to_string(t.ChBCount)};
}

struct Counter {
    const char* name;
    int64_t value;
};

std::vector<Counter> counters(const app::Receiver& rx) {
    const input::ReceiverTotals s = rx.totals();
    std::vector<Counter> out = {{"SentenceCount", s.SentenceCount},
            {"ChecksumErrorCount", s.ChecksumErrorCount},
            {"IgnoredCount", s.IgnoredCount},
            {"OverflowCount", s.OverflowCount},
            {"NonAISCount", s.NonAISCount},
            {"MalformedCount", s.MalformedCount},
            {"DecodedSentenceCount", s.DecodedSentenceCount},
            {"IncompleteFragmentCount", s.IncompleteFragmentCount},
            {"IncompleteMessageCount", s.IncompleteMessageCount},
            {"PendingFragmentCount", rx.pendingFragments()},
            {"DecodedMessageCount", s.DecodedMessageCount},
            {"TargetCount", rx.targets().TargetCount()}};
    // Lines that were only a tag block: listed when there were any, so the
    // output on input without tag blocks stays as it was.
    if (s.TagOnlyCount > 0) out.insert(out.begin() + 5, {"TagOnlyCount", s.TagOnlyCount});
    return out;
}

void printText(const app::Receiver& rx, std::string& out) {
    const auto& table = rx.targets();
    std::vector<std::vector<std::string>> rows;
    rows.emplace_back(std::begin(kColumns), std::end(kColumns));
    for (int k = 1; k <= table.TargetCount(); ++k) {
        rows.push_back(rowCells(rx.reference(), table.entry(table.DisplayOrder()[static_cast<size_t>(k)]), k));
    }
    // Display width: count UTF-8 lead bytes only.
    auto width = [](const std::string& s) {
        size_t w = 0;
        for (unsigned char c : s) w += (c & 0xC0) != 0x80;
        return w;
    };
    std::vector<size_t> widths(std::size(kColumns), 0);
    for (const auto& r : rows) {
        for (size_t c = 0; c < r.size(); ++c) widths[c] = std::max(widths[c], width(r[c]));
    }
    for (const auto& r : rows) {
        std::string line;
        for (size_t c = 0; c < r.size(); ++c) {
            line += r[c];
            if (c + 1 < r.size()) line.append(widths[c] - width(r[c]) + 2, ' ');
        }
        out += trimRight(line) + "\n";
    }
    out += "\n";
    for (const auto& c : counters(rx)) out += std::string(c.name) + ": " + std::to_string(c.value) + "\n";
    const input::ReceiverTotals totals = rx.totals();
    for (int t = 0; t < 64; ++t) {
        const int64_t n = totals.MessageTypeCount[static_cast<size_t>(t)];
        if (n) out += "Messages of type " + std::to_string(t) + ": " + std::to_string(n) + "\n";
    }
}

// The table for programs: the text view's columns, numbers as numbers with
// the unit in the header, the position always in degrees and, with a
// reference, range and bearing in columns of their own; unknown values empty.
void printCsv(const app::Receiver& rx, std::string& out) {
    const auto& table = rx.targets();
    const targets::Reference& s = rx.reference();
    const bool ranges = s.mode() != targets::kRefNone;
    out += "No,MMSI,Name,Class,ClassText,Country,Lat (\xC2\xB0),Lon (\xC2\xB0),";
    if (ranges) out += "Range (nm),Bearing (\xC2\xB0),";
    out += "SOG (kn),COG (\xC2\xB0),HDG (\xC2\xB0),ROT (\xC2\xB0/min),Status,Msgs,VDM,VDO,ChA,ChB\n";
    for (int k = 1; k <= table.TargetCount(); ++k) {
        const targets::TargetRecord& t = table.entry(table.DisplayOrder()[static_cast<size_t>(k)]);
        const auto cells = rowCells(s, t, k);
        const auto number = [&](bool known, double value, int decimals) {
            if (known && std::isfinite(value)) out += base::FixedText(value, decimals);
            out += ',';
        };
        const auto text = [&](const std::string& cell) {
            base::AppendCsvText(out, cell);  // the name comes from the air: never a formula
            out += ',';
        };
        out += cells[0] + ',' + cells[1] + ',';
        for (size_t c = 2; c <= 5; ++c) text(cells[c]);
        const bool position = targets::HasPosition(t);
        number(position, t.Fix.Latitude, 6);
        number(position, t.Fix.Longitude, 6);
        if (ranges) {
            const bool range = position && !(s.lat() == 0 && s.lon() == 0);
            // To a tenth of a degree in [0, 360): 359.96 is 0.0, not 360.0.
            double bearing = std::round(t.FromReference.bearing() * 57.29577951307855 * 10.0) / 10.0;
            bearing = bearing < 0 ? bearing + 360 : bearing >= 360 ? bearing - 360 : bearing;
            number(range, t.FromReference.range() / 1852.0, 3);
            number(range, bearing, 1);
        }
        number(cells[8] != "n/a", t.Motion.SOG, 1);
        number(cells[9] != "n/a", t.Motion.COG, 1);
        number(cells[10] != "n/a", t.TrueHeading, 0);
        if (cells[11] == "stb" || cells[11] == "port") {
            text(cells[11]);  // turning at more than 5 degrees in 30 s, rate not known
        } else {
            number(cells[11] != "n/a", t.ROT, 1);
        }
        text(cells[12]);
        for (size_t c = 13; c < cells.size(); ++c) out += cells[c] + (c + 1 < cells.size() ? "," : "");
        out += "\n";
    }
    out += "\nCounter,Value\n";
    for (const auto& c : counters(rx)) out += std::string(c.name) + "," + std::to_string(c.value) + "\n";
    const input::ReceiverTotals totals = rx.totals();
    for (int t = 0; t < 64; ++t) {
        const int64_t n = totals.MessageTypeCount[static_cast<size_t>(t)];
        if (n) out += "MessageTypeCount[" + std::to_string(t) + "]," + std::to_string(n) + "\n";
    }
}

void printJson(const app::Receiver& rx, std::string& text) {
    base::OutputBuffer out;
    base::JsonWriter j(out);
    const auto& table = rx.targets();
    j.beginObject();
    j.key("targets");
    j.beginArray();
    const double now = rx.clock().monotonicSeconds();
    for (int k = 1; k <= table.TargetCount(); ++k) {
        targets::WriteTargetJson(j, table.entry(table.DisplayOrder()[static_cast<size_t>(k)]), k, now);
    }
    j.endArray();
    j.key("counters");
    j.beginObject();
    for (const auto& c : counters(rx)) j.field(c.name, c.value);
    j.key("MessageTypeCount");
    j.beginObject();
    const input::ReceiverTotals totals = rx.totals();
    for (int t = 0; t < 64; ++t) {
        const int64_t n = totals.MessageTypeCount[static_cast<size_t>(t)];
        if (n) j.field(std::to_string(t), n);
    }
    j.endObject();
    j.endObject();
    j.endObject();
    text.append(out.view());
    text += "\n";
}

}  // namespace

void PrintReplayText(const app::Receiver& rx, std::string& out) { printText(rx, out); }
void PrintReplayCsv(const app::Receiver& rx, std::string& out) { printCsv(rx, out); }
void PrintReplayJson(const app::Receiver& rx, std::string& out) { printJson(rx, out); }

}  // namespace cli
