// Binary messages (types 6 and 8): the addressed/broadcast header, the text of
// FI 0, and the application messages of both numbering standards, and the
// IMO SN.1/Circ.289 and inland applications that replaced them in real traffic.
//
// The older applications are chosen by the function identifier (FI) alone;
// the designated area code (DAC) is read but not tested. Two numberings are
// known:
//
//   application                   standard 0 (IMO SN/Circ.236)   other (IALA proposal)
//   six-bit text                  FI 0                           FI 0
//   FI interrogation (type 6)     FI 2                           FI 2
//   meteorological/hydrological   FI 11                          FI 32
//   dangerous cargo               FI 12                          FI 5
//   fairway closed                FI 13                          FI 20
//   tidal window                  FI 14                          FI 33
//   height over keel              FI 15                          FI 19
//   persons on board              FI 16                          FI 40
//
// The newer applications are chosen by DAC and FI together, whatever the
// standard:
//
//   meteorological and hydrographic (IMO SN.1/Circ.289)   DAC 1    FI 31
//   area notice                                           DAC 1    FI 22
//   extended ship static and voyage related data          DAC 1    FI 24
//   inland ship static and voyage related data            DAC 200  FI 10
//
// Any other FI (and FI 2 in a broadcast) leaves every application field alone and
// puts a notice into Description that names the FI and suggests the other standard.
//
//   BinaryMessage rec;
//   BinaryApp app = DecodeBinaryMessage(PayloadBits(payload), fillBits, 0, now, rec);
//   if (app == BinaryApp::MetHydro) show(rec.MetHydro.AirTemperature);   // -9999 = n/a
//
// A decoder writes the header (MessageID, RepeatIndicator, MMSI, DestinationMMSI
// for type 6, DAC, FI), Description, Application, its own application fields
// and TimeReceived; the fields of other applications keep what earlier messages left.
// Short messages read zeros (blanks in texts) for the missing bits; nothing is
// rejected and nothing is read outside the bit buffer.
#pragma once

#include <array>
#include <concepts>
#include <cstdint>
#include <string>

#include "ais/payload_bits.h"
#include "base/date_time.h"

namespace ais {

// Meteorological and hydrological data, of both the older layout and the
// IMO SN.1/Circ.289 one (which adds MetPosAccuracy and VisibilityGreaterThan,
// sends the pressure from 799 hPa and the water level in centimetres). -9999
// marks a value sent as "not available" (all ones in the older layout, each
// field's own code in the newer); scaled fields then keep -9999 unscaled.
struct MetHydroData {
    double MetLatitude = 0;   // degrees, north positive
    double MetLongitude = 0;  // degrees, east positive
    int16_t MetPosAccuracy = 0;  // newer layout: 1 high, 0 low
    int16_t MetDay = 0;       // UTC
    int16_t MetHour = 0;
    int16_t MetMinute = 0;
    int16_t AvgWindSpeed = 0;       // knots
    int16_t WindGust = 0;           // knots
    int16_t WindDirection = 0;      // degrees
    int16_t WindGustDirection = 0;  // degrees
    float AirTemperature = 0;       // degrees Celsius
    int16_t RelativeHumidity = 0;   // per cent
    float DewPoint = 0;             // degrees Celsius
    int16_t AirPressure = 0;        // hPa
    int16_t AirPressureTendency = 0;  // 0 steady, 1 decreasing, 2 increasing
    int16_t VisibilityGreaterThan = 0;  // newer layout: 1 when visibility is beyond the instrument's range
    float HorizontalVisibility = 0;   // nautical miles
    float WaterLevel = 0;             // metres, tide included
    int16_t WaterLevelTrend = 0;      // 0 steady, 1 decreasing, 2 increasing
    float SurfaceCurrentSpeed = 0;    // knots
    int16_t SurfaceCurrentDirection = 0;
    float CurrentSpeed2 = 0;
    int16_t CurrentDirection2 = 0;
    int16_t CurrentLevel2 = 0;  // metres
    float CurrentSpeed3 = 0;
    int16_t CurrentDirection3 = 0;
    int16_t CurrentLevel3 = 0;
    float WaveHeight = 0;  // significant wave height, metres
    int16_t WavePeriod = 0;  // seconds
    int16_t WaveDirection = 0;
    float SwellHeight = 0;
    int16_t SwellPeriod = 0;
    int16_t SwellDirection = 0;
    int16_t SeaState = 0;  // code 0-12
    float WaterTemperature = 0;  // degrees Celsius
    int16_t Precipitation = 0;   // type code: 1 rain, 2 thunderstorm, 3 freezing rain, 4 mixed/ice, 5 snow
    float Salinity = 0;          // per mille
    int16_t Ice = 0;             // 0 no, 1 yes
    bool operator==(const MetHydroData&) const = default;
};

// Dangerous cargo indication. Ports are UN/LOCODEs; times are UTC.
struct DangerousCargoData {
    std::string LastPortOfCall;  // 5 characters
    int16_t ATDMonth = 0;
    int16_t ATDDay = 0;
    int16_t ATDHour = 0;
    int16_t ATDMinute = 0;
    std::string NextPortOfCall;  // 5 characters
    int16_t ETAMonth = 0;
    int16_t ETADay = 0;
    int16_t ETAHour = 0;
    int16_t ETAMinute = 0;
    std::string MainDangerousGood;  // 20 characters
    std::string IMDCategory;        // 4 characters
    int16_t UNNumber = 0;
    int16_t CargoAmount = 0;
    int16_t CargoUnit = 0;  // 0 not available, 1 kg, 2 tons, 3 1000 tons
    bool operator==(const DangerousCargoData&) const = default;
};

// Fairway closed.
struct FairwayClosedData {
    std::string ClosingReason;  // 20 characters each
    std::string ClosingFrom;
    std::string ClosingTo;
    int16_t ClosingRadius = 0;
    int16_t ClosingRadiusUnit = 0;  // 0 metre, 1 kilometre, 2 nautical mile, 3 cable
    int16_t ClosedFromDay = 0;
    int16_t ClosedFromMonth = 0;
    int16_t ClosedFromHour = 0;
    int16_t ClosedFromMinute = 0;
    int16_t ClosedToDay = 0;
    int16_t ClosedToMonth = 0;
    int16_t ClosedToHour = 0;
    int16_t ClosedToMinute = 0;
    bool operator==(const FairwayClosedData&) const = default;
};

// One position of a tidal window. No value is ever marked not available.
struct TideEntry {
    double TideLatitude = 0;   // degrees
    double TideLongitude = 0;  // degrees
    int16_t TideFromHour = 0;  // UTC
    int16_t TideFromMinute = 0;
    int16_t TideToHour = 0;
    int16_t TideToMinute = 0;
    int16_t TideCurrentDirection = 0;  // degrees
    float TideCurrentSpeed = 0;        // knots
    bool operator==(const TideEntry&) const = default;
};

struct TidalWindowData {
    int16_t TideMonth = 0;
    int16_t TideDay = 0;
    std::array<TideEntry, 3> Entry{};  // Entry[0] is position 1; all three are always written
    bool operator==(const TidalWindowData&) const = default;
};

// Extended ship static and voyage related data (DAC 1 FI 24). Codes as
// received; 0 means "no data" for most.
struct ExtendedShipStaticData {
    int16_t LinkageID = 0;
    float AirDraught = 0;  // metres
    std::string LastPortOfCall;  // UN/LOCODEs, 5 characters
    std::string NextPortOfCall;
    std::string SecondPortOfCall;
    std::array<int16_t, 26> SOLASStatus{};  // one 2-bit code per item of SOLAS equipment
    int16_t IceClass = 0;
    int32_t ShaftHorsePower = 0;
    int16_t VHFWorkingChannel = 0;
    std::string LloydsShipType;  // 7 characters
    int32_t GrossTonnage = 0;
    int16_t LadenOrBallast = 0;  // 1 laden, 2 ballast
    int16_t HeavyFuelOil = 0;    // 1 yes, 2 no
    int16_t LightFuelOil = 0;
    int16_t Diesel = 0;
    int16_t BunkerOil = 0;  // tonnes
    int16_t PersonsOnBoard = 0;
    bool operator==(const ExtendedShipStaticData&) const = default;
};

// One sub-area of an area notice. AreaShape says which fields it wrote:
// 0 circle or point (position, Radius), 1 rectangle (position, EastDimension,
// NorthDimension, Orientation), 2 sector (position, Radius, LeftBoundary,
// RightBoundary), 3 polyline and 4 polygon (four points as angle and distance
// from the previous point), 5 text; 6 and 7 carry nothing. Distances are in
// metres: the message sends them in units of 10^ScaleFactor metres.
struct AreaNoticeSubArea {
    int16_t AreaShape = 0;
    std::string AreaShapeText;
    int16_t ScaleFactor = 0;
    double Longitude = 0;  // degrees
    double Latitude = 0;
    int16_t Precision = 0;  // decimal places of the position's minutes
    int32_t Radius = 0;
    int32_t EastDimension = 0;
    int32_t NorthDimension = 0;
    int16_t Orientation = 0;    // degrees
    int16_t LeftBoundary = 0;   // degrees
    int16_t RightBoundary = 0;  // degrees
    std::array<float, 4> PointAngle{};  // degrees, 0.5 degree steps
    std::array<int32_t, 4> PointDistance{};
    std::string Text;  // 14 characters
    bool operator==(const AreaNoticeSubArea&) const = default;
};

// Area notice (DAC 1 FI 22): what kind of notice, from when (UTC) and for how
// long, and the sub-areas that make up the area, in order.
inline constexpr int kMaxSubAreas = 10;
struct AreaNoticeData {
    int16_t LinkageID = 0;
    int16_t NoticeDescription = 0;
    std::string NoticeDescriptionText;
    int16_t StartMonth = 0;
    int16_t StartDay = 0;
    int16_t StartHour = 0;
    int16_t StartMinute = 0;
    int32_t Duration = 0;  // minutes; -9999 undefined
    int16_t SubAreaCount = 0;
    std::array<AreaNoticeSubArea, kMaxSubAreas> SubAreas{};  // the first SubAreaCount
    bool operator==(const AreaNoticeData&) const = default;
};

// Inland ship static and voyage related data (DAC 200 FI 10).
struct InlandStaticData {
    std::string ENINumber;  // European vessel identification number, 8 characters
    float Length = 0;       // metres
    float Beam = 0;         // metres
    int16_t ERIShipType = 0;  // ERI ship or combination type
    std::string ERIShipTypeText;
    int16_t HazardousCargo = 0;  // blue cones or lights: 0-3, 4 B-flag, 5 unknown
    std::string HazardousCargoText;
    float Draught = 0;    // metres
    int16_t Loaded = 0;   // 1 loaded, 2 unloaded
    int16_t SpeedQuality = 0;    // 1 high (from a certified sensor), 0 low (GNSS)
    int16_t CourseQuality = 0;
    int16_t HeadingQuality = 0;
    bool operator==(const InlandStaticData&) const = default;
};

// What a binary message carried, as far as this program decodes it.
enum class BinaryApp : uint8_t {
    Text,            // FI 0: Description is the text
    Interrogation,   // FI 2 in type 6: RequestedDAC, RequestedFI
    MetHydro,
    DangerousCargo,
    FairwayClosed,
    TidalWindow,
    HeightOverKeel,
    PersonsOnBoard,  // PassengersOnboard
    NotDecoded,      // header and the notice only
    MetHydro289,         // DAC 1 FI 31, into MetHydro
    AreaNotice,          // DAC 1 FI 22
    ExtendedShipStatic,  // DAC 1 FI 24
    InlandStatic,        // DAC 200 FI 10
};

// Sub-record for type 6 (one instance) and type 8 (another instance).
struct BinaryMessage {
    int16_t MessageID = 0;
    int16_t RepeatIndicator = 0;
    int32_t MMSI = 0;
    int32_t DestinationMMSI = 0;  // type 6 only
    int16_t DAC = 0;
    int16_t FI = 0;
    // The FI 0 text, a one-line summary of the application, or the not-decoded notice.
    std::string Description;
    int16_t RequestedDAC = 0;  // FI interrogation only
    int16_t RequestedFI = 0;
    float HeightOverKeel = 0;  // metres
    int16_t PassengersOnboard = 0;
    MetHydroData MetHydro;
    DangerousCargoData DangerousCargo;
    FairwayClosedData FairwayClosed;
    TidalWindowData TidalWindow;
    ExtendedShipStaticData ExtendedShipStatic;
    AreaNoticeData AreaNotice;
    InlandStaticData InlandStatic;
    // What the last decode found; with it, ApplicationLayout (binary_layout.h)
    // lists exactly the application fields that decode wrote.
    BinaryApp Application = BinaryApp::NotDecoded;
    base::DateTime TimeReceived;
    bool operator==(const BinaryMessage&) const = default;
};


// The application a DAC and FI select in a message of the given type (6 =
// addressed, anything else is taken as broadcast) under the given standard.
BinaryApp SelectBinaryApp(int messageType, int dac, int fi, int standard);

// The FI that carries app under standard; -1 for NotDecoded. And its DAC
// (1 for the applications chosen by FI alone).
int BinaryAppFI(BinaryApp app, int standard);
int BinaryAppDAC(BinaryApp app);

// Decodes a type 6 or type 8 message (bits already loaded) into rec. `standard`
// 0 selects the IMO SN/Circ.236 numbering, any other value the IALA proposal.
// The message type is read from bits 1-6: 6 gives the addressed layout, any
// other value the broadcast layout. fillBits only limits the FI 0 text, which
// ends with the last whole six-bit group at or before bit 6 x chars - fillBits
// (and never beyond bit 1008). Returns what was decoded.
BinaryApp DecodeBinaryMessage(const PayloadBits& bits, int fillBits, int standard, base::DateTime now,
                              BinaryMessage& rec);

// The application part alone, for messages that carry DAC and FI elsewhere
// (types 25 and 26): with rec.DAC and rec.FI set, decodes the application
// whose data starts at bit appStart (the bit after the FI) as a message of
// type messageType would, and writes Application, Description and the
// application's fields. The application data ends tailBits before the end
// that fillBits gives (a type 26 keeps its last 20 bits for itself).
BinaryApp DecodeBinaryApplication(const PayloadBits& bits, int appStart, int fillBits, int tailBits,
                                  int messageType, int standard, BinaryMessage& rec);

}  // namespace ais
