// The IMO SN.1/Circ.289 and inland applications against messages built by
// hand from their tables: each value placed at its counted bits in its raw
// unit, and what the decoder must make of it (scaling, offsets, the codes
// for "not available", code texts).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ais/binary_forms.h"
#include "ais/decoder.h"
#include "ais/field_dump.h"
#include "ais/message_inbox.h"

namespace ais {
namespace {

using test::Put;

// A type 8 with DAC, FI and `puts` (gaps are ones), or a structured
// broadcast type 25, which carries the application at the same bits.
std::string Dump(int type, int dac, int fi, int bits, std::vector<Put> puts) {
    puts.insert(puts.end(), {{41, 50, dac}, {51, 56, fi}});
    if (type == 25) puts.insert(puts.end(), {{39, 39, 0}, {40, 40, 1}});
    return test::DecodedDump(type, bits, puts);
}

// Degrees in 1/1000 minute.
int64_t Milli(double degrees) { return static_cast<int64_t>(degrees * 60000); }

struct Vector {
    const char* what;
    int dac, fi, bits;
    std::vector<Put> puts;
    const char* want;  // the fields after Description, in order
};

TEST(BinaryApplications, VectorsFromTheTables) {
    const Vector vectors[] = {
        {"meteorological and hydrographic", 1, 31, 360,
         {{57, 81, Milli(-3.5)}, {82, 105, Milli(51.25)}, {106, 106, 1}, {107, 111, 15}, {112, 116, 24},
          {117, 122, 30}, {123, 129, 12}, {130, 136, 127}, {137, 145, 270}, {146, 154, 360}, {155, 165, -55},
          {166, 172, 101}, {173, 182, 501}, {183, 191, 214}, {192, 193, 2}, {194, 194, 1}, {195, 201, 127},
          {202, 213, 1235}, {214, 215, 3}, {216, 223, 25}, {224, 232, 90}, {233, 240, 255}, {241, 249, 359},
          {250, 254, 31}, {255, 262, 12}, {263, 271, 45}, {272, 276, 10}, {277, 284, 15}, {285, 290, 63},
          {291, 299, 360}, {300, 307, 0}, {308, 313, 8}, {314, 322, 200}, {323, 326, 13}, {327, 336, -12},
          {337, 339, 7}, {340, 348, 511}, {349, 350, 1}},
         "MetLongitude=-3.5 MetLatitude=51.25 MetPosAccuracy=1 MetDay=15 MetHour=-9999 MetMinute=30 "
         "AvgWindSpeed=12 WindGust=-9999 WindDirection=270 WindGustDirection=-9999 AirTemperature=-5.5 "
         "RelativeHumidity=-9999 DewPoint=-9999 AirPressure=1013 AirPressureTendency=2 VisibilityGreaterThan=1 "
         "HorizontalVisibility=-9999 WaterLevel=2.35 WaterLevelTrend=-9999 SurfaceCurrentSpeed=2.5 "
         "SurfaceCurrentDirection=90 CurrentSpeed2=-9999 CurrentDirection2=359 CurrentLevel2=-9999 "
         "CurrentSpeed3=1.2 CurrentDirection3=45 CurrentLevel3=10 WaveHeight=1.5 WavePeriod=-9999 "
         "WaveDirection=-9999 SwellHeight=0 SwellPeriod=8 SwellDirection=200 SeaState=-9999 WaterTemperature=-1.2 "
         "Precipitation=-9999 Salinity=-9999 Ice=1"},
        {"area notice", 1, 22, 372,
         {{57, 66, 5}, {67, 73, 35}, {74, 77, 7}, {78, 82, 4}, {83, 87, 24}, {88, 93, 60}, {94, 111, 262143},
          // circle, scale 10^2 m, radius 25 units
          {112, 114, 0}, {115, 116, 2}, {117, 141, Milli(4.125)}, {142, 165, Milli(-33.5)}, {166, 168, 4},
          {169, 180, 25}, {181, 198, 0},
          // polygon, scale 1 m: 90 degrees 500 m, then a point not given
          {199, 201, 4}, {202, 203, 0}, {204, 213, 180}, {214, 223, 500}, {224, 233, 720}, {234, 243, 1023},
          {244, 263, 0}, {264, 283, 0}, {284, 285, 0},
          // text
          {286, 288, 5}, {289, 372, {}, "NO ANCHORING"}},
         "LinkageID=5 NoticeDescription=35 NoticeDescriptionText='Restricted Area: Entry prohibited' StartMonth=7 "
         "StartDay=4 StartHour=-9999 StartMinute=-9999 Duration=-9999 SubAreaCount=3 SubArea1AreaShape=0 "
         "SubArea1AreaShapeText='Circle or point' SubArea1ScaleFactor=2 SubArea1Longitude=4.125 "
         "SubArea1Latitude=-33.5 SubArea1Precision=4 SubArea1Radius=2500 SubArea2AreaShape=4 "
         "SubArea2AreaShapeText='Polygon' SubArea2ScaleFactor=0 SubArea2PointAngle1=90 SubArea2PointDistance1=500 "
         "SubArea2PointAngle2=-9999 SubArea2PointDistance2=1023 SubArea2PointAngle3=0 SubArea2PointDistance3=0 "
         "SubArea2PointAngle4=0 SubArea2PointDistance4=0 SubArea3AreaShape=5 SubArea3AreaShapeText='Text' "
         "SubArea3Text='NO ANCHORING  '"},
        {"extended ship static and voyage data", 1, 24, 360,
         {{57, 66, 1023}, {67, 79, 455}, {80, 109, {}, "NLRTM"}, {110, 139, {}, "DEHAM"}, {140, 169, {}, "BEANR"},
          {170, 171, 1}, {172, 219, 0}, {220, 221, 3}, {222, 225, 15}, {226, 243, 18000}, {244, 255, 2087},
          {256, 297, {}, "A13B2TP"}, {298, 315, 262143}, {316, 317, 1}, {318, 319, 1}, {320, 321, 2},
          {322, 323, 3}, {324, 337, 16383}, {338, 350, 8191}},
         "LinkageID=1023 AirDraught=45.5 LastPortOfCall='NLRTM' NextPortOfCall='DEHAM' SecondPortOfCall='BEANR' "
         "SOLASStatus1=1 SOLASStatus2=0 SOLASStatus3=0 SOLASStatus4=0 SOLASStatus5=0 SOLASStatus6=0 SOLASStatus7=0 "
         "SOLASStatus8=0 SOLASStatus9=0 SOLASStatus10=0 SOLASStatus11=0 SOLASStatus12=0 SOLASStatus13=0 "
         "SOLASStatus14=0 SOLASStatus15=0 SOLASStatus16=0 SOLASStatus17=0 SOLASStatus18=0 SOLASStatus19=0 "
         "SOLASStatus20=0 SOLASStatus21=0 SOLASStatus22=0 SOLASStatus23=0 SOLASStatus24=0 SOLASStatus25=0 "
         "SOLASStatus26=3 IceClass=15 ShaftHorsePower=18000 VHFWorkingChannel=2087 LloydsShipType='A13B2TP' "
         "GrossTonnage=262143 LadenOrBallast=1 HeavyFuelOil=1 LightFuelOil=2 Diesel=3 BunkerOil=16383 "
         "PersonsOnBoard=8191"},
        {"inland ship static and voyage data", 200, 10, 168,
         {{57, 104, {}, "02301234"}, {105, 117, 1105}, {118, 127, 114}, {128, 141, 8030}, {142, 144, 4},
          {145, 155, 280}, {156, 157, 1}, {158, 158, 1}, {159, 159, 0}, {160, 160, 1}},
         "ENINumber='02301234' Length=110.5 Beam=11.4 ERIShipType=8030 ERIShipTypeText='Container vessel' "
         "HazardousCargo=4 HazardousCargoText='B-Flag' Draught=2.8 Loaded=1 SpeedQuality=1 CourseQuality=0 "
         "HeadingQuality=1"},
        {"inland, codes out of the tables and lengths not given", 200, 10, 168,
         {{105, 117, 0}, {118, 127, 0}, {128, 141, 8499}, {142, 144, 7}, {145, 155, 0}},
         "ENINumber='?\?\?\?\?\?\?\?' Length=-9999 Beam=-9999 ERIShipType=8499 ERIShipTypeText='' HazardousCargo=7 "
         "HazardousCargoText='' Draught=-9999 Loaded=3 SpeedQuality=1 CourseQuality=1 HeadingQuality=1"},
    };
    for (const Vector& v : vectors) {
        SCOPED_TRACE(v.what);
        for (int type : {8, 25}) {
            const std::string dump = Dump(type, v.dac, v.fi, v.bits, v.puts);
            const size_t at = dump.find("Description=");
            ASSERT_NE(at, std::string::npos) << dump;
            const size_t end = dump.find("' ", at);
            EXPECT_EQ(dump.substr(end + 2), v.want) << type;
        }
    }
}

// The newer applications are found by DAC and FI together; under another DAC
// the same FI is not decoded.
TEST(BinaryApplications, DescriptionsAndDAC) {
    struct Row {
        int dac, fi;
        const char* description;
    };
    const Row rows[] = {
        {1, 31, "FI 31 - Meteorological & Hydrographic Data"},
        {1, 22, "FI 22 - Area Notice: Caution Area: Marine mammals habitat"},
        {1, 24, "FI 24 - Extended Ship Static & Voyage Related Data"},
        {200, 10, "FI 10 - Inland Ship Static & Voyage Related Data"},
        {2, 31, "Message with FI (Function Identifier) 31 received."},
        {1, 10, "Message with FI (Function Identifier) 10 received."},
    };
    for (const Row& r : rows) {
        const std::string dump = Dump(8, r.dac, r.fi, 360, {{57, 360, 0}});
        EXPECT_NE(dump.find("Description='" + std::string(r.description)), std::string::npos) << dump;
    }
}

// Meteorological data of the newer layout open the meteorological window
// with its own items; the older layout keeps its form.
TEST(BinaryApplications, MeteorologicalFormOfTheNewerLayout) {
    BinaryMessage m;
    m.Application = BinaryApp::MetHydro289;
    m.MetHydro.MetPosAccuracy = 1;
    m.MetHydro.WaterLevel = 2.5f;
    m.MetHydro.Precipitation = 5;
    m.MetHydro.VisibilityGreaterThan = 1;
    EXPECT_EQ(ApplicationWindowFor("FI 31 - Meteorological & Hydrographic Data"), ApplicationWindow::Meteorological);
    const BinaryForm f = BinaryFormFor(ApplicationWindow::Meteorological, m);
    struct Row {
        const char* name;
        const char* text;
    };
    for (const Row& r : {Row{"cmbPosAccuracy", "     1-High (<10 m)"}, Row{"cmbVisibilityGreater", "                Yes"},
                         Row{"txtData_13", "2.50"}, Row{"cmbPrecipitation", " 5-snow"}}) {
        ASSERT_NE(f.find(r.name), nullptr) << r.name;
        EXPECT_EQ(f.find(r.name)->text, r.text) << r.name;
    }
    m.Application = BinaryApp::MetHydro;
    const BinaryForm old = BinaryFormFor(ApplicationWindow::Meteorological, m);
    EXPECT_EQ(old.find("cmbPosAccuracy"), nullptr);
    EXPECT_EQ(old.find("txtData_13")->text, "2.5");
    EXPECT_EQ(old.items.size() + 3, f.items.size());  // the note, accuracy and visibility flag
}

MessageNotice notice(const std::string& text) {
    MessageNotice n;
    n.lblName = " 257012300 - BLUE HERON   ";
    n.txtMessage = text;
    return n;
}

// A full ring gives its oldest entry to the new one; rows stay newest first
// and ids keep pointing at their own entry, or at nothing once it is gone.
TEST(MessageInbox, RingKeepsTheNewestAndFindsEntriesById) {
    MessageInbox inbox(3);
    std::vector<InboxAdded> added;
    for (const char* t : {"a", "b", "c", "d", "e"}) added.push_back(inbox.add(notice(t)));
    EXPECT_FALSE(added[2].droppedOldest);
    EXPECT_TRUE(added[3].droppedOldest);
    ASSERT_EQ(inbox.size(), 3u);
    EXPECT_EQ(inbox.at(0).text + inbox.at(1).text + inbox.at(2).text, "edc");
    EXPECT_EQ(inbox.at(0).from, "257012300 - BLUE HERON");
    EXPECT_EQ(inbox.rowOf(added[2].id), 2u);
    EXPECT_EQ(inbox.rowOf(added[1].id), std::nullopt);
    EXPECT_FALSE(inbox.markRead(added[1].id));
    EXPECT_TRUE(inbox.markRead(added[3].id));
    EXPECT_TRUE(inbox.at(1).read);
    inbox.dropOldest();
    EXPECT_EQ(inbox.rowOf(added[2].id), std::nullopt);
    inbox.add(notice("f"));
    EXPECT_EQ(inbox.at(0).text + inbox.at(1).text + inbox.at(2).text, "fed");
    EXPECT_FALSE(inbox.at(0).read);
}

TEST(MessageInbox, KindsOfPopUps) {
    const std::pair<int, std::optional<PopupKind>> rows[] = {
        {6, PopupKind::Binary}, {8, PopupKind::Binary}, {10, PopupKind::Inquiry},
        {12, PopupKind::Text},  {14, PopupKind::Text},  {1, std::nullopt}};
    for (const auto& [type, kind] : rows) EXPECT_EQ(PopupKindOf(type), kind) << type;
}

}  // namespace
}  // namespace ais
