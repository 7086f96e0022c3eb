// The simulator's binary applications (types 6 and 8): one writer for all,
// and the contents of each application, filled by a function of its own.
#include <algorithm>
#include <array>
#include <cmath>

#include "ais/binary_encoder.h"
#include "cli/sim/simulator.h"

namespace sim {
namespace {

constexpr std::array<const char*, 4> kDangerousGoods{"GASOLINE", "CRUDE OIL", "AMMONIA", "METHANOL"};
constexpr std::array<const char*, 4> kImdClass{"3", "3", "2.3", "3"};
constexpr std::array<int16_t, 4> kUnNumbers{1203, 1267, 1005, 1230};

}  // namespace

// The application of the task's row, to the addressee (and booking its
// acknowledgement) or to all.
void Simulator::binary(const Job& j, Emission& out) {
    const TaskRow& task = row(j.task);
    const int standard = options_.standard;
    const bool addressed = task.addressing == Addressing::Addressed ||
                           (task.addressing == Addressing::Either && rng_.chance(0.5));
    ais::BinaryMessage& m = addressed ? out.truth.Type6 : out.truth.Type8;
    m = {};
    m.MessageID = static_cast<int16_t>(addressed ? 6 : 8);
    m.MMSI = j.sender.mmsi;
    m.DestinationMMSI = addressed && j.to >= 0 ? scenario_.stations[static_cast<size_t>(j.to)].mmsi : 0;
    m.DAC = 1;
    (this->*task.fill)(m, j.sender, utcAt(j.t));
    m.DAC = static_cast<int16_t>(ais::BinaryAppDAC(task.app));
    m.FI = static_cast<int16_t>(ais::BinaryAppFI(task.app, standard));
    const auto payload = ais::EncodeBinaryMessage(m, standard);
    if (!payload) return;
    out.messageType = m.MessageID;
    send(payload->Payload, payload->FillBits, out);
    if (addressed && j.to >= 0)  // binary acknowledgement
        schedule(j.t + rng_.uniform(1, 4), j.to, Task::Ack7, j.from);
}

// Weather and sea from a station measuring the surface current only.
void Simulator::fillMetHydro(ais::BinaryMessage& m, const Station& from, const base::CalendarTime& c) {
    auto& h = m.MetHydro;
    h.MetLatitude = from.pos.lat;
    h.MetLongitude = from.pos.lon;
    h.MetDay = static_cast<int16_t>(c.day);
    h.MetHour = static_cast<int16_t>(c.hour);
    h.MetMinute = static_cast<int16_t>(c.minute);
    h.AvgWindSpeed = static_cast<int16_t>(rng_.range(2, 35));
    h.WindGust = static_cast<int16_t>(h.AvgWindSpeed + rng_.range(0, 12));
    h.WindDirection = static_cast<int16_t>(rng_.range(180, 300));
    h.WindGustDirection = static_cast<int16_t>(h.WindDirection + rng_.range(-10, 10));
    h.AirTemperature = static_cast<float>(rng_.range(-50, 250)) / 10.0f;
    h.RelativeHumidity = static_cast<int16_t>(rng_.range(55, 100));
    h.DewPoint = h.AirTemperature - static_cast<float>(rng_.range(5, 60)) / 10.0f;
    h.AirPressure = static_cast<int16_t>(rng_.range(975, 1035));
    h.AirPressureTendency = static_cast<int16_t>(rng_.range(0, 2));
    h.HorizontalVisibility = static_cast<float>(rng_.range(5, 150)) / 10.0f;
    h.WaterLevel = static_cast<float>(rng_.range(-20, 25)) / 10.0f;
    h.WaterLevelTrend = static_cast<int16_t>(rng_.range(0, 2));
    h.SurfaceCurrentSpeed = static_cast<float>(rng_.range(0, 30)) / 10.0f;
    h.SurfaceCurrentDirection = static_cast<int16_t>(rng_.range(0, 359));
    // Only the surface current is measured at this station.
    h.CurrentSpeed2 = h.CurrentSpeed3 = static_cast<float>(base::kNotAvailable);
    h.CurrentDirection2 = h.CurrentDirection3 = static_cast<int16_t>(base::kNotAvailable);
    h.CurrentLevel2 = h.CurrentLevel3 = static_cast<int16_t>(base::kNotAvailable);
    h.WaveHeight = static_cast<float>(rng_.range(2, 45)) / 10.0f;
    h.WavePeriod = static_cast<int16_t>(rng_.range(3, 12));
    h.WaveDirection = static_cast<int16_t>(rng_.range(180, 300));
    h.SwellHeight = static_cast<float>(rng_.range(0, 30)) / 10.0f;
    h.SwellPeriod = static_cast<int16_t>(rng_.range(6, 16));
    h.SwellDirection = static_cast<int16_t>(rng_.range(200, 330));
    h.SeaState = static_cast<int16_t>(rng_.range(1, 6));
    h.WaterTemperature = static_cast<float>(rng_.range(40, 190)) / 10.0f;
    h.Precipitation = static_cast<int16_t>(rng_.range(0, 3));
    h.Salinity = static_cast<float>(rng_.range(300, 350)) / 10.0f;
    h.Ice = 0;
}

// The fairway closed for some hours today.
void Simulator::fillFairwayClosed(ais::BinaryMessage& m, const Station&, const base::CalendarTime& c) {
    auto& f = m.FairwayClosed;
    f.ClosingReason = rng_.chance(0.5) ? "DIVING OPERATIONS" : "SUNKEN CONTAINER";
    f.ClosingFrom = "FAIRWAY BUOY 2";
    f.ClosingTo = "FAIRWAY BUOY 4";
    f.ClosingRadius = static_cast<int16_t>(rng_.range(1, 10));
    f.ClosingRadiusUnit = 3;
    f.ClosedFromDay = static_cast<int16_t>(c.day);
    f.ClosedFromMonth = static_cast<int16_t>(c.month);
    f.ClosedFromHour = static_cast<int16_t>(c.hour);
    f.ClosedFromMinute = 0;
    f.ClosedToDay = static_cast<int16_t>(c.day);
    f.ClosedToMonth = static_cast<int16_t>(c.month);
    f.ClosedToHour = static_cast<int16_t>(std::min(23, c.hour + 3));
    f.ClosedToMinute = 30;
}

// The dangerous cargo of a tanker, its last and next port.
void Simulator::fillDangerousCargo(ais::BinaryMessage& m, const Station&, const base::CalendarTime& c) {
    auto& d = m.DangerousCargo;
    const size_t k = static_cast<size_t>(rng_.range(0, kDangerousGoods.size() - 1));
    d.LastPortOfCall = "NOOSL";
    d.ATDMonth = static_cast<int16_t>(c.month);
    d.ATDDay = static_cast<int16_t>(std::max(1, c.day - 2));
    d.ATDHour = 6;
    d.ATDMinute = 30;
    d.NextPortOfCall = "NLRTM";
    d.ETAMonth = static_cast<int16_t>(c.month);
    d.ETADay = static_cast<int16_t>(c.day);
    d.ETAHour = static_cast<int16_t>(std::min(23, c.hour + 2));
    d.ETAMinute = 0;
    d.MainDangerousGood = kDangerousGoods[k];
    d.IMDCategory = kImdClass[k];
    d.UNNumber = kUnNumbers[k];
    d.CargoAmount = static_cast<int16_t>(rng_.range(10, 1000));
    d.CargoUnit = 2;
}

// Three tidal windows at points east of the centre.
void Simulator::fillTidalWindow(ais::BinaryMessage& m, const Station&, const base::CalendarTime& c) {
    auto& w = m.TidalWindow;
    w.TideMonth = static_cast<int16_t>(c.month);
    w.TideDay = static_cast<int16_t>(c.day);
    for (int i = 0; i < 3; ++i) {
        const GeoPoint p = DirectGeodesic(scenario_.centre, 90, 0.1 * scenario_.radiusM * (i + 1)).end;
        auto& en = w.Entry[static_cast<size_t>(i)];
        en.TideLatitude = p.lat;
        en.TideLongitude = p.lon;
        en.TideFromHour = static_cast<int16_t>((c.hour + 1 + i) % 24);
        en.TideFromMinute = 0;
        en.TideToHour = static_cast<int16_t>((c.hour + 3 + i) % 24);
        en.TideToMinute = 30;
        en.TideCurrentDirection = static_cast<int16_t>(rng_.range(0, 359));
        en.TideCurrentSpeed = static_cast<float>(rng_.range(0, 40)) / 10.0f;
    }
}

// The air draught of a ship.
void Simulator::fillHeightOverKeel(ais::BinaryMessage& m, const Station&, const base::CalendarTime&) {
    m.HeightOverKeel = static_cast<float>(rng_.range(250, 650)) / 10.0f;
}

// The persons on board of a ship.
void Simulator::fillPersonsOnBoard(ais::BinaryMessage& m, const Station&, const base::CalendarTime&) {
    m.PassengersOnboard = static_cast<int16_t>(rng_.range(12, 2400));
}

// Weather from a tide gauge with a current meter at two depths and no wave sensor.
void Simulator::fillMetHydro289(ais::BinaryMessage& m, const Station& from, const base::CalendarTime& c) {
    auto& h = m.MetHydro;
    h.MetLatitude = from.pos.lat;
    h.MetLongitude = from.pos.lon;
    h.MetPosAccuracy = 1;
    h.MetDay = static_cast<int16_t>(c.day);
    h.MetHour = static_cast<int16_t>(c.hour);
    h.MetMinute = static_cast<int16_t>(c.minute);
    h.AvgWindSpeed = static_cast<int16_t>(rng_.range(2, 35));
    h.WindGust = static_cast<int16_t>(h.AvgWindSpeed + rng_.range(0, 12));
    h.WindDirection = static_cast<int16_t>(rng_.range(180, 300));
    h.WindGustDirection = h.WindDirection;
    h.AirTemperature = static_cast<float>(rng_.range(-50, 250)) / 10.0f;
    h.RelativeHumidity = static_cast<int16_t>(rng_.range(55, 100));
    h.DewPoint = h.AirTemperature - static_cast<float>(rng_.range(5, 60)) / 10.0f;
    h.AirPressure = static_cast<int16_t>(rng_.range(975, 1035));
    h.AirPressureTendency = static_cast<int16_t>(rng_.range(0, 2));
    h.HorizontalVisibility = static_cast<float>(rng_.range(5, 126)) / 10.0f;
    h.VisibilityGreaterThan = h.HorizontalVisibility > 12.0f ? 1 : 0;
    h.WaterLevel = static_cast<float>(rng_.range(-150, 250)) / 100.0f;
    h.WaterLevelTrend = static_cast<int16_t>(rng_.range(0, 2));
    h.SurfaceCurrentSpeed = static_cast<float>(rng_.range(0, 30)) / 10.0f;
    h.SurfaceCurrentDirection = static_cast<int16_t>(rng_.range(0, 359));
    // A tide gauge with a current meter at two depths and no wave sensor.
    h.CurrentSpeed2 = static_cast<float>(rng_.range(0, 20)) / 10.0f;
    h.CurrentDirection2 = static_cast<int16_t>(rng_.range(0, 359));
    h.CurrentLevel2 = 5;
    h.CurrentSpeed3 = static_cast<float>(base::kNotAvailable);
    h.CurrentDirection3 = h.CurrentLevel3 = static_cast<int16_t>(base::kNotAvailable);
    h.WaveHeight = h.SwellHeight = static_cast<float>(base::kNotAvailable);
    h.WavePeriod = h.WaveDirection = h.SwellPeriod = h.SwellDirection = h.SeaState =
        static_cast<int16_t>(base::kNotAvailable);
    h.WaterTemperature = static_cast<float>(rng_.range(40, 190)) / 10.0f;
    h.Precipitation = static_cast<int16_t>(rng_.range(1, 5));
    h.Salinity = static_cast<float>(base::kNotAvailable);
    h.Ice = 0;
}

// A notice for a circle around a point of the approaches, with a text.
void Simulator::fillAreaNotice(ais::BinaryMessage& m, const Station&, const base::CalendarTime& c) {
    auto& a = m.AreaNotice;
    a.LinkageID = static_cast<int16_t>(rng_.range(1, 1023));
    a.NoticeDescription = static_cast<int16_t>(rng_.chance(0.5) ? 12 : 35);  // dredging, entry prohibited
    a.StartMonth = static_cast<int16_t>(c.month);
    a.StartDay = static_cast<int16_t>(c.day);
    a.StartHour = static_cast<int16_t>(c.hour);
    a.StartMinute = 0;
    a.Duration = 60 * rng_.range(1, 48);
    // A circle around a point of the approaches, and a text.
    const GeoPoint p = DirectGeodesic(scenario_.centre, rng_.uniform(0, 360), 0.3 * scenario_.radiusM).end;
    a.SubAreaCount = 2;
    auto& circle = a.SubAreas[0];
    circle.AreaShape = 0;
    circle.ScaleFactor = 1;
    circle.Longitude = std::round(p.lon * 60000.0) / 60000.0;
    circle.Latitude = std::round(p.lat * 60000.0) / 60000.0;
    circle.Precision = 4;
    circle.Radius = 10 * rng_.range(20, 300);
    auto& text = a.SubAreas[1];
    text.AreaShape = 5;
    text.Text = a.NoticeDescription == 12 ? "DREDGER AT WORK" : "NO ENTRY";
}

// Extended static and voyage data of a ship.
void Simulator::fillExtendedStatic(ais::BinaryMessage& m, const Station&, const base::CalendarTime&) {
    auto& x = m.ExtendedShipStatic;
    x.LinkageID = static_cast<int16_t>(rng_.range(1, 1023));
    x.AirDraught = static_cast<float>(rng_.range(150, 600)) / 10.0f;
    x.LastPortOfCall = "NOOSL";
    x.NextPortOfCall = "NLRTM";
    x.SecondPortOfCall = "DEHAM";
    for (auto& item : x.SOLASStatus) item = static_cast<int16_t>(rng_.range(1, 2));
    x.IceClass = 15;
    x.ShaftHorsePower = rng_.range(2000, 60000);
    x.VHFWorkingChannel = 16;
    x.LloydsShipType = "A13B2TP";
    x.GrossTonnage = rng_.range(1000, 200000);
    x.LadenOrBallast = static_cast<int16_t>(rng_.range(1, 2));
    x.HeavyFuelOil = 1;
    x.LightFuelOil = 2;
    x.Diesel = 1;
    x.BunkerOil = static_cast<int16_t>(rng_.range(100, 5000));
    x.PersonsOnBoard = static_cast<int16_t>(rng_.range(12, 40));
}

// Inland waterway static data of a ship.
void Simulator::fillInlandStatic(ais::BinaryMessage& m, const Station& from, const base::CalendarTime&) {
    auto& i = m.InlandStatic;
    i.ENINumber = std::to_string(23000000 + from.mmsi % 1000000);
    i.Length = static_cast<float>(std::max(10, from.dimA + from.dimB));
    i.Beam = static_cast<float>(std::max(3, from.dimC + from.dimD));
    i.ERIShipType = static_cast<int16_t>(rng_.chance(0.5) ? 8010 : 8030);
    i.HazardousCargo = static_cast<int16_t>(rng_.range(0, 5));
    i.Draught = static_cast<float>(rng_.range(150, 400)) / 100.0f;
    i.Loaded = static_cast<int16_t>(rng_.range(1, 2));
    i.SpeedQuality = i.CourseQuality = i.HeadingQuality = 0;
}

}  // namespace sim
