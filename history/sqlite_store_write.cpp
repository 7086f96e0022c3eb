#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <utility>

#include "history/sqlite_store_connection.h"

namespace history {

using sqlite::Statement;

namespace {

// Sorts keys (station << 32 | row) by station, rows of a station kept in
// their order: three passes of a stable counting sort on 11 bits each. (A
// comparison sort of a batch's rows took a fifth of the writer's work.)
void SortByStation(base::BigVector<uint64_t>& keys, base::BigVector<uint64_t>& scratch) {
    constexpr int kBits = 11;
    constexpr size_t kBuckets = size_t{1} << kBits;
    scratch.resize(keys.size());
    for (int shift = 32; shift < 64; shift += kBits) {
        std::array<uint32_t, kBuckets> start{};
        for (const uint64_t k : keys) ++start[(k >> shift) & (kBuckets - 1)];
        uint32_t at = 0;
        for (uint32_t& s : start) at += std::exchange(s, at);
        for (const uint64_t k : keys) scratch[start[(k >> shift) & (kBuckets - 1)]++] = k;
        keys.swap(scratch);
    }
}

}  // namespace

Status SqliteStore::append(const Batch& batch) { return appendAll(batch, nullptr); }

Status SqliteStore::appendQueued(const QueuedPositions& positions, const Batch& rest) {
    return appendAll(rest, &positions);
}

Status SqliteStore::appendAll(const Batch& batch, const QueuedPositions* queued) {
    if (batch.empty() && (!queued || queued->rows.empty())) return {};
    if (!run(kBegin, "cannot begin a transaction")) return {lastError_};
    Status s = appendRows(batch, queued);
    if (s.ok() && !run(kCommit, "cannot commit")) s = {lastError_};
    if (!s.ok()) {
        const std::string error = lastError_;
        st(kRollback).step();  // may fail when SQLite already rolled back; the batch is gone either way
        lastError_ = error;
        // Sources and blocks added in the batch went with it.
        sourceIds_.clear();
        sources_.clear();
        lastSource_.reset();
        open_.clear();
        stationWritten_.clear();
    }
    return s;
}

Status SqliteStore::appendRows(const Batch& batch, const QueuedPositions* queued) {
    // The stations table gets one update per station and batch: its latest position and its names.
    struct Latest {
        TimeMs otherTime = std::numeric_limits<TimeMs>::min();  // of statics and messages
        std::optional<std::pair<double, double>> position;
        TimeMs positionTime = std::numeric_limits<TimeMs>::min();
        std::string name, callSign;
    };
    std::unordered_map<int32_t, Latest> latest;
    if (Status s = appendPositions(batch.positions, queued); !s.ok()) return s;
    const auto newest = [&](const auto& p) {
        Latest& l = latest[p.mmsi];
        l.positionTime = p.time;
        l.position = std::pair(p.latitude, p.longitude);
    };
    for (const uint32_t k : newest_) {
        if (k < batch.positions.size()) newest(batch.positions[k]);
        else newest(queued->rows[k - batch.positions.size()]);
    }
    for (const StaticRow& r : batch.statics) {
        Statement& s = st(kInsertStatic);
        s.bind(r.time).bind(int64_t{r.mmsi}).bind(int64_t{r.input}).bind(r.source).bind(int64_t{r.type});
        s.bind(r.name).bind(r.callSign).bind(r.imo).bind(r.shipType);
        s.bind(r.dimA).bind(r.dimB).bind(r.dimC).bind(r.dimD).bind(r.draught).bind(r.destination).bind(r.eta);
        if (s.step() != SQLITE_DONE) return fail("cannot store static data");
        Latest& l = latest[r.mmsi];
        l.otherTime = std::max(l.otherTime, r.time);
        if (!r.name.empty()) l.name = r.name;
        if (!r.callSign.empty()) l.callSign = r.callSign;
    }
    for (const MessageRow& m : batch.messages) {
        Statement& s = st(kInsertMessage);
        s.bind(m.time).bind(int64_t{m.mmsi}).bind(int64_t{m.input}).bind(m.source).bind(int64_t{m.type}).bind(m.json);
        if (s.step() != SQLITE_DONE) return fail("cannot store a message");
        Latest& l = latest[m.mmsi];
        l.otherTime = std::max(l.otherTime, m.time);
    }
    for (const auto& [mmsi, l] : latest) {
        // The position first, so names or messages heard later in the batch
        // move the last-heard time on without losing where it was.
        if (l.position && stationRowDue(mmsi, l.positionTime)) {
            // Mostly a station already known with an older position: one
            // plain update; else (new, or a newer time stored) the upsert.
            Statement& u = st(kStationMoved);
            u.bind(int64_t{mmsi}).bind(l.positionTime).bind(l.position->first).bind(l.position->second);
            if (u.step() != SQLITE_DONE) return fail("cannot update the station list");
            if (sqlite3_changes(db_) == 0) {
                Statement& s = st(kStation);
                s.bind(int64_t{mmsi}).bind(l.positionTime).bind(l.position->first).bind(l.position->second);
                s.bind(std::string_view()).bind(std::string_view());
                if (s.step() != SQLITE_DONE) return fail("cannot update the station list");
            }
        }
        if (l.otherTime != std::numeric_limits<TimeMs>::min()) {
            Statement& s = st(kStation);
            s.bind(int64_t{mmsi}).bind(l.otherTime).bind(std::optional<double>()).bind(std::optional<double>());
            s.bind(l.name).bind(l.callSign);
            if (s.step() != SQLITE_DONE) return fail("cannot update the station list");
        }
    }
    return {};
}

Status SqliteStore::appendPositions(const std::vector<PositionRow>& positions, const QueuedPositions* queued) {
    // Each row packed in one pass in the order it came (the rows are large;
    // read out of order they would miss the cache every time), then sorted
    // station by station in time order; the index breaks ties, so reports
    // with the same time keep the order they came in.
    base::BigVector<PackedRow>& rows = packed_;  // kept: a batch's worth of room is not asked for again
    rows.clear();
    rows.reserve(positions.size() + (queued ? queued->rows.size() : 0));
    TimeMs latest = std::numeric_limits<TimeMs>::min();
    // p with the id of its input and source.
    const auto pack = [&](const auto& p, int64_t id) -> Status {
        PackedRow r{p.mmsi, static_cast<uint32_t>(rows.size()), {p.time, 0, 0}};
        if (!sqlite::PackPlace(p.latitude, p.longitude, r.p.place)) {
            lastError_ = "cannot store a position: " + std::to_string(p.latitude) + ", " + std::to_string(p.longitude) +
                         " is not a position on the earth";
            return {lastError_};
        }
        r.p.info = sqlite::PackInfo(p, id);
        latest = std::max(latest, p.time);
        rows.push_back(r);
        return {};
    };
    for (const PositionRow& p : positions) {
        const int64_t id = sourceId(p.input, p.source);
        if (id < 0) return fail("cannot store the input of a position");
        if (Status s = pack(p, id); !s.ok()) return s;
    }
    if (queued) {
        // Nearly every row names the input and source of the one before.
        int64_t lastId = -1;
        int16_t lastInput = 0;
        uint32_t lastSource = 0;
        for (const QueuedPosition& q : queued->rows) {
            if (lastId < 0 || q.input != lastInput || q.source != lastSource) {
                lastId = sourceId(q.input, queued->sources[q.source]);
                if (lastId < 0) return fail("cannot store the input of a position");
                lastInput = q.input;
                lastSource = q.source;
            }
            if (Status s = pack(q, lastId); !s.ok()) return s;
        }
    }
    // Station by station (a sort of plain numbers: MMSI, then the row's
    // place); a station's rows mostly came in time order, else its run is
    // put in order.
    base::BigVector<uint64_t>& order = order_;
    order.clear();
    for (const PackedRow& r : rows) order.push_back(uint64_t{static_cast<uint32_t>(r.mmsi)} << 32 | r.index);
    SortByStation(order, orderScratch_);
    // The rows in that order, gathered in one pass: every later pass reads
    // them one after the other (read through `order`, each would miss the cache).
    base::BigVector<PackedRow>& sorted = sorted_;
    sorted.resize(order.size());
    for (size_t k = 0; k < order.size(); ++k) sorted[k] = rows[static_cast<uint32_t>(order[k])];
    for (size_t begin = 0, end; begin < sorted.size(); begin = end) {
        bool inOrder = true;
        for (end = begin + 1; end < sorted.size() && sorted[end].mmsi == sorted[begin].mmsi; ++end) {
            if (sorted[end].p.time < sorted[end - 1].p.time) inOrder = false;
        }
        if (!inOrder) {
            std::stable_sort(sorted.begin() + static_cast<ptrdiff_t>(begin), sorted.begin() + static_cast<ptrdiff_t>(end),
                             [](const PackedRow& a, const PackedRow& b) { return a.p.time < b.p.time; });
        }
    }
    newest_.clear();
    OpenBlock* open = nullptr;
    for (size_t k = 0; k < sorted.size(); ++k) {
        const PackedRow& r = sorted[k];
        if (k == 0 || sorted[k - 1].mmsi != r.mmsi) open = &open_[r.mmsi];
        if (!open->block.fits(r.p)) {
            if (Status s = writeBlock(r.mmsi, *open); !s.ok()) return s;
            *open = OpenBlock();
        }
        open->block.add(r.p);
        // The last of a station's run, its latest position: its block is
        // written, and stays open for the next batch.
        if (k + 1 == sorted.size() || sorted[k + 1].mmsi != r.mmsi) {
            if (Status s = writeBlock(r.mmsi, *open); !s.ok()) return s;
            newest_.push_back(r.index);
        }
    }
    forgetOldStations(latest);
    return {};
}

Status SqliteStore::writeBlock(int32_t mmsi, OpenBlock& open) {
    const sqlite::BlockBuilder& b = open.block;
    if (open.stored) {
        Statement& s = st(kUpdateBlock);
        s.bind(b.last()).bindBlob(b.bytes()).bind(int64_t{mmsi}).bind(open.key);
        if (s.step() != SQLITE_DONE) return fail("cannot store positions");
        if (sqlite3_changes(db_) > 0) return {};
        // The row is gone (retention dropped it): written anew below.
    }
    const int64_t first = sqlite::TimeKey(b.first()), last = sqlite::TimeKey(b.first(), sqlite::kSeqPerMs - 1);
    for (int64_t key = first;;) {
        Statement& s = st(kInsertBlock);
        s.bind(int64_t{mmsi}).bind(key).bind(b.last()).bindBlob(b.bytes());
        if (s.step() == SQLITE_DONE) {
            open.key = key;
            open.stored = true;
            return {};
        }
        if (sqlite3_extended_errcode(db_) != SQLITE_CONSTRAINT_PRIMARYKEY || key != first)
            return fail("cannot store positions");
        // A block of this station starting in the same millisecond is stored: this one goes after it.
        Statement& q = st(kLastSeq);
        q.bind(int64_t{mmsi}).bind(first).bind(last);
        if (q.step() != SQLITE_ROW) return fail("cannot store positions");
        key = q.integer(0) + 1;
        q.reset();
        // More blocks starting in one millisecond than the key tells apart:
        // not a station's doing; the first 32 are kept.
        if (key > last) return {};
    }
}

bool SqliteStore::stationRowDue(int32_t mmsi, TimeMs time) {
    // Only once the position the row holds is kStationRowLagMs older
    // (lastSeen() reads the newest positions from the blocks): rewriting
    // every heard station's row in every batch was a quarter of the
    // writer's work.
    const auto [written, first] = stationWritten_.try_emplace(mmsi, time);
    if (!first && time < written->second + kStationRowLagMs) return false;
    written->second = time;
    return true;
}

void SqliteStore::forgetOldStations(TimeMs latest) {
    // A block that cannot reach the newest positions any more is not kept
    // open, nor the time of a station's row that old: memory stays bounded
    // however many stations come and go.
    if (open_.size() < 2 * openAfterSweep_ + 64) return;
    std::erase_if(open_, [&](const auto& kv) { return kv.second.block.first() < latest - sqlite::kBlockSpanMs; });
    openAfterSweep_ = open_.size();
    std::erase_if(stationWritten_, [&](const auto& kv) { return kv.second < latest - kStationRowLagMs; });
}

int64_t SqliteStore::sourceId(int16_t input, const std::string& source) {
    if (lastSource_ && lastSource_->first.first == input && lastSource_->first.second == source)
        return lastSource_->second;
    const auto key = std::pair(input, source);
    auto it = sourceIds_.find(key);
    if (it == sourceIds_.end()) {
        if (st(kInsertSource).bind(int64_t{input}).bind(source).step() != SQLITE_DONE) return -1;
        Statement& s = st(kSourceId);
        s.bind(int64_t{input}).bind(source);
        if (s.step() != SQLITE_ROW) return -1;
        const int64_t id = s.integer(0);
        s.reset();
        if (id > sqlite::kMaxSourceId) return -1;
        it = sourceIds_.emplace(key, id).first;
        sources_[id] = key;
    }
    lastSource_.emplace(key, it->second);
    return it->second;
}

}  // namespace history
