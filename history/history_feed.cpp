#include "history/history_feed.h"

#include <cmath>

#include "ais/message_fields_walk.h"
#include "ais/message_json.h"
#include "base/json_writer.h"
#include "base/number_format.h"
#include "sentence/tag_block.h"

namespace history {
namespace {

constexpr TimeMs kSeedWindow = 24 * 3600 * 1000;
constexpr size_t kGatherRows = 256;  // rows handed to the writer at most at once

// -9999 is the decoder's mark for "not available": such a value is left
// out (its bit in `known` stays clear).
template <typename T>
void SetIfAvailable(double v, T& to, uint8_t& known, QueuedPosition::Known bit) {
    if (v == base::kNotAvailable || !std::isfinite(v)) return;
    to = static_cast<T>(v);
    known |= bit;
}

// Six-bit text keeps the padding '@' and blanks it was sent with.
std::string Trimmed(std::string_view s) {
    while (!s.empty() && (s.back() == '@' || s.back() == ' ')) s.remove_suffix(1);
    return std::string(s);
}

StationClass ClassOf(int type, const targets::TargetRecord* entry) {
    if (entry) {
        switch (entry->Class) {
            case targets::TargetClass::A: return StationClass::ClassA;
            case targets::TargetClass::B: return StationClass::ClassB;
            case targets::TargetClass::BS: return StationClass::BaseStation;
            case targets::TargetClass::AtoN: return StationClass::AidToNavigation;
            case targets::TargetClass::SAR: return StationClass::SarAircraft;
            case targets::TargetClass::Unknown: break;
        }
    }
    switch (type) {
        case 1: case 2: case 3: case 5: return StationClass::ClassA;
        case 18: case 19: case 24: return StationClass::ClassB;
        case 4: return StationClass::BaseStation;
        case 9: return StationClass::SarAircraft;
        case 21: return StationClass::AidToNavigation;
        default: return StationClass::Unknown;
    }
}

template <typename R>
void SetFix(QueuedPosition& row, const R& r) {
    row.mmsi = r.MMSI;
    row.latitude = r.Latitude;
    row.longitude = r.Longitude;
}

// Fills `row` with the position of a position report; false for other
// types and for a report without a position. The fields a type does not carry
// are left as they are: the caller starts from a row without them.
bool PositionOf(int type, const ais::AISMessageRecord& rec, QueuedPosition& row) {
    using K = QueuedPosition;
    row.type = static_cast<uint8_t>(type);
    if (const ais::PositionReport* p = rec.positionReport(type)) {
        SetFix(row, *p);
        SetIfAvailable(p->SOG, row.sog, row.known, K::kSog);
        SetIfAvailable(p->COG, row.cog, row.known, K::kCog);
        SetIfAvailable(p->TrueHeading, row.heading, row.known, K::kHeading);
        row.navStatus = static_cast<int16_t>(p->NavStatus);
        row.known |= K::kNavStatus;
    } else if (type == 4) {
        SetFix(row, rec.Type4);
    } else if (type == 9) {
        SetFix(row, rec.Type9);
        SetIfAvailable(rec.Type9.SOG, row.sog, row.known, K::kSog);
        SetIfAvailable(rec.Type9.COG, row.cog, row.known, K::kCog);
    } else if (type == 18 || type == 19) {
        const auto& b = type == 18 ? static_cast<const ais::Motion&>(rec.Type18) : rec.Type19;
        if (type == 18) SetFix(row, rec.Type18); else SetFix(row, rec.Type19);
        SetIfAvailable(b.SOG, row.sog, row.known, K::kSog);
        SetIfAvailable(b.COG, row.cog, row.known, K::kCog);
        SetIfAvailable(type == 18 ? rec.Type18.TrueHeading : rec.Type19.TrueHeading, row.heading, row.known,
                       K::kHeading);
    } else if (type == 21) {
        SetFix(row, rec.Type21);
    } else if (type == 27) {
        SetFix(row, rec.Type27);
        SetIfAvailable(rec.Type27.SOG, row.sog, row.known, K::kSog);
        SetIfAvailable(rec.Type27.COG, row.cog, row.known, K::kCog);
        row.navStatus = static_cast<int16_t>(rec.Type27.NavStatus);
        row.known |= K::kNavStatus;
    } else {
        return false;
    }
    return std::fabs(row.latitude) <= 90 && std::fabs(row.longitude) <= 180;
}

template <typename D>
void SetDimensions(StaticRow& s, const D& d) {
    s.dimA = d.DimA;
    s.dimB = d.DimB;
    s.dimC = d.DimC;
    s.dimD = d.DimD;
}

// The fields a static report carries; nullopt for other types.
std::optional<StaticRow> StaticOf(int type, const ais::AISMessageRecord& rec) {
    StaticRow s;
    s.type = static_cast<uint8_t>(type);
    if (type == 5) {
        const auto& v = rec.Type5;
        s.mmsi = v.MMSI;
        s.name = Trimmed(v.Name);
        s.callSign = Trimmed(v.CallSign);
        if (v.IMONumber != 0) s.imo = v.IMONumber;
        if (v.ShipType != 0) s.shipType = v.ShipType;
        SetDimensions(s, v);
        if (v.Draught > 0) s.draught = v.Draught;
        s.destination = Trimmed(v.Destination);
        if (!v.ETA.isNull()) s.eta = v.ETA.format("MM-dd hh:mm");
    } else if (type == 19) {
        s.mmsi = rec.Type19.MMSI;
        s.name = Trimmed(rec.Type19.Name);
        if (rec.Type19.ShipType != 0) s.shipType = rec.Type19.ShipType;
        SetDimensions(s, rec.Type19);
    } else if (type == 21) {
        s.mmsi = rec.Type21.MMSI;
        s.name = Trimmed(Trimmed(rec.Type21.Name) + rec.Type21.NameExtension);
        SetDimensions(s, rec.Type21);
    } else if (type == 24) {
        const auto& r = rec.Type24;
        s.mmsi = r.MMSI;
        if (r.PartNumber == 0) {
            s.name = Trimmed(r.Name);
        } else {
            s.callSign = Trimmed(r.CallSign);
            if (r.ShipType != 0) s.shipType = r.ShipType;
            SetDimensions(s, r);
        }
    } else {
        return std::nullopt;
    }
    return s;
}

bool IsStatic(int type) { return type == 5 || type == 19 || type == 21 || type == 24; }

bool IsTextOrBinary(int type) {
    return type == 6 || type == 8 || type == 12 || type == 14 || type == 25 || type == 26;
}

int32_t SenderOf(int type, const ais::AISMessageRecord& rec) {
    switch (type) {
        case 6: return rec.Type6.MMSI;
        case 8: return rec.Type8.MMSI;
        case 12: return rec.Type12.MMSI;
        case 14: return rec.Type14.MMSI;
        case 25: return rec.Type25.MMSI;
        case 26: return rec.Type26.MMSI;
        default: return 0;
    }
}

}  // namespace

HistoryFeed::HistoryFeed(HistoryWriter& writer, const base::Clock& clock, base::MessageSink* notices)
    : writer_(writer), clock_(clock), notices_(notices) {
    writer_.sieve(ThinningRule());
}

void HistoryFeed::seed(HistoryStore& store) {
    const TimeMs now = clock_.utcMilliseconds();
    std::vector<StaticRow> known;
    for (SituationEntry& e : store.situation(now, kSeedWindow)) {
        if (e.statics) known.push_back(std::move(*e.statics));
    }
    writer_.seed(std::move(known), now);
}

void HistoryFeed::take(int type, const ais::AISMessageRecord& record, const FeedOrigin& origin,
                       const targets::TargetRecord* entry) {
    const TimeMs time = origin.tagTime >= 0 ? std::llround(input::TagSeconds(origin.tagTime) * 1000.0)
                                           : clock_.utcMilliseconds();
    QueuedPosition p;
    if (PositionOf(type, record, p)) {
        p.time = time;
        p.input = static_cast<int16_t>(origin.input);  // its source goes to the writer apart
        p.stationClass = ClassOf(type, entry);
        gathered_.add(p, origin.source);
        if (gathered_.size() >= kGatherRows) flush();
    }
    if (IsStatic(type) || IsTextOrBinary(type)) takeStaticOrMessage(type, record, time, origin);
    if (writer_.hasNotices()) passNotices();  // the check inline: it runs for every message
}

void HistoryFeed::takeStaticOrMessage(int type, const ais::AISMessageRecord& record, TimeMs time,
                                      const FeedOrigin& origin) {
    // Gathered with the positions: a static row keeps its place among them.
    const auto stamp = [&](auto& row) {
        row.time = time;
        row.input = static_cast<int16_t>(origin.input);
        row.source.assign(origin.source);
    };
    if (IsStatic(type)) {
        if (auto s = StaticOf(type, record)) {
            stamp(*s);
            gathered_.add(std::move(*s));
        }
    } else {
        MessageRow m;
        stamp(m);
        m.type = static_cast<uint8_t>(type);
        m.mmsi = SenderOf(type, record);
        takeMessage(type, record, std::move(m));
    }
    if (gathered_.size() >= kGatherRows) flush();
}

void HistoryFeed::flush() {
    writer_.add(gathered_);
}

void HistoryFeed::takeMessage(int type, const ais::AISMessageRecord& record, MessageRow row) {
    base::OutputBuffer out;
    {
        base::JsonObjectWriter json(out);
        ais::JsonFields visitor(json);
        if (!ais::VisitDecodedFieldsWith(record, type, visitor, false)) return;
        json.end();
    }
    row.json.assign(out.view());
    gathered_.add(std::move(row));
}

void HistoryFeed::passNotices() {
    for (const std::string& text : writer_.takeNotices()) {
        // The writer's texts name the history themselves ("History paused: ...").
        if (notices_) notices_->operatorMessage(base::MessageIcon::Exclamation, "", text);
    }
}

}  // namespace history
