// Decoder tests against messages built bit by bit from the M.1371 field
// positions written out here independently of the decoder's layout rows.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "ais/bit_writer.h"
#include "ais/code_tables.h"
#include "ais/decoder.h"

namespace ais {
namespace {

const base::DateTime kNow = base::DateTime::fromCalendar(2026, 12, 6, 14, 5, 9);

struct Bits {
    BitWriter w;
    Bits& put(int first, int last, int64_t v) {
        w.put(first, last, v);
        return *this;
    }
    Bits& text(int first, int last, const char* t) {
        w.putText(first, last, t);
        return *this;
    }
    Bits& length(int bits) {
        w.extendTo(bits);
        return *this;
    }
    std::string payload() const {
        int fill = 0;
        return w.armoured(fill);
    }
    int fill() const {
        int fill = 0;
        w.armoured(fill);
        return fill;
    }
};

Bits header(int type, int repeat, int64_t mmsi) {
    Bits b;
    b.put(1, 6, type).put(7, 8, repeat).put(9, 38, mmsi);
    return b;
}

float RotOf(int raw) {
    const double r = raw / 4.733;
    return static_cast<float>(raw < 0 ? -(r * r) : r * r);
}

// A record whose every communication-state field holds a marker, to see which
// ones a decode leaves alone.
template <class R>
void MarkCommState(R& r) {
    r.SlotOffset = 7001;
    r.SlotNumber = 7002;
    r.ReceivedStations = 7003;
    if constexpr (requires { r.CommUTCHour; }) {
        r.CommUTCHour = 7004;
        r.CommUTCMinute = 7005;
    }
}

TEST(Decoder, PositionReportWholeRecord) {
    Bits b = header(1, 2, 257123456);
    b.put(39, 42, 5).put(43, 50, -127).put(51, 60, 1022).put(61, 61, 1).put(62, 89, -600000);
    b.put(90, 116, 54600000).put(117, 128, 3599).put(129, 137, 511).put(138, 143, 59);
    b.put(144, 145, 2).put(146, 148, 5).put(149, 149, 1);
    b.put(150, 151, 3).put(152, 154, 1).put(155, 168, 0x088C);

    AISMessageRecord rec;
    MarkCommState(rec.Type1);
    EXPECT_EQ(DecodeAISMessage(b.payload(), rec, 0, 0, kNow), 1);

    PositionReport want;
    MarkCommState(want);
    want.MessageID = 1;
    want.RepeatIndicator = 2;
    want.MMSI = 257123456;
    want.NavStatus = 5;
    want.NavStatusText = "Moored";
    want.ROT = RotOf(-127);
    want.SOG = 102.2f;
    want.PosAccuracy = 1;
    want.PosAccuracyText = "High accuracy, <10 m";
    want.Longitude = -1.0;
    want.Latitude = -9999;
    want.COG = 359.9f;
    want.TrueHeading = -9999;
    want.TimeStamp = 59;
    want.ManoeuvreIndicator = 2;
    want.Spare = 5;
    want.RAIM = 1;
    want.SyncState = 3;
    want.SlotTimeout = 1;
    want.SubMessage = 0x088C;
    want.CommUTCHour = 4;
    want.CommUTCMinute = 35;
    want.TimeReceived = kNow;
    EXPECT_EQ(rec.Type1, want);
    EXPECT_NEAR(rec.Type1.ROT, -720.003, 0.001);
    // Types 2 and 3 untouched.
    EXPECT_EQ(rec.Type2, PositionReport{});
    EXPECT_EQ(rec.Type3, PositionReport{});
}

// One row per scaled field value: the raw value, where it sits in a type 1
// message, and what the record must hold.
struct ScaledRow {
    const char* what;
    int first, last;
    int64_t raw;
    double want;
};

TEST(Decoder, ScaledAndNotAvailableValues) {
    const ScaledRow rows[] = {
        {"ROT 0", 43, 50, 0, 0.0},
        {"ROT 1", 43, 50, 1, RotOf(1)},
        {"ROT 127", 43, 50, 127, RotOf(127)},
        {"ROT -127", 43, 50, -127, RotOf(-127)},
        {"ROT -128", 43, 50, -128, -9999},
        {"SOG 1022", 51, 60, 1022, 102.2f},
        {"SOG 1023", 51, 60, 1023, -9999},
        {"SOG 0", 51, 60, 0, 0},
        {"COG 3599", 117, 128, 3599, 359.9f},
        {"COG 3600", 117, 128, 3600, -9999},
        {"COG 3601", 117, 128, 3601, 360.1f},
        {"COG 4095", 117, 128, 4095, 409.5f},
        {"heading 359", 129, 137, 359, 359},
        {"heading 400", 129, 137, 400, 400},
        {"heading 511", 129, 137, 511, -9999},
        {"lon 181", 62, 89, 108600000, -9999},
        {"lon -181", 62, 89, -108600000, -181.0},
        {"lon 180", 62, 89, 108000000, 180.0},
        {"lon -1", 62, 89, -600000, -1.0},
        {"lat 91", 90, 116, 54600000, -9999},
        {"lat -91", 90, 116, -54600000, -91.0},
        {"lat 1/10000 min", 90, 116, 1, 1.0 / 600000.0},
    };
    for (const auto& row : rows) {
        Bits b = header(1, 0, 1);
        b.put(row.first, row.last, row.raw).length(168);
        AISMessageRecord rec;
        DecodeAISMessage(b.payload(), rec, 0, 0, kNow);
        double got = 0;
        switch (row.first) {
            case 43: got = rec.Type1.ROT; break;
            case 51: got = rec.Type1.SOG; break;
            case 117: got = rec.Type1.COG; break;
            case 129: got = rec.Type1.TrueHeading; break;
            case 62: got = rec.Type1.Longitude; break;
            case 90: got = rec.Type1.Latitude; break;
        }
        EXPECT_DOUBLE_EQ(got, row.want) << row.what;
    }
    EXPECT_NEAR(RotOf(1), 0.0446, 0.0001);
    EXPECT_NEAR(RotOf(127), 720.003, 0.001);
}

TEST(Decoder, CommunicationStateWritesOnlyTheMatchingField) {
    struct Row {
        int slotTimeout;
        int16_t offset, number, stations;
    };
    const Row rows[] = {
        {0, 1234, 7002, 7003}, {2, 7001, 1234, 7003}, {3, 7001, 7002, 1234}, {4, 7001, 1234, 7003},
        {5, 7001, 7002, 1234}, {6, 7001, 1234, 7003}, {7, 7001, 7002, 1234},
    };
    for (const auto& row : rows) {
        // Types 3, 9 and 18 all read the SOTDMA layout, whatever the selector says.
        for (int type : {3, 9, 18}) {
            Bits b = header(type, 0, 1);
            b.put(149, 149, 1).put(152, 154, row.slotTimeout).put(155, 168, 1234);
            AISMessageRecord rec;
            MarkCommState(rec.Type3);
            MarkCommState(rec.Type9);
            MarkCommState(rec.Type18);
            DecodeAISMessage(b.payload(), rec, 0, 0, kNow);
            auto check = [&](const auto& r) {
                EXPECT_EQ(r.SlotOffset, row.offset) << type << " " << row.slotTimeout;
                EXPECT_EQ(r.SlotNumber, row.number) << type << " " << row.slotTimeout;
                EXPECT_EQ(r.ReceivedStations, row.stations) << type << " " << row.slotTimeout;
                EXPECT_EQ(r.CommUTCHour, 7004);
                EXPECT_EQ(r.SubMessage, 1234);
            };
            if (type == 3) check(rec.Type3);
            if (type == 9) check(rec.Type9);
            if (type == 18) check(rec.Type18);
        }
    }
}

TEST(Decoder, BaseStationSlotTimeoutOneReplacesHourAndMinute) {
    Bits b = header(4, 0, 2570001);
    b.put(39, 52, 2026).put(53, 56, 12).put(57, 61, 6).put(62, 66, 13).put(67, 72, 14).put(73, 78, 15);
    b.put(79, 79, 0).put(80, 107, 600000 * 5).put(108, 134, 600000 * 60).put(135, 138, 7);
    b.put(149, 149, 1).put(152, 154, 1).put(155, 168, 0x088C);
    AISMessageRecord rec;
    EXPECT_EQ(DecodeAISMessage(b.payload(), rec, 0, 0, kNow), 4);
    const BaseStationReport& r = rec.Type4;
    EXPECT_EQ(r.UTCYear, 2026);
    EXPECT_EQ(r.UTCMonth, 12);
    EXPECT_EQ(r.UTCDay, 6);
    EXPECT_EQ(r.UTCHour, 4);
    EXPECT_EQ(r.UTCMinute, 35);
    EXPECT_EQ(r.UTCSecond, 15);
    EXPECT_EQ(r.Longitude, 5.0);
    EXPECT_EQ(r.Latitude, 60.0);
    EXPECT_EQ(r.EPFDTypeText, "Surveyed");
    EXPECT_EQ(r.PosAccuracyText, "Low accuracy, >10 m");

    // Slot time-out 0 keeps the transmitted hour and minute.
    Bits c = header(4, 0, 2570001);
    c.put(62, 66, 13).put(67, 72, 14).put(155, 168, 0x088C).length(168);
    DecodeAISMessage(c.payload(), rec, 0, 0, kNow);
    EXPECT_EQ(rec.Type4.UTCHour, 13);
    EXPECT_EQ(rec.Type4.UTCMinute, 14);
    EXPECT_EQ(rec.Type4.SlotOffset, 0x088C);
}

TEST(Decoder, SARAircraftSpeedInWholeKnots) {
    for (auto [raw, want] : {std::pair{1022, 1022.0f}, {1023, -9999.0f}, {0, 0.0f}}) {
        Bits b = header(9, 1, 111257001);
        b.put(39, 50, 4095).put(51, 60, raw).put(117, 128, 3600).put(129, 134, 61);
        b.put(135, 135, 1).put(143, 143, 1).put(147, 147, 1).put(148, 148, 1).put(149, 149, 1).length(168);
        AISMessageRecord rec;
        EXPECT_EQ(DecodeAISMessage(b.payload(), rec, 0, 0, kNow), 9);
        EXPECT_EQ(rec.Type9.SOG, want);
        EXPECT_EQ(rec.Type9.Altitude, 4095);
        EXPECT_EQ(rec.Type9.COG, -9999.0f);
        EXPECT_EQ(rec.Type9.TimeStamp, 61);
        EXPECT_EQ(rec.Type9.AltitudeSensor, 1);
        EXPECT_EQ(rec.Type9.DTE, 1);
        EXPECT_EQ(rec.Type9.AssignedMode, 1);
        EXPECT_EQ(rec.Type9.RAIM, 1);
        EXPECT_EQ(rec.Type9.CommStateSelector, 1);
    }
}

TEST(Decoder, StaticVoyageData) {
    Bits b = header(5, 0, 244123000);
    b.put(39, 40, 1).put(41, 70, 9876543).text(71, 112, "PD@@").text(113, 232, "EVER GIVEN");
    b.put(233, 240, 255).put(241, 249, 300).put(250, 258, 100).put(259, 264, 20).put(265, 270, 30);
    b.put(271, 274, 1).put(275, 278, 6).put(279, 283, 15).put(284, 288, 24).put(289, 294, 60);
    b.put(295, 302, 125).text(303, 422, "ROTTERDAM").put(423, 423, 1).length(424);
    AISMessageRecord rec;
    EXPECT_EQ(DecodeAISMessage(b.payload(), rec, 2, 0, kNow), 5);
    const StaticVoyageData& r = rec.Type5;
    EXPECT_EQ(r.AISVersion, 1);
    EXPECT_EQ(r.IMONumber, 9876543);
    EXPECT_EQ(r.CallSign, "PD     ");  // at signs read as blanks, not trimmed
    EXPECT_EQ(r.Name, "EVER GIVEN          ");
    EXPECT_EQ(r.ShipType, 0);
    EXPECT_EQ(r.ShipTypeText, "Not defined");
    EXPECT_EQ(r.CargoTypeText, "Not specified");
    EXPECT_EQ(r.DimA, 300);
    EXPECT_EQ(r.DimD, 30);
    EXPECT_EQ(r.EPFDTypeText, "GPS");
    EXPECT_EQ(r.ETA, base::DateTime::fromCalendar(2026, 6, 16, 1, 0));
    EXPECT_FLOAT_EQ(r.Draught, 12.5f);
    EXPECT_EQ(r.Destination, "ROTTERDAM           ");
    EXPECT_EQ(r.DTE, 1);
}

TEST(Decoder, ETARule) {
    struct Row {
        int month, day, hour, minute;
        base::DateTime want;
    };
    using base::DateTime;
    // The clock says 2026 (not a leap year).
    const Row rows[] = {
        {0, 15, 12, 30, DateTime()},
        {2, 30, 12, 0, DateTime::fromCalendar(2026, 3, 2, 12, 0)},
        {6, 15, 24, 60, DateTime::fromCalendar(2026, 6, 16, 1, 0)},
        {3, 0, 0, 0, DateTime::fromCalendar(2026, 2, 28)},
        {1, 1, 0, 0, DateTime::fromCalendar(2026, 1, 1)},  // already passed: still this year
        {13, 2, 3, 4, DateTime::fromCalendar(2027, 1, 2, 3, 4)},
        {15, 31, 23, 59, DateTime::fromCalendar(2027, 3, 31, 23, 59)},
        {12, 31, 24, 0, DateTime::fromCalendar(2027, 1, 1)},
    };
    for (const auto& row : rows) {
        Bits b = header(5, 0, 1);
        b.put(275, 278, row.month).put(279, 283, row.day).put(284, 288, row.hour).put(289, 294, row.minute);
        b.length(424);
        AISMessageRecord rec;
        DecodeAISMessage(b.payload(), rec, 2, 0, kNow);
        EXPECT_NEAR(rec.Type5.ETA.value(), row.want.value(), 1e-9)
            << row.month << "/" << row.day << " " << row.hour << ":" << row.minute;
    }
}

TEST(Decoder, StaticDataReportParts) {
    AISMessageRecord rec;
    Bits partB = header(24, 0, 338000111);
    partB.put(39, 40, 2).put(41, 48, 36).text(49, 90, "VENDOR1").text(91, 132, "CALL").put(133, 141, 10);
    partB.put(142, 150, 5).put(151, 156, 2).put(157, 162, 3).length(168);
    EXPECT_EQ(DecodeAISMessage(partB.payload(), rec, 0, 0, kNow), 24);
    EXPECT_EQ(rec.Type24.PartNumber, 2);
    EXPECT_EQ(rec.Type24.ShipType, 36);
    EXPECT_EQ(rec.Type24.ShipTypeText, "Vessel-Sailing");
    EXPECT_EQ(rec.Type24.CargoTypeText, "n/a");
    EXPECT_EQ(rec.Type24.VendorID, "VENDOR1");
    EXPECT_EQ(rec.Type24.CallSign, "CALL   ");
    EXPECT_EQ(rec.Type24.DimA, 10);
    EXPECT_EQ(rec.Type24.DimD, 3);
    EXPECT_EQ(rec.Type24.Name, "");

    const StaticDataReport afterB = rec.Type24;
    Bits partA = header(24, 0, 338000111);
    partA.put(39, 40, 0).text(41, 160, "SEA BREEZE").length(160);
    DecodeAISMessage(partA.payload(), rec, 0, 0, kNow);
    StaticDataReport want = afterB;
    want.PartNumber = 0;
    want.Name = "SEA BREEZE          ";
    EXPECT_EQ(rec.Type24, want);
}

TEST(Decoder, ClassBReports) {
    Bits b18 = header(18, 0, 211000001);
    b18.put(39, 46, 0xAB).put(47, 56, 123).put(57, 57, 1).put(58, 85, 6000000).put(86, 112, 32400000);
    b18.put(113, 124, 900).put(125, 133, 90).put(134, 139, 30).put(140, 147, 0xFF).put(148, 148, 0);
    b18.put(149, 149, 1).put(152, 154, 3).put(155, 168, 17);
    AISMessageRecord rec;
    EXPECT_EQ(DecodeAISMessage(b18.payload(), rec, 0, 0, kNow), 18);
    EXPECT_EQ(rec.Type18.RegionalReserved, 0xAB);
    EXPECT_FLOAT_EQ(rec.Type18.SOG, 12.3f);
    EXPECT_EQ(rec.Type18.Longitude, 10.0);
    EXPECT_EQ(rec.Type18.Latitude, 54.0);
    EXPECT_FLOAT_EQ(rec.Type18.COG, 90.0f);
    EXPECT_EQ(rec.Type18.TrueHeading, 90.0f);
    EXPECT_EQ(rec.Type18.TimeStamp, 30);
    EXPECT_EQ(rec.Type18.RAIM, 0);
    EXPECT_EQ(rec.Type18.CommStateSelector, 1);
    EXPECT_EQ(rec.Type18.ReceivedStations, 17);

    Bits b19 = header(19, 0, 211000002);
    b19.put(47, 56, 1023).put(140, 143, 9).text(144, 263, "SAILOR").put(264, 271, 84);
    b19.put(272, 280, 511).put(281, 289, 3).put(290, 295, 63).put(296, 301, 1).put(302, 305, 12);
    b19.put(306, 306, 1).put(307, 307, 1).length(312);
    DecodeAISMessage(b19.payload(), rec, 0, 0, kNow);
    const ClassBExtendedReport& r = rec.Type19;
    EXPECT_EQ(r.SOG, -9999.0f);
    EXPECT_EQ(r.RegionalReserved2, 9);
    EXPECT_EQ(r.Name, "SAILOR              ");
    EXPECT_EQ(r.ShipType, 84);
    EXPECT_EQ(r.ShipTypeText, "Tanker");
    EXPECT_EQ(r.CargoTypeText, "Cat D-DG,HS or MP IMO hazard or pollutant");
    EXPECT_EQ(r.ShipTypeFullText, "Tanker - Cat D-DG,HS or MP IMO hazard or pollutant");
    EXPECT_EQ(r.DimA, 511);
    EXPECT_EQ(r.DimC, 63);
    EXPECT_EQ(r.EPFDType, 12);
    EXPECT_EQ(r.EPFDTypeText, "");
    EXPECT_EQ(r.RAIM, 1);
    EXPECT_EQ(r.DTE, 1);
}

TEST(Decoder, AtoNNameExtension) {
    Bits b = header(21, 0, 992570001);
    b.put(39, 43, 6).text(44, 163, "NORTH PIER").put(164, 164, 1).put(165, 192, 600000 * 4);
    b.put(193, 219, 600000 * 52).put(220, 228, 1).put(229, 237, 2).put(238, 243, 3).put(244, 249, 4);
    b.put(250, 253, 7).put(254, 259, 60).put(260, 260, 1).put(261, 268, 0x55).put(269, 269, 1);
    b.put(270, 270, 1).put(271, 271, 1).length(272);
    AISMessageRecord rec;
    EXPECT_EQ(DecodeAISMessage(b.payload(), rec, 0, 0, kNow), 21);
    const AtoNReport& r = rec.Type21;
    EXPECT_EQ(r.AtoNTypeText, "Ligth - With sectors");
    EXPECT_EQ(r.Name, "NORTH PIER          ");
    EXPECT_EQ(r.Longitude, 4.0);
    EXPECT_EQ(r.Latitude, 52.0);
    EXPECT_EQ(r.DimB, 2);
    EXPECT_EQ(r.EPFDTypeText, "Surveyed");
    EXPECT_EQ(r.TimeStamp, 60);
    EXPECT_EQ(r.OffPosition, 1);
    EXPECT_EQ(r.AtoNStatus, 0x55);
    EXPECT_EQ(r.VirtualAtoN, 1);
    EXPECT_EQ(r.AssignedMode, 1);
    EXPECT_EQ(r.NameExtension, std::string(14, ' '));

    b.text(273, 290, "EXT").length(296);
    DecodeAISMessage(b.payload(), rec, 0, 0, kNow);
    EXPECT_EQ(rec.Type21.NameExtension, "EXT           ");
}

TEST(Decoder, InquiryAndDataLinkManagement) {
    Bits b10 = header(10, 3, 230000001);
    b10.put(39, 40, 3).put(41, 70, 230000002).length(72);
    AISMessageRecord rec;
    EXPECT_EQ(DecodeAISMessage(b10.payload(), rec, 0, 0, kNow), 10);
    EXPECT_EQ(rec.Type10, (UTCInquiry{10, 3, 230000001, 230000002, kNow}));

    Bits b20 = header(20, 1, 2300001);
    b20.put(39, 72, 0x3FFFFFFFF).length(72);
    DecodeAISMessage(b20.payload(), rec, 0, 0, kNow);
    EXPECT_EQ(rec.Type20, (DataLinkManagement{20, 1, 2300001, kNow}));
}

TEST(Decoder, SafetyMessageTextExtent) {
    struct Row {
        int type, chars, fill;
        size_t letters;
        size_t blanks = 0;
    };
    const Row rows[] = {
        {14, 10, 2, 3},    // 58 data bits: text bits 41-58
        {12, 16, 0, 4},    // 96 data bits: text bits 73-96
        {14, 10, 0, 3},
        {14, 11, 0, 4},
        {14, 11, 5, 3},
        {14, 10, 6, 2},
        {14, 10, 99, 0},   // more fill than data: no text
        {14, 10, INT_MAX, 0},
        {14, 10, INT_MIN, 3, 158},
        {14, 10, -9999, 3, 158},  // an empty fill field: the text runs to bit 1008
        {12, 12, 0, 0},
        {14, 168, 0, 161},
    };
    for (const auto& row : rows) {
        Bits b = header(row.type, 0, 1);
        b.length(row.chars * 6);
        const int start = row.type == 12 ? 73 : 41;
        for (int p = start; p + 5 <= row.chars * 6; p += 6) b.put(p, p + 5, 1);  // 'A'
        AISMessageRecord rec;
        EXPECT_EQ(DecodeAISMessage(b.payload(), rec, row.fill, 0, kNow), row.type);
        const std::string& text = row.type == 12 ? rec.Type12.Text : rec.Type14.Text;
        EXPECT_EQ(text, std::string(row.letters, 'A') + std::string(row.blanks, ' '))
            << row.type << " " << row.chars << " " << row.fill;
    }
}

TEST(Decoder, AddressedSafetyHeader) {
    Bits b = header(12, 1, 257000001);
    b.put(39, 40, 2).put(41, 70, 257000002).put(71, 71, 1).put(72, 72, 1).text(73, 96, "HELP");
    AISMessageRecord rec;
    DecodeAISMessage(b.payload(), rec, 0, 0, kNow);
    EXPECT_EQ(rec.Type12, (AddressedSafetyMessage{12, 1, 257000001, 2, 257000002, 1, 1, "HELP", kNow}));
}

TEST(Decoder, TypesWithoutDecoderLeaveTheRecordAlone) {
    AISMessageRecord rec;
    rec.Type1.MMSI = 42;
    const AISMessageRecord before = rec;
    for (int type : {0, 27, 28, 40, 63}) {
        Bits b = header(type, 3, 999999999);
        b.length(168);
        EXPECT_EQ(DecodeAISMessage(b.payload(), rec, 0, 0, kNow), type);
        EXPECT_TRUE(rec == before) << type;
    }
}

TEST(Decoder, TimeOnlyTypesSetOnlyTheirTime) {
    for (int type : {7, 11, 13, 15, 16, 17, 22, 23, 25, 26}) {
        AISMessageRecord rec;
        Bits b = header(type, 0, 1);
        b.length(72);
        EXPECT_EQ(DecodeAISMessage(b.payload(), rec, 0, 0, kNow), type);
        EXPECT_EQ(rec.timeReceived(type), kNow) << type;
        for (int t = 1; t <= 26; ++t) {
            if (t != type) {
                EXPECT_TRUE(rec.timeReceived(t).isNull()) << type << " " << t;
            }
        }
    }
}

TEST(Decoder, BadPayloadsNeverFail) {
    std::string longPayload(500, 'w');
    longPayload[0] = '1';  // type 1
    std::string chars168 = longPayload.substr(0, 168);
    std::string outside;
    for (int c = 0; c < 256; ++c) outside.push_back(static_cast<char>(c));

    struct Row {
        std::string payload;
        int fill;
        int wantType;
    };
    const std::vector<Row> rows = {
        {"", 0, 0},          {"1", 0, 1},          {"1", -9999, 1},    {"1", 99, 1},
        {chars168, 0, 1},    {longPayload, 5, 1},  {outside, 6, 16},   {"\x01\xff", 0, 17},
        {">", 0, 14},        {std::string(168, '>'), -9999, 14},
    };
    for (const auto& row : rows) {
        AISMessageRecord rec;
        EXPECT_EQ(DecodeAISMessage(row.payload, rec, row.fill, 0, kNow), row.wantType);
    }

    // "1" alone: a type 1 report of zeros (latitude/longitude 0, not -9999).
    AISMessageRecord one;
    DecodeAISMessage("1", one, 0, 0, kNow);
    EXPECT_EQ(one.Type1.MMSI, 0);
    EXPECT_EQ(one.Type1.Longitude, 0.0);
    EXPECT_EQ(one.Type1.NavStatusText, "Under way using engines");

    // Characters past the 168th are ignored.
    AISMessageRecord a, b;
    DecodeAISMessage(longPayload, a, 0, 0, kNow);
    DecodeAISMessage(chars168, b, 0, 0, kNow);
    EXPECT_EQ(a.Type1, b.Type1);

    // A 500-character broadcast text stops at bit 1008.
    AISMessageRecord t;
    DecodeAISMessage(std::string(500, '>'), t, 0, 0, kNow);
    EXPECT_EQ(t.Type14.Text.size(), 161u);
}

// Random bytes of random length with random fill bits: every type's decoder
// runs on short, long and garbage payloads (under the sanitizers in CI).
TEST(Decoder, RandomPayloadsNeverFail) {
    std::mt19937 rng(2026);
    AISMessageRecord rec;
    for (int n = 0; n < 20000; ++n) {
        std::string payload(std::uniform_int_distribution<size_t>(0, 600)(rng), '\0');
        for (char& c : payload) c = static_cast<char>(rng());
        if (!payload.empty() && n % 2) payload[0] = ArmourChar(static_cast<unsigned>(n / 2 % 28));  // every decoded type
        const int fill = std::uniform_int_distribution<int>(-10000, 10000)(rng);
        const int type = DecodeAISMessage(payload, rec, fill, n % 3, kNow);
        EXPECT_GE(type, 0);
        EXPECT_LE(type, 63);
    }
    EXPECT_LE(rec.Type14.Text.size(), 161u);
    EXPECT_LE(rec.Type12.Text.size(), 156u);
}

}  // namespace
}  // namespace ais
