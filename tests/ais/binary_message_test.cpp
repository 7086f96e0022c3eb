#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <span>
#include <functional>
#include <random>

#include "ais/binary_encoder.h"
#include "ais/binary_layout.h"
#include "ais/binary_message.h"
#include "base/number_format.h"

namespace ais {
namespace {

const base::DateTime kNow = base::DateTime::fromCalendar(2026, 12, 6, 10, 30, 0);
const base::DateTime kEarlier = base::DateTime::fromCalendar(2026, 12, 5, 8, 0, 0);

// A message header written by hand from the layouts: type 6 puts DAC/FI at
// 73-88, type 8 at 41-56.
BitWriter header(int type, int fi, int dac = 1, int mmsi = 257012345, int dest = 219000001) {
    BitWriter w;
    w.put(1, 6, type);
    w.put(7, 8, 2);
    w.put(9, 38, mmsi);
    if (type == 6) {
        w.put(41, 70, dest);
        w.put(73, 82, dac);
        w.put(83, 88, fi);
    } else {
        w.put(41, 50, dac);
        w.put(51, 56, fi);
    }
    return w;
}

std::string armour(const BitWriter& w, int* fill = nullptr) {
    int f = 0;
    std::string p = w.armoured(f);
    if (fill) *fill = f;
    return p;
}

BinaryApp decode(const std::string& payload, int fill, int standard, BinaryMessage& rec) {
    return DecodeBinaryMessage(PayloadBits(payload), fill, standard, kNow, rec);
}

// A record whose application fields all hold something other than the
// defaults, as earlier messages would leave them.
BinaryMessage priorRecord() {
    BinaryMessage r;
    r.RequestedDAC = 7;
    r.RequestedFI = 9;
    r.HeightOverKeel = 3.5f;
    r.PassengersOnboard = 12;
    r.MetHydro.AirTemperature = 21.5f;
    r.MetHydro.MetLatitude = 59.5;
    r.MetHydro.Ice = 1;
    r.DangerousCargo.LastPortOfCall = "NOOSL";
    r.DangerousCargo.UNNumber = 1203;
    r.FairwayClosed.ClosingReason = "ICE";
    r.FairwayClosed.ClosedToMinute = 45;
    r.TidalWindow.TideDay = 17;
    r.TidalWindow.Entry[2].TideCurrentSpeed = 1.5f;
    r.Description = "earlier";
    r.Application = BinaryApp::Text;
    r.TimeReceived = kEarlier;
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
        case BinaryApp::Text:
        case BinaryApp::NotDecoded: break;
    }
    return prior;
}

constexpr BinaryApp kLaidOutApps[] = {BinaryApp::Interrogation, BinaryApp::MetHydro,
                                      BinaryApp::DangerousCargo, BinaryApp::FairwayClosed,
                                      BinaryApp::TidalWindow,   BinaryApp::HeightOverKeel,
                                      BinaryApp::PersonsOnBoard};

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
                    BitWriter w = header(type, BinaryAppFI(app, standard), static_cast<int>(rng() % 1024),
                                         static_cast<int>(rng() % (1 << 30)), static_cast<int>(rng() % (1 << 30)));
                    const int last = layout.back().Last + shift;
                    for (int bit = 57 + shift; bit <= last; ++bit) {
                        // Every fourth message all ones, to reach the not-available values.
                        w.put(bit, bit, iteration % 4 == 3 ? 1 : rng() & 1);
                    }
                    int fill = 0;
                    const std::string payload = armour(w, &fill);

                    const BinaryMessage prior = priorRecord();
                    BinaryMessage first = prior;
                    ASSERT_EQ(decode(payload, fill, standard, first), app);
                    EXPECT_EQ(first, onlyOwnFieldsChanged(prior, first, app));
                    EXPECT_EQ(first.TimeReceived, kNow);

                    const auto encoded = EncodeBinaryMessage(first, standard);
                    ASSERT_TRUE(encoded);
                    if (!hasText) {
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

TEST(BinaryRoundTrip, TextFromRecord) {
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_ !\"#$%&'()*+,-./0123456789:;<=>?";
    std::mt19937 rng(7);
    for (int type : {6, 8}) {
        for (int iteration = 0; iteration < 300; ++iteration) {
            BinaryMessage m;
            m.MessageID = static_cast<int16_t>(type);
            m.RepeatIndicator = 3;
            m.MMSI = 999999999;
            m.DestinationMMSI = type == 6 ? (1 << 30) - 1 : 0;
            m.DAC = 1023;
            m.Application = BinaryApp::Text;
            const size_t length = rng() % 152;
            for (size_t i = 0; i < length; ++i) m.Description.push_back(alphabet[rng() % alphabet.size()]);
            m.TimeReceived = kNow;
            const auto p = EncodeBinaryMessage(m, iteration % 2);
            ASSERT_TRUE(p);
            BinaryMessage back;
            EXPECT_EQ(decode(p->Payload, p->FillBits, iteration % 2, back), BinaryApp::Text);
            EXPECT_EQ(back, m) << m.Description;
        }
    }
}

// Fields written at hand-counted bits (type 8 numbering; type 6 is 32 later),
// read back through the record member, never through the layout rows.
struct KnownField {
    const char* what;
    int first, last;
    int64_t raw;  // written in two's complement; -1 is all ones
    std::function<double(const BinaryMessage&)> member;
    double expected;
};

#define MET(name) [](const BinaryMessage& m) { return static_cast<double>(m.MetHydro.name); }
#define TIDE(i, name) [](const BinaryMessage& m) { return static_cast<double>(m.TidalWindow.Entry[i].name); }
#define DC(name) [](const BinaryMessage& m) { return static_cast<double>(m.DangerousCargo.name); }
#define FC(name) [](const BinaryMessage& m) { return static_cast<double>(m.FairwayClosed.name); }

TEST(BinaryKnownFields, ScalingAndNotAvailable) {
    const KnownField met[] = {
        {"latitude all ones is n/a, not -9999/60000", 57, 80, -1, MET(MetLatitude), -9999},
        {"longitude all ones is n/a", 81, 105, -1, MET(MetLongitude), -9999},
        {"latitude 60 N", 57, 80, 3600000, MET(MetLatitude), 60.0},
        {"latitude -9999 raw is a real position", 57, 80, -9999, MET(MetLatitude), -9999.0 / 60000},
        {"longitude 10 W", 81, 105, -600000, MET(MetLongitude), -10.0},
        {"day has no n/a rule", 106, 110, 31, MET(MetDay), 31},
        {"wind speed all ones", 122, 128, 127, MET(AvgWindSpeed), -9999},
        {"air temperature all ones", 154, 164, 2047, MET(AirTemperature), -9999},
        {"air temperature raw 0", 154, 164, 0, MET(AirTemperature), -60.0f},
        {"air temperature raw 1", 154, 164, 1, MET(AirTemperature), -59.9f},
        {"dew point raw 0", 172, 181, 0, MET(DewPoint), -20.0f},
        {"air pressure raw 213", 182, 190, 213, MET(AirPressure), 1013},
        {"air pressure all ones, no offset", 182, 190, 511, MET(AirPressure), -9999},
        {"pressure tendency 3 is all ones", 191, 192, 3, MET(AirPressureTendency), -9999},
        {"visibility raw 123", 193, 200, 123, MET(HorizontalVisibility), 12.3f},
        {"visibility all ones", 193, 200, 255, MET(HorizontalVisibility), -9999},
        {"water level raw 100", 201, 209, 100, MET(WaterLevel), 0.0f},
        {"sea state all ones", 319, 322, 15, MET(SeaState), -9999},
        {"water temperature raw 0", 323, 332, 0, MET(WaterTemperature), -10.0f},
        {"salinity", 336, 344, 355, MET(Salinity), 35.5f},
        {"ice all ones", 345, 346, 3, MET(Ice), -9999},
    };
    const KnownField tide[] = {
        {"entry 1 latitude", 66, 92, -600000, TIDE(0, TideLatitude), -1.0},
        {"entry 2 from hour, no n/a rule", 214, 218, 31, TIDE(1, TideFromHour), 31},
        {"entry 3 longitude all ones is a value", 279, 306, -1, TIDE(2, TideLongitude), -1.0 / 600000},
        {"entry 3 speed all ones is a value", 338, 344, 127, TIDE(2, TideCurrentSpeed), 12.7f},
    };
    const KnownField cargo[] = {
        {"UN number", 301, 313, 8191, DC(UNNumber), 8191},
        {"cargo unit", 324, 325, 3, DC(CargoUnit), 3},
    };
    const KnownField fairway[] = {
        {"closed to minute", 463, 468, 30, FC(ClosedToMinute), 30},
    };
    struct Group {
        int imoFI, ialaFI;
        std::span<const KnownField> rows;
    };
    const Group groups[] = {{11, 32, met}, {14, 33, tide}, {12, 5, cargo}, {13, 20, fairway}};
    for (const Group& g : groups) {
        for (const KnownField& row : g.rows) {
            for (int type : {6, 8}) {
                for (int standard : {0, 1}) {
                    SCOPED_TRACE(testing::Message() << row.what << ", type " << type << ", standard " << standard);
                    const int shift = type == 6 ? 32 : 0;
                    BitWriter w = header(type, standard == 0 ? g.imoFI : g.ialaFI);
                    w.put(row.first + shift, row.last + shift, row.raw);
                    BinaryMessage rec;
                    decode(armour(w), 0, standard, rec);
                    EXPECT_DOUBLE_EQ(row.member(rec), row.expected);
                }
            }
        }
    }
}

TEST(BinaryKnownFields, TextsAndShortTidalWindow) {
    // Dangerous cargo texts in a type 6 message: 89-118, 139-168, 189-308, 309-332.
    BitWriter w = header(6, 12);
    w.putText(89, 118, "NOOSL");
    w.putText(139, 168, "DEHAM");
    w.putText(189, 308, "PROPANE");
    w.putText(309, 332, "2.1");
    w.extendTo(357);
    BinaryMessage rec;
    EXPECT_EQ(decode(armour(w), 0, 0, rec), BinaryApp::DangerousCargo);
    EXPECT_EQ(rec.DangerousCargo.LastPortOfCall, "NOOSL");
    EXPECT_EQ(rec.DangerousCargo.NextPortOfCall, "DEHAM");
    EXPECT_EQ(rec.DangerousCargo.MainDangerousGood, "PROPANE             ");  // '@' fill reads as blanks
    EXPECT_EQ(rec.DangerousCargo.IMDCategory, "2.1 ");

    // A tidal window cut after its first position still writes positions 2 and 3, as zeros.
    BinaryMessage full = priorRecord();
    full.MessageID = 6;
    full.FI = 14;
    for (TideEntry& e : full.TidalWindow.Entry) e = {45.5, -3.25, 10, 20, 11, 40, 90, 2.5f};
    const auto p = EncodeBinaryMessage(full, 0);
    ASSERT_TRUE(p);
    // Header 88 bits, month and day 9, one position 93: 190 bits. 32 characters
    // carry two more, the top bits of position 2's latitude, which are zero here.
    BinaryMessage cut = priorRecord();
    EXPECT_EQ(decode(p->Payload.substr(0, 32), 2, 0, cut), BinaryApp::TidalWindow);
    EXPECT_EQ(cut.TidalWindow.Entry[0], full.TidalWindow.Entry[0]);
    EXPECT_EQ(cut.TidalWindow.Entry[1], TideEntry{});
    EXPECT_EQ(cut.TidalWindow.Entry[2], TideEntry{});
}

const std::string kNotice1 = "Message with FI (Function Identifier)";
const std::string kNotice2 =
    " received. FI is not decoded by this application! Please make sure you are using correct Binary "
    "Message Standard (IMO236 or IALA Proposal)";

struct DescriptionRow {
    int type, fi, standard;
    std::function<void(BitWriter&, int shift)> body;
    BinaryApp app;
    std::string description;
};

TEST(BinaryDescription, EveryApplicationBothStandards) {
    const auto none = [](BitWriter&, int) {};
    const auto dac1fi40 = [](BitWriter& w, int) {
        w.put(89, 98, 1);
        w.put(99, 104, 40);
    };
    const auto height = [](int raw) { return [raw](BitWriter& w, int s) { w.put(57 + s, 67 + s, raw); }; };
    const auto persons = [](int raw) { return [raw](BitWriter& w, int s) { w.put(57 + s, 69 + s, raw); }; };
    const DescriptionRow rows[] = {
        {8, 11, 0, none, BinaryApp::MetHydro, "FI 11 - Meteorological & Hydrological Data"},
        {8, 11, 1, none, BinaryApp::NotDecoded, kNotice1 + " 11" + kNotice2},
        {8, 32, 1, none, BinaryApp::MetHydro, "FI 32 - Meteorological & Hydrological Data"},
        {8, 32, 5, none, BinaryApp::MetHydro, "FI 32 - Meteorological & Hydrological Data"},  // any non-zero
        {8, 32, 0, none, BinaryApp::NotDecoded, kNotice1 + " 32" + kNotice2},
        {6, 12, 0, none, BinaryApp::DangerousCargo, "FI 12 - Dangerous Cargo Indication"},
        {6, 5, 1, none, BinaryApp::DangerousCargo, "FI 5 - Dangerous Cargo Indication"},
        {8, 13, 0, none, BinaryApp::FairwayClosed, "FI 13 - Fairway Closed"},
        {8, 20, 1, none, BinaryApp::FairwayClosed, "FI 20 - Fairway Closed"},
        {6, 14, 0, none, BinaryApp::TidalWindow, "FI 14 - Tidal Window"},
        {6, 33, 1, none, BinaryApp::TidalWindow, "FI 33 - Tidal Window"},
        {6, 2, 0, dac1fi40, BinaryApp::Interrogation, "FI 2 - FI Interogation, DAC 1 FI 40"},
        {6, 2, 1, dac1fi40, BinaryApp::Interrogation, "FI 2 - FI Interogation, DAC 1 FI 40"},
        {8, 2, 0, none, BinaryApp::NotDecoded, kNotice1 + " 2" + kNotice2},
        {8, 2, 1, none, BinaryApp::NotDecoded, kNotice1 + " 2" + kNotice2},
        {6, 15, 0, height(125), BinaryApp::HeightOverKeel, "Height over keel : 12.5"},
        {8, 19, 1, height(3), BinaryApp::HeightOverKeel, "Height over keel : 0.3"},
        {8, 15, 0, height(2047), BinaryApp::HeightOverKeel, "Height over keel : 204.7"},
        {8, 15, 0, height(0), BinaryApp::HeightOverKeel, "Height over keel : 0"},
        {6, 16, 0, persons(8191), BinaryApp::PersonsOnBoard, "Passengers onboard : 8191"},
        {8, 40, 1, persons(0), BinaryApp::PersonsOnBoard, "Passengers onboard : 0"},
        {8, 16, 1, none, BinaryApp::NotDecoded, kNotice1 + " 16" + kNotice2},
        {6, 63, 0, none, BinaryApp::NotDecoded, kNotice1 + " 63" + kNotice2},
    };
    for (const DescriptionRow& row : rows) {
        SCOPED_TRACE(row.description);
        BitWriter w = header(row.type, row.fi);
        row.body(w, row.type == 6 ? 32 : 0);
        BinaryMessage rec = priorRecord();
        EXPECT_EQ(decode(armour(w), 0, row.standard, rec), row.app);
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
        {8, 21, 5, 8},
        {8, 21, 6, 8},
        {8, 21, 99, 0},
        {8, 21, -9999, 156},  // an absent fill-bit count does not limit: up to bit 1008
        {8, 21, INT_MIN, 156},
        {8, 21, INT_MAX, 0},
        {8, 11, 0, 0},   // 66 bits: the text would start at 69
        {8, 0, 0, 0},
        {6, 20, 0, 3},   // 120 bits: 101..118
        {6, 20, 2, 3},
        {6, 20, 3, 2},
        {6, 168, 0, 151},
        {6, 168, 5, 150},
    };
    for (const TextExtentRow& row : rows) {
        SCOPED_TRACE(testing::Message() << "type " << row.type << " chars " << row.chars << " fill " << row.fill);
        BitWriter w = header(row.type, 0);
        w.putText(row.type == 6 ? 101 : 69, 1008, "HELLO WORLD");
        const std::string payload = armour(w).substr(0, static_cast<size_t>(row.chars));
        BinaryMessage rec;
        EXPECT_EQ(decode(payload, row.fill, 0, rec), BinaryApp::Text);
        ASSERT_EQ(rec.Description.size(), row.expectedLength);
        // Nine characters of the text are whole in 21 payload characters.
        const size_t n = std::min<size_t>(9, row.expectedLength);
        EXPECT_EQ(rec.Description.substr(0, n), std::string("HELLO WORLD").substr(0, n));
    }
}

TEST(BinaryText, EncoderKeepsToOneMessage) {
    BinaryMessage m;
    m.MessageID = 8;
    m.Description = std::string(400, 'X');
    const auto p = EncodeBinaryMessage(m, 0);
    ASSERT_TRUE(p);
    EXPECT_LE(p->Payload.size(), 168u);
    BinaryMessage back;
    decode(p->Payload, p->FillBits, 0, back);
    EXPECT_EQ(back.Description, std::string(156, 'X'));
}

TEST(BinaryEncoder, RejectsOtherTypesAndClampsValues) {
    BinaryMessage m;
    m.MessageID = 5;
    EXPECT_FALSE(EncodeBinaryMessage(m, 0));

    m.MessageID = 8;
    m.FI = 11;
    m.MetHydro.AirPressure = 5000;        // beyond 800 + 510: the largest value, not "n/a"
    m.MetHydro.AirTemperature = -100.0f;  // below -60: raw 0
    m.MetHydro.MetLatitude = 91.0;
    m.MetHydro.WaveHeight = std::numeric_limits<float>::quiet_NaN();
    const auto p = EncodeBinaryMessage(m, 0);
    ASSERT_TRUE(p);
    BinaryMessage back;
    decode(p->Payload, p->FillBits, 0, back);
    EXPECT_EQ(back.MetHydro.AirPressure, 1310);
    EXPECT_FLOAT_EQ(back.MetHydro.AirTemperature, -60.0f);
    EXPECT_DOUBLE_EQ(back.MetHydro.MetLatitude, 91.0);
    EXPECT_FLOAT_EQ(back.MetHydro.WaveHeight, 0.0f);
}

// Payloads of any length and any characters decode without reading outside
// the buffer; a header-only or empty payload gives zeros.
TEST(BinaryBadInput, ShortEmptyLongAndForeignPayloads) {
    BinaryMessage rec = priorRecord();
    EXPECT_EQ(decode("", 0, 0, rec), BinaryApp::Text);  // FI reads as 0
    EXPECT_EQ(rec.MessageID, 0);
    EXPECT_EQ(rec.Description, "");

    std::mt19937 rng(3);
    for (int standard : {0, 1}) {
        for (int type : {6, 8}) {
            for (BinaryApp app : kLaidOutApps) {
                if (app == BinaryApp::Interrogation && type == 8) continue;
                BinaryMessage full;
                full.MessageID = static_cast<int16_t>(type);
                full.FI = static_cast<int16_t>(BinaryAppFI(app, standard));
                const std::string payload = EncodeBinaryMessage(full, standard)->Payload;
                for (size_t n = 0; n <= payload.size(); ++n) {
                    BinaryMessage r = priorRecord();
                    decode(payload.substr(0, n), static_cast<int>(rng() % 12) - 6, standard, r);
                }
            }
        }
    }
    std::string junk(500, ' ');
    for (char& c : junk) c = static_cast<char>(rng());
    for (int fill : {-9999, 0, 5, 6, 99}) {
        for (const char* head : {"8", "6"}) {
            BinaryMessage r;
            decode(head + junk, fill, 0, r);
            EXPECT_EQ(r.TimeReceived, kNow);
        }
    }
}

TEST(BinaryNumberText, LeadingBlankAndSevenDigits) {
    EXPECT_EQ(base::NumberText(0), " 0");
    EXPECT_EQ(base::NumberText(40), " 40");
    EXPECT_EQ(base::NumberText(-3), "-3");
    EXPECT_EQ(base::NumberText(int64_t{999999999}), " 999999999");
    EXPECT_EQ(base::NumberText(12.5f), " 12.5");
    EXPECT_EQ(base::NumberText(0.3f), " 0.3");
    EXPECT_EQ(base::NumberText(-0.1f), "-0.1");
    EXPECT_EQ(base::NumberText(204.7f), " 204.7");
    EXPECT_EQ(base::NumberText(1234567.8f), " 1234568");
    EXPECT_EQ(base::NumberText(-0.0f), " 0");
}

}  // namespace
}  // namespace ais
