#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>

#include "ais/binary_encoder.h"
#include "ais/binary_layout.h"
#include "ais/binary_message.h"
#include "ais/decoder.h"
#include "ais/field_dump.h"

namespace ais {
namespace {

const base::DateTime kNow = base::DateTime::fromCalendar(2026, 12, 6, 10, 30, 0);
const base::DateTime kEarlier = base::DateTime::fromCalendar(2026, 12, 5, 8, 0, 0);

struct AppRow {
    int type, standard, bits;
    std::vector<test::Put> puts;
    const char* dump;  // what the whole dump ends with
};

// One message per application with every field at its hand-counted bits,
// values filling each field's top and bottom bits; then every field all ones,
// where only some fields mean "not available".
TEST(BinaryMessage, EveryFieldOfEveryApplicationAtItsBits) {
    const AppRow rows[] = {
        {8, 0, 346, {{41, 50}, {51, 56, 11}, {57, 80}, {81, 105}, {106, 110}, {111, 115}, {116, 121}, {122, 128},
         {129, 135}, {136, 144}, {145, 153}, {154, 164}, {165, 171}, {172, 181}, {182, 190}, {191, 192, 2}, {193, 200},
         {201, 209}, {210, 211, 2}, {212, 219}, {220, 228}, {229, 236}, {237, 245}, {246, 250}, {251, 258}, {259, 267},
         {268, 272}, {273, 280}, {281, 286}, {287, 295}, {296, 303}, {304, 309}, {310, 318}, {319, 322}, {323, 332},
         {333, 335}, {336, 344}, {345, 346, 2}},
         "MessageID=8 RepeatIndicator=3 MMSI=536870913 DAC=513 FI=11 Description='FI 11 - Meteorological & "
         "Hydrological Data' MetLatitude=-139.8101167 MetLongitude=-279.62025 MetDay=17 MetHour=17 MetMinute=33 "
         "AvgWindSpeed=65 WindGust=65 WindDirection=257 WindGustDirection=257 AirTemperature=42.5 "
         "RelativeHumidity=65 DewPoint=31.3 AirPressure=1057 AirPressureTendency=2 HorizontalVisibility=12.9 "
         "WaterLevel=15.7 WaterLevelTrend=2 SurfaceCurrentSpeed=12.9 SurfaceCurrentDirection=257 CurrentSpeed2=12.9 "
         "CurrentDirection2=257 CurrentLevel2=17 CurrentSpeed3=12.9 CurrentDirection3=257 CurrentLevel3=17 "
         "WaveHeight=12.9 WavePeriod=33 WaveDirection=257 SwellHeight=12.9 SwellPeriod=33 SwellDirection=257 "
         "SeaState=9 WaterTemperature=41.3 Precipitation=5 Salinity=25.7 Ice=2"},
        {6, 0, 357, {{41, 70}, {73, 82}, {83, 88, 12}, {89, 118, {}, "?NL9!"}, {119, 122}, {123, 127}, {128, 132},
         {133, 138}, {139, 168, {}, "9DE?A"}, {169, 172}, {173, 177}, {178, 182}, {183, 188},
         {189, 308, {}, "?PROPANE GAS 2 UN19!"}, {309, 332, {}, "?21!"}, {333, 345}, {346, 355}, {356, 357}},
         "MessageID=6 RepeatIndicator=3 MMSI=536870913 DestinationMMSI=536870913 DAC=513 FI=12 Description='FI 12 - "
         "Dangerous Cargo Indication' LastPortOfCall='?NL9!' ATDMonth=9 ATDDay=17 ATDHour=17 ATDMinute=33 "
         "NextPortOfCall='9DE?A' ETAMonth=9 ETADay=17 ETAHour=17 ETAMinute=33 MainDangerousGood='?PROPANE GAS 2 "
         "UN19!' IMDCategory='?21!' UNNumber=4097 CargoAmount=513 CargoUnit=3"},
        {8, 1, 468, {{41, 50}, {51, 56, 20}, {57, 176, {}, "?ICE ON THE FAIRWAY!"},
         {177, 296, {}, "9NORTH ENTRANCE 1 Z?"}, {297, 416, {}, "?SOUTH LOCK GATE 99!"}, {417, 426}, {427, 428},
         {429, 433}, {434, 437}, {438, 442}, {443, 448}, {449, 453}, {454, 457}, {458, 462}, {463, 468}},
         "MessageID=8 RepeatIndicator=3 MMSI=536870913 DAC=513 FI=20 Description='FI 20 - Fairway Closed' "
         "ClosingReason='?ICE ON THE FAIRWAY!' ClosingFrom='9NORTH ENTRANCE 1 Z?' ClosingTo='?SOUTH LOCK GATE 99!' "
         "ClosingRadius=513 ClosingRadiusUnit=3 ClosedFromDay=17 ClosedFromMonth=9 ClosedFromHour=17 "
         "ClosedFromMinute=33 ClosedToDay=17 ClosedToMonth=9 ClosedToHour=17 ClosedToMinute=33"},
        {6, 0, 376, {{41, 70}, {73, 82}, {83, 88, 14}, {89, 92}, {93, 97}, {98, 124}, {125, 152}, {153, 157},
         {158, 163}, {164, 168}, {169, 174}, {175, 183}, {184, 190}, {191, 217}, {218, 245}, {246, 250}, {251, 256},
         {257, 261}, {262, 267}, {268, 276}, {277, 283}, {284, 310}, {311, 338}, {339, 343}, {344, 349}, {350, 354},
         {355, 360}, {361, 369}, {370, 376}},
         "MessageID=6 RepeatIndicator=3 MMSI=536870913 DestinationMMSI=536870913 DAC=513 FI=14 Description='FI 14 - "
         "Tidal Window' TideMonth=9 TideDay=17 TideLatitude1=-111.848105 TideLongitude1=-223.6962117 "
         "TideFromHour1=17 TideFromMinute1=33 TideToHour1=17 TideToMinute1=33 TideCurrentDirection1=257 "
         "TideCurrentSpeed1=6.5 TideLatitude2=-111.848105 TideLongitude2=-223.6962117 TideFromHour2=17 "
         "TideFromMinute2=33 TideToHour2=17 TideToMinute2=33 TideCurrentDirection2=257 TideCurrentSpeed2=6.5 "
         "TideLatitude3=-111.848105 TideLongitude3=-223.6962117 TideFromHour3=17 TideFromMinute3=33 TideToHour3=17 "
         "TideToMinute3=33 TideCurrentDirection3=257 TideCurrentSpeed3=6.5"},
        {6, 0, 104, {{41, 70}, {73, 82}, {83, 88, 2}, {89, 98}, {99, 104}},
         "MessageID=6 RepeatIndicator=3 MMSI=536870913 DestinationMMSI=536870913 DAC=513 FI=2 Description='FI 2 - FI "
         "Interogation, DAC 513 FI 33' RequestedDAC=513 RequestedFI=33"},
        {8, 0, 67, {{41, 50}, {51, 56, 15}, {57, 67}},
         "MessageID=8 RepeatIndicator=3 MMSI=536870913 DAC=513 FI=15 Description='Height over keel : 102.5' "
         "HeightOverKeel=102.5"},
        {8, 1, 69, {{41, 50}, {51, 56, 40}, {57, 69}},
         "MessageID=8 RepeatIndicator=3 MMSI=536870913 DAC=513 FI=40 Description='Passengers onboard : 4097' "
         "PassengersOnboard=4097"},
        {8, 0, 346, {{51, 56, 11}},
         "MetLatitude=-9999 MetLongitude=-9999 MetDay=31 MetHour=31 MetMinute=63 AvgWindSpeed=-9999 WindGust=-9999 "
         "WindDirection=-9999 WindGustDirection=-9999 AirTemperature=-9999 RelativeHumidity=-9999 DewPoint=-9999 "
         "AirPressure=-9999 AirPressureTendency=-9999 HorizontalVisibility=-9999 WaterLevel=-9999 "
         "WaterLevelTrend=-9999 SurfaceCurrentSpeed=-9999 SurfaceCurrentDirection=-9999 CurrentSpeed2=-9999 "
         "CurrentDirection2=-9999 CurrentLevel2=-9999 CurrentSpeed3=-9999 CurrentDirection3=-9999 "
         "CurrentLevel3=-9999 WaveHeight=-9999 WavePeriod=-9999 WaveDirection=-9999 SwellHeight=-9999 "
         "SwellPeriod=-9999 SwellDirection=-9999 SeaState=-9999 WaterTemperature=-9999 Precipitation=-9999 "
         "Salinity=-9999 Ice=-9999"},
        {6, 0, 376, {{83, 88, 14}},
         "TideMonth=15 TideDay=31 TideLatitude1=-1.666666667e-06 TideLongitude1=-1.666666667e-06 TideFromHour1=31 "
         "TideFromMinute1=63 TideToHour1=31 TideToMinute1=63 TideCurrentDirection1=511 TideCurrentSpeed1=12.7 "
         "TideLatitude2=-1.666666667e-06 TideLongitude2=-1.666666667e-06 TideFromHour2=31 TideFromMinute2=63 "
         "TideToHour2=31 TideToMinute2=63 TideCurrentDirection2=511 TideCurrentSpeed2=12.7 "
         "TideLatitude3=-1.666666667e-06 TideLongitude3=-1.666666667e-06 TideFromHour3=31 TideFromMinute3=63 "
         "TideToHour3=31 TideToMinute3=63 TideCurrentDirection3=511 TideCurrentSpeed3=12.7"},
    };
    for (const AppRow& row : rows) {
        SCOPED_TRACE(row.dump);
        int fill = 0;
        const std::string payload = test::HandPlaced(row.type, row.bits, row.puts, fill);
        AISMessageRecord rec;
        ASSERT_EQ(DecodeAISMessage(payload, rec, fill, row.standard, kNow), row.type);
        EXPECT_TRUE(test::DumpFields(rec, row.type).ends_with(row.dump)) << test::DumpFields(rec, row.type);
    }
}

// The message type, DAC and FI written by hand from the layouts (type 6 puts
// DAC and FI at 73-88, type 8 at 41-56) over the other bits of w, armoured.
std::string withHeader(BitWriter w, int type, int dac, int fi, int& fill) {
    w.put(1, 6, type);
    w.put(type == 6 ? 73 : 41, type == 6 ? 82 : 50, dac);
    w.put(type == 6 ? 83 : 51, type == 6 ? 88 : 56, fi);
    return w.armoured(fill);
}

BinaryApp decode(const std::string& payload, int fill, int standard, BinaryMessage& rec) {
    return DecodeBinaryMessage(PayloadBits(payload), fill, standard, kNow, rec);
}

// A record whose application fields all hold something other than the
// defaults, as earlier messages would leave them.
BinaryMessage priorRecord() {
    BinaryMessage r;
    r.RequestedDAC = 7, r.RequestedFI = 9, r.HeightOverKeel = 3.5f, r.PassengersOnboard = 12;
    r.MetHydro.AirTemperature = 21.5f, r.MetHydro.MetLatitude = 59.5, r.MetHydro.Ice = 1;
    r.DangerousCargo.LastPortOfCall = "NOOSL", r.DangerousCargo.UNNumber = 1203;
    r.FairwayClosed.ClosingReason = "ICE", r.FairwayClosed.ClosedToMinute = 45;
    r.TidalWindow.TideDay = 17, r.TidalWindow.Entry[2].TideCurrentSpeed = 1.5f;
    r.Description = "earlier", r.Application = BinaryApp::Text, r.TimeReceived = kEarlier;
    return r;
}

// prior with the header, Description, time and the fields of `app` taken from
// decoded: what a decoder may change.
BinaryMessage onlyOwnFieldsChanged(BinaryMessage prior, const BinaryMessage& decoded, BinaryApp app) {
    prior.MessageID = decoded.MessageID;
    prior.RepeatIndicator = decoded.RepeatIndicator;
    prior.MMSI = decoded.MMSI;
    if (decoded.MessageID == 6) prior.DestinationMMSI = decoded.DestinationMMSI;
    prior.DAC = decoded.DAC;
    prior.FI = decoded.FI;
    prior.Description = decoded.Description;
    prior.Application = decoded.Application;
    prior.TimeReceived = decoded.TimeReceived;
    switch (app) {
        case BinaryApp::Interrogation:
            prior.RequestedDAC = decoded.RequestedDAC;
            prior.RequestedFI = decoded.RequestedFI;
            break;
        case BinaryApp::HeightOverKeel: prior.HeightOverKeel = decoded.HeightOverKeel; break;
        case BinaryApp::PersonsOnBoard: prior.PassengersOnboard = decoded.PassengersOnboard; break;
        case BinaryApp::MetHydro: prior.MetHydro = decoded.MetHydro; break;
        case BinaryApp::DangerousCargo: prior.DangerousCargo = decoded.DangerousCargo; break;
        case BinaryApp::FairwayClosed: prior.FairwayClosed = decoded.FairwayClosed; break;
        case BinaryApp::TidalWindow: prior.TidalWindow = decoded.TidalWindow; break;
        case BinaryApp::MetHydro289: prior.MetHydro = decoded.MetHydro; break;
        case BinaryApp::AreaNotice: prior.AreaNotice = decoded.AreaNotice; break;
        case BinaryApp::ExtendedShipStatic: prior.ExtendedShipStatic = decoded.ExtendedShipStatic; break;
        case BinaryApp::InlandStatic: prior.InlandStatic = decoded.InlandStatic; break;
        case BinaryApp::Text:
        case BinaryApp::NotDecoded: break;
    }
    return prior;
}

constexpr BinaryApp kLaidOutApps[] = {BinaryApp::Interrogation, BinaryApp::MetHydro,
                                      BinaryApp::DangerousCargo, BinaryApp::FairwayClosed,
                                      BinaryApp::TidalWindow,   BinaryApp::HeightOverKeel,
                                      BinaryApp::PersonsOnBoard, BinaryApp::MetHydro289,
                                      BinaryApp::AreaNotice,    BinaryApp::ExtendedShipStatic,
                                      BinaryApp::InlandStatic};

// Random bits for every application under both standards in both message
// types: decode, encode the record again, decode that. The second payload must
// be the first bit for bit (texts aside, where a 0 group comes back as a
// blank), and the second record the first. Decoding into a used record must
// leave the other applications' fields alone.
TEST(BinaryRoundTrip, EveryLayoutBothStandardsBothTypes) {
    std::mt19937 rng(20261206);
    for (int standard : {0, 1}) {
        for (int type : {6, 8}) {
            for (BinaryApp app : kLaidOutApps) {
                if (app == BinaryApp::Interrogation && type == 8) continue;
                const auto layout = ApplicationLayout(app);
                ASSERT_FALSE(layout.empty());
                const int shift = type == 6 ? 32 : 0;
                const bool hasText = std::any_of(layout.begin(), layout.end(),
                                                 [](const BinaryField& f) { return f.Rule == FieldRule::Text; });
                for (int iteration = 0; iteration < 200; ++iteration) {
                    SCOPED_TRACE(testing::Message() << "standard " << standard << " type " << type << " app "
                                                    << static_cast<int>(app) << " iteration " << iteration);
                    // The older applications are chosen by FI alone, whatever the DAC.
                    const int dac = BinaryAppDAC(app) == 1 && app < BinaryApp::NotDecoded ? static_cast<int>(rng() % 1024)
                                                                                          : BinaryAppDAC(app);
                    BitWriter w;
                    w.put(7, 8, 2);
                    w.put(9, 38, rng() % (1 << 30));
                    if (type == 6) w.put(41, 70, rng() % (1 << 30));
                    // An area notice with up to three sub-areas of random shapes.
                    const int subAreas = app == BinaryApp::AreaNotice ? iteration % 4 : 0;
                    const int last = layout.back().Last + shift + kSubAreaBits * subAreas;
                    for (int bit = 57 + shift; bit <= last; ++bit) {
                        // Every fourth message all ones, to reach the not-available values.
                        w.put(bit, bit, iteration % 4 == 3 ? 1 : rng() & 1);
                    }
                    int fill = 0;
                    const std::string payload = withHeader(w, type, dac, BinaryAppFI(app, standard), fill);

                    const BinaryMessage prior = priorRecord();
                    BinaryMessage first = prior;
                    ASSERT_EQ(decode(payload, fill, standard, first), app);
                    EXPECT_EQ(first, onlyOwnFieldsChanged(prior, first, app));
                    EXPECT_EQ(first.TimeReceived, kNow);

                    const auto encoded = EncodeBinaryMessage(first, standard);
                    ASSERT_TRUE(encoded);
                    // Sub-areas have spare bits, written as zeros; salinity's two
                    // not-available codes come back as the first.
                    const bool lossy = subAreas > 0 || (app == BinaryApp::MetHydro289 && first.MetHydro.Salinity == -9999);
                    if (!hasText && !lossy) {
                        EXPECT_EQ(encoded->Payload, payload);
                        EXPECT_EQ(encoded->FillBits, fill);
                    }
                    BinaryMessage second = priorRecord();
                    ASSERT_EQ(decode(encoded->Payload, encoded->FillBits, standard, second), app);
                    EXPECT_EQ(second, first);
                }
            }
        }
    }
}

const std::string kNotice1 = "Message with FI (Function Identifier)";
const std::string kNotice2 =
    " received. FI is not decoded by this application! Please make sure you are using correct Binary "
    "Message Standard (IMO236 or IALA Proposal)";

// Which FI selects which application under each numbering, and what the
// description says; a decode changes only its own application's fields.
TEST(BinaryMessage, ApplicationAndDescriptionByFIAndStandard) {
    const struct {
        int type, fi, standard;
        BinaryApp app;
        std::string description;
    } rows[] = {
        {8, 11, 1, BinaryApp::NotDecoded, kNotice1 + " 11" + kNotice2},
        {6, 33, 1, BinaryApp::TidalWindow, "FI 33 - Tidal Window"},
        {6, 2, 1, BinaryApp::Interrogation, "FI 2 - FI Interogation, DAC 0 FI 0"},
        {8, 2, 0, BinaryApp::NotDecoded, kNotice1 + " 2" + kNotice2},  // an interrogation is addressed
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.description);
        int fill = 0;
        BinaryMessage rec = priorRecord();
        EXPECT_EQ(decode(withHeader({}, row.type, 1, row.fi, fill), fill, row.standard, rec), row.app);
        EXPECT_EQ(rec.Description, row.description);
        EXPECT_EQ(rec, onlyOwnFieldsChanged(priorRecord(), rec, row.app));
    }
}

struct TextExtentRow {
    int type, chars, fill;
    size_t expectedLength;
};

// The FI 0 text ends with the last whole group at or before 6 x chars - fill
// bits (never past bit 1008); type 8 text starts at bit 69, type 6 at 101.
TEST(BinaryText, ExtentFollowsFillBits) {
    const TextExtentRow rows[] = {
        {8, 21, 4, 9},   // 122 data bits: groups 69..122
        {8, 21, 0, 9},   // 126: the 4 bits after 122 are no whole group
        {8, 21, 99, 0},
        {8, 21, -9999, 156},  // an absent fill-bit count does not limit: up to bit 1008
        {8, 11, 0, 0},   // 66 bits: the text would start at 69
        {6, 20, 0, 3},   // 120 bits: 101..118
        {6, 168, 5, 150},
    };
    for (const TextExtentRow& row : rows) {
        SCOPED_TRACE(testing::Message() << "type " << row.type << " chars " << row.chars << " fill " << row.fill);
        BitWriter w;
        w.putText(row.type == 6 ? 101 : 69, 1008, "HELLO WORLD");
        int fill = 0;
        const std::string payload = withHeader(w, row.type, 1, 0, fill).substr(0, static_cast<size_t>(row.chars));
        BinaryMessage rec;
        EXPECT_EQ(decode(payload, row.fill, 0, rec), BinaryApp::Text);
        ASSERT_EQ(rec.Description.size(), row.expectedLength);
        // Nine characters of the text are whole in 21 payload characters.
        const size_t n = std::min<size_t>(9, row.expectedLength);
        EXPECT_EQ(rec.Description.substr(0, n), std::string("HELLO WORLD").substr(0, n));
    }
}

TEST(BinaryEncoder, RejectsOtherTypesAndClampsValuesAndTexts) {
    BinaryMessage m;
    m.MessageID = 5;
    EXPECT_FALSE(EncodeBinaryMessage(m, 0));
    // A text keeps to one message.
    m.MessageID = 8;
    m.Description = std::string(400, 'X');
    auto p = EncodeBinaryMessage(m, 0);
    ASSERT_TRUE(p);
    EXPECT_LE(p->Payload.size(), 168u);
    BinaryMessage back;
    decode(p->Payload, p->FillBits, 0, back);
    EXPECT_EQ(back.Description, std::string(156, 'X'));

    m.MessageID = 8;
    m.FI = 11;
    m.MetHydro.AirPressure = 5000;        // beyond 800 + 510: the largest value, not "n/a"
    m.MetHydro.AirTemperature = -100.0f;  // below -60: raw 0
    m.MetHydro.MetLatitude = 91.0;
    m.MetHydro.WaveHeight = std::numeric_limits<float>::quiet_NaN();
    p = EncodeBinaryMessage(m, 0);
    ASSERT_TRUE(p);
    decode(p->Payload, p->FillBits, 0, back);
    EXPECT_EQ(back.MetHydro.AirPressure, 1310);
    EXPECT_FLOAT_EQ(back.MetHydro.AirTemperature, -60.0f);
    EXPECT_DOUBLE_EQ(back.MetHydro.MetLatitude, 91.0);
    EXPECT_FLOAT_EQ(back.MetHydro.WaveHeight, 0.0f);
}

}  // namespace
}  // namespace ais
