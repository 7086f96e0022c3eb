// The vessels of this run: the static data every class A and class B vessel
// sent while the program runs, kept when the lifecycle frees its entry (after
// long silence, or to make room for a newcomer), so that
//   - the ship database written at the end holds every vessel of the run, not
//     only those still in the table, and
//   - a vessel that comes back gets its last static data at once instead of
//     returning nameless until its next static report.
//
// The target table keeps the list (TargetTable::runVessels) and fills it as it
// frees entries; ShipDataOfRun gives what the ship database stores.
//
// A vessel's full static data is kept for a day after its entry was freed.
// Then it is retired: a program that stores the ship database while it runs
// takes the retired vessels and writes them (Receiver::keepShipData), others
// let them go, so a station that hears new vessels for weeks holds only those
// of the last day.
//
//   const auto items = targets::ShipDataOfRun(table, shipDatabase);
//   targets::StoreShipData(dataDir, items, messages);
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "ais/message_record.h"

namespace targets {

struct TargetRecord;
enum class TargetClass : uint8_t;
class TargetTable;
class ShipDatabase;
struct ShipDataItem;

// What a vessel told of itself: the fields of its static reports (5, 19, 24)
// and the name it shows.
struct VesselStatic {
    int32_t MMSI = 0;
    TargetClass Class{};
    uint32_t Arrival = 0;  // first-appearance number of the entry it was taken from
    ais::VesselId Id;
    std::string ReceivedName;
    ais::ShipKind Ship;
    ais::Dimensions Dim;
    ais::EPFD Epfd;
    ais::Voyage Voyage;
    std::string Name24;
    std::string VendorID24;
    std::string CallSign24;
    ais::ShipKind Ship24;
    ais::Dimensions Dim24;
    double KeptAt = 0;  // table clock (monotonic seconds) when its entry was freed
};

// A class A or B entry that sent static data in this run (a name, or any
// message 5, 19 or 24), or an entry of no class named by message 24 part A:
// worth keeping when its entry is freed.
bool HasRunStaticData(const TargetRecord& t);
VesselStatic TakeStatic(const TargetRecord& t);
// Gives a new entry of a returning vessel its static data back, without
// overwriting what the entry itself received already (a name or a part of
// message 24 heard before the entry got its class).
void GiveStatic(TargetRecord& t, const VesselStatic& v);

class RunVessels {
public:
    // How long a freed vessel's full static data waits for its return.
    static constexpr double kKeptFor = 24 * 3600.0;

    // Keeps (or refreshes) the static data of an entry about to be freed.
    void keep(const TargetRecord& t);
    // The vessel's last kept data, nullptr when none. Valid until the next keep.
    const VesselStatic* find(int32_t mmsi) const;
    size_t size() const { return byMMSI_.size(); }
    const std::unordered_map<int32_t, VesselStatic>& all() const { return byMMSI_; }

    // The table's clock at its ageing: vessels kept more than kKeptFor ago
    // are retired.
    void age(double monotonicNow);
    // Retired vessels that sent their name wait in retired() until taken.
    const std::vector<VesselStatic>& retired() const { return retired_; }
    std::vector<VesselStatic> takeRetired() { return std::exchange(retired_, {}); }

private:
    std::unordered_map<int32_t, VesselStatic> byMMSI_;
    struct Kept {
        int32_t mmsi;
        double at;
    };
    std::deque<Kept> order_;  // every keep, oldest first (a vessel kept again has a later one)
    std::vector<VesselStatic> retired_;
    double now_ = 0;
};

// Items for the ship database, in order of first appearance: the vessels'
// fields, and what the database knew where the run heard nothing.
std::vector<ShipDataItem> ShipDataOf(std::vector<const VesselStatic*> vessels, const ShipDatabase& known);

// Vessels (class A, B, or not yet known but named by message 24) that sent
// their name in this run, those still in the table and those whose entries
// were freed (also retired ones not taken yet), in order of first appearance; the data in the table is the
// newer. Fields the run did not hear keep what the ship database knew. What
// SaveShipData stores of the run.
std::vector<ShipDataItem> ShipDataOfRun(const TargetTable& table, const ShipDatabase& known);

}  // namespace targets
